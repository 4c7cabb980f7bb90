// What another process can post to the system's programs: every system message with
// pointer-like parameters, past the platform's own sending, leaves each program running and
// answering; PostMessageA and deskctl refuse the messages that carry pointers.
#include "tests/events/events_fixture.h"

#include "machine/acpi/firmware.h"
#include "machine/osd/osd_journal.h"
#include "platform/desktop/protocol.h"

#include <csignal>
#include <functional>

namespace {

using desktop_test::hex_handle;
using desktop_test::Process;
using desktop_test::RawSocket;
using events_test::EventsTest;
using events_test::Outcome;

class MessageSweep : public EventsTest {
protected:
    // Every message below WM_USER, with parameters that look like addresses, to the window and
    // to each of its children; after each window, `settle` waits until the program has read
    // all of it. WM_CLOSE and BM_CLICK are left out: they close and click as a user does.
    static void sweep(HWND top, const std::function<void()>& settle) {
        std::vector<HWND> windows{top};
        for (const auto& child : platform::desktop_children(top))
            windows.push_back(child.handle);
        constexpr uint64_t kParams[] = {0x41414141, 0x00007f0012345678, 0xFFFFFFFFFFFFFFF0};
        for (HWND window : windows) {
            RawSocket queue(window);
            ASSERT_TRUE(queue.ok());
            for (UINT msg = 0; msg < WM_USER; ++msg) {
                if (msg == WM_CLOSE || msg == BM_CLICK)
                    continue;
                for (uint64_t param : kParams) {
                    platform::desktop_wire::PostDatagram d{};
                    d.magic = platform::desktop_wire::kPostMagic;
                    d.version = platform::desktop_wire::kPostVersion;
                    d.size = sizeof d;
                    d.target = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
                    d.message = msg;
                    d.wparam = param;
                    d.lparam = param;
                    ASSERT_TRUE(queue.send(&d)) << "message " << msg;
                }
            }
            settle();
        }
    }
    static bool running(const Process& p) { return kill(p.pid(), 0) == 0; }
    static machine::Firmware firmware() {
        machine::Firmware f;
        machine::read_firmware(f);
        return f;
    }
    static bool visible(HWND h) {
        auto w = platform::desktop_window(h);
        return w && (w->style & WS_VISIBLE) != 0;
    }
    static bool wait_machine(const std::function<bool()>& done) {
        return testing_support::wait_in_dirs({machine::firmware_path().parent_path(),
                                              machine::osd_journal_path().parent_path(),
                                              platform::desktop_change_file()->parent_path()},
                                             done);
    }
};

TEST_F(MessageSweep, NoPostedMessageCrashesOrTakesOverAProgram) {
    ASSERT_EQ(notebookctl("init").code, 0);
    Process keywatch({KEYWATCH});
    Process osd({ZEBOSD});
    Process console({RADIODECK});
    HWND service = wait_for_window("KEYWATCH", "KEYWATCH");
    HWND announcer = wait_for_window("ZEBOSD", "ZEBOSD");
    HWND dialog = wait_for_window("#32770", "Radiodeck");
    ASSERT_TRUE(service && announcer && dialog);
    ASSERT_TRUE(testing_support::wait_idle(console.pid())); // its start-up has ended

    // Each program, once it has read a window's share, still does what it is there for.
    bool wlan = true;
    sweep(service, [&] {
        wlan = !wlan;
        ASSERT_TRUE(PostMessageA(service, WM_COMMAND, MAKEWPARAM(117, wlan), 0));
        ASSERT_TRUE(wait_machine([&] { return firmware().state.wlan_on == wlan; }));
    });
    int code = 94;
    sweep(announcer, [&] {
        code = code == 94 ? 95 : 94;
        size_t before = machine::read_osd_journal().size();
        ASSERT_TRUE(PostMessageA(announcer, WM_COMMAND, static_cast<WPARAM>(code), 0));
        ASSERT_TRUE(wait_machine([&] {
            auto journal = machine::read_osd_journal();
            return journal.size() > before && journal.back().code == code;
        }));
    });
    bool shown = visible(dialog);
    sweep(dialog, [&] {
        shown = !shown;
        ASSERT_TRUE(PostMessageA(dialog, WM_USER + 2, 0, WM_LBUTTONDBLCLK)); // the tray's toggle
        ASSERT_TRUE(wait_machine([&] { return visible(dialog) == shown; }))
            << "running " << running(console);
    });
    EXPECT_TRUE(running(keywatch) && running(osd) && running(console));
}

TEST_F(MessageSweep, MessagesThatCarryPointersAreNotPosted) {
    ASSERT_EQ(notebookctl("init").code, 0);
    Process osd({ZEBOSD});
    HWND window = wait_for_window("ZEBOSD", "ZEBOSD");
    ASSERT_TRUE(window);
    struct Case {
        UINT msg;
        WPARAM wparam;
        DWORD error; // 0: posted
    };
    const Case cases[] = {
        {WM_SETTEXT, 0, ERROR_MESSAGE_SYNC_ONLY},
        {WM_GETTEXT, 16, ERROR_MESSAGE_SYNC_ONLY},
        {WM_WINDOWPOSCHANGING, 0, ERROR_MESSAGE_SYNC_ONLY},
        {WM_DRAWITEM, 1, ERROR_MESSAGE_SYNC_ONLY},
        {WM_NOTIFY, 1, ERROR_MESSAGE_SYNC_ONLY},
        {0x0219, 0x8000, ERROR_MESSAGE_SYNC_ONLY}, // WM_DEVICECHANGE, DBT_DEVICEARRIVAL
        {0x0219, 0x0007, 0},                       // WM_DEVICECHANGE, DBT_DEVNODES_CHANGED
        {WM_NULL, 0, 0},
        {WM_USER + 12, 0, 0}, // the application's own: its parameters are its own business
    };
    for (const Case& c : cases) {
        SetLastError(0);
        BOOL posted = PostMessageA(window, c.msg, c.wparam, 0x1000);
        EXPECT_EQ(posted, c.error == 0) << std::hex << c.msg;
        if (c.error != 0) {
            EXPECT_EQ(GetLastError(), c.error) << std::hex << c.msg;
        }
        SetLastError(0);
        EXPECT_EQ(SendMessageA(window, c.msg, c.wparam, 0x1000), 0);
        EXPECT_EQ(GetLastError(), c.error ? c.error : ERROR_ACCESS_DENIED) << std::hex << c.msg;
    }
    Outcome refused = deskctl({"post", hex_handle(window), "0xC", "0", "0x1000"}); // WM_SETTEXT
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err, "deskctl: post: 0xC carries pointers and cannot be posted\n");
}

} // namespace
