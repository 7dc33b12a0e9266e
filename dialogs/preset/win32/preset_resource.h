#pragma once
// Templates, controls and button bitmaps of the preset and pan/tilt dialogs.
#define IDD_PRESET 200           // "Preset Dialog": the remote-control panel
#define IDD_PRESET_NUMBER 202    // preset or group number
#define IDD_PRESET_SETUP 206     // "Preset Setup": the camera's preset table
#define IDD_PRESET_POSITION 207  // "Preset Position Info"

#ifndef IDC_STATIC
#define IDC_STATIC -1
#endif

// Preset dialog.
#define IDC_FOCUS_NEAR 1086
#define IDC_PTZ_UP 1087
#define IDC_PTZ_LEFT 1088
#define IDC_PTZ_RIGHT 1089
#define IDC_PTZ_DOWN 1090
#define IDC_ZOOM_IN 1091
#define IDC_ZOOM_OUT 1092
#define IDC_FOCUS_FAR 1093
#define IDC_PRESET_GROUP_BOX 1102
#define IDC_GROUP_GROUP_BOX 1103
#define IDC_PRESET_SETUP 32800
#define IDC_GROUP_SETUP 32803
#define IDC_GROUP_RUN 32804
#define IDC_GROUP_STOP 32805
#define IDC_PRESET_GOTO 33000

// Number dialog.
#define IDC_PRESET_NUMBER 1101

// Preset setup dialog (Apply is 3, Cancel is IDCANCEL).
#define IDC_PRESET_APPLY 3
#define IDC_PRESET_UP 1087
#define IDC_PRESET_DOWN 1090
#define IDC_PRESET_LIST 1109
#define IDC_PRESET_ADD 1110
#define IDC_PRESET_REMOVE 1111
#define IDC_PRESET_REMOVE_ALL 1112
#define IDC_PRESET_ENABLE 1113
#define IDC_PRESET_MODIFY 1114

// Position dialog.
#define IDC_POSITION_SN 1112
#define IDC_POSITION_STAY 1116
#define IDC_POSITION_LOCATION 1117
#define IDC_POSITION_ENABLE 1118

// Faces of the six bitmap buttons: base + slot (normal, over, pressed, disabled).
#define IDB_PTZ_UP 300
#define IDB_PTZ_LEFT 310
#define IDB_PTZ_RIGHT 320
#define IDB_PTZ_DOWN 330
#define IDB_ZOOM_IN 340
#define IDB_ZOOM_OUT 350
