#include "screen_settings.h"

#include "platform/kernel/machine.h"

#include <charconv>

namespace platform {

namespace {

std::optional<long long> whole_number(std::string_view text) {
    long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

bool valid_screen_size(long long cx, long long cy) {
    return cx >= 1 && cx <= 16384 && cy >= 1 && cy <= 16384;
}

bool valid_screen_dpi(long long dpi) {
    return dpi >= 24 && dpi <= 960;
}

std::optional<SIZE> parse_screen_size(const std::string& text) {
    size_t x = text.find('x');
    if (x == std::string::npos)
        return std::nullopt;
    auto cx = whole_number(std::string_view(text).substr(0, x));
    auto cy = whole_number(std::string_view(text).substr(x + 1));
    if (!cx || !cy || !valid_screen_size(*cx, *cy))
        return std::nullopt;
    return SIZE{static_cast<LONG>(*cx), static_cast<LONG>(*cy)};
}

ScreenSettings machine_screen() {
    ScreenSettings s;
    if (auto size = parse_screen_size(machine_setting("screen", "size")))
        s.size = *size;
    if (auto dpi = whole_number(machine_setting("screen", "dpi")); dpi && valid_screen_dpi(*dpi))
        s.dpi = static_cast<int>(*dpi);
    return s;
}

bool set_machine_screen_size(SIZE size) {
    return set_machine_setting("screen", "size",
                               std::to_string(size.cx) + "x" + std::to_string(size.cy));
}

bool set_machine_screen_dpi(int dpi) {
    return set_machine_setting("screen", "dpi", std::to_string(dpi));
}

} // namespace platform
