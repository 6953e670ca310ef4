#include "patch/DownloadServer.h"

const DownloadServer DOWNLOAD_SERVER = {KQ_DOWNLOAD_HOST, KQ_DOWNLOAD_PORT};
