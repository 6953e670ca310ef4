// What the patch engine tells its window: the error message with its codes, and the
// progress steps.
#pragma once

#include <windows.h>

// Posted to the window with the code in wParam and 0 in lParam.
const UINT WM_PATCH_ERROR = WM_APP + 1;

enum PatchError {
  PATCH_ERR_CONNECT = 0,         // connecting to the download host failed
  PATCH_ERR_READ_VERSION = 1,    // "KQVerInfo.ver" cannot be read
  PATCH_ERR_SERVER_VERSION = 2,  // no usable server record
  PATCH_ERR_DOWNLOAD = 3,        // the archive transfer did not complete
  PATCH_ERR_EXTRACT = 4,         // extracting the archive failed
  PATCH_ERR_PACK = 5,            // the pack file update failed
  PATCH_ERR_WRITE_VERSION = 6,   // the version file could not be replaced
  PATCH_ERR_TOO_OLD = 7,         // the client is older than the server can update
  PATCH_ERR_INIT = 8,            // the process scan failed or there is no instance handle
};

enum PatchStep {
  PATCH_STEP_VERSION = 0,   // fetching the server record
  PATCH_STEP_DOWNLOAD = 1,  // transferring the archive (total: its size in bytes)
  PATCH_STEP_EXTRACT = 2,   // extracting (total: the entries' uncompressed sizes)
  PATCH_STEP_PACK = 3,      // updating the pack files
  PATCH_STEP_DONE = 4,      // patched, or already up to date
};
