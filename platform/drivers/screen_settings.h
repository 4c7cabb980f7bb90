// The headless screen of a notebook: its size and pixels per inch, kept in machine.ini as
//   [screen] size=WxH   dpi=N
// and read by a program when it first asks, so a change reaches the programs started after it.
#pragma once

#include <windef.h>

#include <optional>
#include <string>

namespace platform {

struct ScreenSettings {
    SIZE size{1024, 768};
    int dpi = 96;
};

// What the limits allow: a side of 1 to 16384 pixels (coordinates travel as 16-bit values),
// 24 to 960 pixels per inch.
bool valid_screen_size(long long cx, long long cy);
bool valid_screen_dpi(long long dpi);

// "WxH" as written in machine.ini; nothing for anything else or a size out of range.
std::optional<SIZE> parse_screen_size(const std::string& text);

// The machine's settings; a missing or damaged value is the default's.
ScreenSettings machine_screen();
// Writes one value; false with the last error when machine.ini cannot be written.
bool set_machine_screen_size(SIZE size);
bool set_machine_screen_dpi(int dpi);

} // namespace platform
