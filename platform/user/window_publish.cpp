// Publishing window state: changes mark their window, and one flush per loop turn writes the
// marked windows to the desktop under one lock and tells the display driver.
#include "msgbox.h"
#include "window.h"
#include "window_class.h"

#include "platform/drivers/display.h"
#include "platform/gdi/objects.h"
#include "platform/kernel/wait.h"

#include <algorithm>
#include <optional>
#include <pthread.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

namespace {

struct Pending {
    std::vector<HWND> dirty;    // in the order of their first change
    std::vector<HWND> released; // gone since the last flush: their desktop slots
    std::vector<HWND> vanished; // gone since the last flush: the display driver knew them
    int depth = 0;              // open WindowBatch scopes
    bool hooked = false;
};

// One GUI thread per process: the windows and what is pending for them are the process's.
Pending& pending() {
    static Pending p;
    return p;
}

// The wait flushes before the thread blocks, whatever batch is open: a modal loop or a Sleep
// inside a window procedure shows the changes made so far.
void hook_into_wait() {
    Pending& p = pending();
    if (!p.hooked) {
        p.hooked = true;
        add_flush_hook(flush_windows);
    }
}

// Asked of the kernel once, not at every view of a window; a forked child asks again.
DWORD process_id() {
    static DWORD pid = 0;
    static bool reset_in_child = [] { return pthread_atfork(nullptr, nullptr, [] { pid = 0; }); }();
    (void)reset_in_child;
    if (!pid)
        pid = static_cast<DWORD>(::getpid());
    return pid;
}

void flush_unless_batched() {
    hook_into_wait();
    if (pending().depth == 0)
        flush_windows();
}

} // namespace

DesktopWindow describe_window(const Window& w) {
    DesktopWindow d;
    d.handle = w.handle;
    d.pid = process_id();
    d.thread_id = w.thread_id;
    d.parent = w.parent;
    d.owner = w.owner;
    d.id = static_cast<UINT>(w.id);
    d.style = w.style;
    d.ex_style = w.ex_style;
    d.rect = w.rect;
    d.z = w.z;
    d.class_name = w.cls ? w.cls->name : "";
    d.title = w.text;
    if (w.handle)
        d.box_type = message_box_type(w.handle);
    return d;
}

void window_changed(HWND hwnd, uint32_t what) {
    Window* w = find_window(hwnd);
    if (!w)
        return;
    if (!w->changes)
        pending().dirty.push_back(hwnd);
    w->changes |= what;
    flush_unless_batched();
}

void window_released(HWND hwnd) {
    Window* w = find_window(hwnd);
    if (w && w->changes) {
        w->changes = 0; // nothing of it is told any more
        std::erase(pending().dirty, hwnd);
    }
    if (w && w->announced)
        pending().vanished.push_back(hwnd);
    if (desktop_holds(hwnd))
        pending().released.push_back(hwnd);
    flush_unless_batched();
}

namespace {

// Where a top-level window now stands, for the display driver.
WindowPlace place_of(const Window& w) {
    WindowPlace p;
    p.window = w.rect;
    p.client = client_rect_on_screen(w);
    const std::vector<HWND>& order = top_level_windows();
    auto it = std::find(order.begin(), order.end(), w.handle);
    p.insert_after = it == order.begin() || it == order.end() ? HWND_TOP : *(it - 1);
    p.visible = (w.style & WS_VISIBLE) != 0;
    p.topmost = (w.ex_style & WS_EX_TOPMOST) != 0;
    return p;
}

// An icon's pixels as a panel shows them; the icon's colour image is BGRA in memory, which is
// 0xAARRGGBB as 32-bit values.
IconPicture picture_of(HICON icon, std::shared_ptr<gdi::Icon>& keep) {
    keep = gdi::find_icon(icon);
    if (!keep)
        return {};
    return IconPicture{SIZE{keep->width, keep->height}, keep->color};
}

// Tells the driver what changed of a top-level window; children are part of their
// top-level window's surface and concern no driver. False when there was nothing to say.
bool tell_driver(DisplayDriver& driver, Window& w, uint32_t changes) {
    if (w.parent)
        return false;
    if (!w.announced) {
        w.announced = true;
        driver.window_created(DisplayWindow{w.handle, w.owner, w.style, w.ex_style,
                                            w.cls ? w.cls->name : "", w.text});
        changes = kChangePlace | (w.icon_big || w.icon_small ? uint32_t{kChangeIcon} : 0u);
    }
    if (changes & (kChangePlace | kChangeState)) {
        std::optional<WindowSurface> surface;
        if (w.surface)
            surface = WindowSurface{w.surface->size, w.surface->pixels, w.surface->dirty};
        driver.window_placed(w.handle, place_of(w), surface ? &*surface : nullptr);
    }
    if (changes & (kChangePlace | kChangePixels))
        present_surface(w, driver);
    if (changes & kChangeTitle)
        driver.window_title_set(w.handle, w.text);
    if (changes & kChangeIcon) {
        std::shared_ptr<gdi::Icon> big, small;
        driver.window_icon_set(w.handle, picture_of(w.icon_big, big),
                               picture_of(w.icon_small, small));
    }
    return true;
}

} // namespace

void flush_windows() {
    Pending& p = pending();
    if (p.dirty.empty() && p.released.empty() && p.vanished.empty())
        return;
    std::vector<HWND> dirty = std::exchange(p.dirty, {});
    std::vector<HWND> released = std::exchange(p.released, {});
    std::vector<HWND> vanished = std::exchange(p.vanished, {});
    DisplayDriver& driver = display_driver();
    bool told = !vanished.empty();
    for (HWND h : vanished)
        driver.window_destroyed(h);
    std::vector<DesktopWindow> states;
    states.reserve(dirty.size());
    for (HWND h : dirty) {
        Window* w = find_window(h);
        if (!w)
            continue;
        uint32_t changes = std::exchange(w->changes, 0);
        told |= tell_driver(driver, *w, changes);
        if (desktop_holds(h))
            states.push_back(describe_window(*w));
    }
    desktop_publish(states, released);
    if (told)
        driver.flush();
}

WindowBatch::WindowBatch() {
    ++pending().depth;
}

WindowBatch::~WindowBatch() {
    if (--pending().depth == 0)
        flush_windows();
}

} // namespace platform
