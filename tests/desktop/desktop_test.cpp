// Windows and posted messages across real processes on one machine root.
#include "peer_process.h"

#include "platform/desktop/desktop.h"
#include "platform/desktop/protocol.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/wait.h"
#include "tests/support/process_wait.h"

#include <chrono>
#include <cstdio>
#include <csignal>
#include <cstring>
#include <sstream>
#include <fstream>
#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace desktop_test;

namespace {

// A window of the test process that keeps what is posted to it.
struct Sink {
    static std::vector<MSG>& received() {
        static std::vector<MSG> r;
        return r;
    }
    static LRESULT CALLBACK proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m >= WM_APP)
            received().push_back(MSG{h, m, w, l, 0, {}});
        return DefWindowProcA(h, m, w, l);
    }
    Sink() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = proc;
        wc.lpszClassName = "DeskTestSink";
        RegisterClassA(&wc);
        received().clear();
        hwnd = CreateWindowExA(0, "DeskTestSink", "Sink", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
    }
    ~Sink() { DestroyWindow(hwnd); }
    // Dispatches until `count` messages arrived or the safety net of a few seconds is over.
    bool pump_until(size_t count) {
        platform::Millis deadline = platform::clock().now() + 10000;
        MSG m;
        while (received().size() < count && platform::clock().now() < deadline) {
            while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&m);
            if (received().size() < count)
                platform::wait_events(deadline);
        }
        return received().size() >= count;
    }
    HWND hwnd = nullptr;
};

long long as_number(HWND h) {
    return static_cast<long long>(reinterpret_cast<uintptr_t>(h));
}

struct CpuAndSwitches {
    long long switches = 0;
    long long ticks = 0;
};

// Context switches of all the process's threads and its CPU time: both stand still while
// it makes no system calls.
CpuAndSwitches activity(pid_t pid) {
    CpuAndSwitches a;
    std::string task_dir = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(task_dir)) {
        std::ifstream status(task.path() / "status");
        std::string key;
        long long value;
        while (status >> key) {
            if (key == "voluntary_ctxt_switches:" || key == "nonvoluntary_ctxt_switches:") {
                status >> value;
                a.switches += value;
            }
        }
    }
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string f;
    for (int i = 3; i <= 15 && fields >> f; ++i)
        if (i == 14 || i == 15)
            a.ticks += std::stoll(f);
    return a;
}

} // namespace

TEST_F(DesktopTest, FindWindowSeesOtherProcessesAsWindowsMatches) {
    Peer app("RadiodeckPeer", "Radiodeck");
    Peer dialog("#32770", "Radiodeck");
    ASSERT_TRUE(app.top && dialog.top);

    // The class and the title compare without letter case, but whole.
    EXPECT_EQ(FindWindowA("radiodeckPEER", "Radiodeck"), app.top);
    EXPECT_EQ(FindWindowA("RadiodeckPeer", "rADIODECK"), app.top);
    EXPECT_EQ(FindWindowExA(app.top, nullptr, "BUTTON", "wireless lan"), app.child);
    EXPECT_EQ(FindWindowA("RadiodeckPeer", "Radio"), nullptr);
    EXPECT_EQ(FindWindowExA(nullptr, nullptr, "#32770", "Radiodeck"), dialog.top);
    // The dialog came last, so it is on top; the search continues after a given window.
    EXPECT_EQ(FindWindowA(nullptr, "Radiodeck"), dialog.top);
    EXPECT_EQ(FindWindowExA(nullptr, dialog.top, nullptr, "Radiodeck"), app.top);
    EXPECT_EQ(FindWindowExA(nullptr, app.top, nullptr, "Radiodeck"), nullptr);
    EXPECT_EQ(FindWindowExA(app.top, nullptr, "button", "Wireless Lan"), app.child);

    char text[64];
    EXPECT_EQ(GetWindowTextA(dialog.top, text, sizeof text), 9);
    EXPECT_STREQ(text, "Radiodeck");
    EXPECT_EQ(GetWindowTextLengthA(app.child), 12);
    EXPECT_GT(GetClassNameA(dialog.top, text, sizeof text), 0);
    EXPECT_STREQ(text, "#32770");
    DWORD pid = 0;
    EXPECT_NE(GetWindowThreadProcessId(app.top, &pid), 0u);
    EXPECT_EQ(pid, static_cast<DWORD>(app.process.pid()));
}

