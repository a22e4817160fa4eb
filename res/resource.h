// Resource and control ids of the program, shared by the resource script,
// the dialog code and the automation that drives the dialog.
#pragma once

#define IDD_MAIN 102
#define IDR_MAINFRAME 128
#define IDB_PICTURE 138

#define IDC_PROGRESS 1000
#define IDC_MODEM_ONLY 1001
#define IDC_EXTRA 1002
#define IDC_LOG 1003
#define IDC_INFO 1009
#define IDC_INFO_PANEL 1011
#define IDC_LOG_PANEL 1012
