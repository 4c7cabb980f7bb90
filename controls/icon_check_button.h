// CIconCheckButton: the console's check box. An owner-drawn button that keeps its own
// check state, shows it with an icon over a copy of the parent's background, flips it on a
// click before the parent hears of it, and tracks the mouse over itself with the capture.
#pragma once

#include <afxcmn.h>
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

    // Loads both icons from the resource module that holds the active one; the handle form's
    // result.
    int SetIcon(UINT nIdActive, UINT nIdInactive);
    // Takes both icons over: 0 on success, 1 when an icon's size cannot be read (every icon
    // is then released).
    int SetIcon(HICON hActive, HICON hInactive);
    void SetDrawBorder(BOOL bEnable);
    // The hand over the box; the argument is not used. Always 1.
    int SetBtnCursor(int nCursorId);
    // Draws over a snapshot of the parent's background from now on; drops a cached one.
    void SetTransparent(BOOL bRepaint);
    // Check boxes only: stores 1 for any non-zero value; repaints when bRepaint is exactly 1.
    void SetCheck(int nCheck, BOOL bRepaint);
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
    CToolTipCtrl m_toolTip;
    IconImage m_icons[2];
    CDC m_dcBk;
    CBitmap m_bmpBk;
    HBITMAP m_hOldBkBitmap;
    BOOL m_bIsCheckBox;
    int m_nCheck;

protected:
    void PreSubclassWindow() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    virtual int DrawBackground(CDC* pDC, const RECT* pRect);
    virtual int DrawBorder(CDC* pDC, const RECT* pRect);

    afx_msg void OnCaptureChanged(CWnd* pWnd);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnSysColorChange();
    afx_msg BOOL OnClicked();
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    afx_msg void OnEnable(BOOL bEnable);
    afx_msg void OnCancelMode();
    afx_msg HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);

    DECLARE_MESSAGE_MAP()

private:
    void InitToolTip();
    void ReleaseImages();
    // Stores an icon and its size; false when GetIconInfo cannot read it.
    bool TakeIcon(IconImage& image, HICON hIcon);
    void CancelHover();
};
