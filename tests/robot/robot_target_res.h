// Resource ids of robot_target.
#pragma once

#define IDD_MAIN 100
#define IDD_WELCOME 101

#define IDC_NAME 1000
#define IDC_SHOW 1001
#define IDC_DISABLED 1002
#define IDC_CRASH 1003
#define IDC_FOLDER 1004
#define IDC_CHILD 1005
#define IDC_WARN 1006
#define IDC_PROGRESS 1007
#define IDC_COLOUR 1008
#define IDC_CHOSEN 1009
#define IDC_NO_CHOICE 1010
