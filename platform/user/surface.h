// A top-level window's surface: the 32-bit pixels (0x00RRGGBB) of the whole window, frame
// included, into which the window and all its children draw. What is drawn is dirty until the
// flush presents it: copied into the window's shared picture, which the desktop's readers
// see, and handed to the display driver.
#pragma once

#include "platform/desktop/surface_file.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace platform {

class DisplayDriver;
struct Window;

struct Surface {
    SIZE size{};
    std::vector<uint32_t> pixels; // size.cx * size.cy, top row first
    RECT dirty{};                 // drawn since the last present, in surface coordinates
    SharedPicture shared;         // made once the window has been shown and drawn
};

// The surface of a top-level window, made or resized to the window's size: a resized surface
// keeps what fits of its old pixels.
Surface& window_surface(Window& top);
// Something was drawn onto `area` (surface coordinates) of a top-level window's surface.
void surface_drawn(Window& top, const RECT& area);
// From the flush: shows the dirty part to the desktop and the driver. The shared picture is
// made when the window is visible and nothing of it waits to be painted, so that a reader
// never sees a window before its first paint.
void present_surface(Window& top, DisplayDriver& driver);
// The window is gone: readers see its picture no more.
void drop_surface(Window& top);

} // namespace platform
