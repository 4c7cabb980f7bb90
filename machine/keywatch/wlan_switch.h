// Switching the Wireless LAN radio as the hotkey service does: the ACPI method WLED through the
// device \\.\ZEBACPI.
#pragma once

#include <windows.h>

namespace machine {

// Evaluates WLED(on). ERROR_SUCCESS, or the Win32 error of opening the device or of the call.
// The device stays open for later calls once it opened.
DWORD switch_wlan(bool on);

} // namespace machine
