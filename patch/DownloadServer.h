// The publisher's download server, fixed at build time (KQ_DOWNLOAD_HOST and
// KQ_DOWNLOAD_PORT).
#pragma once

struct DownloadServer {
  const char* host;
  int port;
};

extern const DownloadServer DOWNLOAD_SERVER;
