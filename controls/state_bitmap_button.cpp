// CStateBitmapButton: pictures, visual state and hover tracking. The picture follows the
// visual state alone, never the platform's item state.
#include "state_bitmap_button.h"

BEGIN_MESSAGE_MAP(CStateBitmapButton, CBitmapButton)
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

CStateBitmapButton::CStateBitmapButton() : m_bHoverCaptured(FALSE), m_nDrawState(0) {}

CStateBitmapButton::~CStateBitmapButton() {}

static BOOL LoadStateBitmap(CBitmap& bitmap, UINT nId) {
    LPCSTR name = MAKEINTRESOURCE(nId & 0xFFFF);
    HINSTANCE hInst = AfxFindResourceHandle(name, RT_BITMAP);
    return bitmap.Attach(LoadBitmapA(hInst, name));
}

BOOL CStateBitmapButton::LoadBitmaps(UINT nIdNormal, UINT nIdPressed, UINT nIdHover,
                                     UINT nIdDisabled) {
    m_bmpNormal.DeleteObject();
    m_bmpPressed.DeleteObject();
    m_bmpHover.DeleteObject();
    m_bmpDisabled.DeleteObject();
    if (!LoadStateBitmap(m_bmpNormal, nIdNormal))
        return FALSE;
    if (nIdPressed != 0 && !LoadStateBitmap(m_bmpPressed, nIdPressed))
        return FALSE;
    if (nIdHover != 0 && !LoadStateBitmap(m_bmpHover, nIdHover))
        return FALSE;
    if (nIdDisabled != 0 && !LoadStateBitmap(m_bmpDisabled, nIdDisabled))
        return FALSE;
    return TRUE;
}

void CStateBitmapButton::SetDrawState(int nState) {
    m_nDrawState = nState;
    switch (nState) {
    case 1:
        EnableWindow(TRUE);
        SendMessage(BM_SETSTATE, 1, 0);
        break;
    case 2:
        EnableWindow(TRUE);
        SendMessage(BM_SETSTATE, 2, 0);
        break;
    case 3:
        EnableWindow(FALSE);
        SendMessage(BM_SETSTATE, 3, 0);
        break;
    default:
        EnableWindow(TRUE);
        SendMessage(BM_SETSTATE, 0, 0);
        m_nDrawState = 0;
        break;
    }
}

void CStateBitmapButton::BeginHover() {
    m_bHoverCaptured = TRUE;
    m_nDrawState = 2;
    ::SetCapture(m_hWnd);
    ::InvalidateRect(m_hWnd, NULL, TRUE);
    ::UpdateWindow(m_hWnd);
}

void CStateBitmapButton::EndHover() {
    m_nDrawState = 0;
    m_bHoverCaptured = FALSE;
    ::InvalidateRect(m_hWnd, NULL, TRUE);
    ::UpdateWindow(m_hWnd);
    ::ReleaseCapture();
}

// The button holds the capture while the mouse is over it, whichever window is active, so it
// sees the mouse leave. Pressed and disabled buttons do not hover.
void CStateBitmapButton::OnMouseMove(UINT nFlags, CPoint point) {
    CBitmapButton::OnMouseMove(nFlags, point);
    bool holding = m_bHoverCaptured && ::GetCapture() == m_hWnd;
    if (!holding && m_nDrawState == 0) {
        BeginHover();
        return;
    }
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    if (m_nDrawState == 2 && !::PtInRect(&client, point))
        EndHover();
}

void CStateBitmapButton::OnLButtonUp(UINT nFlags, CPoint point) {
    CBitmapButton::OnLButtonUp(nFlags, point);
}

// The pressed picture shows before the platform takes the press.
void CStateBitmapButton::OnLButtonDown(UINT nFlags, CPoint point) {
    SetDrawState(1);
    CBitmapButton::OnLButtonDown(nFlags, point);
}
