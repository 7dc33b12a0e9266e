#pragma once
// Dialog templates of the skin tests: the four skinned windows with their
// control IDs, and a small window for hand-made skins.
#define IDD_TEST_MAIN 102
#define IDD_TEST_LOGIN 129
#define IDD_TEST_FILES 131
#define IDD_TEST_SEEK 140
#define IDD_TEST_STATES 150

// Controls of the states window.
#define IDC_STATE_BUTTON 10
#define IDC_STATE_CHECK 11
#define IDC_STATE_SLIDER 12
#define IDC_STATE_EDIT 13

// Bitmap resources for the resource form of the skinned button.
#define IDB_FACE_NORMAL 201
#define IDB_FACE_OVER 202
#define IDB_FACE_PRESSED 203
#define IDB_FACE_DISABLED 204
#define IDB_FACE_MASK 205
