#pragma once
// Resources of Halyard.exe (halyard.rc).

#define IDD_ABOUTBOX 100
#define IDD_MAIN 102
#define IDD_FILE_LIST 131
#define IDR_TRAY_MENU 140

// Strings.
#define IDS_ABOUTBOX 101
#define IDS_SOCKETS_FAILED 103

// Icons: the application's, and one per role of the server tree's nodes.
#define IDI_APP 128
#define IDI_FOLDER_CLOSED 201
#define IDI_FOLDER_OPEN 202
#define IDI_HOST_OFFLINE 203
#define IDI_HOST_ONLINE 204
#define IDI_CAMERA_OFFLINE 205
#define IDI_CAMERA_ONLINE 206
#define IDI_CAMERA_ALARM 207
#define IDI_PLAN_RECORDING 208
#define IDI_PLAN_WAITING 209
#define IDI_PLAN_FAILED 210

// Main window controls (skin items of "\voRizivoMain.skn").
#define IDC_BUTTON_CONNECT 1002
#define IDC_BUTTON_CLOSE 1003
#define IDC_BUTTON_EXIT 1004
#define IDC_CHECK_SHOW_LIST 1009
#define IDC_BUTTON_MINIMIZE 1022
#define IDC_BUTTON_SORT 1024
#define IDC_TREE_SERVER 1031
#define IDC_BUTTON_HELP 1038
#define IDC_BUTTON_OPTION 1084

// About box.
#define IDC_ABOUT_VERSION 1200
#define IDC_ABOUT_ICON 1201

// File list window controls (skin items of "\FileWindow.skn").
#define IDC_FILE_LIST 1017
#define IDC_BUTTON_REFRESH 1018
#define IDC_BUTTON_VIEW 1019
#define IDC_TREE_FILE 1031

// Commands.
#define ID_ABOUT 16
#define ID_SHOW_WINDOW 32773
#define ID_EVENT_LOG 32
#define ID_RECORDINGS 48  // a system menu command: a multiple of 16
// Layouts in the system menu (multiples of 16): the commands, then one per
// stored layout from ID_LAYOUT_FIRST on, 16 apart.
#define ID_SAVE_LAYOUT 64
#define ID_RENAME_LAYOUT 80
#define ID_DELETE_LAYOUT 96
#define ID_LOCK_LAYOUT 112
#define ID_LAYOUT_FIRST 128
#define ID_LAYOUT_COUNT 20
// Walls in the system menu: a wall on monitor N at ID_WALL_FIRST + 16 * (N - 1).
#define ID_WALL_FIRST 448
#define ID_WALL_COUNT 4
#define ID_CLOSE_WALLS 512
#define ID_TOUR_LAYOUTS 528
#define ID_ARM_ALERTS 33100
// The Recordings window's template is 134 (app/recordings/recordings_resource.h).
// Dialog templates of every .rc linked into Halyard.exe share one number
// space (the view's are in app/view/view_resource.h, the dialogs' in
// dialogs/win32/dialog_ids.h); the link fails on a number taken twice.
#define IDD_EVENT_LOG 133
#define IDC_EVENT_LIST 1300
#define IDC_EVENT_CAMERA 1301
#define IDC_EVENT_COPY 1302
#define ID_CLOSE_VIEW 32778
