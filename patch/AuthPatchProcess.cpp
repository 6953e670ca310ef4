#include "patch/AuthPatchProcess.h"

#include <tlhelp32.h>

namespace {

const char kAuthPatchName[] = "KQAuthPatch.exe";

}  // namespace

bool FindAuthPatchProcess(WinHandle& found) {
  found.Reset();
  WinHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  if (!Process32First(snapshot.Get(), &entry)) return false;
  do {
    if (lstrcmpiA(entry.szExeFile, kAuthPatchName) == 0) {
      found.Reset(OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID));
      return true;
    }
  } while (Process32Next(snapshot.Get(), &entry));
  return true;
}
