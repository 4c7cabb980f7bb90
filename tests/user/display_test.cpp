// The display driver: chosen by RADIODECK_DISPLAY, told of every change to a window, and the
// source of the screen's size.
#include "platform/drivers/display.h"
#include "tests/support/machine_fixture.h"

#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Change {
    HWND hwnd;
    bool destroyed;
    bool visible;
    RECT rect;
    std::string title;
};

class RecordingDisplay : public platform::DisplayDriver {
public:
    const char* name() const override { return "recording"; }
    SIZE screen_size() const override { return {1280, 800}; }
    void window_changed(HWND hwnd) override { record(hwnd, false); }
    void window_destroyed(HWND hwnd) override { record(hwnd, true); }

    std::vector<Change> changes;

private:
    void record(HWND hwnd, bool destroyed) {
        Change c{hwnd, destroyed, IsWindowVisible(hwnd) != 0, {}, {}};
        GetWindowRect(hwnd, &c.rect);
        char text[64] = "";
        GetWindowTextA(hwnd, text, sizeof text);
        c.title = text;
        changes.push_back(c);
    }
};

class Display : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        if (const char* v = std::getenv(platform::kDisplayVariable))
            saved_ = v;
        platform::set_display_driver(&display);
    }
    void TearDown() override {
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
    const Change& last_of(HWND hwnd) {
        for (auto it = display.changes.rbegin(); it != display.changes.rend(); ++it)
            if (it->hwnd == hwnd)
                return *it;
        static const Change none{};
        ADD_FAILURE() << "the display heard nothing of the window";
        return none;
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
    EXPECT_EQ(open_with("x11"),
              "RADIODECK_DISPLAY=x11: this build has no X11 display driver (use headless)");
    EXPECT_EQ(open_with("Headless"),
              "RADIODECK_DISPLAY=Headless: unknown display (headless or x11)");
    // A refused choice still leaves a working display behind.
    EXPECT_STREQ(platform::display_driver().name(), "headless");
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
}

TEST_F(Display, TheDriverHearsEveryChangeOfAWindowAndGivesTheScreen) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 800);
    HWND top = CreateWindowExA(0, "Button", "one", WS_POPUP, 10, 20, 100, 50, nullptr, nullptr,
                               nullptr, nullptr);
    ASSERT_TRUE(top);
    HWND child = CreateWindowExA(0, "Button", "inner", WS_CHILD | WS_VISIBLE, 0, 0, 20, 10, top,
                                 nullptr, nullptr, nullptr);
    ASSERT_TRUE(child);
    EXPECT_FALSE(last_of(top).visible);

    ShowWindow(top, SW_SHOW);
    EXPECT_TRUE(last_of(top).visible);
    SetWindowPos(top, nullptr, 300, 200, 120, 60, SWP_NOZORDER);
    EXPECT_EQ(last_of(top).rect.left, 300);
    EXPECT_EQ(last_of(top).rect.bottom, 260);
    SetWindowTextA(top, "two");
    EXPECT_EQ(last_of(top).title, "two");
    ShowWindow(top, SW_HIDE);
    EXPECT_FALSE(last_of(top).visible);

    // Told before the window goes, children first, each while it can still be read.
    display.changes.clear();
    DestroyWindow(top);
    std::vector<HWND> gone;
    for (const Change& c : display.changes)
        if (c.destroyed)
            gone.push_back(c.hwnd);
    EXPECT_EQ(gone, (std::vector<HWND>{child, top}));
    EXPECT_EQ(last_of(top).title, "two");
    EXPECT_FALSE(IsWindow(top));
}

} // namespace
