// Resource and control ids of the installer.
#pragma once

#define IDD_INSTALL 102
#define IDI_ZELMOT 128
#define IDB_NEXT_DRIVE 130
#define IDB_PREV_DRIVE 131
#define IDD_ALREADY_INSTALLED 136
#define IDD_HELP 139
#define IDD_PROGRESS 142

#define IDC_PREV_DRIVE 1001
#define IDC_NEXT_DRIVE 1002
#define IDC_PROGRESS_AREA 1003
#define IDC_INSTALL_DIR 1008
#define IDC_ALREADY_TEXT 1016
#define IDC_HELP_TEXT 1026
#define IDC_PROGRESS_TEXT 1035
#define IDC_PROGRESS_BAR 1037
#define IDC_AUTODETECT 2001

// Results of the earlier-installation dialog.
#define IDC_RUN 1
#define IDC_QUIT 2
#define IDC_REINSTALL 4
#define IDC_UNINSTALL 5
