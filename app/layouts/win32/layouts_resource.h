#pragma once
// The layout name dialog's template and controls (layouts.rc).
#define IDD_LAYOUT_NAME 144
#define IDC_LAYOUT_NAME 1290
#define IDC_LAYOUT_ERROR 1291
