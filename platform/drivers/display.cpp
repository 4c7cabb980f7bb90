// Choosing the display driver of the process, its place in the wait, and the way up.
#include "display.h"
#include "display_events.h"

#include "platform/kernel/trace.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace platform {

DisplayDriver& headless_display();

namespace {

DisplayDriver* chosen = nullptr;
DisplayDriver* replacement = nullptr;
DisplayEvents* events = nullptr;
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
    chosen = &headless_display();
    watch_connection(*chosen);
    const char* value = std::getenv(kDisplayVariable);
    std::string_view name = value ? value : "";
    // This build has no X11 driver: without a choice every process runs headless, whatever
    // $DISPLAY says, and a choice of X11 is refused rather than quietly ignored.
    if (name.empty() || name == "headless") {
        trace(TraceChannel::drivers, "display driver %s", chosen->name());
        return true;
    }
    if (name == "x11")
        error = "RADIODECK_DISPLAY=x11: this build has no X11 display driver (use headless)";
    else
        error = std::string("RADIODECK_DISPLAY=") + std::string(name) +
                ": unknown display (headless or x11)";
    return false;
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

} // namespace platform
