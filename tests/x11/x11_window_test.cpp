// The X11 display driver against a real server: top-level windows as X windows with the
// properties a window manager and a panel read, their pixels, and what the server reports
// coming back as Windows input.
#include "tests/support/machine_fixture.h"
#include "tests/x11/xvfb.h"

#include "platform/drivers/display.h"
#include "platform/drivers/x11_display.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using testing_support::Xvfb;

std::vector<UINT> g_seen; // mouse and key messages, in order
POINT g_at{};             // where the last button message says the pointer was

LRESULT CALLBACK record_proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if ((m >= WM_MOUSEFIRST && m <= WM_MOUSELAST && m != WM_MOUSEMOVE) || m == WM_KEYDOWN ||
        m == WM_CLOSE) {
        g_seen.push_back(m);
        g_at = POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
    }
    return DefWindowProcA(h, m, w, l);
}

class X11Windows : public testing_support::X11Test {
protected:
    void SetUp() override {
        X11Test::SetUp();
        WNDCLASSA wc{};
        wc.lpfnWndProc = record_proc;
        wc.lpszClassName = "Shown";
        RegisterClassA(&wc);
        g_seen.clear();
    }
    static platform::x11::X11Display& driver() {
        return static_cast<platform::x11::X11Display&>(platform::display_driver());
    }
    static HWND make(DWORD ex, const char* cls, const char* title, DWORD style, RECT r,
                     HWND owner = nullptr) {
        return CreateWindowExA(ex, cls, title, style, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, owner, nullptr, nullptr, nullptr);
    }
    // The X window's place on the screen, as the server has it.
    static RECT geometry(::Window w) {
        XWindowAttributes a{};
        XGetWindowAttributes(server_->probe(), w, &a);
        int x = 0, y = 0;
        ::Window child = 0;
        XTranslateCoordinates(server_->probe(), w, DefaultRootWindow(server_->probe()), 0, 0, &x,
                              &y, &child);
        return RECT{x, y, x + a.width, y + a.height};
    }
    static bool viewable(::Window w) {
        XWindowAttributes a{};
        XGetWindowAttributes(server_->probe(), w, &a);
        return a.map_state == IsViewable;
    }
};

bool same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(X11Windows, EachKindOfWindowCarriesWhatAWindowManagerAndAPanelRead) {
    struct Case {
        const char* title;
        DWORD ex_style;
        const char* cls;
        DWORD style;
        bool owned;
        const char* type;
        bool undecorated, on_taskbar, above;
    };
    const Case cases[] = {
        {"Console", 0, "Shown", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, false,
         "_NET_WM_WINDOW_TYPE_NORMAL", false, true, false},
        {"Borderless", 0, "Shown", WS_POPUP, false, "_NET_WM_WINDOW_TYPE_NORMAL", true, true,
         false},
        {"Box", 0, "#32770", WS_POPUP | WS_CAPTION, true, "_NET_WM_WINDOW_TYPE_DIALOG", false,
         false, false},
        {"Owned app", WS_EX_APPWINDOW, "Shown", WS_POPUP, true, "_NET_WM_WINDOW_TYPE_NORMAL", true,
         true, false},
        {"Banner", WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT, "Shown", WS_POPUP, false,
         "_NET_WM_WINDOW_TYPE_NOTIFICATION", true, false, true},
    };
    HWND owner = make(0, "Shown", "Owner", WS_POPUP | WS_VISIBLE, {0, 0, 50, 50});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        HWND hwnd = make(c.ex_style, c.cls, c.title, c.style | WS_VISIBLE, {100, 120, 300, 220},
                         c.owned ? owner : nullptr);
        ASSERT_TRUE(hwnd);
        std::optional<::Window> x;
        ASSERT_TRUE(server_->pump_until(
            [&] { return (x = server_->find_window(c.title)) && viewable(*x); }));
        EXPECT_EQ(server_->atom_names(*x, "_NET_WM_WINDOW_TYPE"), std::vector<std::string>{c.type});
        auto state = server_->atom_names(*x, "_NET_WM_STATE");
        auto has = [&](const char* s) {
            return std::find(state.begin(), state.end(), s) != state.end();
        };
        EXPECT_EQ(has("_NET_WM_STATE_SKIP_TASKBAR"), !c.on_taskbar);
        EXPECT_EQ(has("_NET_WM_STATE_ABOVE"), c.above);
        auto motif = server_->cardinals(*x, "_MOTIF_WM_HINTS", "_MOTIF_WM_HINTS");
        EXPECT_EQ(motif.size() == 5 && motif[2] == 0, c.undecorated);
        ::Window transient = 0;
        XGetTransientForHint(server_->probe(), *x, &transient);
        EXPECT_EQ(transient != 0, c.owned);
        XClassHint cls{};
        ASSERT_TRUE(XGetClassHint(server_->probe(), *x, &cls));
        EXPECT_STREQ(cls.res_class, "radiodeck");
        XFree(cls.res_name);
        XFree(cls.res_class);
        // A decorated window is its client area on the server; the frame is the manager's.
        RECT want{100, 120, 300, 220}, client{};
        GetClientRect(hwnd, &client);
        MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
        EXPECT_TRUE(same(geometry(*x), c.undecorated ? want : client));
        int shapes = 0, order = 0;
        XRectangle* input = XShapeGetRectangles(server_->probe(), *x, ShapeInput, &shapes, &order);
        EXPECT_EQ(shapes == 0, (c.ex_style & WS_EX_TRANSPARENT) != 0) << "click-through";
        if (input)
            XFree(input);
    }
}

