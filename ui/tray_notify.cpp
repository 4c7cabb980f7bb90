// The tray icon's callback: a double click shows or hides the console.
#include "app/console_dlg.h"

LRESULT CConsoleDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam) {
    if (lParam == WM_LBUTTONDBLCLK) {
        if (m_bConsoleVisible != 0) {
            m_bConsoleVisible = 0;
            ShowWindow(SW_HIDE);
        } else {
            // The flag first: the position guard would otherwise keep the console hidden.
            m_bConsoleVisible = 1;
            ShowWindow(SW_SHOWNORMAL);
            SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
            ::SetForegroundWindow(m_hWnd);
            SetFocus();
            SetWindowPos(&CWnd::wndNoTopMost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
        }
    } else {
        // Other mouse messages over the icon end as DM_GETDEFID, which the dialog answers.
        PostMessage(WM_USER, 0, 0);
    }
    return 1;
}
