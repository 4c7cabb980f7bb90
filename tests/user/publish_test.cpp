// What other processes see of this process's windows, and when: a burst of changes reaches the
// desktop once, before the thread blocks, and a call made outside any window procedure is
// there when it returns.
#include "tests/support/machine_fixture.h"
#include "tests/user/burst_window.h"

#include "platform/desktop/desktop.h"

#include <windows.h>

#include <fstream>
#include <functional>
#include <string>

namespace {

using testing_support::burst_proc;
using testing_support::g_on_user;

class Publishing : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        WNDCLASSA wc{};
        wc.lpfnWndProc = burst_proc;
        wc.lpszClassName = "Burst";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, "Burst", "first", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                  nullptr, nullptr);
        ASSERT_TRUE(window_ && platform::desktop_available());
    }
    void TearDown() override {
        g_on_user = nullptr;
        DestroyWindow(window_);
        MachineFixture::TearDown();
    }
    // How often the desktop has told its watchers of a change.
    static uint64_t changes() {
        uint64_t n = 0;
        std::ifstream(*platform::desktop_change_file(), std::ios::binary)
            .read(reinterpret_cast<char*>(&n), sizeof n);
        return n;
    }
    // The window as another process reads it from the desktop.
    std::string published_title() const {
        auto w = platform::desktop_window(window_);
        return w ? w->title : "<none>";
    }
    HWND window_ = nullptr;
};

TEST_F(Publishing, ABurstInOneWindowProcedureReachesTheDesktopOnceWhenItReturns) {
    std::string seen_inside;
    g_on_user = [&](HWND h) {
        for (int i = 0; i < 20; ++i) {
            SetWindowTextA(h, ("title " + std::to_string(i)).c_str());
            MoveWindow(h, i, i, 60, 60, FALSE);
        }
        seen_inside = published_title();
        char local[32];
        GetWindowTextA(h, local, sizeof local);
        EXPECT_STREQ(local, "title 19"); // this process reads its own window's newest state
    };
    uint64_t before = changes();
    SendMessageA(window_, WM_USER, 0, 0);
    EXPECT_EQ(seen_inside, "first");
    EXPECT_EQ(changes(), before + 1);
    EXPECT_EQ(published_title(), "title 19");
    EXPECT_EQ(platform::desktop_window(window_)->rect.left, 19);
}

TEST_F(Publishing, ChangesReachTheDesktopBeforeTheThreadBlocks) {
    std::string after_sleep;
    g_on_user = [&](HWND h) {
        SetWindowTextA(h, "changed");
        Sleep(10);
        after_sleep = published_title();
    };
    SendMessageA(window_, WM_USER, 0, 0);
    EXPECT_EQ(after_sleep, "changed");
}

TEST_F(Publishing, CallsOutsideAnyWindowProcedureAreSeenWhenTheyReturn) {
    SetWindowTextA(window_, "at once");
    EXPECT_EQ(published_title(), "at once");
    HWND child = CreateWindowExA(0, "Burst", "Wireless Lan", WS_CHILD, 1, 2, 3, 4, window_,
                                 reinterpret_cast<HMENU>(7), nullptr, nullptr);
    auto children = platform::desktop_children(window_);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(children[0].id, 7u);
    EXPECT_EQ(children[0].title, "Wireless Lan");
    DestroyWindow(child);
    EXPECT_FALSE(platform::desktop_window(child));
}

TEST_F(Publishing, AWindowDestroyedInABurstIsGoneAtOnceForThisProcess) {
    bool gone_here = false;
    g_on_user = [&](HWND h) {
        HWND child = CreateWindowExA(0, "Burst", "short", WS_CHILD, 0, 0, 1, 1, h, nullptr, nullptr,
                                     nullptr);
        DestroyWindow(child);
        gone_here = !IsWindow(child) && !FindWindowExA(h, nullptr, nullptr, "short");
    };
    SendMessageA(window_, WM_USER, 0, 0);
    EXPECT_TRUE(gone_here);
    EXPECT_TRUE(platform::desktop_children(window_).empty());
}

} // namespace
