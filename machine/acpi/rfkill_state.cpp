#include "machine/acpi/rfkill_state.h"
#include "machine/acpi/firmware.h"

#include <linux/rfkill.h>

#include <cstring>

namespace machine {

bool RfkillState::apply(const void* event, size_t size) {
    if (event == nullptr || size < RFKILL_EVENT_SIZE_V1)
        return false;
    rfkill_event e;
    std::memcpy(&e, event, RFKILL_EVENT_SIZE_V1);
    switch (e.op) {
    case RFKILL_OP_ADD:
    case RFKILL_OP_CHANGE:
        devices_[e.idx] = {e.type, e.soft != 0, e.hard != 0};
        break;
    case RFKILL_OP_DEL:
        devices_.erase(e.idx);
        break;
    case RFKILL_OP_CHANGE_ALL:
        for (auto& [idx, device] : devices_) {
            if (e.type == RFKILL_TYPE_ALL || device.type == e.type)
                device.soft = e.soft != 0;
        }
        break;
    default:
        break; // a newer operation says nothing about the radios we know
    }
    return true;
}

bool RfkillState::present(uint8_t type) const {
    for (const auto& [idx, device] : devices_) {
        if (device.type == type)
            return true;
    }
    return false;
}

bool RfkillState::on(uint8_t type) const {
    for (const auto& [idx, device] : devices_) {
        if (device.type == type && !device.soft && !device.hard)
            return true;
    }
    return false;
}

bool RfkillState::hard_blocked() const {
    for (const auto& [idx, device] : devices_) {
        if (device.hard)
            return true;
    }
    return false;
}

DWORD RfkillState::hwrs() const {
    return (hard_blocked() ? kHwrsSwitchPresent : 0) |
           (present(RFKILL_TYPE_WLAN) ? kHwrsWlanPresent : 0) |
           (present(RFKILL_TYPE_BLUETOOTH) ? kHwrsBluetoothPresent : 0);
}

DWORD RfkillState::rsts() const {
    return (on(RFKILL_TYPE_WLAN) ? kRstsWlanOn : 0) |
           (on(RFKILL_TYPE_BLUETOOTH) ? kRstsBluetoothOn : 0);
}

} // namespace machine
