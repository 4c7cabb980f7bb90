// The owner's real switch and wireless key on a notebook of the kernel's radios: keywatch
// hears the stand-in of /dev/rfkill and tells the console; the key's events as an input
// device delivers them.
#include "tests/events/events_fixture.h"
#include "tests/support/rfkill_standin.h"

#include "machine/keywatch/kernel_switch.h"

#include <cstring>

namespace {

using desktop_test::Peer;
using desktop_test::Process;
using events_test::EventsTest;
using Radio = testing_support::RfkillStandIn::Radio;

std::vector<long long> switch_event(WORD code) {
    return {WM_COMMAND, static_cast<long long>(MAKEWPARAM(112, code)), 0};
}

TEST_F(EventsTest, KeywatchReportsTheKernelsSwitchAsItsHardBlockMoves) {
    testing_support::RfkillStandIn device(root_->path() / "rfkill", true);
    device.add(0, {RFKILL_TYPE_WLAN, false, false, 0});
    device.add(1, {RFKILL_TYPE_BLUETOOTH, false, false, 0});
    setenv("RADIODECK_TEST_RFKILL_SYSFS", (root_->path() / "no-sys").c_str(), 1);
    ASSERT_EQ(notebookctl("init --rfkill").code, 0);
    unsetenv("RADIODECK_TEST_RFKILL_SYSFS");
    Peer console("#32770", "Radiodeck", {"--hidden"});
    ASSERT_TRUE(console.top);
    Process keywatch({KEYWATCH});
    ASSERT_TRUE(wait_for_window("KEYWATCH", "KEYWATCH"));
    ASSERT_TRUE(device.wait_until([&] { return device.connections() == 1; }));

    const Radio wlan_off{RFKILL_TYPE_WLAN, false, true, RFKILL_HARD_BLOCK_SIGNAL};
    const Radio bluetooth_off{RFKILL_TYPE_BLUETOOTH, false, true, RFKILL_HARD_BLOCK_SIGNAL};
    device.change(0, wlan_off);
    EXPECT_EQ(console.next_message(), switch_event(0));
    // The switch blocks the second radio too, and software switches a radio: no move.
    device.change(1, bluetooth_off);
    device.change(0, {RFKILL_TYPE_WLAN, true, true, RFKILL_HARD_BLOCK_SIGNAL});
    device.change(0, {RFKILL_TYPE_WLAN, false, false, 0});
    device.change(1, {RFKILL_TYPE_BLUETOOTH, false, false, 0});
    EXPECT_EQ(console.next_message(), switch_event(1));
    // A radio that comes blocked, or another owner's block, moves no switch either; the
    // hotkey after them is the next thing the console hears.
    device.add(2, {RFKILL_TYPE_WLAN, false, true, RFKILL_HARD_BLOCK_SIGNAL});
    device.change(1, {RFKILL_TYPE_BLUETOOTH, false, true, RFKILL_HARD_BLOCK_NOT_OWNER});
    ASSERT_EQ(notebookctl("hotkey").code, 0);
    EXPECT_EQ(console.next_message(), switch_event(2));
}

// What /dev/input/eventN gave for two presses of the wireless key (with the scan code and
// the key's auto-repeat) and a press of another key between them.
TEST(WirelessKeys, ARecordedStreamPressesOncePerKeyDown) {
    struct Recorded {
        uint16_t type, code;
        int32_t value;
    } recording[] = {
        {EV_MSC, MSC_SCAN, 0x1a},   {EV_KEY, KEY_WLAN, 1},    {EV_SYN, SYN_REPORT, 0},
        {EV_KEY, KEY_WLAN, 2},      {EV_SYN, SYN_REPORT, 1},  {EV_KEY, KEY_WLAN, 0},
        {EV_SYN, SYN_REPORT, 0},    {EV_KEY, KEY_A, 1},       {EV_KEY, KEY_A, 0},
        {EV_SW, SW_RFKILL_ALL, 1},  {EV_KEY, KEY_RFKILL, 1},  {EV_KEY, KEY_RFKILL, 0},
        {EV_KEY, KEY_BLUETOOTH, 1}, {EV_SYN, SYN_DROPPED, 0},
    };
    std::string stream;
    for (const Recorded& r : recording) {
        input_event event{};
        event.type = r.type;
        event.code = r.code;
        event.value = r.value;
        stream.append(reinterpret_cast<const char*>(&event), sizeof event);
    }
    int presses = 0;
    for (size_t at = 0; at + sizeof(input_event) <= stream.size(); at += sizeof(input_event)) {
        input_event event;
        std::memcpy(&event, stream.data() + at, sizeof event);
        presses += machine::is_wireless_key_press(event);
    }
    EXPECT_EQ(presses, 3);
}

TEST(WirelessKeys, KeyCapabilitiesNameTheDevicesWithAWirelessKey) {
    // Bit n of the whole is key n; words of a long, the most significant first.
    auto with_key = [](int key) {
        std::string words;
        for (int word = 4; word >= 0; --word) {
            unsigned long bits = key / 64 == word ? 1ul << (key % 64) : 0;
            char text[24];
            std::snprintf(text, sizeof text, "%lx", bits);
            words += std::string(text) + (word ? " " : "\n");
        }
        return words;
    };
    EXPECT_TRUE(machine::has_wireless_key(with_key(KEY_RFKILL)));
    EXPECT_TRUE(machine::has_wireless_key(with_key(KEY_WLAN)));
    EXPECT_TRUE(machine::has_wireless_key(with_key(KEY_BLUETOOTH)));
    EXPECT_FALSE(machine::has_wireless_key(with_key(KEY_A)));
    EXPECT_FALSE(machine::has_wireless_key(with_key(KEY_WLAN + 1)));
    // A keyboard's list, shorter than the wireless keys' word; and nothing at all.
    EXPECT_FALSE(machine::has_wireless_key("1000000000007 ff9f207ac14057ff febeffdfffefffff "
                                           "fffffffffffffffe\n"));
    EXPECT_FALSE(machine::has_wireless_key("0\n"));
    EXPECT_FALSE(machine::has_wireless_key(""));
}

} // namespace
