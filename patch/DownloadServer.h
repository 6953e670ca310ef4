// The download server, fixed at build time: KQ_DOWNLOAD_HOST and KQ_DOWNLOAD_PORT
// for the publisher's build, 127.0.0.1 and KQ_LOOPBACK_PORT for the loopback variant.
#pragma once

struct DownloadServer {
  const char* host;
  int port;
};

extern const DownloadServer DOWNLOAD_SERVER;
