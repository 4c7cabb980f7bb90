// CIconCheckButton: the console's check box. An owner-drawn button that keeps its own
// check state, shows it with an icon and flips it on a click before the parent hears of it.
#pragma once

#include <afxwin.h>

struct IconImage {
    HICON hIcon;
    DWORD cx;
    DWORD cy;
};

class CIconCheckButton : public CButton {
public:
    CIconCheckButton();
    ~CIconCheckButton() override;

    // Check boxes only: stores 1 for any non-zero value; repaints when bRepaint is exactly 1.
    void SetCheck(int nCheck, BOOL bRepaint);
    // Draws over a snapshot of the parent's background from now on; drops a cached one.
    void SetTransparent(BOOL bRepaint);
    int GetCheck() const { return m_nCheck; }

    BOOL m_bTransparent;
    BOOL m_bMouseOver;
    BOOL m_bPressed;
    BOOL m_bDisabled;
    COLORREF m_crHotBk;
    COLORREF m_crHotText;
    COLORREF m_crBk;
    COLORREF m_crText;
    BOOL m_bDrawBorder;
    HCURSOR m_hCursor;
    IconImage m_icons[2];
    CDC m_dcBk;
    CBitmap m_bmpBk;
    HBITMAP m_hOldBkBitmap;
    BOOL m_bIsCheckBox;
    int m_nCheck;

protected:
    void PreSubclassWindow() override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    afx_msg BOOL OnClicked();

    DECLARE_MESSAGE_MAP()
};
