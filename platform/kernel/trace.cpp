#include "trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

namespace platform {

namespace {

constexpr const char* kNames[] = {"kernel",  "advapi", "gdi",   "user",
                                  "desktop", "shell",  "power", "drivers"};
constexpr unsigned kFixmeBit = 1u << 31;

// The channels RADIODECK_TRACE names, parsed again whenever its value changes.
unsigned enabled_mask() {
    thread_local std::string seen;
    thread_local unsigned mask = 0;
    const char* value = std::getenv(kTraceVariable);
    std::string_view now = value ? value : "";
    if (now == seen)
        return mask;
    seen = now;
    mask = 0;
    while (!now.empty()) {
        std::string_view name = now.substr(0, now.find(','));
        now.remove_prefix(std::min(now.size(), name.size() + 1));
        if (name == "all")
            mask |= ~0u;
        else if (name == "fixme")
            mask |= kFixmeBit;
        for (unsigned i = 0; i < std::size(kNames); ++i)
            if (name == kNames[i])
                mask |= 1u << i;
    }
    return mask;
}

unsigned bit(TraceChannel channel) {
    return 1u << static_cast<unsigned>(channel);
}

std::string format_line(const char* kind, TraceChannel channel, const char* format, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    return std::string(kind) + ":" + kNames[static_cast<unsigned>(channel)] + ": " + text + "\n";
}

} // namespace

bool trace_enabled(TraceChannel channel) {
    return enabled_mask() & bit(channel);
}

void trace(TraceChannel channel, const char* format, ...) {
    if (!trace_enabled(channel))
        return;
    va_list args;
    va_start(args, format);
    std::string line = format_line("trace", channel, format, args);
    va_end(args);
    std::fputs(line.c_str(), stderr);
}

void fixme(TraceChannel channel, const char* format, ...) {
    if (!(enabled_mask() & (bit(channel) | kFixmeBit)))
        return;
    va_list args;
    va_start(args, format);
    std::string line = format_line("fixme", channel, format, args);
    va_end(args);
    static std::mutex mutex;
    static std::set<std::string> told;
    std::lock_guard hold(mutex);
    if (told.insert(line).second)
        std::fputs(line.c_str(), stderr);
}

} // namespace platform
