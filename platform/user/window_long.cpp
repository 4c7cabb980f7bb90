// GetWindowLong / SetWindowLong: the window's fields and its extra bytes.
#include "window.h"
#include "window_class.h"

#include <cstring>

using platform::Window;
using platform::window_or_error;

namespace {

bool extra_range(const Window& w, int index, size_t size) {
    return index >= 0 && static_cast<size_t>(index) + size <= w.extra.size();
}

LONG_PTR get_long(HWND hwnd, int index, size_t size) {
    Window* w = window_or_error(hwnd);
    if (!w)
        return 0;
    switch (index) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
    case GWL_STYLE:
        return static_cast<LONG>(w->style);
    case GWL_EXSTYLE:
        return static_cast<LONG>(w->ex_style);
    case GWLP_ID:
        return static_cast<LONG_PTR>(w->id);
    case GWLP_USERDATA:
        return w->user_data;
    default:
        break;
    }
    if (!extra_range(*w, index, size)) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    if (size == sizeof(LONG)) {
        LONG v;
        std::memcpy(&v, w->extra.data() + index, sizeof v);
        return v;
    }
    LONG_PTR v;
    std::memcpy(&v, w->extra.data() + index, sizeof v);
    return v;
}

LONG_PTR set_long(HWND hwnd, int index, LONG_PTR value, size_t size) {
    Window* w = window_or_error(hwnd);
    if (!w)
        return 0;
    LONG_PTR old = get_long(hwnd, index, size);
    switch (index) {
    case GWLP_WNDPROC:
        w->proc = reinterpret_cast<WNDPROC>(value);
        return old;
    case GWLP_HINSTANCE:
        w->instance = reinterpret_cast<HINSTANCE>(value);
        return old;
    case GWL_STYLE:
        w->style = static_cast<DWORD>(value);
        platform::window_changed(hwnd, platform::kChangePlace);
        return old;
    case GWL_EXSTYLE:
        w->ex_style = static_cast<DWORD>(value);
        platform::window_changed(hwnd, platform::kChangePlace);
        return old;
    case GWLP_ID:
        w->id = static_cast<UINT_PTR>(value);
        platform::window_changed(hwnd, platform::kChangeState);
        return old;
    case GWLP_USERDATA:
        w->user_data = value;
        return old;
    case GWLP_HWNDPARENT:
        if (!(w->style & WS_CHILD))
            w->owner = reinterpret_cast<HWND>(value);
        platform::window_changed(hwnd, platform::kChangeState);
        return old;
    default:
        break;
    }
    if (!extra_range(*w, index, size)) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    if (size == sizeof(LONG)) {
        LONG v = static_cast<LONG>(value);
        std::memcpy(w->extra.data() + index, &v, sizeof v);
    } else {
        std::memcpy(w->extra.data() + index, &value, sizeof value);
    }
    return old;
}

} // namespace

LONG WINAPI GetWindowLongA(HWND hwnd, int index) {
    return static_cast<LONG>(get_long(hwnd, index, sizeof(LONG)));
}
LONG WINAPI SetWindowLongA(HWND hwnd, int index, LONG value) {
    return static_cast<LONG>(set_long(hwnd, index, value, sizeof(LONG)));
}
LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index) {
    return get_long(hwnd, index, sizeof(LONG_PTR));
}
LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
    return set_long(hwnd, index, value, sizeof(LONG_PTR));
}
