#include "machine/acpi/rfkill_state.h"
#include "machine/acpi/firmware.h"

namespace machine {

void RfkillState::apply(const RfkillRecord& r) {
    switch (r.op) {
    case RFKILL_OP_ADD:
    case RFKILL_OP_CHANGE:
        devices_[r.idx] = {r.type, r.soft, r.hard, r.hard ? r.hard_reasons : uint8_t(0)};
        break;
    case RFKILL_OP_DEL:
        devices_.erase(r.idx);
        break;
    case RFKILL_OP_CHANGE_ALL:
        for (auto& [idx, device] : devices_) {
            if (r.type == RFKILL_TYPE_ALL || device.type == r.type)
                device.soft = r.soft;
        }
        break;
    default:
        break; // a newer operation says nothing about the radios we know
    }
}

bool RfkillState::apply(const void* bytes, size_t size) {
    RfkillRecord record;
    if (!decode_rfkill_record(bytes, size, record))
        return false;
    apply(record);
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

bool RfkillState::switched_off() const {
    for (const auto& [idx, device] : devices_) {
        if (device.hard && (device.hard_reasons & RFKILL_HARD_BLOCK_SIGNAL))
            return true;
    }
    return false;
}

DWORD RfkillState::hwrs() const {
    bool off = switched_off();
    DWORD word = has_switch_ || off ? kHwrsSwitchPresent | (off ? 0 : kHwrsSwitchOn) : 0;
    return word | (present(RFKILL_TYPE_WLAN) ? kHwrsWlanPresent : 0) |
           (present(RFKILL_TYPE_BLUETOOTH) ? kHwrsBluetoothPresent : 0);
}

DWORD RfkillState::rsts() const {
    return (on(RFKILL_TYPE_WLAN) ? kRstsWlanOn : 0) |
           (on(RFKILL_TYPE_BLUETOOTH) ? kRstsBluetoothOn : 0);
}

} // namespace machine
