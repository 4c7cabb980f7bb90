// The console's one-time set-up, run by the start-up once the controls are bound and the
// radios are known.
#include "app/console_dlg.h"

// The tray menu is the first popup of menu 130, from the program's own file.
static void LoadTrayMenu() {
    HMENU hMenu = ::LoadMenuA(NULL, MAKEINTRESOURCE(IDR_TRAY_MENU));
    g_hTrayMenu = ::GetSubMenu(hMenu, 0);
}

// With a radio missing the tray offers no radio commands at all.
static void TrimTrayMenu(const CConsoleDlg& dlg) {
    if (dlg.m_bHasBluetooth != 0 && dlg.m_bHasWlan != 0)
        return;
    ::RemoveMenu(g_hTrayMenu, 4, MF_BYPOSITION);
    ::RemoveMenu(g_hTrayMenu, 1, MF_BYPOSITION);
    ::RemoveMenu(g_hTrayMenu, ID_TRAY_BT_ON, MF_BYCOMMAND);
    ::RemoveMenu(g_hTrayMenu, ID_TRAY_BT_OFF, MF_BYCOMMAND);
    ::RemoveMenu(g_hTrayMenu, ID_TRAY_WLAN_ON, MF_BYCOMMAND);
    ::RemoveMenu(g_hTrayMenu, ID_TRAY_WLAN_OFF, MF_BYCOMMAND);
}

// A radio the notebook lacks: its box is hidden (Bluetooth) or left in view greyed
// (Wireless LAN). The display option always stays.
static void ShowMissingRadios(CConsoleDlg& dlg) {
    if (dlg.m_bHasBluetooth == 0)
        dlg.GetDlgItem(IDC_BLUETOOTH)->ShowWindow(SW_HIDE);
    if (dlg.m_bHasWlan == 0)
        dlg.GetDlgItem(IDC_WLAN)->EnableWindow(FALSE);
}

void CConsoleDlg::InitConsoleLayout() {
    LoadTrayMenu();
    LoadLanguageLibrary();
    TrimTrayMenu(*this);
    ShowMissingRadios(*this);
}
