// The headless screen as a person would see it, put together from what every process shares:
// the desktop's background, each shown top-level window's surface in the desktop's z-order,
// and the taskbar's notification area with the tray's icons.
#pragma once

#include "platform/desktop/surface_file.h"

#include <windows.h>

#include <optional>

namespace deskctl {

// Classic Windows' desktop and taskbar colours.
constexpr uint32_t kDesktopColor = 0x008080;
constexpr int kTaskbarHeight = 28;

platform::Picture compose_screen();

// One window as it is drawn: a top-level window's surface, or a child's part of its
// top-level window's surface. None when the window has no picture (never shown and drawn).
std::optional<platform::Picture> window_picture(HWND hwnd);

} // namespace deskctl
