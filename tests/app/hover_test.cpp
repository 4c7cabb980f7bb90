// The console's owner-drawn boxes and buttons under the mouse: hover through the capture,
// the pressed state, the visual-state table, icons, cursor and the tooltip window.
#include "tests/support/program_fixture.h"

#include <commctrl.h>

#include <string>

namespace {

class Hover : public testing_support::ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        start({true, true, false});
        dlg().m_bConsoleVisible = 1;
        dlg().ShowWindow(SW_SHOW);
        RECT r;
        ::GetWindowRect(dlg().m_hWnd, &r);
        // A window of someone else's, beside the console.
        elsewhere_ = CreateWindowExA(0, "Static", "elsewhere", WS_POPUP | WS_VISIBLE, r.right + 20,
                                     r.top, 40, 40, nullptr, nullptr, nullptr, nullptr);
        ::SetActiveWindow(dlg().m_hWnd);
    }
    void TearDown() override {
        DestroyWindow(elsewhere_);
        ProgramFixture::TearDown();
    }
    HWND item(int id) { return ::GetDlgItem(dlg().m_hWnd, id); }

    // The mouse moves to the middle of a window: the capture window, else the window under
    // the pointer, gets WM_MOUSEMOVE with the keys held.
    static void move_onto(HWND hwnd, WPARAM keys = 0) {
        RECT r;
        ::GetWindowRect(hwnd, &r);
        mouse(WM_MOUSEMOVE, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, keys);
    }
    static void mouse(UINT msg, POINT screen, WPARAM keys) {
        HWND target = ::GetCapture() ? ::GetCapture() : ::WindowFromPoint(screen);
        ::ScreenToClient(target, &screen);
        ::SendMessageA(target, msg, keys, MAKELPARAM(screen.x, screen.y));
    }
    static POINT centre(HWND hwnd) {
        RECT r;
        ::GetWindowRect(hwnd, &r);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    HWND elsewhere_ = nullptr;
};

TEST_F(Hover, BoxHoversOnlyInAnActiveWindowAndNotEnteredWithTheButtonHeld) {
    struct Case {
        const char* what;
        bool active;
        WPARAM keys_entering;
        WPARAM keys_leaving;
        BOOL over_inside;
        bool captured_inside;
        bool captured_after_leaving;
    };
    const Case cases[] = {
        {"plain move on and off", true, 0, 0, TRUE, true, false},
        {"left button held when leaving", true, 0, MK_LBUTTON, TRUE, true, true},
        {"no active window", false, 0, 0, FALSE, false, false},
        {"entering with the left button held", true, MK_LBUTTON, MK_LBUTTON, FALSE, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CIconCheckButton& box = dlg().m_btnWlan;
        ::SetActiveWindow(c.active ? dlg().m_hWnd : nullptr);
        move_onto(box.m_hWnd, c.keys_entering);
        EXPECT_EQ(box.m_bMouseOver, c.over_inside);
        EXPECT_EQ(::GetCapture() == box.m_hWnd, c.captured_inside);
        ValidateRect(box.m_hWnd, nullptr);
        move_onto(elsewhere_, c.keys_leaving);
        EXPECT_FALSE(box.m_bMouseOver);
        EXPECT_EQ(::GetCapture() == box.m_hWnd, c.captured_after_leaving);
        // Leaving repaints the box only when it had been hovered.
        EXPECT_EQ(GetUpdateRect(box.m_hWnd, nullptr, FALSE) != 0, c.over_inside == TRUE);
        ::ReleaseCapture();
    }
}

TEST_F(Hover, FocusActivationEnablingAndCancelModeEndTheHover) {
    struct Case {
        const char* what;
        UINT msg;
        WPARAM wp;
        bool keeps_capture;
    };
    const Case cases[] = {
        {"focus lost", WM_KILLFOCUS, 0, true},
        {"window deactivated", WM_ACTIVATE, WA_INACTIVE, true},
        {"disabled", WM_ENABLE, FALSE, true},
        {"mode cancelled", WM_CANCELMODE, 0, false}, // the default processing lets go
    };
    CIconCheckButton& box = dlg().m_btnBluetooth;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        move_onto(box.m_hWnd);
        ASSERT_TRUE(box.m_bMouseOver);
        ValidateRect(box.m_hWnd, nullptr);
        ::SendMessageA(box.m_hWnd, c.msg, c.wp, 0);
        EXPECT_FALSE(box.m_bMouseOver);
        EXPECT_NE(GetUpdateRect(box.m_hWnd, nullptr, FALSE), 0);
        EXPECT_EQ(::GetCapture() == box.m_hWnd, c.keeps_capture);
        ::ReleaseCapture();
    }
    // Being activated or enabled changes nothing.
    move_onto(box.m_hWnd);
    ::SendMessageA(box.m_hWnd, WM_ACTIVATE, WA_ACTIVE, 0);
    ::SendMessageA(box.m_hWnd, WM_ENABLE, TRUE, 0);
    EXPECT_TRUE(box.m_bMouseOver);
}

