// Creating, destroying and querying windows.
#include "window.h"
#include "window_class.h"

#include "platform/desktop/desktop.h"

#include <algorithm>
#include <cstring>
#include <pthread.h>
#include <strings.h>

using platform::find_window;
using platform::Window;
using platform::window_or_error;

namespace {

DWORD this_thread_id() {
    return GetCurrentThreadId();
}

void place_default(Window& w, int x, int y, int cx, int cy) {
    if (x == CW_USEDEFAULT) {
        x = 32;
        y = 32;
    }
    if (cx == CW_USEDEFAULT) {
        cx = 400;
        cy = 300;
    }
    w.rect = RECT{x, y, x + std::max(cx, 0), y + std::max(cy, 0)};
}

void send_size_and_move(Window& w) {
    HWND h = w.handle;
    RECT c;
    GetClientRect(h, &c);
    SendMessageA(h, WM_SIZE, 0, MAKELPARAM(c.right, c.bottom));
    if (Window* again = find_window(h)) {
        RECT in = platform::frame_insets(again->style, again->ex_style);
        SendMessageA(h, WM_MOVE, 0,
                     MAKELPARAM(again->rect.left + in.left, again->rect.top + in.top));
    }
}

} // namespace

HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style,
                            int x, int y, int cx, int cy, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    const platform::WindowClass* cls = platform::find_class(class_name);
    if (!cls) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    Window* parent_window = nullptr;
    if (parent) {
        parent_window = window_or_error(parent);
        if (!parent_window)
            return nullptr;
    } else if (style & WS_CHILD) {
        SetLastError(ERROR_INVALID_PARAMETER); // a child needs a parent
        return nullptr;
    }

    platform::WindowBatch batch; // the new window's first state, its messages and its show
    auto owned = std::make_unique<Window>();
    Window& w = *owned;
    w.cls = cls;
    w.proc = cls->proc;
    w.instance = instance;
    w.style = style & ~WS_VISIBLE; // shown below, through the usual path
    w.ex_style = ex_style;
    w.text = window_name ? window_name : "";
    w.extra.assign(static_cast<size_t>(cls->wnd_extra), 0);
    w.thread_id = this_thread_id();
    if (style & WS_CHILD) {
        w.parent = parent;
        w.id = reinterpret_cast<UINT_PTR>(menu);
    } else if (parent) {
        w.owner = platform::root_window(parent); // owners are always top-level windows
    }
    place_default(w, x, y, cx, cy);
    w.handle = platform::allocate_window_handle(w);
    HWND hwnd = w.handle;
    platform::insert_window(std::move(owned));

    CREATESTRUCTA cs{
        param,       instance,   menu,    parent, cy, cx, y, x, static_cast<LONG>(style),
        window_name, class_name, ex_style};
    LPARAM lp = reinterpret_cast<LPARAM>(&cs);
    if (!SendMessageA(hwnd, WM_NCCREATE, 0, lp) || !find_window(hwnd)) {
        DestroyWindow(hwnd);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (SendMessageA(hwnd, WM_CREATE, 0, lp) == -1 || !find_window(hwnd)) {
        DestroyWindow(hwnd);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    send_size_and_move(*find_window(hwnd));
    if ((style & WS_VISIBLE) && find_window(hwnd))
        ShowWindow(hwnd, SW_SHOW);
    return find_window(hwnd) ? hwnd : nullptr;
}

namespace {

void send_destroy(HWND hwnd) {
    SendMessageA(hwnd, WM_DESTROY, 0, 0);
    if (Window* w = find_window(hwnd)) {
        std::vector<HWND> children = w->children;
        for (HWND c : children)
            if (find_window(c))
                send_destroy(c);
    }
}

void final_destroy(HWND hwnd) {
    Window* w = find_window(hwnd);
    if (!w)
        return;
    std::vector<HWND> children = w->children;
    for (HWND c : children)
        final_destroy(c);
    platform::forget_window_state(hwnd);
    SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
    platform::erase_window(hwnd);
}

} // namespace

BOOL WINAPI DestroyWindow(HWND hwnd) {
    Window* w = window_or_error(hwnd);
    if (!w)
        return FALSE;
    if (w->destroying)
        return TRUE;
    w->destroying = true;
    platform::WindowBatch batch;

    // Owned windows go first, as on Windows.
    if (!w->parent) {
        std::vector<HWND> owned;
        for (HWND h : platform::top_level_windows())
            if (Window* o = find_window(h); o && o->owner == hwnd)
                owned.push_back(h);
        for (HWND h : owned)
            DestroyWindow(h);
    }
    if (IsWindowVisible(hwnd) || (find_window(hwnd) && (find_window(hwnd)->style & WS_VISIBLE)))
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
    if (!find_window(hwnd))
        return TRUE;
    send_destroy(hwnd);
    final_destroy(hwnd);
    return TRUE;
}

using platform::view_or_error;

BOOL WINAPI IsWindow(HWND hwnd) {
    return platform::view_of(hwnd).has_value();
}

BOOL WINAPI IsChild(HWND parent, HWND hwnd) {
    for (Window* w = find_window(hwnd); w && w->parent; w = find_window(w->parent))
        if (w->parent == parent)
            return TRUE;
    return FALSE;
}

HWND WINAPI GetParent(HWND hwnd) {
    auto v = view_or_error(hwnd);
    if (!v)
        return nullptr;
    // Windows returns the owner for a popup and the parent for a child.
    return (v->style & WS_CHILD) ? v->parent : (v->style & WS_POPUP) ? v->owner : nullptr;
}

HWND WINAPI GetWindow(HWND hwnd, UINT cmd) {
    Window* w = window_or_error(hwnd);
    if (!w)
        return nullptr;
    if (cmd == GW_CHILD)
        return w->children.empty() ? nullptr : w->children.front();
    if (cmd == GW_OWNER)
        return w->owner;
    Window* parent = find_window(w->parent);
    const std::vector<HWND>& list = parent ? parent->children : platform::top_level_windows();
    auto it = std::find(list.begin(), list.end(), hwnd);
    switch (cmd) {
    case GW_HWNDFIRST:
        return list.empty() ? nullptr : list.front();
    case GW_HWNDLAST:
        return list.empty() ? nullptr : list.back();
    case GW_HWNDNEXT:
        return (it == list.end() || it + 1 == list.end()) ? nullptr : *(it + 1);
    case GW_HWNDPREV:
        return (it == list.begin() || it == list.end()) ? nullptr : *(it - 1);
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

HWND WINAPI GetDlgItem(HWND dlg, int id) {
    if (!view_or_error(dlg))
        return nullptr;
    for (const platform::DesktopWindow& c : platform::child_views(dlg))
        if (static_cast<int>(c.id) == id)
            return c.handle;
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hwnd) {
    Window* w = window_or_error(hwnd);
    return w && (w->style & WS_CHILD) ? static_cast<int>(w->id) : 0;
}

namespace {

// A class name, or an atom that names the class this process knows by it.
bool class_matches(const platform::DesktopWindow& w, LPCSTR cls) {
    if (!cls)
        return true;
    if (IS_INTRESOURCE(cls)) {
        const platform::WindowClass* known = platform::find_class(cls);
        return known && strcasecmp(known->name.c_str(), w.class_name.c_str()) == 0;
    }
    return strcasecmp(w.class_name.c_str(), cls) == 0;
}

} // namespace

HWND WINAPI FindWindowExA(HWND parent, HWND child_after, LPCSTR cls, LPCSTR title) {
    // A window's children, or every top-level window of the desktop in one z-order.
    std::vector<platform::DesktopWindow> list;
    if (parent && parent != HWND_MESSAGE) {
        if (!view_or_error(parent))
            return nullptr;
        list = platform::child_views(parent);
    } else {
        list = platform::top_level_views();
    }
    bool started = child_after == nullptr;
    for (const platform::DesktopWindow& w : list) {
        if (!started) {
            started = w.handle == child_after;
            continue;
        }
        // The title, like the class name, compares without regard to letter case, as
        // Windows does. A window of a process that died is no match.
        if (class_matches(w, cls) && (!title || lstrcmpiA(w.title.c_str(), title) == 0) &&
            (find_window(w.handle) || platform::desktop_alive(w)))
            return w.handle;
    }
    SetLastError(ERROR_SUCCESS);
    return nullptr;
}

HWND WINAPI FindWindowA(LPCSTR cls, LPCSTR title) {
    return FindWindowExA(nullptr, nullptr, cls, title);
}

DWORD WINAPI GetWindowThreadProcessId(HWND hwnd, LPDWORD pid) {
    auto v = view_or_error(hwnd);
    if (!v)
        return 0;
    if (pid)
        *pid = v->pid;
    return v->thread_id;
}

int WINAPI GetClassNameA(HWND hwnd, LPSTR buffer, int size) {
    auto v = view_or_error(hwnd);
    if (!v || !buffer || size <= 0)
        return 0;
    lstrcpynA(buffer, v->class_name.c_str(), size);
    return lstrlenA(buffer);
}

BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text) {
    if (!window_or_error(hwnd))
        return FALSE;
    return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

int WINAPI GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = '\0';
    if (find_window(hwnd))
        return static_cast<int>(SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(size),
                                             reinterpret_cast<LPARAM>(buffer)));
    // Another process's title comes from the desktop, as Windows answers it from its own copy
    // without asking the owner.
    auto v = view_or_error(hwnd);
    if (!v)
        return 0;
    lstrcpynA(buffer, v->title.c_str(), size);
    return lstrlenA(buffer);
}

int WINAPI GetWindowTextLengthA(HWND hwnd) {
    if (find_window(hwnd))
        return static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
    auto v = view_or_error(hwnd);
    return v ? static_cast<int>(v->title.size()) : 0;
}

BOOL WINAPI SetDlgItemTextA(HWND dlg, int id, LPCSTR text) {
    HWND item = GetDlgItem(dlg, id);
    return item ? SetWindowTextA(item, text) : FALSE;
}

BOOL WINAPI EnableWindow(HWND hwnd, BOOL enable) {
    Window* w = window_or_error(hwnd);
    if (!w)
        return FALSE;
    platform::WindowBatch batch;
    BOOL was_disabled = (w->style & WS_DISABLED) != 0;
    if (enable && was_disabled) {
        w->style &= ~WS_DISABLED;
        platform::window_changed(hwnd, platform::kChangeState);
        SendMessageA(hwnd, WM_ENABLE, TRUE, 0);
    } else if (!enable && !was_disabled) {
        SendMessageA(hwnd, WM_CANCELMODE, 0, 0);
        if (Window* again = find_window(hwnd)) {
            again->style |= WS_DISABLED;
            platform::window_changed(hwnd, platform::kChangeState);
            if (GetFocus() == hwnd || IsChild(hwnd, GetFocus()))
                SetFocus(nullptr);
            if (GetCapture() == hwnd)
                ReleaseCapture();
            SendMessageA(hwnd, WM_ENABLE, FALSE, 0);
        }
    }
    return was_disabled;
}

BOOL WINAPI IsWindowEnabled(HWND hwnd) {
    auto v = view_or_error(hwnd);
    return v && !(v->style & WS_DISABLED);
}
