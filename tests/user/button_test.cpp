// Buttons as the user and the parent dialog see them.
#include "platform/user/input.h"
#include "tests/support/machine_fixture.h"

#include <windows.h>

#include <vector>

namespace {

std::vector<WPARAM> g_commands;

LRESULT CALLBACK parent_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND)
        g_commands.push_back(wp);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

class Buttons : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        g_commands.clear();
        WNDCLASSA wc{};
        wc.lpfnWndProc = parent_proc;
        wc.lpszClassName = "ButtonHost";
        RegisterClassA(&wc);
        host_ = CreateWindowExA(0, "ButtonHost", "host", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200,
                                nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        DestroyWindow(host_);
        MachineFixture::TearDown();
    }
    HWND button(DWORD type, int id) {
        return CreateWindowExA(0, "Button", "b", WS_CHILD | WS_VISIBLE | type, 10,
                               10 + (id % 5) * 30, 80, 20, host_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    static void pump() {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&m);
    }
    HWND host_ = nullptr;
};

TEST_F(Buttons, ClickNotifiesTheParentAndChecksOnlyAutomaticBoxes) {
    HWND manual = button(BS_CHECKBOX, 1004);
    HWND automatic = button(BS_AUTOCHECKBOX, 1005);
    ASSERT_TRUE(platform::click_window(manual));
    ASSERT_TRUE(platform::click_window(automatic));
    pump();
    EXPECT_EQ(g_commands,
              (std::vector<WPARAM>{MAKEWPARAM(1004, BN_CLICKED), MAKEWPARAM(1005, BN_CLICKED)}));
    EXPECT_EQ(SendMessageA(manual, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageA(automatic, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(GetFocus(), automatic);
}

TEST_F(Buttons, OwnerDrawnButtonsHoldNoCheckButAHighlight) {
    HWND b = button(BS_CHECKBOX, 1001);
    SendMessageA(b, BM_SETSTYLE, BS_OWNERDRAW, TRUE);
    EXPECT_EQ(GetWindowLongA(b, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    SendMessageA(b, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessageA(b, BM_GETCHECK, 0, 0), 0);
    SendMessageA(b, BM_SETSTATE, 3, 0);
    EXPECT_EQ(SendMessageA(b, BM_GETSTATE, 0, 0) & BST_PUSHED, BST_PUSHED);
    SendMessageA(b, BM_SETSTATE, 0, 0);
    EXPECT_EQ(SendMessageA(b, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    // A double click on an owner-drawn button is reported as such.
    ASSERT_TRUE(platform::click_window(b, true));
    pump();
    EXPECT_EQ(g_commands, (std::vector<WPARAM>{MAKEWPARAM(1001, BN_CLICKED),
                                               MAKEWPARAM(1001, BN_DOUBLECLICKED)}));
}

TEST_F(Buttons, PressReleasedOutsideIsNoClick) {
    HWND b = button(BS_PUSHBUTTON, 1);
    RECT r;
    GetWindowRect(b, &r);
    platform::move_mouse(POINT{r.left + 2, r.top + 2});
    PostMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    pump();
    EXPECT_EQ(GetCapture(), b);
    platform::move_mouse(POINT{r.right + 40, r.bottom + 40}); // captured: still the button's
    pump();
    EXPECT_EQ(SendMessageA(b, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    PostMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(200, 200));
    pump();
    EXPECT_TRUE(g_commands.empty());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Buttons, HiddenOrDisabledButtonsCannotBeClicked) {
    HWND b = button(BS_PUSHBUTTON, 2);
    EnableWindow(b, FALSE);
    EXPECT_FALSE(platform::click_window(b));
    EnableWindow(b, TRUE);
    ShowWindow(b, SW_HIDE);
    EXPECT_FALSE(platform::click_window(b));
    pump();
    EXPECT_TRUE(g_commands.empty());
}

} // namespace
