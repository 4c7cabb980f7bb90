// The program as a person starts it: real processes on a machine root of their own, seen
// through the desktop as deskctl sees it.
#include "machine/notebookctl/notebook_setup.h"
#include "platform/desktop/desktop.h"
#include "tests/support/machine_fixture.h"

#include <windows.h>

#include <chrono>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

class Program : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        ASSERT_EQ(machine::init_notebook({}), static_cast<DWORD>(ERROR_SUCCESS));
        keywatch_ = spawn(KEYWATCH);
        ASSERT_TRUE(wait_for([] { return count_windows("KEYWATCH", "KEYWATCH") == 1; }));
    }
    void TearDown() override {
        for (pid_t pid : running_)
            kill(pid, SIGKILL);
        for (pid_t pid : running_)
            waitpid(pid, nullptr, 0);
        MachineFixture::TearDown();
    }
    pid_t spawn(const char* program) {
        char* argv[] = {const_cast<char*>(program), nullptr};
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, program, nullptr, nullptr, argv, environ), 0);
        running_.push_back(pid);
        return pid;
    }
    // Whether the process ended by itself within the time. (Its exit code is MFC's: the
    // wParam of the last message its loop took.)
    bool ended(pid_t pid, int seconds = 20) {
        auto deadline = Clock::now() + std::chrono::seconds(seconds);
        int status = 0;
        while (Clock::now() < deadline) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                std::erase(running_, pid);
                return WIFEXITED(status);
            }
            usleep(5000);
        }
        return false;
    }
    static std::vector<platform::DesktopWindow> consoles() {
        std::vector<platform::DesktopWindow> out;
        for (const auto& w : platform::desktop_top_level())
            if (w.class_name == "#32770" && w.title == "Radiodeck")
                out.push_back(w);
        return out;
    }
    static int count_windows(const char* cls, const char* title) {
        int n = 0;
        for (const auto& w : platform::desktop_top_level())
            n += w.class_name == cls && w.title == title;
        return n;
    }
    static bool console_shown(bool shown) {
        auto c = consoles();
        return c.size() == 1 && ((c[0].style & WS_VISIBLE) != 0) == shown;
    }
    // Blocks on the desktop's change notifications until `done` holds (20 s at most).
    template <typename Pred> static bool wait_for(Pred done) {
        int fd = inotify_init1(IN_CLOEXEC);
        if (auto change = platform::desktop_change_file())
            inotify_add_watch(fd, change->parent_path().c_str(),
                              IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO);
        auto deadline = Clock::now() + std::chrono::seconds(20);
        bool ok = done();
        while (!ok && Clock::now() < deadline) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 100) > 0) {
                char buffer[4096];
                (void)!read(fd, buffer, sizeof buffer);
            }
            ok = done();
        }
        close(fd);
        return ok;
    }

    pid_t keywatch_ = -1;
    std::vector<pid_t> running_;
};

TEST_F(Program, SecondStartTogglesTheRunningConsoleAndEnds) {
    pid_t first = spawn(RADIODECK);
    ASSERT_TRUE(wait_for([] { return console_shown(false); }));
    pid_t second = spawn(RADIODECK);
    EXPECT_TRUE(ended(second));
    EXPECT_TRUE(wait_for([] { return console_shown(true); }));
    pid_t third = spawn(RADIODECK);
    EXPECT_TRUE(ended(third));
    EXPECT_TRUE(wait_for([] { return console_shown(false); }));
    // The tray's Exit ends the run.
    PostMessageA(consoles().at(0).handle, WM_COMMAND, 32771, 0);
    EXPECT_TRUE(ended(first));
    EXPECT_TRUE(consoles().empty());
}

TEST_F(Program, SimultaneousStartsLeaveExactlyOneInstance) {
    std::vector<pid_t> starts;
    for (int i = 0; i < 6; ++i)
        starts.push_back(spawn(RADIODECK));
    ASSERT_TRUE(wait_for([] { return consoles().size() == 1; }));
    int still_running = 0;
    for (pid_t pid : starts)
        still_running += ended(pid, 3) ? 0 : 1;
    EXPECT_EQ(still_running, 1);
    EXPECT_EQ(consoles().size(), 1u);
}

} // namespace
