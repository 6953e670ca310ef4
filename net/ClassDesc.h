// The loader's abstract interface: HTTP transfers on one connection and the patch log.
#pragma once

#include <windows.h>

// Progress callback of a transfer: announced length, bytes received so far and the
// caller's name argument. Its result becomes the transfer's status word.
typedef int(WINAPI* LoaderCallback)(unsigned total, unsigned done, const char* name);

// Status word of a transfer, owned by the caller.
enum LoaderStatus {
  LOADER_STATUS_RUNNING = 0,   // running, or ended without completion
  LOADER_STATUS_COMPLETE = 1,  // the callback saw the last byte
  LOADER_STATUS_ABORT = 2,     // the callback asks to stop at once
  LOADER_STATUS_WEB_PAGE = 3,  // DownloadToFile: the complete answer was a web page
};

// Results of the transfers and of Connect: 0, a Windows error code, or one of these.
// The codes of our own carry bit 29, which Windows reserves for application codes,
// so they never collide with a system or WinINet code. They stand for failures that
// leave no Windows error code behind, so a failed transfer is never reported as 0.
enum LoaderResult {
  LOADER_OK = 0,
  LOADER_CANCELLED = 12036,   // the transfer stopped because the status word was non-zero
  LOADER_ERROR_PAGE = 12005,  // DownloadToMemory: the body is one of the known error pages
  LOADER_ERR_NO_LENGTH = 0x20000001,   // no length announced and no error code left
  LOADER_ERR_INCOMPLETE = 0x20000002,  // the connection closed before the announced length
  LOADER_ERR_TOO_LARGE = 0x20000003,   // the announced length is beyond what the transfer accepts
  LOADER_ERR_UNSPECIFIED = 0x20000004, // a failing call left no error code
  LOADER_ERR_HTTP_STATUS = 0x20000005, // a continuing request was answered with neither 206 nor 200
  LOADER_ERR_BAD_RANGE = 0x20000006,   // a 206 answer that does not continue the file as asked
};

class ClassDesc {
public:
  virtual int Connect(const char* host, int port) = 0;
  virtual void Disconnect() = 0;
  virtual int DownloadToMemory(const char* path, LoaderCallback callback, int* status,
                               const char* userData, char** block, unsigned* size) = 0;
  virtual int DownloadToFile(const char* path, LoaderCallback callback, int* status,
                             const char* localName, unsigned* size) = 0;
  virtual int ClearLog() = 0;
  virtual int WriteLog(const char* text) = 0;
  virtual ~ClassDesc() = default;
};
