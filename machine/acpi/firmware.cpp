#include "machine/acpi/firmware.h"

#include "machine/acpi/firmware_file.h"
#include "platform/kernel/machine.h"
#include "platform/kernel/profile_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>

namespace machine {

namespace {

struct ShapeName {
    const char* name;
    AnswerShape shape;
};

constexpr ShapeName kShapes[] = {
    {"fail", AnswerShape::Fail},   {"count0", AnswerShape::Count0}, {"len2", AnswerShape::Len2},
    {"len96", AnswerShape::Len96}, {"len97", AnswerShape::Len97},   {"type1", AnswerShape::Type1},
};

std::string lower(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::string upper(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

// People write 1/0, on/off, yes/no or true/false; anything else is no value.
std::optional<bool> parse_flag(const std::optional<std::string>& value) {
    if (!value)
        return std::nullopt;
    std::string word = lower(platform::trim_blanks(*value));
    if (word == "1" || word == "on" || word == "yes" || word == "true")
        return true;
    if (word == "0" || word == "off" || word == "no" || word == "false")
        return false;
    return std::nullopt;
}

// The profile and state entries, in the order the file lists them.
struct Entry {
    const char* section;
    const char* key;
    bool& (*field)(Firmware&);
};

constexpr Entry kEntries[] = {
    {"profile", "wlan", [](Firmware& f) -> bool& { return f.profile.wlan; }},
    {"profile", "bluetooth", [](Firmware& f) -> bool& { return f.profile.bluetooth; }},
    {"profile", "hw_switch", [](Firmware& f) -> bool& { return f.profile.hw_switch; }},
    {"state", "switch", [](Firmware& f) -> bool& { return f.state.switch_on; }},
    {"state", "wlan", [](Firmware& f) -> bool& { return f.state.wlan_on; }},
    {"state", "bluetooth", [](Firmware& f) -> bool& { return f.state.bluetooth_on; }},
};

// A counter as written by write_firmware; anything else reads as 0.
DWORD parse_counter(const std::optional<std::string>& value) {
    if (!value)
        return 0;
    std::string_view digits = platform::trim_blanks(*value);
    DWORD count = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
    return error == std::errc() && end == digits.data() + digits.size() ? count : 0;
}

Firmware firmware_of(const platform::ProfileText& text) {
    Firmware firmware;
    for (const Entry& entry : kEntries) {
        bool& field = entry.field(firmware);
        field = parse_flag(text.value(entry.section, entry.key)).value_or(field);
    }
    firmware.events.hotkey_presses = parse_counter(text.value("events", "hotkey"));
    for (const std::string& method : text.key_names("answers")) {
        std::string word = lower(platform::trim_blanks(text.value("answers", method).value_or("")));
        for (const ShapeName& shape : kShapes) {
            if (word == shape.name)
                firmware.answers[upper(method)] = shape.shape;
        }
    }
    return firmware;
}

DWORD load(platform::ProfileText& text) {
    std::string content;
    if (DWORD error = read_locked(firmware_path(), content); error != ERROR_SUCCESS)
        return error;
    text = platform::ProfileText::parse(content);
    return ERROR_SUCCESS;
}

} // namespace

DWORD Firmware::hwrs() const {
    DWORD word = 0;
    if (profile.hw_switch)
        word |= kHwrsSwitchPresent | (state.switch_on ? kHwrsSwitchOn : 0);
    if (profile.wlan)
        word |= kHwrsWlanPresent;
    if (profile.bluetooth)
        word |= kHwrsBluetoothPresent;
    return word;
}

DWORD Firmware::rsts() const {
    return (profile.wlan && state.wlan_on ? kRstsWlanOn : 0) |
           (profile.bluetooth && state.bluetooth_on ? kRstsBluetoothOn : 0);
}

AnswerShape Firmware::answer_for(DWORD method) const {
    auto it = answers.find(acpi_method_letters(method));
    return it == answers.end() ? AnswerShape::Normal : it->second;
}

std::string acpi_method_letters(DWORD method) {
    std::string letters(4, ' ');
    for (int i = 0; i < 4; ++i)
        letters[i] = static_cast<char>((method >> (8 * i)) & 0xFF);
    return upper(letters);
}

std::filesystem::path firmware_path() {
    return platform::machine_path("firmware.ini");
}

DWORD read_firmware(Firmware& firmware) {
    platform::ProfileText text;
    if (DWORD error = load(text); error != ERROR_SUCCESS)
        return error;
    firmware = firmware_of(text);
    return ERROR_SUCCESS;
}

DWORD write_firmware(const Firmware& firmware) {
    std::string text =
        "; The firmware of the simulated notebook. Every ACPI request reads this file afresh,\n"
        "; so an edit takes effect at once in every program.\n"
        "\n"
        "[profile]\n"
        "; The hardware of the notebook: 1 present, 0 absent.\n";
    Firmware copy = firmware;
    for (const Entry& entry : kEntries) {
        if (&entry == &kEntries[3]) // the first of [state]
            text += "\n[state]\n"
                    "; The hardware switch position and the radios: 1 on, 0 off.\n";
        text += std::string(entry.key) + "=" + (entry.field(copy) ? "1" : "0") + "\n";
    }
    // [answers] stays last, where a line added at the end of the file lands.
    text += "\n[events]\n"
            "; What the owner did: hotkey counts the presses of the wireless hotkey.\n"
            "hotkey=" +
            std::to_string(firmware.events.hotkey_presses) + "\n";
    text += "\n[answers]\n"
            "; METHOD=fail|count0|len2|len96|len97|type1 makes the device fail that method's\n"
            "; calls or answer them with an unusual record, e.g. HWRS=count0.\n";
    for (const auto& [method, shape] : firmware.answers) {
        for (const ShapeName& name : kShapes) {
            if (name.shape == shape)
                text += method + "=" + name.name + "\n";
        }
    }
    std::error_code ec;
    std::filesystem::create_directories(platform::machine_root(), ec);
    return create_in_place_file(firmware_path(), text);
}

DWORD update_firmware(const std::function<void(Firmware&)>& change, Firmware* after) {
    return rewrite_in_place(firmware_path(), [&](const std::string& content) {
        platform::ProfileText text = platform::ProfileText::parse(content);
        Firmware before = firmware_of(text);
        Firmware firmware = before;
        change(firmware);
        if (after)
            *after = firmware;
        // Only what changed is written: an entry that reads as its value (say "on" for 1) or
        // is left to its default stays as the person wrote it.
        bool changed = false;
        for (const Entry& entry : kEntries) {
            bool value = entry.field(firmware);
            if (entry.field(before) != value)
                changed = text.set_value(entry.section, entry.key, value ? "1" : "0") || changed;
        }
        if (firmware.events.hotkey_presses != before.events.hotkey_presses)
            changed = text.set_value("events", "hotkey",
                                     std::to_string(firmware.events.hotkey_presses)) ||
                      changed;
        return changed ? std::optional<std::string>(text.text()) : std::nullopt;
    });
}

} // namespace machine
