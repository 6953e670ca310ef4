// The download server, fixed at build time: KQ_DOWNLOAD_HOST and KQ_DOWNLOAD_PORT
// for the publisher's build, 127.0.0.1 and KQ_LOOPBACK_PORT for the loopback variant.
#pragma once

struct DownloadServer {
  const char* host;
  int port;
};

extern const DownloadServer DOWNLOAD_SERVER;

// The publisher's release key, fixed at build time (KQ_RELEASE_PUBLIC_KEY, 128
// hexadecimal digits), or "" for a build that checks no signatures.
extern const char RELEASE_PUBLIC_KEY[];
