// Window life, message order, the queue and the visibility rules that later code relies on.
#include "tests/support/machine_fixture.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

struct Seen {
    HWND hwnd;
    UINT msg;
    WPARAM wp;
};

std::vector<Seen> g_seen;
bool g_keep_hidden = false;

LRESULT CALLBACK watching_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    g_seen.push_back({hwnd, msg, wp});
    if (msg == WM_WINDOWPOSCHANGING && g_keep_hidden)
        reinterpret_cast<WINDOWPOS*>(lp)->flags &= ~SWP_SHOWWINDOW;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

class Windows : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        g_seen.clear();
        g_keep_hidden = false;
        WNDCLASSA wc{};
        wc.lpfnWndProc = watching_proc;
        wc.lpszClassName = "Watched";
        RegisterClassA(&wc);
    }
    void TearDown() override {
        for (HWND h : created_)
            if (IsWindow(h))
                DestroyWindow(h);
        MachineFixture::TearDown();
    }
    HWND make(DWORD style = WS_POPUP, HWND parent = nullptr, int id = 0) {
        HWND h =
            CreateWindowExA(0, "Watched", "t", style, 10, 20, 100, 50, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        created_.push_back(h);
        return h;
    }
    static std::vector<UINT> messages_of(HWND h) {
        std::vector<UINT> out;
        for (const Seen& s : g_seen)
            if (s.hwnd == h)
                out.push_back(s.msg);
        return out;
    }
    std::vector<HWND> created_;
};

TEST_F(Windows, CreationAndDestructionArriveInWindowsOrder) {
    HWND parent = make();
    HWND child = make(WS_CHILD | WS_VISIBLE, parent, 7);
    EXPECT_EQ(messages_of(child),
              (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW,
                                 WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED}));
    g_seen.clear();
    ASSERT_TRUE(DestroyWindow(parent));
    // WM_DESTROY goes down the tree, WM_NCDESTROY comes back up.
    std::vector<std::pair<HWND, UINT>> order;
    for (const Seen& s : g_seen)
        if (s.msg == WM_DESTROY || s.msg == WM_NCDESTROY)
            order.emplace_back(s.hwnd, s.msg);
    EXPECT_EQ(order, (std::vector<std::pair<HWND, UINT>>{{parent, WM_DESTROY},
                                                         {child, WM_DESTROY},
                                                         {child, WM_NCDESTROY},
                                                         {parent, WM_NCDESTROY}}));
    EXPECT_FALSE(IsWindow(child));
    SetLastError(0);
    EXPECT_FALSE(PostMessageA(parent, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(Windows, TreeLookupsFollowCreationOrder) {
    HWND dlg = make();
    HWND a = make(WS_CHILD, dlg, 1004);
    HWND b = make(WS_CHILD, dlg, 1001);
    EXPECT_EQ(GetWindow(dlg, GW_CHILD), a);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
    EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), nullptr);
    EXPECT_EQ(GetDlgItem(dlg, 1001), b);
    EXPECT_EQ(GetDlgItem(dlg, 5), nullptr);
    EXPECT_EQ(GetDlgCtrlID(b), 1001);
    EXPECT_EQ(GetParent(b), dlg);
    char text[3];
    SetWindowTextA(a, "Wireless Lan");
    EXPECT_EQ(GetWindowTextA(a, text, sizeof text), 2);
    EXPECT_STREQ(text, "Wi");
    EXPECT_EQ(GetWindowTextLengthA(a), 12);
    EXPECT_EQ(FindWindowA("watched", "t"), dlg); // class names and titles ignore case
    EXPECT_EQ(FindWindowA("Watched", "T"), dlg);
}

TEST_F(Windows, QueueHandsOutPostedThenQuitThenPaintThenTimers) {
    HWND w = make(WS_POPUP | WS_VISIBLE);
    ValidateRect(w, nullptr);
    SetTimer(w, 1, 5, nullptr);
    InvalidateRect(w, nullptr, TRUE);
    PostMessageA(w, WM_USER + 1, 0, 0);
    PostMessageA(w, WM_USER + 2, 0, 0);
    PostQuitMessage(3);
    std::vector<UINT> got;
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0)) {
        got.push_back(m.message);
        DispatchMessageA(&m);
    }
    EXPECT_EQ(m.wParam, 3u);
    EXPECT_EQ(got, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
    // Quit has been taken; now the paint, then the timer once its time has come.
    platform::Millis start = clock().now();
    got.clear();
    for (int i = 0; i < 2 && GetMessageA(&m, nullptr, 0, 0); ++i) {
        got.push_back(m.message);
        DispatchMessageA(&m);
    }
    EXPECT_EQ(got, (std::vector<UINT>{WM_PAINT, WM_TIMER}));
    // Windows raises any interval below ten milliseconds to ten.
    EXPECT_EQ(clock().now() - start, 10u);
    EXPECT_TRUE(KillTimer(w, 1));
    EXPECT_FALSE(KillTimer(w, 1));
}

TEST_F(Windows, ShowWindowPassesThroughWindowPosChanging) {
    HWND w = make();
    g_keep_hidden = true;
    ShowWindow(w, SW_SHOW);
    EXPECT_FALSE(IsWindowVisible(w));
    // A handler that strips SWP_SHOWWINDOW still lets the window move.
    SetWindowPos(w, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 200);
    EXPECT_FALSE(IsWindowVisible(w));
    g_keep_hidden = false;
    g_seen.clear();
    EXPECT_FALSE(ShowWindow(w, SW_SHOWNORMAL));
    EXPECT_TRUE(IsWindowVisible(w));
    // Showing a window that is already shown says nothing to it.
    g_seen.clear();
    EXPECT_TRUE(ShowWindow(w, SW_SHOW));
    EXPECT_TRUE(messages_of(w).empty());
}

TEST_F(Windows, TopmostOrderingAndActivation) {
    HWND a = make(WS_POPUP | WS_VISIBLE);
    HWND b = make(WS_POPUP | WS_VISIBLE);
    EXPECT_EQ(GetActiveWindow(), b);
    SetWindowPos(a, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    EXPECT_TRUE(GetWindowLongA(a, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(b, GW_HWNDFIRST), a);
    SetWindowPos(a, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    EXPECT_FALSE(GetWindowLongA(a, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(b, GW_HWNDFIRST), a); // stays at the top of the plain windows
    EXPECT_EQ(GetActiveWindow(), a);
    ShowWindow(a, SW_HIDE);
    EXPECT_EQ(GetActiveWindow(), b);
    EXPECT_TRUE(SetForegroundWindow(a));
    EXPECT_EQ(GetForegroundWindow(), a);
}

TEST_F(Windows, DisabledWindowTakesNoFocus) {
    HWND top = make(WS_POPUP | WS_VISIBLE);
    HWND child = make(WS_CHILD | WS_VISIBLE, top, 1);
    EXPECT_FALSE(EnableWindow(child, FALSE));
    EXPECT_FALSE(IsWindowEnabled(child));
    EXPECT_EQ(SetFocus(child), nullptr);
    EXPECT_NE(GetFocus(), child);
    EXPECT_TRUE(EnableWindow(child, TRUE)); // it was disabled
    SetFocus(child);
    EXPECT_EQ(GetFocus(), child);
}

} // namespace
