// The console's check boxes as the dialog and the user see them.
#include "tests/support/program_fixture.h"

#include "platform/user/input.h"

#include <vector>

namespace {

class CheckBoxes : public testing_support::ProgramFixture {
protected:
    static void pump() {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessageA(GetActiveWindow(), &m))
                DispatchMessageA(&m);
    }
    static bool repaint_pending(HWND h) { return GetUpdateRect(h, nullptr, FALSE) != 0; }
};

TEST_F(CheckBoxes, BecomeOwnerDrawnAndKeepTheirOwnState) {
    start({true, true, false});
    HWND wlan = dlg().m_btnWlan.m_hWnd;
    EXPECT_EQ(GetWindowLongA(wlan, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_TRUE(dlg().m_btnWlan.m_bIsCheckBox);

    ValidateRect(wlan, nullptr);
    dlg().m_btnWlan.SetCheck(5, 0); // any non-zero value is a tick; 0 asks for no repaint
    EXPECT_EQ(dlg().m_btnWlan.GetCheck(), 1);
    EXPECT_FALSE(repaint_pending(wlan));
    dlg().m_btnWlan.SetCheck(0, 2); // only exactly 1 repaints
    EXPECT_EQ(dlg().m_btnWlan.GetCheck(), 0);
    EXPECT_FALSE(repaint_pending(wlan));
    dlg().m_btnWlan.SetCheck(1, 1);
    EXPECT_TRUE(repaint_pending(wlan));
    // The platform button itself holds no check state.
    EXPECT_EQ(SendMessageA(wlan, BM_GETCHECK, 0, 0), 0);
}

// A console that records, in its own click handler, what the box says at that moment.
class RecordingConsole : public CConsoleDlg {
public:
    std::vector<int> seen;

protected:
    BOOL OnInitDialog() override { return CDialog::OnInitDialog(); }
    afx_msg void OnWlanClicked() { seen.push_back(m_btnWlan.GetCheck()); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RecordingConsole, CConsoleDlg)
ON_BN_CLICKED(IDC_WLAN, OnWlanClicked)
END_MESSAGE_MAP()

TEST_F(CheckBoxes, ClickFlipsTheBoxBeforeTheDialogHearsOfIt) {
    start({true, true, false});
    dlg().DestroyWindow();
    RecordingConsole console;
    ASSERT_TRUE(console.Create(IDD_CONSOLE));
    HWND wlan = console.m_btnWlan.m_hWnd;
    ASSERT_TRUE(platform::click_window(wlan));
    pump();
    clock().advance_by(1000);
    ASSERT_TRUE(platform::click_window(wlan));
    pump();
    EXPECT_EQ(console.seen, (std::vector<int>{1, 0}));
    // A double click is two clicks: the box ends where it started.
    clock().advance_by(1000);
    ASSERT_TRUE(platform::click_window(wlan, true));
    pump();
    EXPECT_EQ(console.seen, (std::vector<int>{1, 0, 1, 0}));
    // A greyed box takes no click at all.
    EnableWindow(wlan, FALSE);
    EXPECT_FALSE(platform::click_window(wlan));
    pump();
    EXPECT_EQ(console.seen.size(), 4u);
    console.DestroyWindow();
}

} // namespace
