// Modal dialogs from templates: creation, binding of controls, the modal loop and its end.
#include "afx_fixture.h"

#include "tests/support/ui_script.h"

namespace {

using afx_test::CScriptDlg;

class CProbeButton : public CButton {
public:
    int probes = 0;
    int keys = 0;
    BOOL eat_input = FALSE;
    std::vector<HWND>* pretranslated = nullptr;

    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message == WM_KEYDOWN && pretranslated)
            pretranslated->push_back(m_hWnd);
        return eat_input || CButton::PreTranslateMessage(pMsg);
    }

protected:
    afx_msg LRESULT OnProbe(WPARAM wParam, LPARAM) { return 0x50 + (LRESULT)wParam + ++probes; }
    afx_msg LRESULT OnKeyDown(WPARAM, LPARAM) {
        ++keys;
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeButton, CButton)
ON_MESSAGE(WM_APP + 1, OnProbe)
ON_MESSAGE(WM_KEYDOWN, OnKeyDown)
END_MESSAGE_MAP()

class CBoundDlg : public CScriptDlg {
public:
    CBoundDlg() : CScriptDlg(200) {}
    CProbeButton m_btnWlan;
    CProbeButton m_btnBluetooth;
    HWND wlan_at_init = NULL;
    std::vector<HWND> pretranslated;

    BOOL OnInitDialog() override {
        BOOL result = CScriptDlg::OnInitDialog();
        wlan_at_init = m_btnWlan.m_hWnd;
        return result;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message == WM_KEYDOWN)
            pretranslated.push_back(m_hWnd);
        return CScriptDlg::PreTranslateMessage(pMsg);
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        CScriptDlg::DoDataExchange(pDX);
        DDX_Control(pDX, 1004, m_btnWlan);
        DDX_Control(pDX, 1001, m_btnBluetooth);
    }
};

using ModalDialogs = afx_test::AfxFixture;

TEST_F(ModalDialogs, RunFromTheTemplateWithControlsBoundDuringInit) {
    CBoundDlg dlg;
    dlg.step([&] {
        HWND wlan = ::GetDlgItem(dlg.m_hWnd, 1004);
        EXPECT_TRUE(::IsWindowVisible(dlg.m_hWnd)); // the template has WS_VISIBLE
        EXPECT_EQ(dlg.GetDlgItem(1004), &dlg.m_btnWlan);
        EXPECT_EQ(dlg.GetDlgItem(1001), &dlg.m_btnBluetooth);
        // Messages to the control reach the bound object's message map.
        EXPECT_EQ(::SendMessageA(wlan, WM_APP + 1, 3, 0), 0x54);
        EXPECT_EQ(::SendMessageA(wlan, WM_APP + 1, 3, 0), 0x55);
        // Messages the map does not take still get the control's own processing.
        ::SendMessageA(wlan, BM_SETCHECK, BST_CHECKED, 0);
        EXPECT_EQ(dlg.m_btnWlan.GetCheck(), BST_CHECKED);
    });
    EXPECT_EQ(dlg.DoModal(), CScriptDlg::kScriptDone);
    EXPECT_EQ(dlg.init_count, 1);
    EXPECT_NE(dlg.wlan_at_init, nullptr);
    EXPECT_EQ(dlg.m_btnWlan.probes, 2);
    // The dialog and its controls are gone, and the objects let go of them.
    EXPECT_FALSE(::IsWindow(dlg.hwnd_seen));
    EXPECT_FALSE(::IsWindow(dlg.wlan_at_init));
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_btnWlan.m_hWnd, nullptr);
}

TEST_F(ModalDialogs, AreCentredWhenInitDoesNotPlaceThem) {
    CScriptDlg dlg(201);
    RECT rect{};
    dlg.step([&] { dlg.GetWindowRect(&rect); });
    dlg.DoModal();
    int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR((rect.left + rect.right) / 2, cx / 2, 1);
    EXPECT_NEAR((rect.top + rect.bottom) / 2, cy / 2, 1);
}

TEST_F(ModalDialogs, AHiddenTemplateIsShownWhenTheLoopFirstIdles) {
    CScriptDlg dlg(201); // no WS_VISIBLE
    bool visible = false;
    dlg.step([&] { visible = ::IsWindowVisible(dlg.m_hWnd); });
    dlg.DoModal();
    EXPECT_TRUE(visible);
}

TEST_F(ModalDialogs, AShownDialogHiddenByItsOwnerStaysHidden) {
    CScriptDlg dlg(200); // shown by the dialog manager; the loop must not show it again
    bool visible_after_idle = true;
    dlg.step([&] { dlg.ShowWindow(SW_HIDE); });
    dlg.step([&] { visible_after_idle = ::IsWindowVisible(dlg.m_hWnd); });
    dlg.DoModal();
    EXPECT_FALSE(visible_after_idle);
}

