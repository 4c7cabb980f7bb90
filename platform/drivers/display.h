// The display driver: where the windows of this process are shown. The window manager tells it
// what changed; the driver answers what the screen is. Every entry has a harmless default, so
// a driver implements only what its display needs. The headless driver keeps windows off any
// screen; RADIODECK_DISPLAY chooses the driver when the process starts.
#pragma once

#include <windef.h>

#include <string>

namespace platform {

inline constexpr char kDisplayVariable[] = "RADIODECK_DISPLAY";

class DisplayDriver {
public:
    virtual ~DisplayDriver() = default;
    virtual const char* name() const = 0;
    // The screen in pixels.
    virtual SIZE screen_size() const { return {1024, 768}; }
    // A window was created, or its visibility, place, size, order, style or title changed.
    virtual void window_changed(HWND hwnd) {}
    // A window is about to go; its state is still readable.
    virtual void window_destroyed(HWND hwnd) {}
};

// Chooses the driver named by RADIODECK_DISPLAY ("headless" or "x11"; unset or empty: the
// best this build has). False, with the reason in `error`, when the value names none this
// build has; the process then keeps the headless driver.
bool open_display(std::string& error);
// The same for a program's start: the reason goes to stderr after the program's name.
bool open_display(const char* program);

// The driver of this process; opened on first use when nobody opened it.
DisplayDriver& display_driver();

// Puts another driver in place (tests record what the window manager tells it); null puts
// the chosen one back.
void set_display_driver(DisplayDriver* driver);

} // namespace platform
