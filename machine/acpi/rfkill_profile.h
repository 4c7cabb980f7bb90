// The notebook's radios and switch as the kernel lists them in /sys/class/rfkill (one folder
// per radio: type, hard, hard_block_reasons, and the device the radio belongs to).
#pragma once

#include "machine/acpi/firmware.h"

#include <filesystem>

namespace machine {

// Wireless LAN and Bluetooth present when the kernel has a radio of that type; a hardware
// switch present when a radio is hard-blocked by the switch's signal now (a block software
// cannot lift), or when the notebook's platform driver exposes a radio of its own: such
// drivers (thinkpad_acpi, dell-laptop, hp-wmi and the like) are how a notebook's switch
// reaches the kernel. A folder that cannot be read is a notebook without radios.
FirmwareProfile rfkill_profile(const std::filesystem::path& sysfs);

} // namespace machine
