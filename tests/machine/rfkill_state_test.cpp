// The rfkill backend's view of the radios, fed with event streams as /dev/rfkill delivers
// them (this machine has no radios of its own).
#include "machine/acpi/rfkill_state.h"

#include <gtest/gtest.h>

#include <linux/rfkill.h>

#include <string>

namespace {

// One event in the layout the kernel writes; `extra` bytes stand for fields of later kernels.
std::string event(uint32_t idx, uint8_t type, uint8_t op, bool soft, bool hard, size_t extra = 0) {
    rfkill_event e{};
    e.idx = idx;
    e.type = type;
    e.op = op;
    e.soft = soft;
    e.hard = hard;
    std::string bytes(reinterpret_cast<const char*>(&e), RFKILL_EVENT_SIZE_V1);
    return bytes + std::string(extra, '\x07');
}

void feed(machine::RfkillState& state, const std::string& stream, size_t event_size) {
    for (size_t at = 0; at + event_size <= stream.size(); at += event_size)
        ASSERT_TRUE(state.apply(stream.data() + at, event_size));
}

TEST(RfkillState, TheRadiosOfAnEventStreamReadAsStatusWords) {
    machine::RfkillState state;
    EXPECT_EQ(state.hwrs(), 0u);
    EXPECT_EQ(state.rsts(), 0u);

    // What opening the device delivers: one ADD per radio (here in the longer layout).
    feed(state,
         event(0, RFKILL_TYPE_WLAN, RFKILL_OP_ADD, false, false, 1) +
             event(1, RFKILL_TYPE_BLUETOOTH, RFKILL_OP_ADD, true, false, 1) +
             event(2, RFKILL_TYPE_WWAN, RFKILL_OP_ADD, false, false, 1),
         RFKILL_EVENT_SIZE_V1 + 1);
    EXPECT_EQ(state.hwrs(), 0x180u);
    EXPECT_EQ(state.rsts(), 0x1u);

    // Bluetooth unblocked; then a switch hard-blocks the Wireless LAN.
    feed(state,
         event(1, RFKILL_TYPE_BLUETOOTH, RFKILL_OP_CHANGE, false, false) +
             event(0, RFKILL_TYPE_WLAN, RFKILL_OP_CHANGE, false, true),
         RFKILL_EVENT_SIZE_V1);
    EXPECT_EQ(state.hwrs(), 0x182u); // switch present and off
    EXPECT_EQ(state.rsts(), 0x2u);

    // A second Wireless LAN device that is on makes the radio read as on.
    feed(state, event(5, RFKILL_TYPE_WLAN, RFKILL_OP_ADD, false, false), RFKILL_EVENT_SIZE_V1);
    EXPECT_EQ(state.rsts(), 0x3u);

    // Soft-blocking all Bluetooth; removing the blocked Wireless LAN takes the switch away.
    feed(state,
         event(0, RFKILL_TYPE_BLUETOOTH, RFKILL_OP_CHANGE_ALL, true, false) +
             event(0, RFKILL_TYPE_WLAN, RFKILL_OP_DEL, false, false),
         RFKILL_EVENT_SIZE_V1);
    EXPECT_EQ(state.hwrs(), 0x180u);
    EXPECT_EQ(state.rsts(), 0x1u);
    feed(state, event(5, RFKILL_TYPE_WLAN, RFKILL_OP_DEL, false, false), RFKILL_EVENT_SIZE_V1);
    EXPECT_EQ(state.hwrs(), 0x100u);
    EXPECT_EQ(state.rsts(), 0x0u);
}

TEST(RfkillState, ShortOrUnknownEventsChangeNothing) {
    machine::RfkillState state;
    std::string add = event(3, RFKILL_TYPE_WLAN, RFKILL_OP_ADD, false, false);
    EXPECT_FALSE(state.apply(add.data(), RFKILL_EVENT_SIZE_V1 - 1));
    EXPECT_FALSE(state.apply(nullptr, 0));
    EXPECT_EQ(state.hwrs(), 0u);
    ASSERT_TRUE(state.apply(add.data(), add.size()));
    std::string strange = event(3, RFKILL_TYPE_WLAN, 9, true, true);
    EXPECT_TRUE(state.apply(strange.data(), strange.size()));
    EXPECT_EQ(state.hwrs(), 0x80u);
    EXPECT_EQ(state.rsts(), 0x1u);
}

} // namespace
