// Choosing the display driver of the process.
#include "display.h"

#include "platform/kernel/trace.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace platform {

DisplayDriver& headless_display();

namespace {

DisplayDriver* chosen = nullptr;
DisplayDriver* replacement = nullptr;

} // namespace

bool open_display(std::string& error) {
    chosen = &headless_display();
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
    if (replacement)
        return *replacement;
    if (!chosen) {
        std::string ignored;
        open_display(ignored);
    }
    return *chosen;
}

void set_display_driver(DisplayDriver* driver) {
    replacement = driver;
}

} // namespace platform
