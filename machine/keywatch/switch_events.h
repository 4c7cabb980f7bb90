// The notebook owner's switch events as the hotkey service reports them to the console: the
// hardware switch moved, or the wireless hotkey pressed. Each becomes WM_COMMAND with
// MAKEWPARAM(112, code) and lParam 0, posted to the console window ("#32770" titled
// "Radiodeck"); with no console the event is dropped. Radios switched by the firmware's
// methods or by hand are no switch events. No event is lost to a full queue: what the
// console's queue does not take now waits, in order, and is offered again shortly.
#pragma once

#include "machine/acpi/firmware.h"

#include <windows.h>

#include <optional>
#include <vector>

namespace machine {

constexpr WORD kSwitchEventId = 112;
constexpr WORD kSwitchTurnedOff = 0;
constexpr WORD kSwitchTurnedOn = 1;
constexpr WORD kHotkeyPressed = 2; // the console takes it as a toggle request

// One hotkey count change reports at most this many presses, a queue's worth: a counter
// edited by hand by more is taken modulo two beyond it, which leaves the radios where that
// many presses would.
constexpr DWORD kMostPressesAtOnce = 10000;

// What the owner's hands have set on the notebook, as last seen.
struct OwnerControls {
    bool has_switch = false;
    bool switch_on = false;
    DWORD hotkey_presses = 0;
};

OwnerControls owner_controls(const Firmware& firmware);

// The event codes, in order, for what changed between two looks at the firmware. A counter
// that went down was reset (the notebook was set up afresh): that is no press.
std::vector<WORD> switch_event_codes(const OwnerControls& before, const OwnerControls& now);

// Posts one event to the console, as the watch of the firmware file does; for the hotkey
// service's other sources (the kernel's switch, the wireless key).
void post_switch_event(WORD code);

// Watches the firmware file in the thread's one wait and posts each event to the console as
// it happens; what the file says now is the starting point. False (with a message on stderr)
// when the file's folder cannot be watched.
bool report_switch_events(const char* program);

} // namespace machine
