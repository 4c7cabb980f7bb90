// The machine's resume, as Windows reports it: logind's PrepareForSleep(false) on the
// system bus becomes WM_POWERBROADCAST(PBT_APMRESUMESUSPEND) at the process's top-level
// windows.
#pragma once

namespace platform {

// Connects to the system bus and subscribes to PrepareForSleep, replacing any earlier
// connection of this process. Runs on the GUI thread, whose wait then carries the socket.
// Without a bus (or when it refuses us) it gives up quietly and never tries again on its
// own.
void start_resume_watch();

// Whether the watcher holds a connection now; for tests.
bool resume_watch_connected();

} // namespace platform
