#include "net/DetachedFetch.h"

#include "net/Loader.h"
#include "net/WinHandle.h"

#include <memory>
#include <new>
#include <string>

namespace {

// What the fetch's thread and its caller share; the last of the two to let go frees it.
struct FetchJob {
  std::string host;
  int port = 0;
  std::string path;
  int result = LOADER_ERR_UNSPECIFIED;
  char* block = nullptr;
  unsigned size = 0;

  ~FetchJob() {
    if (block) GlobalFree(block);
  }
};

DWORD WINAPI RunFetch(void* parameter) {
  std::unique_ptr<std::shared_ptr<FetchJob>> held(static_cast<std::shared_ptr<FetchJob>*>(parameter));
  FetchJob& job = **held;
  Loader loader;
  job.result = loader.Connect(job.host.c_str(), job.port);
  if (job.result == LOADER_OK) {
    int status = LOADER_STATUS_RUNNING;
    job.result = loader.DownloadToMemory(job.path.c_str(), nullptr, &status, nullptr, &job.block, &job.size);
  }
  return 0;
}

}  // namespace

int DetachedFetch::DownloadToMemory(const char* host, int port, const char* path, HANDLE cancel, GlobalBlock& block,
                                    unsigned* size) {
  if (cancel && WaitForSingleObject(cancel, 0) == WAIT_OBJECT_0) return LOADER_CANCELLED;
  std::shared_ptr<FetchJob> job = std::make_shared<FetchJob>();
  job->host = host;
  job->port = port;
  job->path = path;
  auto* forThread = new (std::nothrow) std::shared_ptr<FetchJob>(job);
  if (!forThread) return ERROR_NOT_ENOUGH_MEMORY;
  WinHandle thread(CreateThread(nullptr, 0, RunFetch, forThread, 0, nullptr));
  if (!thread) {
    delete forThread;
    return static_cast<int>(GetLastError());
  }
  // Wait for the thread itself, not only its result, so that its loader has closed
  // its WinINet handles before the caller's next transfer. Only a cancel leaves the
  // fetch to end by itself.
  HANDLE waits[] = {thread.Get(), cancel};
  if (WaitForMultipleObjects(cancel ? 2 : 1, waits, FALSE, INFINITE) != WAIT_OBJECT_0) return LOADER_CANCELLED;
  *size = job->size;
  *block.Receive() = job->block;
  job->block = nullptr;
  return job->result;
}
