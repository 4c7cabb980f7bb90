// Ids of the test resources, shared by the script and the tests.
#pragma once

#define IDD_MAIN 102
#define IDR_MENU 130
#define IDI_MAIN 128
#define IDI_ALPHA 131
#define IDI_NIBBLE 132
#define IDB_PATTERN 129
#define IDB_TRUECOLOR 135
#define IDB_MONO 136
#define IDS_WLAN 3
#define IDS_BLUETOOTH 4
#define IDS_DISPLAY 5
#define IDS_EMPTY 6
#define IDS_EURO 7
#define IDS_FAR 40
#define IDC_WLAN 1004
#define IDM_EXIT 32771
#define IDM_SHOW 32776

// Styles spelled out: the script is compiled without the Windows headers.
#define TEST_DIALOG_STYLE 0x80C80080L
#define TEST_CHECKBOX_STYLE 0x5001000BL
