// Message-map dispatch in a running dialog: commands, notifications reflected to the control,
// user messages, owner drawing and Default().
#include "afx_fixture.h"

#include <string>

namespace {

using afx_test::CScriptDlg;

std::vector<std::string> g_events;

class CReflectButton : public CButton {
public:
    BOOL stop_notification = FALSE;
    int draws = 0;
    UINT last_action = 0;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override {
        ++draws;
        last_action = lpDrawItemStruct->itemAction;
    }

protected:
    afx_msg BOOL OnReflectedClick() {
        g_events.push_back("button");
        return stop_notification;
    }
    afx_msg HBRUSH CtlColor(CDC*, UINT nCtlColor) {
        g_events.push_back("ctlcolor " + std::to_string(nCtlColor));
        return (HBRUSH)::GetStockObject(NULL_BRUSH);
    }
    // Takes BM_SETCHECK, makes a nested call of its own, then passes the original on.
    afx_msg LRESULT OnSetCheck(WPARAM wParam, LPARAM) {
        g_events.push_back("setcheck " + std::to_string(wParam));
        ::SendMessageA(m_hWnd, WM_GETTEXTLENGTH, 0, 0);
        return pass_on ? Default() : 0;
    }
    DECLARE_MESSAGE_MAP()

public:
    BOOL pass_on = TRUE;
};

BEGIN_MESSAGE_MAP(CReflectButton, CButton)
ON_CONTROL_REFLECT_EX(BN_CLICKED, OnReflectedClick)
ON_WM_CTLCOLOR_REFLECT()
ON_MESSAGE(BM_SETCHECK, OnSetCheck)
END_MESSAGE_MAP()

class CConsoleLikeDlg : public CScriptDlg {
public:
    CConsoleLikeDlg() : CScriptDlg(200) {}
    CReflectButton m_btnWlan;
    CReflectButton m_btnOk;
    std::vector<WORD> switch_codes;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, 1004, m_btnWlan);
        DDX_Control(pDX, IDOK, m_btnOk);
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == 112) {
            switch_codes.push_back(HIWORD(wParam));
            return TRUE;
        }
        return CScriptDlg::OnCommand(wParam, lParam);
    }
    afx_msg void OnWlanBox() { g_events.push_back("parent"); }
    afx_msg void OnSwitchFromMap() { g_events.push_back("map 112"); }
    afx_msg void OnWlanOn() { g_events.push_back("wlan on"); }
    afx_msg LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam) {
        g_events.push_back("tray " + std::to_string(wParam) + " " + std::to_string(lParam));
        return lParam + 1;
    }
    afx_msg LRESULT OnPowerBroadcast(WPARAM wParam, LPARAM) {
        g_events.push_back("power " + std::to_string(wParam));
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CConsoleLikeDlg, CScriptDlg)
ON_BN_CLICKED(1004, OnWlanBox)
ON_COMMAND(112, OnSwitchFromMap)
ON_COMMAND(32772, OnWlanOn)
ON_MESSAGE(WM_USER + 2, OnTrayNotify)
ON_MESSAGE(WM_POWERBROADCAST, OnPowerBroadcast)
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

class Dispatch : public afx_test::AfxFixture {
protected:
    void SetUp() override {
        AfxFixture::SetUp();
        g_events.clear();
    }
    void click(CConsoleLikeDlg& dlg, int id) {
        HWND control = ::GetDlgItem(dlg.m_hWnd, id);
        ::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)control);
    }
};

TEST_F(Dispatch, AReflectedClickReachesTheButtonFirstAndThenTheParent) {
    CConsoleLikeDlg dlg;
    dlg.step([&] { click(dlg, 1004); });
    dlg.step([&] {
        // A real click: the platform button notifies its parent.
        ::SendMessageA(dlg.m_btnWlan.m_hWnd, BM_CLICK, 0, 0);
    });
    dlg.DoModal();
    // The auto check box checks itself before it notifies.
    EXPECT_EQ(g_events,
              (std::vector<std::string>{"button", "parent", "setcheck 1", "button", "parent"}));
}

