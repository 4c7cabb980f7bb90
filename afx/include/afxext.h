// CBitmapButton: a button drawn from up to four bitmaps.
#pragma once

#include "afxwin.h"

class CBitmapButton : public CButton {
public:
    CBitmap m_bitmap;         // normal
    CBitmap m_bitmapSel;      // pressed
    CBitmap m_bitmapFocus;    // focused
    CBitmap m_bitmapDisabled; // disabled

    // Id 0 leaves that picture out. TRUE when every requested picture loaded.
    BOOL LoadBitmaps(UINT nIDBitmapResource, UINT nIDBitmapResourceSel = 0,
                     UINT nIDBitmapResourceFocus = 0, UINT nIDBitmapResourceDisabled = 0);
    BOOL LoadBitmaps(LPCSTR lpszBitmapResource, LPCSTR lpszBitmapResourceSel = NULL,
                     LPCSTR lpszBitmapResourceFocus = NULL,
                     LPCSTR lpszBitmapResourceDisabled = NULL);
    // Drawing needs the device-context work; until then the base draws nothing.
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
};