TEST_F(Hover, HoveredBoxGivesUpTheCaptureThatAnotherWindowTakes) {
    CIconCheckButton& box = dlg().m_btnDisplay;
    move_onto(box.m_hWnd);
    ::SetCapture(elsewhere_);
    // The box lets go of the capture whoever holds it now, and stays hovered.
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_TRUE(box.m_bMouseOver);
}

TEST_F(Hover, ButtonHoversWithoutAnActiveWindowUntilTheMouseLeaves) {
    CStateBitmapButton& ok = dlg().m_btnOk;
    ::SetActiveWindow(nullptr);
    move_onto(ok.m_hWnd);
    EXPECT_EQ(ok.m_nDrawState, 2);
    EXPECT_TRUE(ok.m_bHoverCaptured);
    EXPECT_EQ(::GetCapture(), ok.m_hWnd);
    move_onto(ok.m_hWnd); // moving inside changes nothing
    EXPECT_EQ(ok.m_nDrawState, 2);
    move_onto(elsewhere_);
    EXPECT_EQ(ok.m_nDrawState, 0);
    EXPECT_FALSE(ok.m_bHoverCaptured);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(Hover, PressShowsPressedAtOnceAndAPressReleasedOutsideStaysPressed) {
    CStateBitmapButton& cancel = dlg().m_btnCancel;
    move_onto(cancel.m_hWnd);
    mouse(WM_LBUTTONDOWN, centre(cancel.m_hWnd), MK_LBUTTON);
    EXPECT_EQ(cancel.m_nDrawState, 1);
    EXPECT_TRUE(cancel.GetState() & BST_PUSHED);
    mouse(WM_LBUTTONUP, centre(elsewhere_), 0);
    // No click: nobody puts the button back, and the mouse cannot change it.
    EXPECT_TRUE(dlg().IsWindowVisible());
    EXPECT_EQ(cancel.m_nDrawState, 1);
    move_onto(cancel.m_hWnd);
    move_onto(elsewhere_);
    EXPECT_EQ(cancel.m_nDrawState, 1);
    // A whole click ends in the console's handler, which puts it back to normal.
    move_onto(cancel.m_hWnd);
    mouse(WM_LBUTTONDOWN, centre(cancel.m_hWnd), MK_LBUTTON);
    mouse(WM_LBUTTONUP, centre(cancel.m_hWnd), 0);
    EXPECT_FALSE(dlg().IsWindowVisible());
    EXPECT_EQ(cancel.m_nDrawState, 0);
    dlg().m_bConsoleVisible = 1;
    dlg().ShowWindow(SW_SHOW);
    move_onto(cancel.m_hWnd);
    EXPECT_EQ(cancel.m_nDrawState, 2);
}

TEST_F(Hover, DrawStatesSetTheEnablingAndTheHighlight) {
    struct Case {
        int set;
        int stored;
        BOOL enabled;
        bool highlighted;
    };
    const Case cases[] = {{1, 1, TRUE, true},
                          {2, 2, TRUE, true},
                          {3, 3, FALSE, true},
                          {0, 0, TRUE, false},
                          {7, 0, TRUE, false}};
    CStateBitmapButton& apply = dlg().m_btnApply;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set);
        apply.SetDrawState(c.set);
        EXPECT_EQ(apply.m_nDrawState, c.stored);
        EXPECT_EQ(apply.IsWindowEnabled(), c.enabled);
        EXPECT_EQ((apply.GetState() & BST_PUSHED) != 0, c.highlighted);
    }
    // Greying the button through the window leaves its visual state alone.
    apply.SetDrawState(2);
    apply.EnableWindow(FALSE);
    EXPECT_EQ(apply.m_nDrawState, 2);
}

TEST_F(Hover, HighlightRepaintsOnlyWhenItChanges) {
    HWND ok = dlg().m_btnOk.m_hWnd;
    const struct {
        WPARAM state;
        bool repaints;
    } steps[] = {{1, true}, {2, false}, {3, false}, {0, true}, {0, false}};
    for (const auto& s : steps) {
        ValidateRect(ok, nullptr);
        ::SendMessageA(ok, BM_SETSTATE, s.state, 0);
        EXPECT_EQ(GetUpdateRect(ok, nullptr, FALSE) != 0, s.repaints) << s.state;
    }
}

