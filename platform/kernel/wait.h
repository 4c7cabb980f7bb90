// The one blocking wait of a GUI thread: a single poll() on the thread's sources and the next
// deadline. Nothing here spins; an idle thread sleeps in the kernel.
//
// Thread model: the wait (its sources, flush hooks and idle hook) belongs to the thread that
// registers with it; everything a GUI thread serves (its windows, its message queue and
// timers, the desktop connection) belongs to the process and is touched only from its one
// GUI thread. See docs/architecture.md.
#pragma once

#include "clock.h"

#include <functional>
#include <optional>

namespace platform {

// What a source waits for in the coming poll(), asked again before every poll: a library
// whose interest changes (sd-bus's events and timeouts) or that may already hold read input
// in memory (Xlib's queued events) answers afresh each time.
struct WaitPrepare {
    short events = 0;               // poll() events on the source's descriptor; 0 for none now
    std::optional<Millis> deadline; // on the process clock: dispatch(0) is due then at latest
    bool ready = false;             // dispatch(0) at once; the thread does not block
};

// A watched source of the wait: a descriptor (or -1), the prepare step and the dispatch step.
// dispatch receives poll()'s revents, or 0 when it was ready or its deadline came.
struct WaitSource {
    int fd = -1;
    std::function<WaitPrepare()> prepare;
    std::function<void(short revents)> dispatch;
};

// Registers a source with the calling thread's wait; both steps run on that thread, from
// inside wait_events. Returns its id for remove_wait_source.
int add_wait_source(WaitSource source);
void remove_wait_source(int source_id);

// A source that always waits for the same events on a descriptor.
using FdHandler = std::function<void(short revents)>;
int add_wait_fd(int fd, short events, FdHandler handler);
void remove_wait_fd(int watch_id);

// Blocks until a source has been dispatched or `deadline` has come. Returns true when a
// source was dispatched. With a virtual clock and nothing ready, the clock jumps to the
// nearest deadline at once.
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
