#include "skin/SkinBrowserPath.h"

#include <windows.h>

#include <shellapi.h>

namespace {

enum eProbe { PROBE_NONE, PROBE_CREATED, PROBE_FOUND };

// Creates the empty probe file; a file of that name that is there already is used
// as it is and left alone, so nothing of the user's is overwritten or deleted.
eProbe MakeProbe(const char* name) {
  HANDLE file = ::CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE && file != nullptr) {
    ::CloseHandle(file);
    return PROBE_CREATED;
  }
  DWORD attributes = ::GetFileAttributesA(name);
  bool isFile = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  return isFile ? PROBE_FOUND : PROBE_NONE;
}

}  // namespace

std::string FindHtmlBrowser(const char* probeName) {
  eProbe probe = probeName != nullptr ? MakeProbe(probeName) : PROBE_NONE;
  if (probe == PROBE_NONE) return std::string();
  char program[MAX_PATH + 1] = {};
  HINSTANCE found = ::FindExecutableA(probeName, nullptr, program);
  if (probe == PROBE_CREATED) ::DeleteFileA(probeName);
  // FindExecutable reports success with a value above 32.
  if (reinterpret_cast<INT_PTR>(found) <= 32) return std::string();
  return std::string(program);
}
