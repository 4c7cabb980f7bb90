// The firmware of the simulated notebook. Its profile (which radios and whether a hardware
// switch exist) and its state (switch position, each radio on or off) live in one
// human-editable INI file in the machine root, firmware.ini:
//
//   [profile]  wlan=1  bluetooth=1  hw_switch=0      (1 present, 0 absent)
//   [state]    switch=1  wlan=1  bluetooth=1         (1 on, 0 off)
//   [answers]  METHOD=fail|count0|len2|len96|len97|type1
//   [events]   hotkey=0                               (wireless hotkey presses so far)
//
// Every request reads the file afresh and every change rewrites it in place under the file's
// lock (firmware_file.h), so all processes see the same notebook, even on a full disk. [answers]
// makes the device fail a method's calls or answer them oddly (see AnswerShape), for every process
// at once. [events] records what the owner did that leaves no state of its own: a press of the
// wireless hotkey only bumps its counter, so that a watcher of the file can tell it happened.
//
// Methods (the ACPI names, four letters in memory order):
//   HWRS            -> 0x01 switch on (only with a switch), 0x02 switch present,
//                      0x80 Wireless LAN present, 0x100 Bluetooth present
//   RSTS            -> 0x01 Wireless LAN on, 0x02 Bluetooth on (an absent radio is never on)
//   BLED(integer)   Bluetooth on (non-zero) or off; answers the radio's new state
//   WLED(integer)   Wireless LAN on (non-zero) or off; answers the radio's new state. The
//                   program never calls it: the hotkey service switches Wireless LAN with it.
// The switch position does not block the radios: the program decides what a switch means.
// An absent radio is not switched; the call still succeeds and answers 0.
#pragma once

#include "machine/acpi/acpi_wire.h"

#include <windows.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace machine {

constexpr DWORD kMethodHwrs = acpi_method_name("HWRS");
constexpr DWORD kMethodRsts = acpi_method_name("RSTS");
constexpr DWORD kMethodBled = acpi_method_name("BLED");
constexpr DWORD kMethodWled = acpi_method_name("WLED");

constexpr DWORD kHwrsSwitchOn = 0x01;
constexpr DWORD kHwrsSwitchPresent = 0x02;
constexpr DWORD kHwrsWlanPresent = 0x80;
constexpr DWORD kHwrsBluetoothPresent = 0x100;
constexpr DWORD kRstsWlanOn = 0x01;
constexpr DWORD kRstsBluetoothOn = 0x02;

struct FirmwareProfile {
    bool wlan = true;
    bool bluetooth = true;
    bool hw_switch = false;
};

struct FirmwareState {
    bool switch_on = true;
    bool wlan_on = true;
    bool bluetooth_on = true;
};

struct FirmwareEvents {
    DWORD hotkey_presses = 0; // counts up from 0 at set-up, wrapping at 2^32
};

struct Firmware {
    FirmwareProfile profile;
    FirmwareState state;
    FirmwareEvents events;
    // Method letters in upper case ("HWRS") -> how the device answers it.
    std::map<std::string, AnswerShape> answers;

    DWORD hwrs() const;
    DWORD rsts() const;
    AnswerShape answer_for(DWORD method) const;
};

// "HWRS" for 0x53525748.
std::string acpi_method_letters(DWORD method);

std::filesystem::path firmware_path();

// Reads firmware.ini. ERROR_FILE_NOT_FOUND (or ERROR_PATH_NOT_FOUND) when the notebook was
// never set up. Unreadable values take their defaults; unknown answer shapes are ignored.
DWORD read_firmware(Firmware& firmware);

// Writes a fresh firmware.ini (with comments a person can follow), creating the machine root.
DWORD write_firmware(const Firmware& firmware);

// Reads, changes and writes back profile, state and events under the machine root's lock, so that
// two writers never lose each other's change; comments and [answers] stay as they were. `after`
// receives the firmware as written. Nothing is written when the change changed nothing.
DWORD update_firmware(const std::function<void(Firmware&)>& change, Firmware* after = nullptr);

} // namespace machine
