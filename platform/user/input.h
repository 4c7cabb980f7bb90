// The input path: what the mouse and keyboard do, for tools (deskctl) and tests. Input is
// queued as hardware messages and reaches windows through their own message loops.
#pragma once

#include <windows.h>

namespace platform {

// Moves the cursor; the window under it (or the capture window) gets WM_MOUSEMOVE.
void move_mouse(POINT screen);

// Puts the cursor somewhere without moving over windows: where the shell clicked a tray
// icon, which lies outside every window.
void place_cursor(POINT screen);

// A left click at a screen point: press and release, a double click when `twice`.
void click_at(POINT screen, bool twice = false);

// A left click in the middle of a window. False when the window is hidden or disabled,
// as the user's click would then reach nothing.
bool click_window(HWND hwnd, bool twice = false);

// A key pressed and released, for the focus window (else the active window).
void press_key(UINT vk);

// Input as the display reports it (display_events.h): a key going down or up for the focused
// window; a button (0 left, 1 right, 2 middle) at a screen point.
void key_event(UINT vk, bool down);
void button_event(POINT screen, int button, bool down);

} // namespace platform
