// The machine's resume, as Windows reports it: logind's PrepareForSleep(false) on the
// system bus becomes WM_POWERBROADCAST(PBT_APMRESUMESUSPEND) at the process's top-level
// windows.
#pragma once

namespace platform {

// Connects to the system bus ($DBUS_SYSTEM_BUS_ADDRESS, else the standard socket) and
// subscribes to PrepareForSleep, replacing any earlier connection of this process. Returns at
// once: connecting, authenticating and subscribing go on in the GUI thread's wait. Without a
// bus (or when it refuses us) the watch gives up quietly and never tries again on its own.
// The process's first window starts it.
void start_resume_watch();

// Where the watch stands; for tests.
enum class ResumeWatchState { off, connecting, subscribed };
ResumeWatchState resume_watch_state();

} // namespace platform
