// The one blocking wait of a GUI thread: a single poll() on the registered descriptors
// and the next deadline. Nothing here spins; an idle thread sleeps in the kernel.
#pragma once

#include "clock.h"

#include <functional>
#include <optional>

namespace platform {

using FdHandler = std::function<void(short revents)>;

// Registers a descriptor with the calling thread's wait. The handler runs on that
// thread, from inside wait_events, when poll() reports `events` on it.
int add_wait_fd(int fd, short events, FdHandler handler);
void remove_wait_fd(int watch_id);

// Blocks until a descriptor is ready (its handler has run) or `deadline` has come.
// Returns true when a handler ran. With a virtual clock and no descriptor ready, the
// clock jumps to the deadline at once.
bool wait_events(std::optional<Millis> deadline);

// Work done once per loop turn, before the thread blocks: publishing window changes,
// making registry writes durable. A burst of changes then costs one flush, not one each.
// Hooks run on the calling thread at the start of every wait_events.
using FlushHook = std::function<void()>;
int add_flush_hook(FlushHook hook);
void remove_flush_hook(int hook_id);
void run_flush_hooks();

// Something a test lets happen when the thread would otherwise block forever, such as
// answering an open message box. Returns true when it did something.
using IdleHook = std::function<bool()>;
IdleHook set_idle_hook(IdleHook hook);
bool run_idle_hook();

} // namespace platform
