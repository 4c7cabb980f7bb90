// Window objects: the handle maps, subclassing and its undoing, and the window's end.
#include "afx_fixture.h"

#include "tests/support/dialog_builder.h"

namespace {

INT_PTR CALLBACK plain_dialog_proc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

class Windows : public afx_test::AfxFixture {
protected:
    void SetUp() override {
        AfxFixture::SetUp();
        builder_.control(1004, "Button", "Wireless Lan", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
                         10, 10, 60, 10);
        builder_.control(1001, "Button", "Bluetooth", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10,
                         30, 60, 10);
        host_ = ::CreateDialogIndirectParamA(NULL, builder_.get(), NULL, plain_dialog_proc, 0);
        ASSERT_NE(host_, nullptr);
    }
    void TearDown() override {
        if (::IsWindow(host_))
            ::DestroyWindow(host_);
        AfxFixture::TearDown();
    }
    HWND item(int id) { return ::GetDlgItem(host_, id); }

    testing_support::DialogBuilder builder_{WS_POPUP, 0, 0, 0, 100, 60};
    HWND host_ = NULL;
};

class COwnerDrawBox : public CButton {
public:
    int probes = 0;
    bool* ended = nullptr;

protected:
    // As an owner-drawn check box does: the style changes before the first message arrives.
    void PreSubclassWindow() override {
        ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
        CButton::PreSubclassWindow();
    }
    void PostNcDestroy() override {
        if (ended)
            *ended = true;
    }
    afx_msg LRESULT OnProbe(WPARAM, LPARAM) { return ++probes; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(COwnerDrawBox, CButton)
ON_MESSAGE(WM_APP + 1, OnProbe)
END_MESSAGE_MAP()

TEST_F(Windows, UnknownHandlesGetOneTemporaryWrapperUntilTheMapIsCleared) {
    CWnd* first = CWnd::FromHandle(item(1004));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->m_hWnd, item(1004));
    EXPECT_EQ(CWnd::FromHandle(item(1004)), first);
    EXPECT_EQ(CWnd::FromHandlePermanent(item(1004)), nullptr);
    EXPECT_EQ(CWnd::FromHandle(NULL), nullptr);
    CWnd::DeleteTempMap();
    // Clearing the map never destroys the windows the wrappers stood for.
    EXPECT_TRUE(::IsWindow(item(1004)));
    EXPECT_EQ(CWnd::FromHandle(item(1004))->m_hWnd, item(1004));
}

TEST_F(Windows, SubclassingRoutesMessagesThroughTheMapUntilUndone) {
    WNDPROC original = (WNDPROC)::GetWindowLongPtrA(item(1004), GWLP_WNDPROC);
    COwnerDrawBox box;
    ASSERT_TRUE(box.SubclassDlgItem(1004, CWnd::FromHandle(host_)));
    EXPECT_EQ(CWnd::FromHandle(item(1004)), &box);
    EXPECT_EQ(::GetWindowLongA(item(1004), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(::SendMessageA(item(1004), WM_APP + 1, 0, 0), 1);

    // One object per window: a second subclassing is refused and changes nothing.
    COwnerDrawBox second;
    EXPECT_FALSE(second.SubclassWindow(item(1004)));
    EXPECT_EQ(second.m_hWnd, nullptr);
    EXPECT_EQ(::SendMessageA(item(1004), WM_APP + 1, 0, 0), 2);

    EXPECT_EQ(box.UnsubclassWindow(), item(1004));
    EXPECT_EQ(box.m_hWnd, nullptr);
    EXPECT_EQ((WNDPROC)::GetWindowLongPtrA(item(1004), GWLP_WNDPROC), original);
    ::SendMessageA(item(1004), WM_APP + 1, 0, 0);
    EXPECT_EQ(box.probes, 2);
    EXPECT_EQ(CWnd::FromHandlePermanent(item(1004)), nullptr);
}

TEST_F(Windows, ADestroyedWindowLetsGoOfItsObject) {
    bool ended = false;
    COwnerDrawBox box;
    box.ended = &ended;
    ASSERT_TRUE(box.SubclassWindow(item(1001)));
    HWND hwnd = box.m_hWnd;
    ::DestroyWindow(host_);
    EXPECT_TRUE(ended);
    EXPECT_EQ(box.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

TEST_F(Windows, AnObjectThatGoesDestroysTheWindowItStillOwns) {
    HWND hwnd = item(1001);
    {
        CButton box;
        ASSERT_TRUE(box.SubclassWindow(hwnd));
    }
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

TEST_F(Windows, TopmostOrderFollowsTheInsertAfterObjects) {
    CWnd* host = CWnd::FromHandle(host_);
    host->SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    EXPECT_TRUE(host->GetExStyle() & WS_EX_TOPMOST);
    EXPECT_TRUE(host->IsWindowVisible());
    host->SetWindowPos(&CWnd::wndNoTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_FALSE(host->GetExStyle() & WS_EX_TOPMOST);
}

TEST_F(Windows, ButtonStateGoesThroughThePlatformButton) {
    CButton box;
    ASSERT_TRUE(box.SubclassDlgItem(1004, CWnd::FromHandle(host_)));
    box.SetCheck(BST_CHECKED);
    EXPECT_EQ(box.GetCheck(), BST_CHECKED);
    EXPECT_EQ(::IsDlgButtonChecked(host_, 1004), (UINT)BST_CHECKED);
    box.SetState(TRUE);
    EXPECT_TRUE(box.GetState() & BST_PUSHED);
    box.SetState(FALSE);
    EXPECT_FALSE(box.GetState() & BST_PUSHED);
    box.SetWindowTextA("WLAN");
    char text[16] = {};
    box.GetWindowTextA(text, sizeof text);
    EXPECT_STREQ(text, "WLAN");
    box.EnableWindow(FALSE);
    EXPECT_FALSE(::IsWindowEnabled(item(1004)));
}

} // namespace
