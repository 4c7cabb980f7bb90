// The tray icon: its picture, tooltip and menu follow the radio state; a double click shows
// or hides the console and a right click opens the menu.
#include "app/console_dlg.h"
#include "device/acpi_channel.h"

#include <shellapi.h>

HMENU g_hTrayMenu = NULL;

// The first form of the shell's icon record, as the shell of the program's time knows it.
static const DWORD c_cbNotifyIconFirstForm = 88;

// What each picture shows: its tooltip and the check marks of the radio entries.
struct TrayPicture {
    int nIconId;
    LPCSTR pszTip;
    UINT nBtOn, nBtOff, nWlanOn, nWlanOff;
};

static const TrayPicture c_pictures[] = {
    {IDI_TRAY_BOTH_ON, "Wireless Switch - ON \n   Wireless LAN \n   Bluetooth", MF_CHECKED,
     MF_UNCHECKED, MF_CHECKED, MF_UNCHECKED},
    {IDI_TRAY_BOTH_OFF, "Wireless Switch - OFF \n   Wireless LAN \n   Bluetooth", MF_CHECKED,
     MF_UNCHECKED, MF_CHECKED, MF_UNCHECKED},
    {IDI_TRAY_BT_ON, "Wireless Switch - ON \n   Bluetooth", MF_CHECKED, MF_UNCHECKED, MF_UNCHECKED,
     MF_CHECKED},
    {IDI_TRAY_BT_OFF, "Wireless Switch - OFF \n   Bluetooth", MF_CHECKED, MF_UNCHECKED,
     MF_UNCHECKED, MF_CHECKED},
    {IDI_TRAY_WLAN_ON, "Wireless Switch - ON \n   Wireless LAN ", MF_UNCHECKED, MF_CHECKED,
     MF_CHECKED, MF_UNCHECKED},
    {IDI_TRAY_WLAN_OFF, "Wireless Switch - OFF \n   Wireless LAN ", MF_UNCHECKED, MF_CHECKED,
     MF_CHECKED, MF_UNCHECKED},
};

BOOL CConsoleDlg::SetTrayIcon(int nOperation, UINT nIconId, LPCSTR pszTip) {
    NOTIFYICONDATAA nid;
    memset(&nid, 0, sizeof(nid));
    nid.cbSize = c_cbNotifyIconFirstForm;
    nid.hWnd = m_hWnd;
    nid.uID = IDI_APP;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WM_TRAY_NOTIFY;
    // The tray pictures are the program's own, whatever the resource library holds.
    nid.hIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCE(nIconId));
    lstrcpynA(nid.szTip, pszTip, sizeof(nid.szTip));
    return Shell_NotifyIconA(nOperation, &nid);
}

BOOL CConsoleDlg::UpdateTrayState() {
    BOOL bOn = ReadSwitchState();

    UINT nEnable = bOn ? MF_ENABLED : (MF_GRAYED | MF_DISABLED);
    if (m_bHasWlan == 1) {
        EnableMenuItem(g_hTrayMenu, ID_TRAY_WLAN_ON, MF_BYCOMMAND | nEnable);
        EnableMenuItem(g_hTrayMenu, ID_TRAY_WLAN_OFF, MF_BYCOMMAND | nEnable);
    }
    if (m_bHasBluetooth == 1) {
        EnableMenuItem(g_hTrayMenu, ID_TRAY_BT_ON, MF_BYCOMMAND | nEnable);
        EnableMenuItem(g_hTrayMenu, ID_TRAY_BT_OFF, MF_BYCOMMAND | nEnable);
    }

    int nPicture;
    if (m_nBtSetting == 1 && m_nWlanSetting == 1)
        nPicture = bOn ? IDI_TRAY_BOTH_ON : IDI_TRAY_BOTH_OFF;
    else if (m_nBtSetting == 1 && m_nWlanSetting == 0)
        nPicture = bOn ? IDI_TRAY_BT_ON : IDI_TRAY_BT_OFF;
    else if (m_nBtSetting == 0 && m_nWlanSetting == 1)
        nPicture = bOn ? IDI_TRAY_WLAN_ON : IDI_TRAY_WLAN_OFF;
    else if (m_bHasBluetooth == 1 && m_bHasWlan == 1)
        nPicture = IDI_TRAY_BOTH_OFF; // nothing selected reads as switched off
    else if (m_bHasBluetooth == 1)
        nPicture = IDI_TRAY_BT_OFF;
    else if (m_bHasWlan == 1)
        nPicture = IDI_TRAY_WLAN_OFF;
    else
        nPicture = 0;

    if (nPicture == 0) {
        // No radio at all: the both-off picture, a plain tooltip, and the menu as it is.
        m_nTrayIconId = IDI_TRAY_BOTH_OFF;
        return SetTrayIcon(NIM_MODIFY, m_nTrayIconId, "Wireless Switch");
    }
    m_nTrayIconId = nPicture;
    for (const TrayPicture& p : c_pictures) {
        if (p.nIconId != nPicture)
            continue;
        CheckMenuItem(g_hTrayMenu, ID_TRAY_BT_ON, MF_BYCOMMAND | p.nBtOn);
        CheckMenuItem(g_hTrayMenu, ID_TRAY_BT_OFF, MF_BYCOMMAND | p.nBtOff);
        CheckMenuItem(g_hTrayMenu, ID_TRAY_WLAN_ON, MF_BYCOMMAND | p.nWlanOn);
        CheckMenuItem(g_hTrayMenu, ID_TRAY_WLAN_OFF, MF_BYCOMMAND | p.nWlanOff);
        return SetTrayIcon(NIM_MODIFY, m_nTrayIconId, p.pszTip);
    }
    return FALSE;
}

LRESULT CConsoleDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam) {
    if (lParam == WM_LBUTTONDBLCLK) {
        if (m_bConsoleVisible != 0) {
            m_bConsoleVisible = 0;
            UpdateShowHideText();
            ShowWindow(SW_HIDE);
        } else {
            // The flag first: the position guard would otherwise keep the console hidden.
            m_bConsoleVisible = 1;
            UpdateShowHideText();
            ShowWindow(SW_SHOWNORMAL);
            SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
            ::SetForegroundWindow(m_hWnd);
            SetFocus();
            SetWindowPos(&CWnd::wndNoTopMost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
        }
    } else if (lParam == WM_RBUTTONUP) {
        POINT pt;
        ::GetCursorPos(&pt);
        // The menu closes when the user clicks elsewhere only if its owner is in front.
        ::SetForegroundWindow(m_hWnd);
        ::TrackPopupMenu(g_hTrayMenu, TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, NULL);
    } else {
        // Other mouse messages over the icon end as DM_GETDEFID, which the dialog answers.
        PostMessage(WM_USER, 0, 0);
    }
    return 1;
}

void CConsoleDlg::UpdateShowHideText() {
    ModifyMenuA(g_hTrayMenu, ID_TRAY_TOGGLE_CONSOLE, MF_BYCOMMAND | MF_STRING,
                ID_TRAY_TOGGLE_CONSOLE, m_bConsoleVisible != 0 ? "Hide Console" : "Show Console");
}

void CConsoleDlg::OnToggleConsole() {
    OnTrayNotify(0, WM_LBUTTONDBLCLK);
}
