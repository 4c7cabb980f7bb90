// CIconCheckButton: configuration, check state, clicks, hover tracking and the tooltip.
// The drawing is in icon_check_button_draw.cpp.
#include "icon_check_button.h"

BEGIN_MESSAGE_MAP(CIconCheckButton, CButton)
ON_WM_CAPTURECHANGED()
ON_WM_KILLFOCUS()
ON_WM_MOUSEMOVE()
ON_WM_SYSCOLORCHANGE()
ON_CONTROL_REFLECT_EX(BN_CLICKED, OnClicked)
ON_WM_ACTIVATE()
ON_WM_ENABLE()
ON_WM_CANCELMODE()
ON_WM_CTLCOLOR_REFLECT()
ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

CIconCheckButton::CIconCheckButton()
    : m_bTransparent(FALSE), m_bMouseOver(FALSE), m_bPressed(FALSE), m_bDisabled(FALSE),
      m_crHotBk(GetSysColor(COLOR_BTNFACE)), m_crHotText(GetSysColor(COLOR_BTNTEXT)),
      m_crBk(GetSysColor(COLOR_BTNFACE)), m_crText(GetSysColor(COLOR_BTNTEXT)), m_bDrawBorder(TRUE),
      m_hCursor(NULL), m_icons{}, m_hOldBkBitmap(NULL), m_bIsCheckBox(FALSE), m_nCheck(0) {}

CIconCheckButton::~CIconCheckButton() {
    ReleaseImages();
    m_bmpBk.DeleteObject();
    if (m_toolTip.m_hWnd != NULL)
        m_toolTip.DestroyWindow();
}

void CIconCheckButton::PreSubclassWindow() {
    UINT nBS = GetWindowLongA(m_hWnd, GWL_STYLE) & 0xFF;
    if (nBS & BS_CHECKBOX)
        m_bIsCheckBox = TRUE;
    // The platform check box becomes an owner-drawn button; the state lives here.
    SendMessage(BM_SETSTYLE, nBS | BS_OWNERDRAW, 1);
    CButton::PreSubclassWindow();
}

void CIconCheckButton::InitToolTip() {
    if (m_toolTip.m_hWnd != NULL)
        return;
    if (!m_toolTip.Create(this, 0))
        return; // tried again with the next message
    m_toolTip.Activate(FALSE);
    m_toolTip.SendMessage(TTM_SETMAXTIPWIDTH, 0, 400);
}

BOOL CIconCheckButton::PreTranslateMessage(MSG* pMsg) {
    InitToolTip();
    ::SendMessageA(m_toolTip.m_hWnd, TTM_RELAYEVENT, 0, (LPARAM)pMsg);
    return CButton::PreTranslateMessage(pMsg);
}

// A double click is a second press, so it makes a second click.
LRESULT CIconCheckButton::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDBLCLK)
        message = WM_LBUTTONDOWN;
    return CButton::DefWindowProc(message, wParam, lParam);
}

void CIconCheckButton::ReleaseImages() {
    for (IconImage& image : m_icons) {
        if (image.hIcon != NULL)
            ::DestroyIcon(image.hIcon);
        image = IconImage{};
    }
}

bool CIconCheckButton::TakeIcon(IconImage& image, HICON hIcon) {
    image.hIcon = hIcon;
    ICONINFO info;
    if (!::GetIconInfo(hIcon, &info))
        return false;
    // The hot spot of an icon is its centre.
    image.cx = info.xHotspot * 2;
    image.cy = info.yHotspot * 2;
    if (info.hbmMask != NULL)
        ::DeleteObject(info.hbmMask);
    if (info.hbmColor != NULL)
        ::DeleteObject(info.hbmColor);
    return true;
}

int CIconCheckButton::SetIcon(HICON hActive, HICON hInactive) {
    ReleaseImages();
    if (hActive != NULL) {
        if (!TakeIcon(m_icons[0], hActive)) {
            ReleaseImages();
            return 1;
        }
        if (hInactive != NULL && !TakeIcon(m_icons[1], hInactive)) {
            ReleaseImages();
            return 1;
        }
    }
    ::InvalidateRect(m_hWnd, NULL, TRUE);
    ::UpdateWindow(m_hWnd);
    return 0;
}

