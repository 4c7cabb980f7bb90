// The hardware switch and the wireless hotkey, from notebookctl through keywatch to a window of
// the console's class and title in another process.
#include "tests/events/events_fixture.h"

#include "machine/acpi/firmware.h"
#include "machine/keywatch/switch_events.h"
#include "machine/osd/osd_journal.h"

#include <sys/wait.h>
#include <thread>

namespace {

using desktop_test::Peer;
using desktop_test::Process;
using events_test::EventsTest;
using events_test::Outcome;

constexpr long long kCommand = WM_COMMAND;

std::vector<long long> switch_event(WORD code) {
    return {kCommand, static_cast<long long>(MAKEWPARAM(112, code)), 0};
}

machine::Firmware firmware() {
    machine::Firmware f;
    EXPECT_EQ(machine::read_firmware(f), static_cast<DWORD>(ERROR_SUCCESS));
    return f;
}

// `loops` owners, each pressing the hotkey `presses` times with notebookctl, all at once.
void press_in_parallel(int loops, int presses) {
    std::vector<std::thread> hands;
    for (int l = 0; l < loops; ++l)
        hands.emplace_back([presses] {
            for (int i = 0; i < presses; ++i)
                if (testing_support::run_program({NOTEBOOKCTL, "hotkey"}).code != 0)
                    return;
        });
    for (std::thread& t : hands)
        t.join();
}

TEST_F(EventsTest, SwitchAndHotkeyChangeTheFirmwareForEveryProgram) {
    ASSERT_EQ(notebookctl("init").code, 0);
    Outcome no_switch = notebookctl("switch off");
    EXPECT_EQ(no_switch.code, 1);
    EXPECT_EQ(no_switch.err, "notebookctl: this notebook has no hardware switch\n");
    EXPECT_TRUE(firmware().state.switch_on);

    ASSERT_EQ(notebookctl("init --hw-switch").code, 0);
    EXPECT_EQ(notebookctl("switch off").code, 0);
    EXPECT_NE(notebookctl("status").out.find("hw_switch_on=0\n"), std::string::npos);
    EXPECT_EQ(firmware().hwrs() & machine::kHwrsSwitchOn, 0u);
    EXPECT_EQ(notebookctl("switch on").code, 0);
    EXPECT_EQ(firmware().hwrs() & machine::kHwrsSwitchOn, machine::kHwrsSwitchOn);

    EXPECT_EQ(firmware().events.hotkey_presses, 0u);
    EXPECT_EQ(notebookctl("hotkey").code, 0);
    EXPECT_EQ(notebookctl("hotkey").code, 0);
    // The count survives other changes and starts again with a fresh notebook.
    EXPECT_EQ(notebookctl("set wlan off").code, 0);
    EXPECT_EQ(firmware().events.hotkey_presses, 2u);
    ASSERT_EQ(notebookctl("init").code, 0);
    EXPECT_EQ(firmware().events.hotkey_presses, 0u);

    for (const char* wrong : {"switch", "switch up", "switch on off", "hotkey 2", "resume now"}) {
        Outcome o = notebookctl(wrong);
        EXPECT_EQ(o.code, 2) << wrong;
        EXPECT_EQ(o.err.rfind("usage: notebookctl ", 0), 0u) << wrong;
    }
    std::filesystem::remove(machine::firmware_path());
    Outcome none = notebookctl("hotkey");
    EXPECT_EQ(none.code, 1);
    EXPECT_NE(none.err.find("notebookctl init"), std::string::npos);
}

TEST_F(EventsTest, KeywatchReportsOnlyTheOwnersSwitchAndHotkeyToTheConsole) {
    ASSERT_EQ(notebookctl("init --hw-switch").code, 0);
    Peer console("#32770", "Radiodeck", {"--hidden"});
    ASSERT_TRUE(console.top);
    Process keywatch({KEYWATCH});
    HWND service = wait_for_window("KEYWATCH", "KEYWATCH");
    ASSERT_TRUE(service);

    ASSERT_EQ(notebookctl("switch off").code, 0);
    EXPECT_EQ(console.next_message(), switch_event(0));
    ASSERT_EQ(notebookctl("switch on").code, 0);
    EXPECT_EQ(console.next_message(), switch_event(1));
    ASSERT_EQ(notebookctl("hotkey").code, 0);
    EXPECT_EQ(console.next_message(), switch_event(2));

    // Radios switched by notebookctl set, by BLED's write of the firmware and by the
    // service's own WLED are no switch events, nor is a switch moved to where it stands:
    // the next thing the console hears is the hotkey after them.
    ASSERT_EQ(notebookctl("set bluetooth off").code, 0);
    ASSERT_EQ(notebookctl("switch on").code, 0);
    ASSERT_EQ(machine::update_firmware([](machine::Firmware& f) { f.state.bluetooth_on = true; }),
              static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_TRUE(PostMessageA(service, WM_COMMAND, MAKEWPARAM(117, 0),
                             reinterpret_cast<LPARAM>(GetDlgItem(service, 117))));
    ASSERT_TRUE(
        testing_support::wait_in_dir(root_->path(), [] { return !firmware().state.wlan_on; }));
    ASSERT_EQ(notebookctl("hotkey").code, 0);
    EXPECT_EQ(console.next_message(), switch_event(2));

    // With the console gone the events are dropped, and the service goes on. The service
    // sees the switch before it carries out a later request, so once the radio follows that
    // request the switch event is behind it.
    console.process.kill_now();
    ASSERT_EQ(notebookctl("switch off").code, 0);
    ASSERT_TRUE(PostMessageA(service, WM_COMMAND, MAKEWPARAM(117, 1), 0));
    ASSERT_TRUE(
        testing_support::wait_in_dir(root_->path(), [] { return firmware().state.wlan_on; }));
    Peer again("#32770", "Radiodeck", {"--hidden"});
    ASSERT_EQ(notebookctl("hotkey").code, 0);
    EXPECT_EQ(again.next_message(), switch_event(2));
}

// Two owners' hands at once: every press reaches the console, however the presses fall
// together in the firmware file's changes.
TEST_F(EventsTest, ParallelHotkeyBurstsLoseNoPress) {
    ASSERT_EQ(notebookctl("init").code, 0);
    Peer console("#32770", "Radiodeck", {"--hidden"});
    ASSERT_TRUE(console.top);
    Process keywatch({KEYWATCH});
    ASSERT_TRUE(wait_for_window("KEYWATCH", "KEYWATCH"));
    constexpr int kPresses = 100;
    press_in_parallel(2, kPresses);
    EXPECT_EQ(firmware().events.hotkey_presses, 2u * kPresses);
    for (int i = 0; i < 2 * kPresses; ++i)
        ASSERT_EQ(console.next_message(), switch_event(2)) << "press " << i;
    // Nothing more than was pressed: the next event is the switch of a fresh notebook.
    ASSERT_EQ(notebookctl("init --hw-switch").code, 0);
    ASSERT_EQ(notebookctl("switch off").code, 0);
    EXPECT_EQ(console.next_message(), switch_event(0));
}

// The same through the real console: every toggle to off is announced, and the radios end
// where the number of presses says.
TEST_F(EventsTest, ParallelHotkeyBurstsLeaveTheRadiosWhereTheCountSays) {
    ASSERT_EQ(notebookctl("init").code, 0);
    Process keywatch({KEYWATCH});
    Process osd({ZEBOSD});
    ASSERT_TRUE(wait_for_window("KEYWATCH", "KEYWATCH") && wait_for_window("ZEBOSD", "ZEBOSD"));
    Process console({RADIODECK});
    ASSERT_TRUE(wait_for_window("#32770", "Radiodeck"));
    ASSERT_TRUE(testing_support::wait_idle(console.pid())); // its start-up has ended
    press_in_parallel(2, 100);
    ASSERT_EQ(notebookctl("hotkey").code, 0); // an odd count: the radios end switched off
    // From both radios on, presses 1, 3, ..., 201 switch off, and each is announced before
    // the radios go; after the last one they stay off.
    auto done = [] {
        machine::Firmware f = firmware();
        return machine::read_osd_journal().size() >= 101 && !f.state.wlan_on &&
               !f.state.bluetooth_on;
    };
    EXPECT_TRUE(testing_support::wait_in_dirs(
        {machine::osd_journal_path().parent_path(), machine::firmware_path().parent_path()}, done,
        std::chrono::seconds(60)));
    EXPECT_EQ(machine::read_osd_journal().size(), 101u);
}

TEST(SwitchEventCodes, CountPressesAndMovesButNotResets) {
    using machine::OwnerControls;
    using machine::switch_event_codes;
    using Codes = std::vector<WORD>;
    OwnerControls on{true, true, 3};
    EXPECT_EQ(switch_event_codes(on, {true, false, 5}), (Codes{0, 2, 2}));
    EXPECT_EQ(switch_event_codes({true, false, 5}, on), (Codes{1}));
    // A profile that gains or loses its switch moves nothing; a fresh notebook presses nothing.
    EXPECT_EQ(switch_event_codes({false, true, 3}, {true, false, 0}), Codes{});
    EXPECT_EQ(switch_event_codes(on, {false, false, 3}), Codes{});
    // A hand-edited count cannot flood the console, yet leaves the radios where that many
    // presses would.
    EXPECT_EQ(switch_event_codes(on, {true, true, 4000000000u}).size(),
              machine::kMostPressesAtOnce - 1);
    EXPECT_EQ(switch_event_codes(on, {true, true, 4000000001u}).size(),
              machine::kMostPressesAtOnce);
}

} // namespace
