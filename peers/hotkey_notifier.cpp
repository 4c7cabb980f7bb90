// The console's side of the hotkey service, which switches the Wireless LAN radio: find the
// KEYWATCH window, waiting for it a while, and post it the wanted state.
#include "app/console_dlg.h"

HWND g_hHotkeyServiceWnd = NULL;

static const char c_szHotkeyServiceClass[] = "KEYWATCH";
static const char c_szHotkeyServiceTitle[] = "KEYWATCH";
// The service window's control that the message names.
static const int c_nHotkeyServiceControl = 117;
static const DWORD c_dwSearchPause = 1000;
static const int c_nMaxSearchPauses = 16;

static HWND FindHotkeyService() {
    return ::FindWindowA(c_szHotkeyServiceClass, c_szHotkeyServiceTitle);
}

int CConsoleDlg::NotifyHotkeyService(int state) {
    // A window that has gone since it was found would swallow every state: look again.
    if (g_hHotkeyServiceWnd != NULL && !::IsWindow(g_hHotkeyServiceWnd))
        g_hHotkeyServiceWnd = NULL;
    if (g_hHotkeyServiceWnd == NULL) {
        // The service may still be starting (as at log-on): give it a while.
        g_hHotkeyServiceWnd = FindHotkeyService();
        for (int nPauses = 0; g_hHotkeyServiceWnd == NULL && nPauses < c_nMaxSearchPauses;
             nPauses++) {
            Sleep(c_dwSearchPause);
            g_hHotkeyServiceWnd = FindHotkeyService();
        }
        g_hHotkeyServiceWnd = FindHotkeyService();
        if (g_hHotkeyServiceWnd == NULL) {
            MessageBoxA("Can't find KEYWATCH", "Radiodeck", MB_ICONEXCLAMATION);
            return 1;
        }
    }
    // Shaped as a notification from the service's control 117 whose code is the state.
    HWND hItem = ::GetDlgItem(g_hHotkeyServiceWnd, c_nHotkeyServiceControl);
    ::PostMessageA(g_hHotkeyServiceWnd, WM_COMMAND, MAKEWPARAM(c_nHotkeyServiceControl, state),
                   (LPARAM)hItem);
    return 1;
}
