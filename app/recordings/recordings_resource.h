#pragma once
// The Recordings window's template and controls (recordings.rc). Dialog
// templates of every .rc linked into Halyard.exe share one number space
// (app/resource.h lists who holds what); the link fails on a number taken twice.
#define IDD_RECORDINGS 134

#define IDC_REC_CAMERAS 1400
#define IDC_REC_DAYS 1401
#define IDC_REC_TIMELINE 1402
#define IDC_REC_BACK60 1403
#define IDC_REC_BACK5 1404
#define IDC_REC_STEP_BACK 1405
#define IDC_REC_PLAY 1406
#define IDC_REC_STEP 1407
#define IDC_REC_FORWARD5 1408
#define IDC_REC_FORWARD60 1409
#define IDC_REC_SPEED 1410
#define IDC_REC_SNAPSHOT 1411
#define IDC_REC_POSITION 1412
#define IDC_REC_MARK_FROM 1413
#define IDC_REC_FROM 1414
#define IDC_REC_MARK_TO 1415
#define IDC_REC_TO 1416
#define IDC_REC_MATROSKA 1417
#define IDC_REC_EXPORT 1418
#define IDC_REC_PROGRESS 1419
#define IDC_REC_CANCEL 1420
#define IDC_REC_STATUS 1421
#define IDC_REC_PREVIOUS_MOTION 1422
#define IDC_REC_NEXT_MOTION 1423
#define IDC_REC_CAMERAS_LABEL 1424
#define IDC_REC_DAYS_LABEL 1425
