#include "icon_check_button.h"

BEGIN_MESSAGE_MAP(CIconCheckButton, CButton)
ON_CONTROL_REFLECT_EX(BN_CLICKED, OnClicked)
END_MESSAGE_MAP()

CIconCheckButton::CIconCheckButton()
    : m_bTransparent(FALSE), m_bMouseOver(FALSE), m_bPressed(FALSE), m_bDisabled(FALSE),
      m_crHotBk(GetSysColor(COLOR_BTNFACE)), m_crHotText(GetSysColor(COLOR_BTNTEXT)),
      m_crBk(GetSysColor(COLOR_BTNFACE)), m_crText(GetSysColor(COLOR_BTNTEXT)), m_bDrawBorder(TRUE),
      m_hCursor(NULL), m_icons{}, m_hOldBkBitmap(NULL), m_bIsCheckBox(FALSE), m_nCheck(0) {}

CIconCheckButton::~CIconCheckButton() {}

void CIconCheckButton::PreSubclassWindow() {
    UINT nBS = GetWindowLongA(m_hWnd, GWL_STYLE) & 0xFF;
    if (nBS & BS_CHECKBOX)
        m_bIsCheckBox = TRUE;
    // The platform check box becomes an owner-drawn button; the state lives here.
    SendMessage(BM_SETSTYLE, nBS | BS_OWNERDRAW, 1);
    CButton::PreSubclassWindow();
}

// A double click is a second press, so it makes a second click.
LRESULT CIconCheckButton::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDBLCLK)
        message = WM_LBUTTONDOWN;
    return CButton::DefWindowProc(message, wParam, lParam);
}

void CIconCheckButton::SetCheck(int nCheck, BOOL bRepaint) {
    if (!m_bIsCheckBox)
        return;
    m_nCheck = nCheck != 0 ? 1 : 0;
    if (bRepaint == 1)
        ::InvalidateRect(m_hWnd, NULL, TRUE);
}

void CIconCheckButton::SetTransparent(BOOL bRepaint) {
    m_bTransparent = TRUE;
    m_bmpBk.DeleteObject();
    if (bRepaint == 1)
        ::InvalidateRect(m_hWnd, NULL, TRUE);
}

BOOL CIconCheckButton::OnClicked() {
    if (m_bIsCheckBox) {
        m_nCheck = m_nCheck == 0 ? 1 : 0;
        ::InvalidateRect(m_hWnd, NULL, TRUE);
    }
    return FALSE; // the parent's own handler runs next and reads the flipped state
}
