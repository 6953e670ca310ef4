// HTTP transfers from the download server over WinINet: one connection to one host
// and port, GET requests fetched into a global memory block or into a local file,
// with a progress callback, cancellation through the caller's status word and
// recognition of the server's error pages. Also owns the patch log.
//
// Used by the patch worker only, from its own thread; not thread-safe.
#pragma once

#include "net/ClassDesc.h"
#include "net/InternetHandle.h"

// The patch log in the current directory (the game folder).
extern const char PATCH_LOG_NAME[];
// File transfers go through one buffer of this size; no read asks for more.
const unsigned LOADER_TRANSFER_BUFFER_SIZE = 1048576;
// DownloadToMemory refuses announced lengths above this (the 21-byte version record
// and the server's error pages are far smaller), so a broken server cannot make it
// allocate an absurd block.
const unsigned LOADER_MEMORY_LIMIT = 16384;

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
  // Deletes the patch log; returns non-zero when a log was deleted.
  int ClearLog() override;
  // Appends text and a line feed to the patch log; returns 0 when it cannot be written.
  int WriteLog(const char* text) override;

  const char* GetHost() const { return m_host; }
  int GetPort() const { return m_port; }

private:
  int OpenRequest(const char* path, InternetHandle& request);
  int ReceiveIntoBlock(HINTERNET request, unsigned length, LoaderCallback callback, int* status,
                       const char* userData, char* block);
  int ReceiveFile(const char* path, LoaderCallback callback, int* status, const char* localName,
                  char* buffer, unsigned* length);
  int ReceiveIntoFile(HINTERNET request, HANDLE file, unsigned length, LoaderCallback callback, int* status,
                      const char* localName, char* buffer);
  void LogWebPage(HINTERNET request, int* status, const char* buffer);

  InternetHandle m_internet;
  InternetHandle m_connection;
  char m_host[1024];
  int m_port;
};
