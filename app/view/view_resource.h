#pragma once
// The camera view's dialog template and its controls.
#define IDD_CAMERA_VIEW 132
#define IDC_VIEW_STATUS 1019
#define IDC_VIEW_CLOSE 32778
#define IDC_VIEW_AUDIO 1026
#define IDC_VIEW_SPEAKER 1027
#define IDC_VIEW_RECORD 1028
#define IDC_VIEW_RANDOM_ACCESS 1006

// The seek window of a stored file's view (skin "\SeekSlider.skn").
#define IDD_SEEK_WINDOW 140
#define IDC_SEEK_CLOSE 32778
#define IDC_SEEK_SLIDER 1041
#define IDC_SEEK_TIME 1042

// The motion settings beside a view.
#define IDD_MOTION_SETTINGS 141
#define IDC_MOTION_SENSITIVITY 1051
#define IDC_MOTION_SENSITIVITY_LABEL 1052
#define IDC_MOTION_LEVEL 1053
#define IDC_MOTION_HINT 1054
#define IDC_MOTION_CLEAR_MASK 1055