TEST_F(DesktopTest, DialogItemsAndHandlesOfAnotherProcess) {
    Peer app("RadiodeckPeer", "Radiodeck");
    ASSERT_TRUE(app.top);
    EXPECT_TRUE(IsWindow(app.top));
    EXPECT_TRUE(IsWindow(app.child));
    EXPECT_EQ(GetDlgItem(app.top, 117), app.child);
    EXPECT_EQ(GetParent(app.child), app.top);

    SetLastError(0);
    EXPECT_EQ(GetDlgItem(app.top, 118), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONTROL_ID_NOT_FOUND));
    // A handle of an unused slot, and one of a slot's other generation, are no windows.
    HWND near = reinterpret_cast<HWND>(as_number(app.top) + 0x200);
    HWND stale = reinterpret_cast<HWND>(as_number(app.top) + 0x10000);
    EXPECT_FALSE(IsWindow(near));
    EXPECT_FALSE(IsWindow(stale));
    EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(0xA0000010)));
    // Sending would block on another process: refused, unlike posting.
    SetLastError(0);
    EXPECT_EQ(SendMessageA(app.top, WM_USER, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(DesktopTest, PostedMessagesArriveInOrderWithWindowHandlesIntact) {
    Peer app("RadiodeckPeer", "Radiodeck");
    ASSERT_TRUE(app.top);
    Sink sink;
    ASSERT_TRUE(sink.hwnd);

    constexpr int kCount = 300; // more than a socket queue holds at once
    for (int i = 0; i < kCount; ++i)
        ASSERT_TRUE(PostMessageA(app.top, WM_USER + 7, static_cast<WPARAM>(i) << 33, -i));
    ASSERT_TRUE(PostMessageA(app.top, WM_COMMAND, 1004, reinterpret_cast<LPARAM>(sink.hwnd)));
    for (int i = 0; i < kCount; ++i) {
        auto m = app.next_message();
        ASSERT_TRUE(m) << "message " << i;
        EXPECT_EQ((*m)[0], WM_USER + 7);
        EXPECT_EQ((*m)[1], static_cast<long long>(static_cast<WPARAM>(i) << 33));
        EXPECT_EQ((*m)[2], -i);
    }
    auto command = app.next_message();
    ASSERT_TRUE(command);
    EXPECT_EQ((*command)[2], as_number(sink.hwnd));

    // The peer answers the window it found in lParam, naming its own window the same way.
    ASSERT_TRUE(sink.pump_until(1));
    const MSG& answer = Sink::received()[0];
    EXPECT_EQ(answer.hwnd, sink.hwnd);
    EXPECT_EQ(answer.message, static_cast<UINT>(WM_APP + 1));
    EXPECT_EQ(answer.wParam, 1004u);
    EXPECT_EQ(answer.lParam, reinterpret_cast<LPARAM>(app.top));
}

TEST_F(DesktopTest, PostsOfOtherProcessesAndOfThisThreadKeepOneOrderOfArrival) {
    Peer app("RadiodeckPeer", "Radiodeck");
    ASSERT_TRUE(app.top);
    Sink sink;
    ASSERT_TRUE(sink.hwnd);
    ASSERT_TRUE(PostMessageA(sink.hwnd, WM_APP + 2, 0, 0));
    // The peer answers the first command before it reports the second: once that report is
    // read, the answer has arrived, although this thread has not waited since.
    ASSERT_TRUE(PostMessageA(app.top, WM_COMMAND, 1, reinterpret_cast<LPARAM>(sink.hwnd)));
    ASSERT_TRUE(PostMessageA(app.top, WM_COMMAND, 2, 0));
    ASSERT_TRUE(app.next_message() && app.next_message());
    ASSERT_TRUE(PostMessageA(sink.hwnd, WM_APP + 3, 0, 0));
    std::vector<UINT> order;
    MSG m;
    while (PeekMessageA(&m, sink.hwnd, 0, 0, PM_REMOVE))
        order.push_back(m.message);
    EXPECT_EQ(order, (std::vector<UINT>{WM_APP + 2, WM_APP + 1, WM_APP + 3}));
}

TEST_F(DesktopTest, AQueueHoldsTenThousandPostsAndAFullOneFailsAtOnce) {
    Peer app("RadiodeckPeer", "Radiodeck");
    ASSERT_TRUE(app.top);
    kill(app.process.pid(), SIGSTOP); // busy: it reads nothing meanwhile
    constexpr int kQuota = 10000;
    for (int i = 0; i < kQuota; ++i)
        ASSERT_TRUE(PostMessageA(app.top, WM_USER + 9, static_cast<WPARAM>(i), 0)) << i;
    SetLastError(0);
    EXPECT_FALSE(PostMessageA(app.top, WM_USER + 9, kQuota, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_QUOTA));
    kill(app.process.pid(), SIGCONT);
    for (int i = 0; i < kQuota; ++i) {
        auto m = app.next_message();
        ASSERT_TRUE(m) << i;
        ASSERT_EQ(*m, (std::vector<long long>{WM_USER + 9, i, 0}));
    }
    // Room again.
    EXPECT_TRUE(PostMessageA(app.top, WM_USER + 9, kQuota, 0));
    EXPECT_TRUE(app.next_message());
}

// A socket path longer than an address holds: the desktop below a deep machine root, with no
// runtime directory to take it instead. Posts still travel both ways.
TEST_F(DesktopTest, PostsTravelBelowADeepMachineRoot) {
    std::filesystem::path deep = root_->path() / std::string(60, 'd') / std::string(60, 'e');
    std::filesystem::create_directories(deep);
    setenv("RADIODECK_ROOT", deep.c_str(), 1);
    unsetenv("XDG_RUNTIME_DIR");
    Peer app("RadiodeckPeer", "Radiodeck");
    ASSERT_TRUE(app.top);
    Sink sink;
    ASSERT_TRUE(sink.hwnd);
    ASSERT_TRUE(PostMessageA(app.top, WM_COMMAND, 1004, reinterpret_cast<LPARAM>(sink.hwnd)));
    auto command = app.next_message();
    ASSERT_TRUE(command);
    EXPECT_EQ((*command)[2], as_number(sink.hwnd));
    ASSERT_TRUE(sink.pump_until(1));
    EXPECT_EQ(Sink::received()[0].lParam, reinterpret_cast<LPARAM>(app.top));
}

// A window table that another process truncated or overwrote is rebuilt by the next one to
// use it: a process that has it mapped does not fault, new processes get in, and the running
// ones publish their windows again under the handles they had.
TEST_F(DesktopTest, ADamagedWindowTableIsRebuilt) {
    const std::vector<std::function<void(const std::filesystem::path&)>> damages = {
        [](const std::filesystem::path& table) { ASSERT_EQ(truncate(table.c_str(), 100), 0); },
        [](const std::filesystem::path& table) {
            std::fstream(table, std::ios::in | std::ios::out | std::ios::binary) << "garbage!";
        },
    };
    for (const auto& damage : damages) {
        Peer before("RadiodeckPeer", "Before");
        ASSERT_TRUE(before.top);
        ASSERT_EQ(FindWindowA("RadiodeckPeer", "Before"), before.top);
        damage(platform::desktop_change_file()->parent_path() / "table");
        EXPECT_EQ(FindWindowA("RadiodeckPeer", "Before"), nullptr); // the table is new
        const std::filesystem::path desktop = platform::desktop_change_file()->parent_path();
        EXPECT_TRUE(testing_support::wait_in_dir(desktop, [&] {
            return FindWindowA("RadiodeckPeer", "Before") == before.top &&
                   GetDlgItem(before.top, 117) == before.child;
        }));
        Peer after("RadiodeckPeer", "After");
        ASSERT_TRUE(after.top);
        EXPECT_EQ(FindWindowA("RadiodeckPeer", "After"), after.top);
        Sink sink;
        ASSERT_TRUE(PostMessageA(after.top, WM_COMMAND, 1, reinterpret_cast<LPARAM>(sink.hwnd)));
        EXPECT_TRUE(sink.pump_until(1));
    }
}

// Dead means exited: a zombie that its parent has not reaped yet is gone as well.
TEST_F(DesktopTest, WindowsOfADeadProcessAreGone) {
    Peer zombie("RadiodeckPeer", "Zombie");
    ASSERT_TRUE(zombie.top);
    ASSERT_EQ(kill(zombie.process.pid(), SIGKILL), 0);
    siginfo_t info{};
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(zombie.process.pid()), &info, WEXITED | WNOWAIT), 0);
    EXPECT_EQ(FindWindowA("RadiodeckPeer", "Zombie"), nullptr);
    EXPECT_FALSE(IsWindow(zombie.top));

    Peer app("RadiodeckPeer", "Radiodeck");
    ASSERT_TRUE(app.top);
    ASSERT_EQ(FindWindowA("RadiodeckPeer", nullptr), app.top);
    app.process.kill_now();

    EXPECT_EQ(FindWindowA("RadiodeckPeer", nullptr), nullptr);
    EXPECT_FALSE(IsWindow(app.child));
    SetLastError(0);
    EXPECT_FALSE(PostMessageA(app.top, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    // Its slots are free again, and a new window does not inherit the old handle.
    Peer next("RadiodeckPeer", "Radiodeck");
    ASSERT_TRUE(next.top);
    EXPECT_NE(next.top, app.top);
    EXPECT_FALSE(IsWindow(app.top));
}

TEST_F(DesktopTest, TheDesktopDirectoryIsPrivateAndAnOpenOneIsRefused) {
    Peer app("RadiodeckPeer", "Radiodeck");
    ASSERT_TRUE(app.top);
    std::filesystem::path dir = platform::desktop_directory_for(root_->path());
    EXPECT_EQ(dir.parent_path(), runtime_->path());
    struct stat st {};
    ASSERT_EQ(stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // Another machine root whose desktop directory others may enter: nobody shares it.
    testing_support::TempDir other;
    setenv("RADIODECK_ROOT", other.path().c_str(), 1);
    std::filesystem::path open_dir = platform::desktop_directory_for(other.path());
    ASSERT_EQ(mkdir(open_dir.c_str(), 0755), 0);
    chmod(open_dir.c_str(), 0755);
    Peer lonely("RadiodeckPeer", "Lonely");
    ASSERT_TRUE(lonely.top); // it runs, alone
    EXPECT_EQ(FindWindowA("RadiodeckPeer", "Lonely"), nullptr);
    EXPECT_FALSE(IsWindow(lonely.top));
    ASSERT_EQ(stat(open_dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u); // refused, not silently changed
    EXPECT_FALSE(std::filesystem::exists(open_dir / "table"));
}

TEST_F(DesktopTest, PostsOfAnotherUserOrOfAnotherShapeAreDropped) {
    Peer app("RadiodeckPeer", "Radiodeck");
    ASSERT_TRUE(app.top);
    RawSocket app_queue(app.top);
    ASSERT_TRUE(app_queue.ok());

    platform::desktop_wire::PostDatagram good{};
    good.magic = platform::desktop_wire::kPostMagic;
    good.version = platform::desktop_wire::kPostVersion;
    good.size = sizeof good;
    good.target = static_cast<uint32_t>(as_number(app.top));
    good.message = WM_USER + 5;

    // Another user cannot open the queue at all.
    bool other_user_tried = app_queue.send_as_other_user(&good);

    // From this user, but not what the protocol says, or not for one of its windows, or a
    // message no other process may post.
    auto bad_magic = good;
    bad_magic.magic ^= 1;
    auto bad_version = good;
    bad_version.version = 99;
    auto bad_size = good;
    bad_size.size = 41;
    auto not_its_window = good;
    not_its_window.target = static_cast<uint32_t>(as_number(app.top) + 0x10000);
    auto lifetime = good;
    lifetime.message = WM_NCDESTROY;
    for (const auto* d : {&bad_magic, &bad_version, &bad_size, &not_its_window, &lifetime})
        EXPECT_TRUE(app_queue.send(d));
    // A header whose counters no sender wrote: the owner starts its queue again, empty.
    ASSERT_TRUE(app_queue.damage_header());
    ASSERT_TRUE(testing_support::wait_idle(app.process.pid()));

    // Only what follows arrives.
    ASSERT_TRUE(PostMessageA(app.top, WM_USER + 6, 0, 0));
    auto m = app.next_message();
    ASSERT_TRUE(m);
    EXPECT_EQ((*m)[0], WM_USER + 6);
    if (!other_user_tried)
        GTEST_SKIP() << "could not become another user (not running as root): only the "
                        "malformed posts were checked";
}

TEST_F(DesktopTest, AnIdleProcessMakesNoSystemCalls) {
    Peer app("RadiodeckPeer", "Radiodeck");
    ASSERT_TRUE(app.top);
    // Once it has answered, it is back in its one wait.
    ASSERT_TRUE(PostMessageA(app.top, WM_NULL, 0, 0));
    ASSERT_TRUE(app.next_message());
    ASSERT_TRUE(testing_support::wait_idle(app.process.pid()));
    CpuAndSwitches before = activity(app.process.pid());
    // Measuring idleness takes real time: one second is where a timer or a poll loop shows.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    CpuAndSwitches after = activity(app.process.pid());
    EXPECT_EQ(after.switches, before.switches);
    EXPECT_EQ(after.ticks, before.ticks);
    // And it still wakes for a message.
    ASSERT_TRUE(PostMessageA(app.top, WM_USER + 9, 0, 0));
    auto m = app.next_message();
    ASSERT_TRUE(m);
    EXPECT_EQ((*m)[0], WM_USER + 9);
}
