#include "ui/ProgramStart.h"

#include <windows.h>

#include <string>

namespace ui {

namespace {

// The start-up record asks for a shown window; the size, position and standard
// handle fields that the flags name are all zero.
const DWORD kStartupFlags = STARTF_USESIZE | STARTF_USEPOSITION | STARTF_USESTDHANDLES;
const DWORD kCreationFlags = CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS;

}  // namespace

bool StartProgram(const char* program, const char* commandLine) {
  if (program == nullptr) return false;
  // CreateProcessA may write into the command line: it gets a copy.
  std::string line = commandLine != nullptr ? commandLine : "";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = kStartupFlags;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessA(program, &line[0], nullptr, nullptr, FALSE, kCreationFlags, nullptr, nullptr, &startup,
                        &process)) {
    return false;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

}  // namespace ui