int CIconCheckButton::SetIcon(UINT nIdActive, UINT nIdInactive) {
    HINSTANCE hInst = AfxFindResourceHandle(MAKEINTRESOURCE(nIdActive), RT_GROUP_ICON);
    HICON hActive = (HICON)::LoadImageA(hInst, MAKEINTRESOURCE(nIdActive & 0xFFFF), IMAGE_ICON, 0,
                                        0, LR_DEFAULTCOLOR);
    HICON hInactive = (HICON)::LoadImageA(hInst, MAKEINTRESOURCE(nIdInactive & 0xFFFF), IMAGE_ICON,
                                          0, 0, LR_DEFAULTCOLOR);
    return SetIcon(hActive, hInactive);
}

void CIconCheckButton::SetDrawBorder(BOOL bEnable) {
    m_bDrawBorder = bEnable;
}

int CIconCheckButton::SetBtnCursor(int) {
    m_hCursor = ::LoadCursorA(NULL, IDC_HAND);
    return 1;
}

void CIconCheckButton::SetTransparent(BOOL bRepaint) {
    m_bTransparent = TRUE;
    m_bmpBk.DeleteObject();
    if (bRepaint == 1)
        ::InvalidateRect(m_hWnd, NULL, TRUE);
}

void CIconCheckButton::SetCheck(int nCheck, BOOL bRepaint) {
    if (!m_bIsCheckBox)
        return;
    m_nCheck = nCheck != 0 ? 1 : 0;
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

void CIconCheckButton::CancelHover() {
    if (m_bMouseOver) {
        m_bMouseOver = FALSE;
        ::InvalidateRect(m_hWnd, NULL, TRUE);
    }
}

void CIconCheckButton::OnCaptureChanged(CWnd* pWnd) {
    if (m_bMouseOver) {
        ::ReleaseCapture();
        ::InvalidateRect(m_hWnd, NULL, TRUE);
    }
    CButton::OnCaptureChanged(pWnd);
}

void CIconCheckButton::OnKillFocus(CWnd* pNewWnd) {
    CButton::OnKillFocus(pNewWnd);
    CancelHover();
}

// The box takes the capture while the mouse is over it and lets go once the mouse is over
// another window, so it sees the mouse leave. Hovering starts only in an active window and
// never with the left button already held.
void CIconCheckButton::OnMouseMove(UINT nFlags, CPoint point) {
    CButton::OnMouseMove(nFlags, point);
    if ((nFlags & MK_LBUTTON) && !m_bMouseOver)
        return;
    if (::GetCapture() != m_hWnd && ::GetActiveWindow() != NULL && GetOwner() != NULL) {
        m_bMouseOver = TRUE;
        ::SetCapture(m_hWnd);
        ::InvalidateRect(m_hWnd, NULL, TRUE);
        return;
    }
    POINT pt = point;
    ::ClientToScreen(m_hWnd, &pt);
    HWND under = ::WindowFromPoint(pt);
    if (under == NULL || under == m_hWnd)
        return;
    if (m_bMouseOver) {
        m_bMouseOver = FALSE;
        ::InvalidateRect(m_hWnd, NULL, TRUE);
    }
    if (!(nFlags & MK_LBUTTON))
        ::ReleaseCapture();
}

void CIconCheckButton::OnSysColorChange() {
    CButton::OnSysColorChange();
    m_bmpBk.DeleteObject(); // the next paint takes a new snapshot
}

void CIconCheckButton::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized) {
    CButton::OnActivate(nState, pWndOther, bMinimized);
    if (nState == WA_INACTIVE)
        CancelHover();
}

void CIconCheckButton::OnEnable(BOOL bEnable) {
    CButton::OnEnable(bEnable);
    if (!bEnable)
        CancelHover();
}

void CIconCheckButton::OnCancelMode() {
    CButton::OnCancelMode();
    CancelHover();
}

// The box paints its whole face itself.
HBRUSH CIconCheckButton::CtlColor(CDC*, UINT) {
    return (HBRUSH)::GetStockObject(NULL_BRUSH);
}

void CIconCheckButton::OnLButtonDown(UINT nFlags, CPoint point) {
    CButton::OnLButtonDown(nFlags, point);
}
