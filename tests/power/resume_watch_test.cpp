// The machine's resume reaches the program as Windows reports it: a private system bus plays
// logind's part, dbus-send emits PrepareForSleep, and the process's top-level windows, and
// only they, receive WM_POWERBROADCAST(PBT_APMRESUMESUSPEND).
#include "platform/kernel/wait.h"
#include "platform/power/resume_watch.h"
#include "tests/power/private_bus.h"
#include "tests/support/machine_fixture.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

using platform::ResumeWatchState;
using testing_support::PrivateBus;

class ResumeTest : public testing_support::MachineFixture {
protected:
    HWND window(HWND parent = nullptr) {
        return CreateWindowExA(0, "Static", "", parent ? WS_CHILD : WS_POPUP, 0, 0, 10, 10, parent,
                               nullptr, nullptr, nullptr);
    }

    void use_bus(const std::string& address) {
        setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);
    }

    // Serves the bus connection from the thread's one wait until the watch subscribed or
    // gave up.
    ResumeWatchState settle() {
        while (platform::resume_watch_state() == ResumeWatchState::connecting)
            platform::wait_events(std::nullopt);
        return platform::resume_watch_state();
    }

    // Serves the bus until `count` resume messages arrived (or the watch ended), in order.
    std::vector<HWND> resumes(size_t count) {
        std::vector<HWND> out;
        for (;;) {
            MSG m;
            while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
                if (m.message != WM_POWERBROADCAST)
                    continue;
                EXPECT_EQ(m.wParam, WPARAM{PBT_APMRESUMESUSPEND});
                EXPECT_EQ(m.lParam, 0);
                out.push_back(m.hwnd);
            }
            if (out.size() >= count || platform::resume_watch_state() == ResumeWatchState::off)
                return out;
            platform::wait_events(std::nullopt);
        }
    }

    testing_support::TempDir dir_;
};

TEST_F(ResumeTest, ResumeReachesTopLevelWindowsOnly) {
    PrivateBus bus(dir_.path());
    ASSERT_TRUE(bus.running());
    use_bus(bus.address());
    HWND top = window();
    HWND child = window(top);
    HWND second = window();
    ASSERT_TRUE(top && child && second);
    ASSERT_EQ(settle(), ResumeWatchState::subscribed);

    // Going to sleep is nothing; waking up is one message at each top-level window.
    ASSERT_TRUE(bus.prepare_for_sleep(true));
    ASSERT_TRUE(bus.prepare_for_sleep(false));
    std::vector<HWND> got = resumes(2);
    platform::wait_events(clock().now()); // whatever else came with it
    MSG extra;
    EXPECT_FALSE(PeekMessageA(&extra, nullptr, WM_POWERBROADCAST, WM_POWERBROADCAST, PM_REMOVE));
    std::sort(got.begin(), got.end());
    std::vector<HWND> want = {top, second};
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);

    // A bus that goes away ends the watch; the windows carry on.
    bus.stop();
    EXPECT_TRUE(resumes(1).empty());
    EXPECT_EQ(platform::resume_watch_state(), ResumeWatchState::off);
    EXPECT_TRUE(PostMessageA(top, WM_APP, 1, 2));
}

TEST_F(ResumeTest, BusThatRefusesUsIsGivenUp) {
    PrivateBus bus(dir_.path(), "ANONYMOUS");
    ASSERT_TRUE(bus.running());
    use_bus(bus.address());
    ASSERT_TRUE(window());
    EXPECT_EQ(settle(), ResumeWatchState::off);
}

TEST_F(ResumeTest, SilentBusNeverHoldsUpTheWindow) {
    // A socket that listens but never answers: the window is made at once and the watch
    // waits in the thread's wait, not in the window's creation.
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::string path = (dir_.path() / "silent").string();
    path.copy(addr.sun_path, sizeof addr.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(fd, 1), 0);
    use_bus("unix:path=" + path);
    HWND top = window();
    ASSERT_TRUE(top);
    EXPECT_EQ(platform::resume_watch_state(), ResumeWatchState::connecting);
    close(fd);
}

TEST_F(ResumeTest, WithoutABusWindowsStillWork) {
    // Nothing listens at the fixture's address: no connection, nothing left waiting.
    HWND top = window();
    ASSERT_TRUE(top);
    EXPECT_EQ(platform::resume_watch_state(), ResumeWatchState::off);
    EXPECT_TRUE(PostMessageA(top, WM_APP, 1, 2));
    MSG m;
    ASSERT_TRUE(GetMessageA(&m, top, 0, 0));
    EXPECT_EQ(m.message, UINT{WM_APP});
}

} // namespace
