// Window classes: the application's own and the system's ("#32770", "Button", "Static",
// "tooltips_class32").
#pragma once

#include <windows.h>

#include <string>

namespace platform {

struct WindowClass {
    std::string name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int cls_extra = 0;
    int wnd_extra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    bool system = false;
};

// A class by name (case-insensitive) or by atom (MAKEINTRESOURCE form).
const WindowClass* find_class(LPCSTR name_or_atom);

// Window procedures of the system classes.
LRESULT CALLBACK button_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK static_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK tooltip_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

} // namespace platform
