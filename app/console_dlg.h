// CConsoleDlg: the console dialog, the one object that holds the program's state. Its
// operations are defined in the folder of their subsystem: the radio logic in core/, the
// settings in settings/, the tray and layout in ui/, the notifiers in peers/.
#pragma once

#include <afxwin.h>

#include "controls/icon_check_button.h"
#include "controls/state_bitmap_button.h"
#include "res/resource.h"

// HWRS, the hardware radio status word.
#define HWRS_SWITCH_ON 0x01
#define HWRS_SWITCH_PRESENT 0x02
#define HWRS_WLAN_PRESENT 0x80
#define HWRS_BT_PRESENT 0x100

// RSTS, the radio status word.
#define RSTS_WLAN_ON 0x01
#define RSTS_BT_ON 0x02

// The tray icon's callback message; a second start posts it to the running console too.
#define WM_TRAY_NOTIFY (WM_USER + 2)

// The console's window title, by which a second start finds the running instance.
#define CONSOLE_TITLE "Radiodeck"

// OsdCode: the command ids the on-screen display understands, each naming what it announces.
enum OsdCode {
    OSD_WLAN_ON = 94,
    OSD_WLAN_OFF = 95,
    OSD_BT_ON = 125,
    OSD_BT_OFF = 126,
    OSD_BOTH_ON = 135,
    OSD_BOTH_OFF = 136,
};

// The peers' windows, found once and kept for the run (peers/).
extern HWND g_hOsdWnd;
extern HWND g_hHotkeyServiceWnd;
// The language library chosen by LANG.INI, or null (ui/).
extern HINSTANCE g_hLangLib;
// The tray's popup menu, loaded once and kept for the run (ui/).
extern HMENU g_hTrayMenu;
// The timer that hides the console right after start-up (app/).
extern UINT_PTR g_nHideTimerId;
// Held for the life of the process so that only one instance runs at a time (app/).
extern HANDLE g_hInstanceMutex;

class CConsoleDlg : public CDialog {
public:
    explicit CConsoleDlg(CWnd* pParent = NULL);

    // Radio state (core/).
    void ProbeCapabilities();
    int SyncRadioStatus();
    BOOL ReadSwitchState();

    // Radio commands (core/).
    int ApplySelection();
    void RestoreSelection();
    void UpdateApplyButton();
    int AllOffOsdCode() const;

    // Settings (settings/).
    int LoadSettings();
    int SaveSettings(int wlan, int bt, int display, int toggle);

    // The console's layout and the tray (ui/).
    void InitConsoleLayout();
    void LoadLanguageLibrary();
    BOOL SetTrayIcon(int nOperation, UINT nIconId, LPCSTR pszTip);
    BOOL UpdateTrayState();
    void UpdateShowHideText();
    afx_msg LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    afx_msg void OnToggleConsole();

    // Peer notifications (peers/).
    int RequestOsd(int code);
    int NotifyHotkeyService(int state);

    HICON m_hIcon;
    CBitmap m_bmpBackground;
    CIconCheckButton m_btnWlan;
    CIconCheckButton m_btnBluetooth;
    CIconCheckButton m_btnDisplay;
    CStateBitmapButton m_btnOk;
    CStateBitmapButton m_btnApply;
    CStateBitmapButton m_btnCancel;
    int m_nTrayIconId;
    int m_bConsoleVisible;
    // RadioState: each 0 or 1.
    int m_nWlanSetting;
    int m_nBtSetting;
    int m_nOsdOnSwitch;
    int m_nToggleState;
    int m_bHasBluetooth;
    int m_bHasWlan;
    int m_bHasHwSwitch;
    int m_bApplied;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    // Radio commands and switch events (core/).
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnSwitchEvent(int nCode);
    void SwitchOn();
    void SwitchOff();
    void ShowConsoleFromEvent();
    afx_msg void OnOkButton();
    afx_msg void OnCancelButton();
    afx_msg void OnApplyButton();
    afx_msg void OnWlanBox();
    afx_msg void OnBluetoothBox();
    afx_msg void OnDisplayBox();
    afx_msg void OnTrayWlanOn();
    afx_msg void OnTrayWlanOff();
    afx_msg void OnTrayBtOn();
    afx_msg void OnTrayBtOff();
    afx_msg LRESULT OnPowerBroadcast(WPARAM wParam, LPARAM lParam);

    // Start-up and lifetime (app/).
    afx_msg void OnTimer(UINT nIDEvent);
    afx_msg void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    afx_msg void OnExit();

    DECLARE_MESSAGE_MAP()
};
