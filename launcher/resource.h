// Resource ids of KQAutoPatch.
#pragma once

#include "skin/SkinDialogTemplate.h"

#define IDR_MAINFRAME 108
