// CToolTipCtrl.
#include <afxcmn.h>

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle) {
    HWND hWnd = ::CreateWindowExA(0, TOOLTIPS_CLASS, NULL, WS_POPUP | dwStyle, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  pParentWnd != NULL ? pParentWnd->m_hWnd : NULL, NULL, NULL, NULL);
    if (hWnd == NULL)
        return FALSE;
    if (!SubclassWindow(hWnd)) {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    return TRUE;
}

void CToolTipCtrl::Activate(BOOL bActivate) {
    ::SendMessageA(m_hWnd, TTM_ACTIVATE, bActivate, 0);
}

int CToolTipCtrl::SetMaxTipWidth(int iWidth) {
    return (int)::SendMessageA(m_hWnd, TTM_SETMAXTIPWIDTH, 0, iWidth);
}

void CToolTipCtrl::RelayEvent(LPMSG lpMsg) {
    ::SendMessageA(m_hWnd, TTM_RELAYEVENT, 0, (LPARAM)lpMsg);
}
