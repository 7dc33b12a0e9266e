#pragma once
// The recording plan dialog's template and controls (plans.rc).
#define IDD_RECORDING_PLAN 143
#define IDC_PLAN_MODE 1280
#define IDC_PLAN_BRUSH 1281
#define IDC_PLAN_WEEK 1282
#define IDC_PLAN_FILES 1283
