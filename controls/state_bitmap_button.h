// CStateBitmapButton: a push button drawn entirely from four pictures, chosen by a visual
// state that the button and its owner set: 0 normal, 1 pressed, 2 hover, 3 disabled.
#pragma once

#include <afxwin.h>

class CStateBitmapButton : public CBitmapButton {
public:
    CStateBitmapButton();
    ~CStateBitmapButton() override;

    // Loads normal, pressed, hover and disabled pictures; an id of 0 leaves that one out.
    BOOL LoadBitmaps(UINT nIdNormal, UINT nIdPressed, UINT nIdHover, UINT nIdDisabled);
    // Sets the visual state, enables or disables the window and sets its highlight; any
    // value but 1, 2 and 3 is 0.
    void SetDrawState(int nState);

    BOOL m_bHoverCaptured;
    int m_nDrawState;
    CBitmap m_bmpPressed;
    CBitmap m_bmpHover;
    CBitmap m_bmpNormal;
    CBitmap m_bmpDisabled;

protected:
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);

    DECLARE_MESSAGE_MAP()

private:
    void BeginHover();
    void EndHover();
};