TEST_F(X11Windows, TitleIconAndPlaceFollowTheWindow) {
    HWND hwnd = make(0, "Shown", "Caf\xE9 \x80", WS_POPUP | WS_VISIBLE, {10, 10, 110, 60});
    std::optional<::Window> x;
    ASSERT_TRUE(server_->pump_until(
        [&] { return (x = server_->find_window("Caf\xE9 \x80")).has_value(); }));
    EXPECT_EQ(server_->text(*x, "_NET_WM_NAME"), "Caf\u00e9 \u20ac");

    HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ICONINFO info{};
    BITMAP bm{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    GetObjectA(info.hbmColor, sizeof bm, &bm);
    std::vector<long> pixels;
    ASSERT_TRUE(server_->pump_until([&] {
        pixels = server_->cardinals(*x, "_NET_WM_ICON", "CARDINAL");
        return !pixels.empty();
    }));
    EXPECT_EQ(pixels.size(), 2u + bm.bmWidth * bm.bmHeight);
    EXPECT_EQ(pixels[0], bm.bmWidth);

    SetWindowPos(hwnd, nullptr, 200, 150, 80, 40, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(server_->pump_until([&] { return same(geometry(*x), {200, 150, 280, 190}); }));
    ShowWindow(hwnd, SW_HIDE);
    ASSERT_TRUE(server_->pump_until([&] { return !viewable(*x); }));
    DestroyWindow(hwnd);
    ASSERT_TRUE(server_->pump_until([&] { return !server_->find_window("Caf\xE9 \x80"); }));
}

TEST_F(X11Windows, RealClicksKeysMovesAndCloseRequestsReachTheWindow) {
    HWND hwnd = make(0, "Shown", "Target", WS_POPUP | WS_VISIBLE, {300, 300, 400, 350});
    std::optional<::Window> x;
    ASSERT_TRUE(
        server_->pump_until([&] { return (x = server_->find_window("Target")) && viewable(*x); }));
    ::Display* probe = server_->probe();
    XTestFakeMotionEvent(probe, 0, 310, 320, CurrentTime);
    XTestFakeButtonEvent(probe, 3, True, CurrentTime);
    XTestFakeButtonEvent(probe, 3, False, CurrentTime);
    ASSERT_TRUE(server_->pump_until([] { return g_seen.size() >= 2; }));
    EXPECT_EQ(g_seen, (std::vector<UINT>{WM_RBUTTONDOWN, WM_RBUTTONUP}));
    EXPECT_EQ(g_at.x, 10);
    EXPECT_EQ(g_at.y, 20);

    g_seen.clear();
    SetFocus(hwnd);
    XSetInputFocus(probe, *x, RevertToParent, CurrentTime);
    XTestFakeKeyEvent(probe, XKeysymToKeycode(probe, XK_Escape), True, CurrentTime);
    XTestFakeKeyEvent(probe, XKeysymToKeycode(probe, XK_Escape), False, CurrentTime);
    ASSERT_TRUE(server_->pump_until([] { return !g_seen.empty(); }));
    EXPECT_EQ(g_seen.front(), static_cast<UINT>(WM_KEYDOWN));

    // Another client (a window manager, a user's tool) moves the window: the platform follows.
    XMoveWindow(probe, *x, 500, 100);
    RECT r{};
    ASSERT_TRUE(server_->pump_until([&] {
        GetWindowRect(hwnd, &r);
        return r.left == 500 && r.top == 100;
    }));
    EXPECT_EQ(r.right, 600);

    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = *x;
    e.xclient.message_type = server_->atom("WM_PROTOCOLS");
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(server_->atom("WM_DELETE_WINDOW"));
    XSendEvent(probe, *x, False, 0, &e);
    ASSERT_TRUE(server_->pump_until([&] { return !IsWindow(hwnd); }));
}

TEST_F(X11Windows, OnlyTheDirtyPartOfASurfaceIsSent) {
    HWND hwnd = make(0, "Shown", "Picture", WS_POPUP | WS_VISIBLE, {0, 0, 40, 30});
    std::optional<::Window> x;
    ASSERT_TRUE(
        server_->pump_until([&] { return (x = server_->find_window("Picture")) && viewable(*x); }));
    // Drawn through the platform: the flush presents what changed of the window's surface.
    auto fill = [&](RECT area, COLORREF color) {
        HDC dc = GetDC(hwnd);
        HBRUSH brush = CreateSolidBrush(color);
        FillRect(dc, &area, brush);
        DeleteObject(brush);
        ReleaseDC(hwnd, dc);
    };
    fill({0, 0, 40, 30}, RGB(0x33, 0x66, 0x99));
    ASSERT_TRUE(server_->pump_until([&] { return server_->pixel(*x, 39, 29) == 0x336699; }));
    fill({0, 0, 5, 5}, RGB(0xFF, 0, 0));
    ASSERT_TRUE(server_->pump_until([&] { return server_->pixel(*x, 4, 4) == 0xFF0000; }));
    EXPECT_EQ(server_->pixel(*x, 5, 5), 0x336699u);
    DestroyWindow(hwnd);
}

TEST(X11Screen, PixelsPerInchComeFromXftDpiElseTheScreenSize) {
    Xvfb server(120);
    ASSERT_TRUE(server.probe());
    ::Display* probe = server.probe();
    EXPECT_EQ(platform::x11::screen_dpi(probe, 0), 120);
    const char resources[] = "Xft.antialias:\t1\nXft.dpi:\t144\n";
    XChangeProperty(probe, DefaultRootWindow(probe), XA_RESOURCE_MANAGER, XA_STRING, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(resources),
                    sizeof resources - 1);
    XSync(probe, False);
    ::Display* fresh = XOpenDisplay(server.name().c_str());
    ASSERT_TRUE(fresh);
    EXPECT_EQ(platform::x11::screen_dpi(fresh, 0), 144);
    XCloseDisplay(fresh);
}

} // namespace