class CEarlyExitDlg : public CDialog {
public:
    CEarlyExitDlg() : CDialog(200U) {}
    HWND created = NULL;
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        created = m_hWnd;
        CDialog::OnCancel();
        return FALSE;
    }
};

TEST_F(ModalDialogs, EndedDuringInitReturnsWithoutRunningTheLoop) {
    HWND other = ::CreateWindowExA(0, "Button", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    ::PostMessageA(other, WM_APP + 9, 0, 0);
    CEarlyExitDlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_NE(dlg.created, nullptr);
    EXPECT_FALSE(::IsWindow(dlg.created));
    MSG msg;
    EXPECT_TRUE(::PeekMessageA(&msg, other, WM_APP + 9, WM_APP + 9, PM_REMOVE));
    ::DestroyWindow(other);
}

class CMissingControlDlg : public CDialog {
public:
    CMissingControlDlg() : CDialog(200U) {}
    CButton m_btnMissing;
    CButton m_btnWlan;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, 4242, m_btnMissing);
        DDX_Control(pDX, 1004, m_btnWlan);
    }
};

TEST_F(ModalDialogs, ABindingToAMissingControlFailsTheDialog) {
    CMissingControlDlg dlg;
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_btnWlan.m_hWnd, nullptr); // the exchange stopped at the failure
}

TEST_F(ModalDialogs, MissingTemplateReturnsMinusOne) {
    CDialog dlg(4711U);
    EXPECT_EQ(dlg.DoModal(), -1);
}

TEST_F(ModalDialogs, OkEndsTheDialogThroughOnOK) {
    CScriptDlg dlg(200);
    dlg.step([&] {
        HWND ok = ::GetDlgItem(dlg.m_hWnd, IDOK);
        ::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)ok);
    });
    dlg.step([&] { ADD_FAILURE() << "the loop went on after OK"; });
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

class CHidingDlg : public CScriptDlg {
public:
    CHidingDlg() : CScriptDlg(200) {}
    int hides = 0;

protected:
    afx_msg void OnHide() {
        ++hides;
        ShowWindow(SW_HIDE);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHidingDlg, CScriptDlg)
ON_BN_CLICKED(IDCANCEL, OnHide)
END_MESSAGE_MAP()

TEST_F(ModalDialogs, ADerivedCancelHandlerReplacesTheDialogsOwn) {
    CHidingDlg dlg;
    bool visible = true;
    dlg.step([&] {
        HWND cancel = ::GetDlgItem(dlg.m_hWnd, IDCANCEL);
        ::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)cancel);
        visible = ::IsWindowVisible(dlg.m_hWnd);
    });
    EXPECT_EQ(dlg.DoModal(), CScriptDlg::kScriptDone);
    EXPECT_EQ(dlg.hides, 1);
    EXPECT_FALSE(visible);
}

TEST_F(ModalDialogs, InputIsPretranslatedFromTheControlUpToTheDialog) {
    CBoundDlg dlg;
    dlg.m_btnWlan.pretranslated = &dlg.pretranslated;
    dlg.m_btnBluetooth.pretranslated = &dlg.pretranslated;
    HWND bluetooth = NULL;
    dlg.step([&] {
        bluetooth = dlg.m_btnBluetooth.m_hWnd;
        ::PostMessageA(dlg.m_btnWlan.m_hWnd, WM_KEYDOWN, 'A', 0);
        dlg.m_btnBluetooth.eat_input = TRUE;
        ::PostMessageA(dlg.m_btnBluetooth.m_hWnd, WM_KEYDOWN, 'A', 0);
    });
    dlg.DoModal();
    ASSERT_EQ(dlg.pretranslated.size(), 3u);
    EXPECT_EQ(dlg.pretranslated[0], dlg.wlan_at_init);
    EXPECT_EQ(dlg.pretranslated[1], dlg.hwnd_seen);
    EXPECT_EQ(dlg.pretranslated[2], bluetooth);
    EXPECT_EQ(dlg.m_btnWlan.keys, 1);      // delivered after pre-translation
    EXPECT_EQ(dlg.m_btnBluetooth.keys, 0); // kept by the control's PreTranslateMessage
}

TEST_F(ModalDialogs, MessageBoxIsOwnedByTheWindow) {
    testing_support::UiScript script;
    script.answer(IDOK);
    CScriptDlg dlg(200);
    int answer = 0;
    dlg.step([&] {
        answer = dlg.MessageBoxA("You have to install ZEB0100 driver", "ZEB0100 request",
                                 MB_ICONEXCLAMATION);
    });
    dlg.DoModal();
    EXPECT_EQ(answer, IDOK);
    ASSERT_EQ(script.boxes_seen().size(), 1u);
    EXPECT_EQ(script.boxes_seen()[0].owner, dlg.hwnd_seen);
    EXPECT_EQ(script.boxes_seen()[0].caption, "ZEB0100 request");
    EXPECT_EQ(script.boxes_seen()[0].text, "You have to install ZEB0100 driver");
}

} // namespace
