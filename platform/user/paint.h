// Painting inside the window manager: update regions (paint.cpp), the window's device
// contexts and the erase (window_dc.cpp), the non-client frame (frame.cpp).
#pragma once

#include "platform/gdi/region.h"

#include <windows.h>

namespace platform {

struct Window;

// Adds to (RDW_INVALIDATE, with RDW_ERASE) or takes from (RDW_VALIDATE) a window's update
// region; `area` is in client coordinates. Children under the area share it unless the
// window has WS_CLIPCHILDREN (RDW_ALLCHILDREN and RDW_NOCHILDREN decide instead).
void invalidate(Window& w, const gdi::Region& area, UINT flags);
// Replaces a window's update region; an empty one ends the pending erase.
void set_update(Window& w, gdi::Region update);
// After a window's WM_PAINT: what it left unpainted counts as painted (its frame is drawn),
// so that WM_PAINT does not come again and again, as DispatchMessage does.
void finish_paint(HWND hwnd);
// Sends WM_PAINT now to a window that needs it, then (with `children`) to its children.
void paint_now(HWND hwnd, bool children);
// Sends the pending WM_ERASEBKGND now, with a device context on the update region.
void erase_now(HWND hwnd);
// The window's frame is to be drawn again (shown, sized, retitled, activated): WM_NCPAINT
// comes with its next BeginPaint.
void frame_changed(HWND hwnd);

// DefWindowProc's WM_ERASEBKGND: fills the DC's clip box with a class brush (a brush, or a
// COLOR_ index + 1); 0 when there is none, as Windows answers then.
LRESULT erase_background(HDC dc, HBRUSH brush);
// DefWindowProc's WM_NCPAINT: the classic frame and caption, drawn on the window's DC.
void draw_frame(HWND hwnd);

// The part of a window that drawing reaches, in its top-level window's surface coordinates:
// its client area (or with `client` false the whole window) cut to its ancestors' client
// areas, without the siblings above it where it has WS_CLIPSIBLINGS and, for the client area,
// without its children where it has WS_CLIPCHILDREN. Empty while it or an ancestor is
// hidden.
gdi::Region visible_region(const Window& w, bool client);
// Where a window's client area (or whole window) starts on its top-level window's surface.
POINT surface_origin(const Window& w, bool client);

} // namespace platform
