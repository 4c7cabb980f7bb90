#include "state_bitmap_button.h"

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
