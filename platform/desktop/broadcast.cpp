// PostMessageA(HWND_BROADCAST) beyond the calling process: one post per top-level window
// of every other process, each to its owner's queue.
#include "desktop_state.h"

namespace platform {

void desktop_broadcast_to_others(UINT msg, WPARAM wparam, LPARAM lparam) {
    desktop_detail::Desktop* d = desktop_detail::Desktop::current();
    if (!d)
        return;
    DWORD own = static_cast<DWORD>(d->own_pid());
    DWORD saved = GetLastError();
    for (const DesktopWindow& w : desktop_top_level()) {
        // A process that is gone or does not read its queue misses the message; as on
        // Windows, the others still get theirs and the broadcast succeeds.
        if (w.pid != own)
            desktop_post(w.handle, msg, wparam, lparam);
    }
    SetLastError(saved);
}

} // namespace platform
