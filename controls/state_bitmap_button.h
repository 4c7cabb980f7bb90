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
    void SetDrawState(int nState);

    BOOL m_bHoverCaptured;
    int m_nDrawState;
    CBitmap m_bmpPressed;
    CBitmap m_bmpHover;
    CBitmap m_bmpNormal;
    CBitmap m_bmpDisabled;
};
