// A DownloadToMemory on a thread of its own, with a loader of its own, that the caller
// can stop waiting for. WinINet's blocking calls cannot be interrupted: closing a
// request's handle from another thread does not end an HttpSendRequestA that waits
// for a stalled server (under Wine it returns only when the server lets go). So a
// caller that is cancelled leaves the fetch to end by itself; the fetch owns
// everything it touches (its loader, its block) and frees it when it ends. Its thread
// starts no thread (see net/TransferThread.h).
#pragma once

#include "net/GlobalBlock.h"

#include <windows.h>

class DetachedFetch {
public:
  // GET of path from host at port into a new block (see Loader::DownloadToMemory),
  // waiting until it ends or the event cancel (may be null) is set. Returns the transfer's result
  // (or Connect's), or LOADER_CANCELLED at once when cancel was set first; block and
  // size are filled only when the fetch ended.
  static int DownloadToMemory(const char* host, int port, const char* path, HANDLE cancel, GlobalBlock& block,
                              unsigned* size);
};
