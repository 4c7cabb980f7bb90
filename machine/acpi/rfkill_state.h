// The radios as /dev/rfkill describes them: a stream of events that add, change or remove one
// radio device (struct rfkill_event: idx, type, op, soft, hard), kept as the current set.
//
// How they read as the firmware's status words: a radio type is present when any device of it
// exists and on when any of them is neither soft- nor hard-blocked. Linux does not report a
// switch as such; a hard block is what a switch in the off position causes, so the hardware
// switch reads as present and off while any radio is hard-blocked, and as absent otherwise.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <map>

namespace machine {

class RfkillState {
public:
    // Applies one event as read from /dev/rfkill: at least the 8 bytes of its first layout
    // (later kernels append fields, which are ignored). False for a shorter one.
    bool apply(const void* event, size_t size);

    bool present(uint8_t type) const;
    bool on(uint8_t type) const;
    bool hard_blocked() const;

    DWORD hwrs() const;
    DWORD rsts() const;

private:
    struct Device {
        uint8_t type = 0;
        bool soft = false;
        bool hard = false;
    };
    std::map<uint32_t, Device> devices_;
};

} // namespace machine
