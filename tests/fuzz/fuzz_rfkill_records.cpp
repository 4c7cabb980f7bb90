// The records of /dev/rfkill come from the kernel, or from a kernel newer than this code:
// any sequence of records of any length must leave status words that agree with themselves.
#include "machine/acpi/firmware.h"
#include "machine/acpi/rfkill_state.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Each record is a length byte and that many bytes, as one read returns them.
    machine::RfkillState state(size > 0 && (data[0] & 0x80));
    for (size_t at = 1; at < size;) {
        size_t length = std::min<size_t>(data[at] % 24, size - at - 1);
        bool taken = state.apply(data + at + 1, length);
        if (taken != (length >= RFKILL_EVENT_SIZE_V1))
            std::abort();
        at += 1 + length;
    }
    DWORD hwrs = state.hwrs();
    DWORD rsts = state.rsts();
    if ((rsts & machine::kRstsWlanOn) && !(hwrs & machine::kHwrsWlanPresent))
        std::abort();
    if ((rsts & machine::kRstsBluetoothOn) && !(hwrs & machine::kHwrsBluetoothPresent))
        std::abort();
    if ((hwrs & machine::kHwrsSwitchOn) && !(hwrs & machine::kHwrsSwitchPresent))
        std::abort();
    if (state.switched_off() && (hwrs & machine::kHwrsSwitchOn))
        std::abort();
    return 0;
}
