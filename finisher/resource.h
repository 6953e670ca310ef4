// Resource identifiers of KQExecuter.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_KQEXECUTER_DIALOG 102
#define IDB_BLACK 132
