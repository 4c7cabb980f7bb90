// The system-bus client of the resume watch, through sd-bus. The connection, the
// authentication and the subscription all proceed from the thread's one wait, so a slow bus
// never holds up the GUI thread; anything that goes wrong ends the connection for good.
#include "resume_watch.h"

#include "platform/kernel/process_start.h"
#include "platform/kernel/trace.h"
#include "platform/kernel/wait.h"
#include "platform/user/message_queue.h"
#include "platform/user/window.h"

#include <systemd/sd-bus.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace platform {

namespace {

constexpr const char* kDefaultBus = "unix:path=/run/dbus/system_bus_socket";

struct Connection {
    sd_bus* bus = nullptr;
    sd_bus_slot* match = nullptr;
    int source = -1;
    pid_t pid = 0;
    bool subscribed = false;
    bool refused = false;
};

Connection g_bus;

void drop() {
    // In a forked child this closes only the child's copies; the parent keeps its own.
    if (g_bus.source >= 0)
        remove_wait_source(g_bus.source);
    sd_bus_slot_unref(g_bus.match);
    // Never flushed: what is still queued does not matter, and a flush could block.
    sd_bus_close_unref(g_bus.bus);
    g_bus = Connection{};
}

void resumed() {
    std::vector<HWND> windows = top_level_windows();
    for (HWND hwnd : windows)
        post_message(hwnd, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
}

int on_prepare_for_sleep(sd_bus_message* m, void*, sd_bus_error*) {
    int going_to_sleep = 0;
    if (sd_bus_message_read(m, "b", &going_to_sleep) <= 0)
        return 0;
    trace(TraceChannel::power, "PrepareForSleep(%s)", going_to_sleep ? "true" : "false");
    if (!going_to_sleep)
        resumed();
    return 0;
}

int on_subscribed(sd_bus_message* m, void*, sd_bus_error*) {
    // A bus that refuses the match leaves nothing to watch.
    if (sd_bus_message_is_method_error(m, nullptr))
        g_bus.refused = true;
    else
        g_bus.subscribed = true;
    trace(TraceChannel::power, "subscription to PrepareForSleep %s",
          g_bus.refused ? "refused" : "in place");
    return 0;
}

void on_ready(short) {
    int r;
    while ((r = sd_bus_process(g_bus.bus, nullptr)) > 0) {
    }
    // A refused authentication or a closed connection ends in an error or a closed bus.
    if (r < 0 || g_bus.refused || sd_bus_is_open(g_bus.bus) <= 0) {
        trace(TraceChannel::power, "system bus connection ended (%s)",
              r < 0 ? strerror(-r) : "closed");
        drop();
    }
}

// What the bus waits for changes as it connects and writes, and so does its next timeout
// (a call that is never answered): both are asked afresh before every poll().
WaitPrepare prepare() {
    WaitPrepare p;
    int events = sd_bus_get_events(g_bus.bus);
    if (events < 0) {
        p.ready = true; // on_ready finds the broken connection and drops it
        return p;
    }
    p.events = static_cast<short>(events);
    uint64_t timeout_us = 0;
    // sd-bus times out on the real monotonic clock, which a virtual clock's jumps never move.
    if (sd_bus_get_timeout(g_bus.bus, &timeout_us) > 0 && timeout_us != UINT64_MAX &&
        !clock().is_virtual()) {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        uint64_t now_us = uint64_t(ts.tv_sec) * 1000000 + uint64_t(ts.tv_nsec) / 1000;
        uint64_t left_ms = timeout_us > now_us ? (timeout_us - now_us + 999) / 1000 : 0;
        p.deadline = clock().now() + static_cast<Millis>(left_ms);
    }
    return p;
}

} // namespace

void start_resume_watch() {
    drop();
    const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    address = address && *address ? address : kDefaultBus;
    sd_bus* bus = nullptr;
    if (sd_bus_new(&bus) < 0)
        return;
    g_bus.bus = bus;
    g_bus.pid = ::getpid();
    int r = 0;
    if ((r = sd_bus_set_address(bus, address)) < 0 || (r = sd_bus_set_bus_client(bus, 1)) < 0 ||
        (r = sd_bus_start(bus)) < 0 ||
        (r = sd_bus_match_signal_async(bus, &g_bus.match, nullptr, "/org/freedesktop/login1",
                                       "org.freedesktop.login1.Manager", "PrepareForSleep",
                                       on_prepare_for_sleep, on_subscribed, nullptr)) < 0) {
        trace(TraceChannel::power, "no system bus at %s (%s)", address, strerror(-r));
        drop(); // no bus: nothing to watch, and nothing else is disturbed
        return;
    }
    g_bus.source = add_wait_source({sd_bus_get_fd(bus), prepare, on_ready});
}

ResumeWatchState resume_watch_state() {
    if (!g_bus.bus || g_bus.pid != ::getpid())
        return ResumeWatchState::off;
    return g_bus.subscribed ? ResumeWatchState::subscribed : ResumeWatchState::connecting;
}

namespace {
// The process's first window starts the watch: only then are there windows a resume concerns.
[[maybe_unused]] const bool registered = (add_process_start_hook(start_resume_watch), true);
} // namespace

} // namespace platform
