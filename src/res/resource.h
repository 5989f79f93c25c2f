// Resource identifiers of the setup assistant.
#pragma once

#define IDC_STATIC -1

#define IDR_MAINFRAME 128

#define IDD_ABOUTBOX 100
#define IDD_SETUP_DIALOG 102
#define IDD_JOINWEB_DIALOG 140
#define IDD_INSTALL_DIALOG 142

#define IDC_BTN_MINIMIZE 1001
#define IDC_BTN_CLOSE 1002
#define IDC_EXPLORER 1002
#define IDC_PROGRESS 1001
#define IDC_PERCENT 1002

// Skin images, resource type "JPGS".
#define IDR_JPG_MIN_HOVER 131
#define IDR_JPG_CLOSE_PRESSED 132
#define IDR_JPG_CLOSE_NORMAL 133
#define IDR_JPG_CLOSE_HOVER 134
#define IDR_JPG_HEADER 135
#define IDR_JPG_MIN_PRESSED 136
#define IDR_JPG_MIN_NORMAL 137
#define IDR_JPG_FOOTER 139
#define IDR_JPG_PANEL_SIGNED 143
#define IDR_JPG_INSTALL_BG 144
#define IDR_JPG_PANEL_WAIT 145

// String table.
#define IDS_PRODUCT_NAME 1
#define IDS_FILE_NOT_FOUND 2
#define IDS_NETWORK_ERROR 3
#define IDS_DOWNLOAD_CANCELLED 4
#define IDS_DRIVER_LEFT 5
#define IDS_ALREADY_INSTALLED 6
#define IDS_NOTICE_CAPTION 7
#define IDS_UNSUPPORTED_OS 8
#define IDS_CHECK_CAPTION 9
#define IDS_NOT_ADMIN 10
#define IDS_ENTER_EMAIL 11
#define IDS_AUTH_FAILED 12
#define IDS_ENTER_PASSWORD 13
#define IDS_BAD_EMAIL 14
#define IDS_ABOUTBOX 101

// The About command in the system menu: a multiple of 16 below the system's
// own commands, whose low four bits Windows uses itself.
#define IDM_ABOUTBOX 0x0010
