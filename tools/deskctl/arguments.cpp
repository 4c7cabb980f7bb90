// Parsing the arguments the commands share: numbers, windows, message names.
#include "deskctl.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <iostream>

namespace deskctl {

int fail(int code, const std::string& message) {
    std::cerr << "deskctl: " << message << "\n";
    return code;
}

std::optional<long long> parse_number(const std::string& text) {
    if (text.empty())
        return std::nullopt;
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* begin = text.c_str() + (hex ? 2 : 0);
    if (!hex && *begin == '-')
        ++begin;
    if (!*begin || std::strchr("+- ", *begin))
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    long long value = 0;
    if (hex) {
        unsigned long long u = std::strtoull(begin, &end, 16);
        value = static_cast<long long>(u);
    } else {
        value = std::strtoll(text.c_str(), &end, 10);
    }
    if (errno != 0 || !end || *end != '\0')
        return std::nullopt;
    return value;
}

std::optional<WindowSpec> parse_window(const std::string& text) {
    WindowSpec spec;
    if (auto colon = text.find(':'); colon != std::string::npos) {
        spec.by_name = true;
        spec.cls = text.substr(0, colon);
        spec.title = text.substr(colon + 1);
        return spec;
    }
    auto n = parse_number(text);
    if (!n || *n <= 0 || *n > 0xFFFFFFFFll)
        return std::nullopt;
    spec.handle = reinterpret_cast<HWND>(static_cast<uintptr_t>(*n));
    return spec;
}

HWND resolve_window(const WindowSpec& spec) {
    if (!spec.by_name)
        return IsWindow(spec.handle) ? spec.handle : nullptr;
    return FindWindowA(spec.cls.empty() ? nullptr : spec.cls.c_str(),
                       spec.title.empty() ? nullptr : spec.title.c_str());
}

namespace {

struct MessageName {
    const char* name;
    UINT value;
};

// Window messages a user posts by hand. WM_QUIT is no window message: it is refused.
constexpr MessageName kMessages[] = {
    {"WM_NULL", WM_NULL},
    {"WM_CLOSE", WM_CLOSE},
    {"WM_COMMAND", WM_COMMAND},
    {"WM_TIMER", WM_TIMER},
    {"WM_POWERBROADCAST", WM_POWERBROADCAST},
    {"WM_USER", WM_USER},
    {"WM_APP", WM_APP},
};

} // namespace

std::optional<UINT> parse_message(const std::string& text, std::string& error) {
    std::string name = text, offset;
    if (auto plus = text.find('+'); plus != std::string::npos) {
        name = text.substr(0, plus);
        offset = text.substr(plus + 1);
    }
    std::optional<long long> value;
    if (name.rfind("WM_", 0) == 0 || name.rfind("wm_", 0) == 0) {
        for (const MessageName& m : kMessages)
            if (strcasecmp(m.name, name.c_str()) == 0)
                value = m.value;
        if (!value) {
            error = strcasecmp(name.c_str(), "WM_QUIT") == 0
                        ? "WM_QUIT is not a window message (it ends a message loop)"
                        : "unknown message name: " + name;
            return std::nullopt;
        }
    } else {
        value = parse_number(name);
    }
    if (!offset.empty()) {
        auto add = parse_number(offset);
        if (!value || !add || *add < 0) {
            error = "bad message: " + text;
            return std::nullopt;
        }
        *value += *add;
    }
    if (!value || *value < 0 || *value > 0xFFFF) {
        error = "bad message: " + text;
        return std::nullopt;
    }
    if (*value == WM_QUIT) {
        error = "WM_QUIT is not a window message (it ends a message loop)";
        return std::nullopt;
    }
    return static_cast<UINT>(*value);
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

} // namespace deskctl
