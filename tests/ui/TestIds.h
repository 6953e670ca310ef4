// Resource and control ids shared by the test templates and the tests.
#pragma once

#define IDD_UI_TEST 200
#define IDC_START 1000
#define IDC_PUSH 1001
#define IDC_FULL 1010
#define IDC_STATUS 1007