TEST_F(Dispatch, AButtonThatKeepsTheNotificationStopsTheParentsHandler) {
    CConsoleLikeDlg dlg;
    dlg.m_btnWlan.stop_notification = TRUE;
    dlg.step([&] { click(dlg, 1004); });
    dlg.DoModal();
    EXPECT_EQ(g_events, (std::vector<std::string>{"button"}));
}

TEST_F(Dispatch, OnCommandSeesCommandsBeforeTheMessageMap) {
    CConsoleLikeDlg dlg;
    dlg.step([&] {
        ::PostMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(112, 1), 0);
        ::PostMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(112, 6), 0);
        // A menu command; an accelerator's code 1 routes the same way.
        ::PostMessageA(dlg.m_hWnd, WM_COMMAND, 32772, 0);
        ::PostMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(32772, 1), 0);
    });
    dlg.DoModal();
    EXPECT_EQ(dlg.switch_codes, (std::vector<WORD>{1, 6}));
    EXPECT_EQ(g_events, (std::vector<std::string>{"wlan on", "wlan on"}));
}

TEST_F(Dispatch, UserMessagesReachTheirHandlerWithParametersAndResult) {
    CConsoleLikeDlg dlg;
    LRESULT tray = 0, power = 0;
    dlg.step([&] {
        tray = ::SendMessageA(dlg.m_hWnd, WM_USER + 2, 128, WM_LBUTTONDBLCLK);
        power = ::SendMessageA(dlg.m_hWnd, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    });
    dlg.DoModal();
    EXPECT_EQ(tray, WM_LBUTTONDBLCLK + 1);
    EXPECT_EQ(power, TRUE);
    EXPECT_EQ(g_events, (std::vector<std::string>{"tray 128 515", "power 7"}));
}

TEST_F(Dispatch, DefaultPassesTheCurrentMessageOnAfterNestedCalls) {
    CConsoleLikeDlg dlg;
    int checked_passed = -1, checked_kept = -1;
    dlg.step([&] {
        dlg.m_btnWlan.SetCheck(BST_CHECKED);
        checked_passed = dlg.m_btnWlan.GetCheck();
        dlg.m_btnWlan.pass_on = FALSE;
        dlg.m_btnWlan.SetCheck(BST_UNCHECKED);
        checked_kept = dlg.m_btnWlan.GetCheck();
    });
    dlg.DoModal();
    EXPECT_EQ(checked_passed, BST_CHECKED);
    EXPECT_EQ(checked_kept, BST_CHECKED); // the handler swallowed the change
    EXPECT_EQ(g_events, (std::vector<std::string>{"setcheck 1", "setcheck 0"}));
}

TEST_F(Dispatch, OwnerDrawAndColoursAreReflectedToTheControl) {
    CConsoleLikeDlg dlg;
    LRESULT drawn = 0, brush = 0;
    dlg.step([&] {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_BUTTON;
        dis.CtlID = IDOK;
        dis.itemAction = ODA_SELECT;
        dis.hwndItem = dlg.m_btnOk.m_hWnd;
        drawn = ::SendMessageA(dlg.m_hWnd, WM_DRAWITEM, IDOK, (LPARAM)&dis);
        brush = ::SendMessageA(dlg.m_hWnd, WM_CTLCOLORBTN, 0, (LPARAM)dlg.m_btnWlan.m_hWnd);
    });
    dlg.DoModal();
    EXPECT_EQ(drawn, TRUE);
    EXPECT_EQ(dlg.m_btnOk.draws, 1);
    EXPECT_EQ(dlg.m_btnOk.last_action, (UINT)ODA_SELECT);
    EXPECT_EQ((HGDIOBJ)brush, ::GetStockObject(NULL_BRUSH));
    EXPECT_EQ(g_events, (std::vector<std::string>{"ctlcolor 3"}));
}

} // namespace
