// The radios as /dev/rfkill describes them: a stream of records that add, change or remove one
// radio device (idx, type, op, soft, hard), kept as the current set.
//
// How they read as the firmware's status words: a radio type is present when any device of it
// exists and on when any of them is neither soft- nor hard-blocked. Linux does not report a
// switch as such; a hard block for the switch's signal is what a switch in the off position
// causes, so the hardware switch reads as present and off while any radio is blocked so, as
// present and on when the notebook is known to have one (its platform driver said so when it
// was set up), and as absent otherwise. A radio that another system owns is blocked, but by
// no switch.
#pragma once

#include "machine/acpi/rfkill_device.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <map>

namespace machine {

class RfkillState {
public:
    explicit RfkillState(bool has_switch = false) : has_switch_(has_switch) {}

    void apply(const RfkillRecord& record);
    // Applies one record as read from the device; false for one shorter than the first
    // layout, which changes nothing.
    bool apply(const void* bytes, size_t size);

    bool present(uint8_t type) const;
    bool on(uint8_t type) const;
    // Whether a radio is hard-blocked by the switch's signal: the switch is off.
    bool switched_off() const;

    DWORD hwrs() const;
    DWORD rsts() const;

private:
    struct Device {
        uint8_t type = 0;
        bool soft = false;
        bool hard = false;
        uint8_t hard_reasons = 0;
    };
    bool has_switch_;
    std::map<uint32_t, Device> devices_;
};

} // namespace machine
