// Resource ids shared by the resource scripts and the program.
#pragma once

// Console dialog and its controls.
#define IDD_CONSOLE 102
#define IDC_FOCUS_SINK 10001 // zero-sized, first in tab order: takes the focus on open
#define IDC_WLAN 1004
#define IDC_BLUETOOTH 1001
#define IDC_DISPLAY 1002
#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif
#define IDC_APPLY 1007

// Tray menu and its commands.
#define IDR_TRAY_MENU 130
#define ID_TRAY_EXIT 32771
#define ID_TRAY_WLAN_ON 32772
#define ID_TRAY_WLAN_OFF 32773
#define ID_TRAY_BT_ON 32774
#define ID_TRAY_BT_OFF 32775
#define ID_TRAY_TOGGLE_CONSOLE 32776
#define ID_TRAY_ABOUT_VERSION 32778

// Icons: the application, the check boxes (16 x 16) and the tray states (32 x 32).
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

// Bitmaps of the resource library: the console background and the button faces.
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

// Strings of a language library.
#define IDS_WLAN_LABEL 3
#define IDS_BLUETOOTH_LABEL 4
#define IDS_DISPLAY_LABEL 5
#define IDS_SELECT_RADIO 6
