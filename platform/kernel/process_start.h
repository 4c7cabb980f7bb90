// Work that begins with the process's first window: services above the window manager (the
// resume watch) register here from the side, so nothing below them has to start them. The
// hooks run on the GUI thread, once per process and machine root: a forked child starts
// afresh, and so does a test that moves to a fresh machine root.
#pragma once

#include <functional>

namespace platform {

using ProcessStartHook = std::function<void()>;

// Registers a hook; usually from a static initializer of the service's library.
void add_process_start_hook(ProcessStartHook hook);

// Runs the hooks unless they ran already for this process and machine root. The window
// manager calls it before it creates a window; cheap after the first time.
void run_process_start_hooks();

} // namespace platform