TEST_F(Hover, LoadBitmapsStopsAtTheFirstMissingPicture) {
    const char* build = getenv("RADIODECK_BUILD_DIR"); // the library lies beside the program
    ASSERT_NE(build, nullptr);
    HINSTANCE rescue = LoadLibraryA((std::string(build) + "/bin/rescue.dll").c_str());
    ASSERT_NE(rescue, nullptr);
    AfxSetResourceHandle(rescue);
    CStateBitmapButton& apply = dlg().m_btnApply;
    EXPECT_TRUE(apply.LoadBitmaps(141, 0, 0, 0));
    EXPECT_NE(apply.m_bmpNormal.GetSafeHandle(), nullptr);
    EXPECT_EQ(apply.m_bmpPressed.GetSafeHandle(), nullptr);
    EXPECT_EQ(apply.m_bmpHover.GetSafeHandle(), nullptr);
    EXPECT_EQ(apply.m_bmpDisabled.GetSafeHandle(), nullptr);
    // Ids are cut to 16 bits; a missing one leaves the later pictures empty.
    EXPECT_FALSE(apply.LoadBitmaps(0x10000 + 141, 142, 4711, 144));
    EXPECT_NE(apply.m_bmpNormal.GetSafeHandle(), nullptr);
    EXPECT_NE(apply.m_bmpPressed.GetSafeHandle(), nullptr);
    EXPECT_EQ(apply.m_bmpDisabled.GetSafeHandle(), nullptr);
}

TEST_F(Hover, SetIconTakesSizesFromTheHotSpotAndReleasesOnFailure) {
    CIconCheckButton& box = dlg().m_btnWlan;
    EXPECT_EQ(box.SetIcon(IDI_CHECK_ON, IDI_CHECK_OFF), 0);
    EXPECT_NE(box.m_icons[0].hIcon, nullptr);
    EXPECT_NE(box.m_icons[1].hIcon, nullptr);
    EXPECT_EQ(box.m_icons[0].cx, 16u);
    EXPECT_EQ(box.m_icons[1].cy, 16u);
    // A missing active icon stores nothing, not even the inactive one, and is no failure.
    EXPECT_EQ(box.SetIcon(4711, IDI_CHECK_OFF), 0);
    EXPECT_EQ(box.m_icons[0].hIcon, nullptr);
    EXPECT_EQ(box.m_icons[1].hIcon, nullptr);
    // An icon whose size cannot be read: every icon is released, the given ones included.
    HICON copy = (HICON)LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCE(IDI_CHECK_ON),
                                   IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR);
    EXPECT_EQ(box.SetIcon(copy, reinterpret_cast<HICON>(0x1234)), 1);
    EXPECT_EQ(box.m_icons[0].hIcon, nullptr);
    ICONINFO info;
    EXPECT_FALSE(GetIconInfo(copy, &info)); // destroyed
}

TEST_F(Hover, BoxShowsTheHandAndHasAToolTipWithoutTools) {
    CIconCheckButton& box = dlg().m_btnWlan;
    EXPECT_EQ(box.SetBtnCursor(42), 1);
    EXPECT_EQ(box.m_hCursor, LoadCursorA(nullptr, IDC_HAND));
    box.SetDrawBorder(7);
    EXPECT_EQ(box.m_bDrawBorder, 7);

    EXPECT_EQ(box.m_toolTip.m_hWnd, nullptr);
    MSG m{box.m_hWnd, WM_MOUSEMOVE, 0, 0, 0, {}};
    CWnd::WalkPreTranslateTree(dlg().m_hWnd, &m);
    HWND tip = box.m_toolTip.m_hWnd;
    ASSERT_NE(tip, nullptr);
    CWnd::WalkPreTranslateTree(dlg().m_hWnd, &m);
    EXPECT_EQ(box.m_toolTip.m_hWnd, tip); // made once
    char cls[32] = {};
    GetClassNameA(tip, cls, sizeof cls);
    EXPECT_STREQ(cls, TOOLTIPS_CLASS);
    EXPECT_EQ(GetWindow(tip, GW_OWNER), dlg().m_hWnd);
    EXPECT_FALSE(IsWindowVisible(tip));
    EXPECT_EQ(SendMessageA(tip, TTM_GETMAXTIPWIDTH, 0, 0), 400);
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
}

} // namespace
