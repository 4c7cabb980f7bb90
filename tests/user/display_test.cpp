// The display driver: chosen by RADIODECK_DISPLAY, told once a flush what changed of the
// top-level windows, the source of the screen's size; and the way back up.
#include "platform/desktop/desktop.h"
#include "platform/drivers/display.h"
#include "platform/drivers/display_events.h"
#include "tests/support/machine_fixture.h"
#include "tests/user/burst_window.h"

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

// What the window manager told the driver, one line an entry.
class RecordingDisplay : public platform::DisplayDriver {
public:
    const char* name() const override { return "recording"; }
    SIZE screen_size() const override { return {1280, 800}; }
    int pixels_per_inch() const override { return 120; }
    void window_created(const platform::DisplayWindow& w) override {
        say("created " + w.class_name + " " + w.title, w.handle);
    }
    void window_destroyed(HWND hwnd) override { say("destroyed", hwnd); }
    void window_placed(HWND hwnd, const platform::WindowPlace& p,
                       const platform::WindowSurface*) override {
        say("placed " + std::to_string(p.window.left) + "," + std::to_string(p.window.top) +
                (p.visible ? " visible" : " hidden"),
            hwnd);
    }
    void window_title_set(HWND hwnd, const std::string& title) override {
        say("title " + title, hwnd);
    }
    void flush() override { said.push_back("flush"); }
    void window_activated(HWND hwnd) override { say("active", hwnd); }
    void capture_set(HWND hwnd) override { say("capture", hwnd); }
    void capture_released(HWND hwnd) override { say("release", hwnd); }
    void tray_icon_added(const platform::TrayPicture& icon) override {
        say("tray " + std::to_string(icon.size.cx) + "x" + std::to_string(icon.size.cy) + " " +
                std::to_string(icon.argb.size()) + " " + icon.tip,
            icon.owner);
    }
    void tray_icon_removed(HWND owner, UINT id) override { say("untray", owner); }

    // Lines about `hwnd` (and every flush), from the `from`th entry on.
    std::vector<std::string> about(HWND hwnd, size_t from = 0) const {
        std::vector<std::string> out;
        for (size_t i = from; i < said.size(); ++i)
            if (said[i] == "flush" || whom[i] == hwnd)
                out.push_back(said[i]);
        return out;
    }

    std::vector<std::string> said;
    std::vector<HWND> whom;

private:
    void say(const std::string& line, HWND hwnd) {
        said.push_back(line);
        whom.resize(said.size() - 1);
        whom.push_back(hwnd);
    }
};

using testing_support::burst_proc;
using testing_support::g_on_user;

class Display : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        WNDCLASSA wc{};
        wc.lpfnWndProc = burst_proc;
        wc.lpszClassName = "Shown";
        RegisterClassA(&wc);
        if (const char* v = std::getenv(platform::kDisplayVariable))
            saved_ = v;
        platform::set_display_driver(&display);
    }
    void TearDown() override {
        g_on_user = nullptr;
        platform::set_display_driver(nullptr);
        if (saved_)
            setenv(platform::kDisplayVariable, saved_->c_str(), 1);
        else
            unsetenv(platform::kDisplayVariable);
        MachineFixture::TearDown();
    }
    // What opening the display with this value gives: the error, empty when it opened.
    static std::string open_with(const char* value) {
        if (value)
            setenv(platform::kDisplayVariable, value, 1);
        else
            unsetenv(platform::kDisplayVariable);
        std::string error;
        bool ok = platform::open_display(error);
        EXPECT_EQ(ok, error.empty()) << error;
        return error;
    }
    // Runs every message posted so far, as the message loop would.
    static void pump() {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&m);
    }

    RecordingDisplay display;
    std::optional<std::string> saved_;
};

TEST_F(Display, TheEnvironmentChoosesTheDriverAndABadChoiceIsRefused) {
    platform::set_display_driver(nullptr);
    EXPECT_EQ(open_with(nullptr), "");
    EXPECT_STREQ(platform::display_driver().name(), "headless");
    EXPECT_EQ(open_with("headless"), "");
    EXPECT_EQ(open_with(""), "");
    // Unset, X11 is used only when $DISPLAY answers; chosen, a server that does not answer
    // is an error.
    const char* host = std::getenv("DISPLAY");
    std::string had = host ? host : "";
    setenv("DISPLAY", ":65000", 1);
    EXPECT_EQ(open_with(nullptr), "");
    EXPECT_STREQ(platform::display_driver().name(), "headless");
    EXPECT_EQ(open_with("x11"), "RADIODECK_DISPLAY=x11: cannot open X display :65000");
    unsetenv("DISPLAY");
    EXPECT_EQ(open_with("x11"), "RADIODECK_DISPLAY=x11: DISPLAY is not set");
    if (!had.empty())
        setenv("DISPLAY", had.c_str(), 1);
    EXPECT_EQ(open_with("Headless"),
              "RADIODECK_DISPLAY=Headless: unknown display (headless or x11)");
    // A refused choice still leaves a working display behind.
    EXPECT_STREQ(platform::display_driver().name(), "headless");
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
}

