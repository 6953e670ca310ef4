// HTTP transfers from the download server over WinINet: one connection to one host
// and port, GET requests fetched into a global memory block or into a local file,
// with a progress callback, cancellation through the caller's status word and
// recognition of the server's error pages. Also owns the patch log.
//
// Used by the patch worker only, from its own thread; not thread-safe.
#pragma once

#include "net/ClassDesc.h"
#include "net/HttpFields.h"
#include "net/InternetHandle.h"

// The patch log in the current directory (the game folder).
extern const char PATCH_LOG_NAME[];
// File transfers go through one buffer of this size; no read asks for more.
const unsigned LOADER_TRANSFER_BUFFER_SIZE = 1048576;
// DownloadToMemory refuses announced lengths above this (the 21-byte version record
// and the server's error pages are far smaller), so a broken server cannot make it
// allocate an absurd block.
const unsigned LOADER_MEMORY_LIMIT = 16384;

// A file transfer that may continue what an earlier answer left in the local file.
// With offset and a usable validator, the request asks for the rest ("Range") on
// the condition that the file is still the one that the validator names
// ("If-Range"); the server then answers 206 with the rest, or 200 with the whole
// (new) file, which starts the local file over.
struct FileTransfer {
  // In: bytes at the start of the local file that an earlier answer delivered (0:
  // start anew). In and out: the validator of the answer those bytes came from (its
  // ETag, else its Last-Modified; "" when it had none).
  unsigned offset = 0;
  char validator[HTTP_VALIDATOR_SIZE] = {};
  // In: when set, the file that keeps the validator of the answer the local file's
  // bytes come from, so that a later run can continue them: removed before the local
  // file is created anew, written right after (not when the answer had none).
  const char* validatorName = nullptr;
  // Out.
  int httpStatus = 0;      // the answer's status; 0 when no answer arrived
  unsigned total = 0;      // the whole file's length; 0 when never known
  unsigned held = 0;       // bytes at the start of the local file that belong to it now
  bool retryable = false;  // the failure lies with the network or the server's answer
                           // (not the local file, not a cancel): worth another attempt
};

class Loader : public ClassDesc {
public:
  Loader();
  ~Loader() override;
  Loader(const Loader&) = delete;
  Loader& operator=(const Loader&) = delete;

  // Opens the session and the connection to host at port (80 when port is 0).
  // Returns 0, or the error code after closing everything again.
  int Connect(const char* host, int port) override;
  void Disconnect() override;
  // GET of path into a new zero-terminated GMEM_FIXED block that the caller frees
  // with GlobalFree, also after a failure once *block was stored. block and size are
  // stored only after a usable length was announced.
  int DownloadToMemory(const char* path, LoaderCallback callback, int* status, const char* userData,
                       char** block, unsigned* size) override;
  // GET of path into the local file localName (created anew). *size holds the
  // announced length on return, 0 when it was never known.
  int DownloadToFile(const char* path, LoaderCallback callback, int* status, const char* localName,
                     unsigned* size) override;
  // As DownloadToFile, continuing the local file as transfer says; the callback gets
  // the whole file's length, the bytes held so far and name. A first request (offset
  // 0) behaves exactly as DownloadToFile, web-page check included. An answer to a
  // continuing request that is neither 206 with the range asked for nor 200 leaves
  // the local file untouched and returns LOADER_ERR_HTTP_STATUS or
  // LOADER_ERR_BAD_RANGE.
  int DownloadToFileFrom(const char* path, LoaderCallback callback, int* status, const char* localName,
                         const char* name, FileTransfer* transfer);
  // Deletes the patch log; returns non-zero when a log was deleted.
  int ClearLog() override;
  // Appends text and a line feed to the patch log; returns 0 when it cannot be written.
  int WriteLog(const char* text) override;

  const char* GetHost() const { return m_host; }
  int GetPort() const { return m_port; }

private:
  int OpenRequest(const char* path, InternetHandle& request);
  int Transfer(const char* path, LoaderCallback callback, int* status, const char* localName, const char* name,
               FileTransfer* transfer);
  int ReceiveIntoBlock(HINTERNET request, unsigned length, LoaderCallback callback, int* status,
                       const char* userData, char* block);
  int ReceiveFile(const char* path, LoaderCallback callback, int* status, const char* localName, const char* name,
                  char* buffer, FileTransfer* transfer);
  int ReceiveWhole(HINTERNET request, LoaderCallback callback, int* status, const char* localName, const char* name,
                   char* buffer, FileTransfer* transfer);
  int ReceiveRest(HINTERNET request, LoaderCallback callback, int* status, const char* localName, const char* name,
                  char* buffer, FileTransfer* transfer);
  int ReceiveIntoFile(HINTERNET request, HANDLE file, unsigned length, LoaderCallback callback, int* status,
                      const char* name, char* buffer, FileTransfer* transfer);
  void LogWebPage(HINTERNET request, int* status, const char* buffer);

  InternetHandle m_internet;
  InternetHandle m_connection;
  char m_host[1024];
  int m_port;
};
