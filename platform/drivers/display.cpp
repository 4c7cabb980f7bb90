// Choosing the display driver of the process, its place in the wait, and the way up.
#include "display.h"
#include "display_events.h"
#include "x11_display.h"

#include "platform/kernel/trace.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace platform {

DisplayDriver& headless_display();

namespace {

DisplayDriver* chosen = nullptr;
std::unique_ptr<x11::X11Display> x11_display;
DisplayDriver* replacement = nullptr;
DisplayEvents* events = nullptr;
TrayEvents* tray_handler = nullptr;
int wait_source = 0;

DisplayDriver& current() {
    return replacement ? *replacement : *chosen;
}

// A driver with a connection is one source of the thread's wait.
void watch_connection(DisplayDriver& driver) {
    if (wait_source) {
        remove_wait_source(wait_source);
        wait_source = 0;
    }
    if (driver.connection() < 0)
        return;
    wait_source = add_wait_source({driver.connection(), [] { return current().prepare(); },
                                   [](short revents) { current().dispatch(revents); }});
}

} // namespace

bool open_display(std::string& error) {
    const char* value = std::getenv(kDisplayVariable);
    std::string_view name = value ? value : "";
    bool ok = true;
    bool wants_x11 = name.empty() || name == "x11";
    bool keep = x11_display && wants_x11; // one connection a process
    if (!keep) {
        chosen = &headless_display();
        watch_connection(*chosen);
        x11_display.reset();
    }
    if (wants_x11 && !keep) {
        // Without a choice X11 is used when $DISPLAY names a server that answers; a choice
        // of X11 without one is refused rather than quietly run headless.
        const char* host = std::getenv("DISPLAY");
        std::string why;
        if (host && *host)
            x11_display = x11::X11Display::open(nullptr, why);
        else
            why = "DISPLAY is not set";
        if (!x11_display && name == "x11") {
            error = "RADIODECK_DISPLAY=x11: " + why;
            ok = false;
        }
    } else if (!wants_x11 && name != "headless") {
        error = std::string("RADIODECK_DISPLAY=") + std::string(name) +
                ": unknown display (headless or x11)";
        ok = false;
    }
    chosen = x11_display ? static_cast<DisplayDriver*>(x11_display.get()) : &headless_display();
    watch_connection(*chosen);
    trace(TraceChannel::drivers, "display driver %s", chosen->name());
    return ok;
}

bool open_display(const char* program) {
    std::string error;
    if (open_display(error))
        return true;
    std::fprintf(stderr, "%s: %s\n", program, error.c_str());
    return false;
}

DisplayDriver& display_driver() {
    if (!replacement && !chosen) {
        std::string ignored;
        open_display(ignored);
    }
    return current();
}

void set_display_driver(DisplayDriver* driver) {
    replacement = driver;
}

DisplayEvents& display_events() {
    static DisplayEvents dropping;
    return events ? *events : dropping;
}

void set_display_events(DisplayEvents* handler) {
    events = handler;
}

TrayEvents& tray_events() {
    static TrayEvents dropping;
    return tray_handler ? *tray_handler : dropping;
}

void set_tray_events(TrayEvents* handler) {
    tray_handler = handler;
}

} // namespace platform
