// The platform's diagnostics: one channel per platform library, shown on standard error when
// RADIODECK_TRACE names it (RADIODECK_TRACE=user,desktop; "all" for every channel). A line
// reads "trace:CHANNEL: what happened". A Win32 flag or case the platform does not implement
// yet says so once per process as "fixme:CHANNEL: ...", shown with its channel or with
// RADIODECK_TRACE=fixme. Errors a user must see do not go here.
#pragma once

namespace platform {

enum class TraceChannel { kernel, advapi, gdi, user, desktop, shell, power, drivers };

inline constexpr char kTraceVariable[] = "RADIODECK_TRACE";

// Whether lines of the channel are shown; cheap, so a caller may test before it formats.
bool trace_enabled(TraceChannel channel);

[[gnu::format(printf, 2, 3)]] void trace(TraceChannel channel, const char* format, ...);

// Once per distinct text in the life of the process.
[[gnu::format(printf, 2, 3)]] void fixme(TraceChannel channel, const char* format, ...);

} // namespace platform
