// Resource ids shared by the program's code and its resource scripts.
#pragma once

// Dialog and menu.
#define IDD_CONSOLE 102
#define IDR_TRAY_MENU 130

// Icons of the program's own file.
#define IDI_APP 128
#define IDI_CHECK_ON 131
#define IDI_CHECK_OFF 132
#define IDI_SMALL_CHECK_ON 133
#define IDI_SMALL_CHECK_OFF 134
#define IDI_TRAY_BOTH_ON 148
#define IDI_TRAY_BOTH_OFF 149
#define IDI_TRAY_BT_ON 150
#define IDI_TRAY_BT_OFF 152
#define IDI_TRAY_WLAN_ON 153
#define IDI_TRAY_WLAN_OFF 154

// Bitmaps of the resource library.
#define IDB_BACKGROUND 129
#define IDB_OK_NORMAL 135
#define IDB_OK_PRESSED 136
#define IDB_OK_HOVER 137
#define IDB_CANCEL_NORMAL 138
#define IDB_CANCEL_PRESSED 139
#define IDB_CANCEL_HOVER 140
#define IDB_APPLY_NORMAL 141
#define IDB_APPLY_PRESSED 142
#define IDB_APPLY_HOVER 143
#define IDB_APPLY_DISABLED 144

// Controls of the console.
#define IDC_FOCUS_SINK 10001
#define IDC_WLAN 1004
#define IDC_BLUETOOTH 1001
#define IDC_DISPLAY 1002
#define IDC_APPLY 1007
// IDOK (1) and IDCANCEL (2) are the OK and Cancel buttons.

// Tray menu commands.
#define ID_TRAY_EXIT 32771
#define ID_TRAY_WLAN_ON 32772
#define ID_TRAY_WLAN_OFF 32773
#define ID_TRAY_BT_ON 32774
#define ID_TRAY_BT_OFF 32775
#define ID_TRAY_TOGGLE_CONSOLE 32776
#define ID_TRAY_VERSION 32778

// Strings of a language library.
#define IDS_LABEL_WLAN 3
#define IDS_LABEL_BLUETOOTH 4
#define IDS_LABEL_DISPLAY 5
#define IDS_SELECT_RADIO 6
