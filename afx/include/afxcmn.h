// MFC's wrappers of the common controls: CToolTipCtrl.
#pragma once

#include "afxwin.h"

#include <commctrl.h>

class CToolTipCtrl : public CWnd {
public:
    CToolTipCtrl() = default;
    // The object owns its window: the tooltip goes with it.
    ~CToolTipCtrl() override = default;

    // A tooltip window owned by pParentWnd's top-level window; WS_POPUP is added to dwStyle.
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
    void Activate(BOOL bActivate);
    int SetMaxTipWidth(int iWidth);
    // Passes a mouse message on, so that the tooltip can tell when to show a tip.
    void RelayEvent(LPMSG lpMsg);
};
