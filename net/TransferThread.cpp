#include "net/TransferThread.h"

#include "net/WinHandle.h"

#include <windows.h>

namespace {

struct TransferWork {
  void (*work)(void*);
  void* context;
};

DWORD WINAPI RunTransfer(void* parameter) {
  TransferWork* transfer = static_cast<TransferWork*>(parameter);
  transfer->work(transfer->context);
  return 0;
}

}  // namespace

int net_detail::RunOnTransferThread(void (*work)(void*), void* context) {
  TransferWork transfer = {work, context};
  WinHandle thread(CreateThread(nullptr, 0, RunTransfer, &transfer, 0, nullptr));
  if (!thread) return static_cast<int>(GetLastError());
  WaitForSingleObject(thread.Get(), INFINITE);
  return 0;
}
