#pragma once
// Templates and controls of the viewer's dialogs (dialogs.rc).

// LoginDialog (skin "\Login.skn").
#define IDD_LOGIN 129
#define IDC_EDIT_ID 1027
#define IDC_EDIT_PASSWD 1028
#define IDC_BUTTON_X 1039
#define IDC_CHECK_SAVEIDPW 1095
// Labels for the template layout; the skin draws its own.
#define IDC_LABEL_ID 1100
#define IDC_LABEL_PASSWD 1101

// ServerInfoDialog: a template with a name.
#define IDD_SERVER_INFO_NAME L"Server Info"
#define IDC_SERVER_NAME 1010
#define IDC_SERVER_TYPE 1011
#define IDC_SERVER_PORT 1012
#define IDC_SERVER_IP 1013
#define IDC_SERVER_MAC 1014
#define IDC_DYNAMIC_IP 1016
#define IDC_USE_DDNS 1040
#define IDC_LABEL_SERVER_NAME 1102
#define IDC_LABEL_SERVER_IP 1103
#define IDC_LABEL_SERVER_PORT 1104
#define IDC_LABEL_SERVER_TYPE 1105
#define IDC_LABEL_MAC 1106
#define IDC_LABEL_DYNAMIC_IP 1107

// The option sheet "Option".
#define IDD_VIEWER_OPTION 199
#define IDC_SHOW_BACKGROUND 1085
#define IDC_KEEP_RECONNECTING 1086
#define IDC_DRAW_THROUGH_GDI 1087
#define IDD_PAGE_NETWORK 250
#define IDC_PROXY_ID_LABEL 222
#define IDC_PROXY_MESSAGE 267
#define IDC_PROXY_VERSION 270
#define IDC_PROXY_VERSION_LABEL 271
#define IDC_PROXY_IP_LABEL 272
#define IDC_PROXY_GROUP 274
#define IDC_PROXY_IP 276
#define IDC_PROXY_PORT_LABEL 277
#define IDC_PROXY_ID 279
#define IDC_PROXY_PORT 280
#define IDC_PROXY_PASSWD 281
#define IDC_USE_PROXY 282
#define IDC_PROXY_PASSWD_LABEL 1094
