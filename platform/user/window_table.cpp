// The process's windows: handle allocation, lookup, the parent/child tree and z-order.
#include "window.h"
#include "desktop_sink.h"
#include "msgbox.h"
#include "window_class.h"

#include "platform/desktop/desktop.h"
#include "platform/drivers/display.h"
#include "platform/kernel/process_start.h"

#include <algorithm>
#include <memory>
#include <unistd.h>
#include <unordered_map>

namespace platform {

namespace {

struct Table {
    std::unordered_map<HWND, std::unique_ptr<Window>> windows;
    std::vector<HWND> top_level; // z-order, topmost first
    uint32_t next = 0;
};

Table& table() {
    static Table t;
    return t;
}

bool in_topmost_band(HWND h) {
    Window* o = find_window(h);
    return o && (o->ex_style & WS_EX_TOPMOST);
}

// Tells the desktop where a window now stands among its siblings. Children carry their
// position; a top-level window gets a fresh stamp, on top of its band when it is first in
// it here and at the bottom when it is last, else it and the windows above it in its band
// are stamped again, lowest first, so this process's own order holds desktop-wide.
void restack(Window& w) {
    Table& t = table();
    if (Window* parent = find_window(w.parent)) {
        std::vector<HWND>& list = parent->children;
        for (size_t i = 0; i < list.size(); ++i)
            if (Window* c = find_window(list[i]); c && c->z != i) {
                c->z = i;
                window_changed(c->handle, kChangePlace);
            }
        return;
    }
    std::vector<HWND>& list = t.top_level;
    auto it = std::find(list.begin(), list.end(), w.handle);
    if (it == list.end())
        return;
    size_t index = static_cast<size_t>(it - list.begin());
    bool band = in_topmost_band(w.handle);
    auto same_band = [&](size_t i) { return in_topmost_band(list[i]) == band; };
    bool first = index == 0 || !same_band(index - 1);
    bool last = index + 1 == list.size() || !same_band(index + 1);
    if (first || !last) {
        for (size_t i = index + 1; i-- > 0 && (i == index || same_band(i));) {
            if (Window* o = find_window(list[i])) {
                o->z = desktop_z_stamp(true);
                window_changed(o->handle, kChangePlace);
            }
        }
    } else {
        w.z = desktop_z_stamp(false);
        window_changed(w.handle, kChangePlace);
    }
}

} // namespace

// Handles are 32-bit values as on Windows and desktop-wide: the desktop's table gives them,
// so a handle means the same window in every process. Without a desktop (or with a full
// one) a window still gets a handle of its own, odd so that it never equals a table's.
HWND allocate_window_handle(Window& w) {
    Table& t = table();
    DesktopWindow initial = describe_window(w);
    // A window left from an earlier desktop of this process (the machine root changed) may
    // hold a handle the new table hands out again: such slots are skipped, then returned.
    std::vector<HWND> clashing;
    run_process_start_hooks();
    receive_from_desktop();
    HWND h = desktop_allocate_handle(initial);
    while (h && t.windows.count(h) && clashing.size() < 64) {
        clashing.push_back(h);
        h = desktop_allocate_handle(initial);
    }
    for (HWND c : clashing)
        desktop_release(c);
    if (h && !t.windows.count(h)) {
        if (!w.parent)
            w.z = initial.z; // on top of the desktop, as insert_window places it here
        return h;
    }
    if (h)
        desktop_release(h);
    uint32_t pid_part = (static_cast<uint32_t>(getpid()) & 0x7FFF) << 16;
    for (;;) {
        t.next = (t.next + 2) & 0xFFFF;
        if (t.next == 0)
            continue;
        h = reinterpret_cast<HWND>(static_cast<uintptr_t>(pid_part | 0x10000u | t.next | 1u));
        if (!t.windows.count(h))
            return h;
    }
}

Window* find_window(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    auto& w = table().windows;
    auto it = w.find(hwnd);
    return it == w.end() ? nullptr : it->second.get();
}

Window* window_or_error(HWND hwnd) {
    Window* w = find_window(hwnd);
    if (!w)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

const std::vector<HWND>& top_level_windows() {
    return table().top_level;
}

std::vector<HWND> all_windows() {
    std::vector<HWND> out;
    std::vector<HWND> stack(table().top_level.rbegin(), table().top_level.rend());
    while (!stack.empty()) {
        HWND h = stack.back();
        stack.pop_back();
        out.push_back(h);
        if (Window* w = find_window(h))
            stack.insert(stack.end(), w->children.rbegin(), w->children.rend());
    }
    return out;
}

Window& insert_window(std::unique_ptr<Window> window) {
    static bool listening = (install_display_events(), true); // reports need windows
    (void)listening;
    Window& w = *window;
    Table& t = table();
    t.windows.emplace(w.handle, std::move(window));
    if (Window* parent = find_window(w.parent)) {
        parent->children.push_back(w.handle); // new children go to the bottom
    } else if (w.ex_style & WS_EX_TOPMOST) {
        t.top_level.insert(t.top_level.begin(), w.handle);
    } else {
        auto first_plain = std::find_if(t.top_level.begin(), t.top_level.end(), [](HWND h) {
            Window* o = find_window(h);
            return o && !(o->ex_style & WS_EX_TOPMOST);
        });
        t.top_level.insert(first_plain, w.handle);
    }
    // A new top-level window of the desktop got its stamp on top with its handle.
    if (w.parent || !desktop_holds(w.handle))
        restack(w);
    window_changed(w.handle, kChangeCreated);
    return w;
}

void erase_window(HWND hwnd) {
    Table& t = table();
    Window* w = find_window(hwnd);
    if (!w)
        return;
    auto unlink = [hwnd](std::vector<HWND>& v) {
        v.erase(std::remove(v.begin(), v.end(), hwnd), v.end());
    };
    if (Window* parent = find_window(w->parent))
        unlink(parent->children);
    unlink(t.top_level);
    drop_surface(*w);
    window_released(hwnd);
    t.windows.erase(hwnd);
}

// Moves a window within its sibling list: HWND_TOP, HWND_BOTTOM, HWND_TOPMOST,
// HWND_NOTOPMOST or after a given sibling.
void reorder_window(Window& w, HWND insert_after) {
    Table& t = table();
    Window* parent = find_window(w.parent);
    std::vector<HWND>& list = parent ? parent->children : t.top_level;
    list.erase(std::remove(list.begin(), list.end(), w.handle), list.end());
    if (!parent) {
        if (insert_after == HWND_TOPMOST)
            w.ex_style |= WS_EX_TOPMOST;
        else if (insert_after == HWND_NOTOPMOST)
            w.ex_style &= ~WS_EX_TOPMOST;
    }
    auto is_topmost = [](HWND h) {
        Window* o = find_window(h);
        return o && (o->ex_style & WS_EX_TOPMOST);
    };
    auto pos = list.begin();
    if (insert_after == HWND_BOTTOM) {
        pos = list.end();
    } else if (insert_after == HWND_TOP || insert_after == HWND_TOPMOST ||
               insert_after == HWND_NOTOPMOST) {
        // A plain top-level window stays below every topmost one.
        if (!parent && !(w.ex_style & WS_EX_TOPMOST))
            pos = std::find_if_not(list.begin(), list.end(), is_topmost);
    } else {
        auto it = std::find(list.begin(), list.end(), insert_after);
        pos = it == list.end() ? list.begin() : it + 1;
    }
    list.insert(pos, w.handle);
    restack(w);
}

HWND root_window(HWND hwnd) {
    Window* w = find_window(hwnd);
    while (w && w->parent) {
        Window* p = find_window(w->parent);
        if (!p)
            break;
        w = p;
    }
    return w ? w->handle : nullptr;
}

RECT frame_insets(DWORD style, DWORD ex_style) {
    int edge = 0;
    if ((style & WS_CAPTION) == WS_CAPTION || (style & WS_DLGFRAME) ||
        (ex_style & WS_EX_DLGMODALFRAME))
        edge = 3;
    else if (style & WS_BORDER)
        edge = 1;
    if (style & WS_THICKFRAME)
        edge = 4;
    if (ex_style & WS_EX_CLIENTEDGE)
        edge += 2;
    int caption = (style & WS_CAPTION) == WS_CAPTION ? 18 : 0;
    return RECT{edge, edge + caption, edge, edge};
}

RECT client_rect_on_screen(const Window& w) {
    RECT r = w.rect;
    for (Window* p = find_window(w.parent); p; p = find_window(p->parent)) {
        RECT pc = frame_insets(p->style, p->ex_style);
        OffsetRect(&r, p->rect.left + pc.left, p->rect.top + pc.top);
    }
    RECT in = frame_insets(w.style, w.ex_style);
    return RECT{r.left + in.left, r.top + in.top, std::max(r.left + in.left, r.right - in.right),
                std::max(r.top + in.top, r.bottom - in.bottom)};
}

LRESULT call_window(Window& w, UINT msg, WPARAM wparam, LPARAM lparam) {
    WindowBatch batch; // what the procedure changes is published once, when it returns
    return CallWindowProcA(w.proc, w.handle, msg, wparam, lparam);
}

} // namespace platform
