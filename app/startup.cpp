// The console's start-up, its hiding right after, the guard that keeps it hidden, and Exit.
#include "console_dlg.h"
#include "device/acpi_channel.h"

#include <shellapi.h>

UINT_PTR g_nHideTimerId = 0;

HANDLE g_hInstanceMutex = NULL;
static const char c_szInstanceMutex[] = "Radiodeck.Instance";

// A running instance is told to show or hide its console, as a double click on its tray
// icon does. FALSE when there is none to tell.
static BOOL ToggleRunningInstance() {
    HWND hRunning = ::FindWindowExA(NULL, NULL, "#32770", CONSOLE_TITLE);
    if (hRunning == NULL)
        return FALSE;
    ::PostMessageA(hRunning, WM_TRAY_NOTIFY, 0, WM_LBUTTONDBLCLK);
    return TRUE;
}

BOOL CConsoleDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (ToggleRunningInstance()) {
        CDialog::OnCancel();
        return FALSE;
    }
    // The window search misses an instance that is still starting (its title comes last):
    // the mutex lets only one of two starts at the same moment run.
    g_hInstanceMutex = ::CreateMutexA(NULL, FALSE, c_szInstanceMutex);
    if (g_hInstanceMutex != NULL && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ToggleRunningInstance();
        CDialog::OnCancel();
        return FALSE;
    }

    SendMessage(WM_SETICON, ICON_BIG, (LPARAM)m_hIcon);
    SendMessage(WM_SETICON, ICON_SMALL, (LPARAM)m_hIcon);

    // The resource library holds the console's pictures.
    HINSTANCE hRescue = ::LoadLibraryA("rescue.dll");
    if (hRescue != NULL)
        AfxGetModuleState()->m_hCurrentResourceHandle = hRescue;

    HINSTANCE hInst = AfxFindResourceHandle(MAKEINTRESOURCE(IDB_BACKGROUND), RT_BITMAP);
    m_bmpBackground.Attach(::LoadBitmapA(hInst, MAKEINTRESOURCE(IDB_BACKGROUND)));

    m_btnWlan.SetTransparent(0);
    m_btnBluetooth.SetTransparent(0);
    m_btnDisplay.SetTransparent(0);

    m_btnOk.LoadBitmaps(IDB_OK_NORMAL, IDB_OK_PRESSED, IDB_OK_HOVER, IDB_OK_NORMAL);
    m_btnCancel.LoadBitmaps(IDB_CANCEL_NORMAL, IDB_CANCEL_PRESSED, IDB_CANCEL_HOVER,
                            IDB_CANCEL_NORMAL);
    m_btnApply.LoadBitmaps(IDB_APPLY_NORMAL, IDB_APPLY_PRESSED, IDB_APPLY_HOVER,
                           IDB_APPLY_DISABLED);

    if (!OpenAcpiDevice()) {
        MessageBoxA("You have to install ZEB0100 driver", "ZEB0100 request", MB_ICONEXCLAMATION);
        CDialog::OnCancel();
        return FALSE;
    }

    ProbeCapabilities();
    // A setting that cannot be created has been reported; a console without its title and
    // tray icon would only be left behind on the screen.
    if (LoadSettings() != 1) {
        CDialog::OnCancel();
        return FALSE;
    }
    SyncRadioStatus();
    InitConsoleLayout();

    SetTrayIcon(NIM_ADD, m_nTrayIconId, "");
    UpdateTrayState();

    // The saved radio state is asserted on the hardware; Bluetooth always goes first.
    DWORD dwResult = 0;
    if (ReadSwitchState()) {
        if (m_bHasBluetooth == 1)
            EvalAcpiMethodInt(ACPI_METHOD_BLED, m_nBtSetting, &dwResult);
        if (m_bHasWlan == 1)
            NotifyHotkeyService(m_nWlanSetting);
    } else {
        if (m_bHasBluetooth == 1)
            EvalAcpiMethodInt(ACPI_METHOD_BLED, 0, &dwResult);
        if (m_bHasWlan == 1)
            NotifyHotkeyService(0);
    }

    // From now on a second start finds this window.
    SetWindowTextA(CONSOLE_TITLE);
    m_btnApply.EnableWindow(FALSE);
    g_nHideTimerId = ::SetTimer(m_hWnd, 1, 5, NULL);
    return TRUE;
}

void CConsoleDlg::OnTimer(UINT nIDEvent) {
    m_bConsoleVisible = 0;
    ShowWindow(SW_HIDE);
    ::KillTimer(m_hWnd, g_nHideTimerId);
    Default();
}

void CConsoleDlg::OnWindowPosChanging(WINDOWPOS* lpwndpos) {
    // Every show passes through here: while the flag is 0 nothing can show the console,
    // yet it can still be moved and sized.
    if (m_bConsoleVisible == 0)
        lpwndpos->flags &= ~SWP_SHOWWINDOW;
    Default();
}

void CConsoleDlg::OnExit() {
    SetTrayIcon(NIM_DELETE, m_nTrayIconId, "");
    CDialog::OnCancel();
}
