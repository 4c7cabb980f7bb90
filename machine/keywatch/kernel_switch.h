// The owner's real switch and wireless key on a notebook of the kernel's radios, reported to
// the console beside the firmware file's events (switch_events.h):
// - the hardware switch: a radio's hard block by the switch's signal going on is the switch
//   turned off, the last such block going off is the switch turned on (radios that come or go
//   move no switch);
// - the wireless key: a press of KEY_RFKILL, KEY_WLAN or KEY_BLUETOOTH on an input device
//   that may be read, found through udev as devices come and go.
#pragma once

#include "machine/acpi/rfkill_device.h"

#include <linux/input.h>

#include <string_view>

namespace machine {

// Watches /dev/rfkill in the thread's wait. False (said on stderr) when it cannot be opened.
bool report_kernel_switch(const char* program);

// Watches the input devices that have a wireless key, and udev for new ones. Where a key
// cannot be read, says once why; false when udev cannot be asked at all.
bool report_wireless_keys(const char* program);

// Whether an input event is the wireless key going down (not its repeat or release).
bool is_wireless_key_press(const input_event& event);

// Whether an input device's key capabilities (sysfs capabilities/key: hex words, most
// significant first, each as wide as a long) include a wireless key.
bool has_wireless_key(std::string_view capabilities);

} // namespace machine
