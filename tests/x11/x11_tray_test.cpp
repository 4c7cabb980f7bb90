// The tray icon in a real XEmbed system tray (trayer): docking, the picture at the size the
// panel gives it, real clicks as the shell's callback messages, and docking again after the
// panel is killed and started anew.
#include "tests/x11/xvfb.h"

#include "platform/drivers/x11_tray.h"
#include "platform/gdi/objects.h"
#include "platform/shell/tray.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <windows.h>

#include <vector>

namespace {

using testing_support::XClient;

constexpr UINT kCallback = WM_APP + 7;
std::vector<LPARAM> g_callbacks;

LRESULT CALLBACK owner_proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == kCallback && w == 5)
        g_callbacks.push_back(l);
    return DefWindowProcA(h, m, w, l);
}

class X11Tray : public testing_support::X11Test {
protected:
    void SetUp() override {
        X11Test::SetUp();
        WNDCLASSA wc{};
        wc.lpfnWndProc = owner_proc;
        wc.lpszClassName = "TrayOwner";
        RegisterClassA(&wc);
        owner_ = CreateWindowExA(0, "TrayOwner", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
        g_callbacks.clear();
    }
    void TearDown() override {
        DestroyWindow(owner_);
        X11Test::TearDown();
    }
    std::unique_ptr<XClient> start_tray() {
        auto tray = std::make_unique<XClient>(
            *server_,
            std::vector<std::string>{"trayer", "--edge", "bottom", "--align", "right", "--height",
                                     "22", "--widthtype", "request", "--SetDockType", "false"});
        Atom selection = server_->atom("_NET_SYSTEM_TRAY_S0");
        EXPECT_TRUE(server_->pump_until(
            [&] { return XGetSelectionOwner(server_->probe(), selection) != 0; }, 10000));
        return tray;
    }
    std::string docked() const {
        auto icon = platform::find_tray_icon(owner_);
        return icon ? icon->docked : "gone";
    }
    // The icon's window: the one of this process that carries _XEMBED_INFO.
    ::Window icon_window(::Window from = 0) const {
        ::Display* probe = server_->probe();
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        ::Window found = 0;
        if (!XQueryTree(probe, from ? from : DefaultRootWindow(probe), &root, &parent, &children,
                        &count))
            return 0;
        for (unsigned i = 0; i < count && !found; ++i)
            found = !server_->cardinals(children[i], "_XEMBED_INFO", "_XEMBED_INFO").empty()
                        ? children[i]
                        : icon_window(children[i]);
        if (children)
            XFree(children);
        return found;
    }

    HWND owner_ = nullptr;
};

TEST_F(X11Tray, TheIconDocksShowsItsPictureAnswersClicksAndComesBackAfterTheTrayRestarts) {
    auto tray = start_tray();
    NOTIFYICONDATAA nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = owner_;
    nid.uID = 5;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = kCallback;
    nid.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpyA(nid.szTip, "Radios");
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &nid));
    ASSERT_TRUE(server_->pump_until([&] { return docked() == "xembed"; }));

    // The picture, scaled to the panel's size, is what the server shows.
    ::Window icon = icon_window();
    ASSERT_TRUE(icon);
    XWindowAttributes a{};
    ASSERT_TRUE(server_->pump_until([&] {
        XGetWindowAttributes(server_->probe(), icon, &a);
        return a.map_state == IsViewable && a.width > 1;
    }));
    auto pixels = platform::gdi::find_icon(nid.hIcon);
    ASSERT_TRUE(pixels);
    int side = std::min(a.width, a.height);
    platform::TrayPicture picture{owner_, 5, 0, {pixels->width, pixels->height}, pixels->color, ""};
    std::vector<uint32_t> want = platform::x11::scale_icon(picture, side);
    int cx = side / 2, cy = side / 2;
    uint32_t centre = want[static_cast<size_t>(cy) * side + cx];
    ASSERT_EQ(centre >> 24, 0xFFu) << "the test wants an opaque centre";
    ASSERT_TRUE(server_->pump_until([&] {
        return server_->pixel(icon, (a.width - side) / 2 + cx, (a.height - side) / 2 + cy) ==
               (centre & 0xFFFFFF);
    }));

    // Real clicks: a double click and a right click, as the shell reports them.
    int x = 0, y = 0;
    ::Window child = 0;
    ::Display* probe = server_->probe();
    XTranslateCoordinates(probe, icon, DefaultRootWindow(probe), a.width / 2, a.height / 2, &x, &y,
                          &child);
    XTestFakeMotionEvent(probe, 0, x, y, CurrentTime);
    for (unsigned button : {1u, 1u, 3u}) {
        XTestFakeButtonEvent(probe, button, True, CurrentTime);
        XTestFakeButtonEvent(probe, button, False, CurrentTime);
    }
    ASSERT_TRUE(server_->pump_until([] { return g_callbacks.size() >= 6; }));
    EXPECT_EQ(g_callbacks, (std::vector<LPARAM>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                                WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP}));
    POINT cursor{};
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, x);
    EXPECT_EQ(cursor.y, y);

    // The panel dies and comes back: the icon docks again.
    tray->stop();
    ASSERT_TRUE(server_->pump_until([&] { return docked() == "none"; }));
    tray = start_tray();
    ASSERT_TRUE(server_->pump_until([&] { return docked() == "xembed"; }));

    Shell_NotifyIconA(NIM_DELETE, &nid);
    EXPECT_TRUE(server_->pump_until([&] { return icon_window() == 0; }));
}

} // namespace
