#include "window_class.h"

#include <deque>
#include <strings.h>

namespace platform {

namespace {

// The dialog class is known by its atom name "#32770", as on Windows.
constexpr ATOM kDialogAtom = 32770;

std::deque<WindowClass>& classes() {
    static std::deque<WindowClass> list = [] {
        std::deque<WindowClass> l;
        l.push_back({"#32770", kDialogAtom, CS_DBLCLKS | CS_SAVEBITS, DefDlgProcA, 0,
                     DLGWINDOWEXTRA, nullptr, nullptr, nullptr, nullptr, true});
        l.push_back({"Button", 0xC001, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, button_proc, 0, 0,
                     nullptr, nullptr, nullptr, nullptr, true});
        l.push_back({"Static", 0xC002, CS_DBLCLKS, static_proc, 0, 0, nullptr, nullptr, nullptr,
                     nullptr, true});
        l.push_back({"tooltips_class32", 0xC003, CS_DBLCLKS | CS_SAVEBITS, tooltip_proc, 0, 0,
                     nullptr, nullptr, nullptr, nullptr, true});
        return l;
    }();
    return list;
}

ATOM g_next_atom = 0xC100;

} // namespace

const WindowClass* find_class(LPCSTR name_or_atom) {
    if (!name_or_atom)
        return nullptr;
    if (IS_INTRESOURCE(name_or_atom)) {
        ATOM atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name_or_atom));
        for (const WindowClass& c : classes())
            if (c.atom == atom)
                return &c;
        return nullptr;
    }
    for (const WindowClass& c : classes())
        if (strcasecmp(c.name.c_str(), name_or_atom) == 0)
            return &c;
    return nullptr;
}

} // namespace platform

using platform::WindowClass;

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !wc->lpfnWndProc ||
        wc->cbWndExtra < 0 || wc->cbClsExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (const WindowClass* existing = platform::find_class(wc->lpszClassName);
        existing && !existing->system) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    WindowClass c;
    c.name = wc->lpszClassName;
    c.atom = platform::g_next_atom++;
    c.style = wc->style;
    c.proc = wc->lpfnWndProc;
    c.cls_extra = wc->cbClsExtra;
    c.wnd_extra = wc->cbWndExtra;
    c.instance = wc->hInstance;
    c.icon = wc->hIcon;
    c.cursor = wc->hCursor;
    c.background = wc->hbrBackground;
    // An application class of a system name takes precedence, as a local class does.
    platform::classes().push_front(c);
    return c.atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR name, HINSTANCE) {
    auto& list = platform::classes();
    for (auto it = list.begin(); it != list.end(); ++it) {
        bool match = IS_INTRESOURCE(name)
                         ? it->atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name))
                         : strcasecmp(it->name.c_str(), name) == 0;
        if (match && !it->system) {
            list.erase(it);
            return TRUE;
        }
    }
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
}

BOOL WINAPI GetClassInfoA(HINSTANCE, LPCSTR name, LPWNDCLASSA out) {
    const WindowClass* c = platform::find_class(name);
    if (!c || !out) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    *out = WNDCLASSA{c->style, c->proc,   c->cls_extra,  c->wnd_extra, c->instance,
                     c->icon,  c->cursor, c->background, nullptr,      c->name.c_str()};
    return TRUE;
}
