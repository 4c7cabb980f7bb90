// CButton and CBitmapButton.
#include <afxwin.h>

UINT CButton::GetState() const {
    return (UINT)::SendMessageA(m_hWnd, BM_GETSTATE, 0, 0);
}
void CButton::SetState(BOOL bHighlight) {
    ::SendMessageA(m_hWnd, BM_SETSTATE, bHighlight, 0);
}
int CButton::GetCheck() const {
    return (int)::SendMessageA(m_hWnd, BM_GETCHECK, 0, 0);
}
void CButton::SetCheck(int nCheck) {
    ::SendMessageA(m_hWnd, BM_SETCHECK, nCheck, 0);
}
UINT CButton::GetButtonStyle() const {
    return (UINT)GetStyle() & 0xFF;
}
void CButton::SetButtonStyle(UINT nStyle, BOOL bRedraw) {
    ::SendMessageA(m_hWnd, BM_SETSTYLE, nStyle, bRedraw);
}

// An owner-drawn button class must draw; the base has nothing to show.
void CButton::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message != WM_DRAWITEM)
        return CWnd::OnChildNotify(message, wParam, lParam, pResult);
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    return TRUE;
}

BOOL CBitmapButton::LoadBitmaps(LPCSTR lpszBitmapResource, LPCSTR lpszBitmapResourceSel,
                                LPCSTR lpszBitmapResourceFocus, LPCSTR lpszBitmapResourceDisabled) {
    m_bitmap.DeleteObject();
    m_bitmapSel.DeleteObject();
    m_bitmapFocus.DeleteObject();
    m_bitmapDisabled.DeleteObject();
    if (!m_bitmap.LoadBitmap(lpszBitmapResource))
        return FALSE;
    BOOL all_loaded = TRUE;
    if (lpszBitmapResourceSel != NULL && !m_bitmapSel.LoadBitmap(lpszBitmapResourceSel))
        all_loaded = FALSE;
    if (lpszBitmapResourceFocus != NULL && !m_bitmapFocus.LoadBitmap(lpszBitmapResourceFocus))
        all_loaded = FALSE;
    if (lpszBitmapResourceDisabled != NULL &&
        !m_bitmapDisabled.LoadBitmap(lpszBitmapResourceDisabled))
        all_loaded = FALSE;
    return all_loaded;
}

BOOL CBitmapButton::LoadBitmaps(UINT nIDBitmapResource, UINT nIDBitmapResourceSel,
                                UINT nIDBitmapResourceFocus, UINT nIDBitmapResourceDisabled) {
    auto name = [](UINT id) { return id != 0 ? (LPCSTR)MAKEINTRESOURCE(id) : (LPCSTR)NULL; };
    return LoadBitmaps(name(nIDBitmapResource), name(nIDBitmapResourceSel),
                       name(nIDBitmapResourceFocus), name(nIDBitmapResourceDisabled));
}

void CBitmapButton::DrawItem(LPDRAWITEMSTRUCT) {}