TEST_F(Display, TheDriverHearsOfTopLevelWindowsOnceAFlushAndGivesTheScreen) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 800);
    HWND top = CreateWindowExA(0, "Shown", "one", WS_POPUP, 10, 20, 100, 50, nullptr, nullptr,
                               nullptr, nullptr);
    ASSERT_TRUE(top);
    EXPECT_EQ(display.about(top),
              (std::vector<std::string>{"created Shown one", "placed 10,20 hidden", "flush"}));
    // A child is part of its top-level window's picture: no driver hears of it.
    size_t mark = display.said.size();
    HWND child = CreateWindowExA(0, "Button", "inner", WS_CHILD | WS_VISIBLE, 0, 0, 20, 10, top,
                                 nullptr, nullptr, nullptr);
    ASSERT_TRUE(child);
    EXPECT_EQ(display.said.size(), mark);

    // A burst in one window procedure is one batch, with the newest state.
    g_on_user = [](HWND h) {
        SetWindowPos(h, nullptr, 300, 200, 120, 60, SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowTextA(h, "two");
        SetWindowTextA(h, "three");
        ShowWindow(h, SW_SHOWNA);
    };
    mark = display.said.size();
    SendMessageA(top, WM_USER, 0, 0);
    EXPECT_EQ(display.about(top, mark),
              (std::vector<std::string>{"placed 300,200 visible", "title three", "flush"}));

    mark = display.said.size();
    DestroyWindow(top);
    EXPECT_EQ(display.about(top, mark), (std::vector<std::string>{"destroyed", "flush"}));
    EXPECT_EQ(display.about(child, mark), (std::vector<std::string>{"flush"}));
}

TEST_F(Display, WhatTheDisplayReportsReachesTheWindows) {
    HWND top = CreateWindowExA(0, "Shown", "one", WS_POPUP | WS_VISIBLE, 10, 20, 100, 50, nullptr,
                               nullptr, nullptr, nullptr);
    ASSERT_TRUE(top);
    platform::DisplayEvents& up = platform::display_events();

    // The user dragged and sized the window: the window and the desktop follow.
    up.configured(top, RECT{40, 50, 240, 150});
    RECT r{};
    GetWindowRect(top, &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.right, 240);
    EXPECT_EQ(platform::desktop_window(top)->rect.bottom, 150);

    ValidateRect(top, nullptr);
    up.exposed(top, RECT{5, 5, 10, 10});
    EXPECT_TRUE(GetUpdateRect(top, &r, FALSE));
    EXPECT_EQ(r.left, 5);

    SetActiveWindow(nullptr);
    size_t mark = display.said.size();
    up.focus_changed(top, true);
    EXPECT_EQ(GetActiveWindow(), top);
    EXPECT_EQ(display.about(top, mark).front(), "active");

    up.close_requested(top);
    pump();
    EXPECT_FALSE(IsWindow(top));
}

TEST_F(Display, CaptureAndTrayIconsReachTheDriverWithTheirPixels) {
    HWND top = CreateWindowExA(0, "Shown", "one", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                               nullptr);
    size_t mark = display.said.size();
    SetCapture(top);
    ReleaseCapture();
    EXPECT_EQ(display.about(top, mark), (std::vector<std::string>{"capture", "release"}));

    NOTIFYICONDATAA nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = top;
    nid.uID = 1;
    nid.uFlags = NIF_ICON | NIF_TIP;
    nid.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpyA(nid.szTip, "Radios");
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(nid.hIcon, &info));
    BITMAP bm{};
    GetObjectA(info.hbmColor, sizeof bm, &bm);
    mark = display.said.size();
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &nid));
    std::string size = std::to_string(bm.bmWidth) + "x" + std::to_string(bm.bmHeight);
    EXPECT_EQ(
        display.about(top, mark),
        (std::vector<std::string>{
            "tray " + size + " " + std::to_string(bm.bmWidth * bm.bmHeight) + " Radios", "flush"}));
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid));
    EXPECT_EQ(display.about(top).back(), "flush");
    EXPECT_EQ(display.about(top).end()[-2], "untray");
    DestroyWindow(top);
}

} // namespace
