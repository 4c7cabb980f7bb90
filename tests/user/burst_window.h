// A window procedure whose WM_USER runs the test's chosen burst of changes, from inside a
// window procedure as a program would make them.
#pragma once

#include <windows.h>

#include <functional>

namespace testing_support {

inline std::function<void(HWND)> g_on_user;

inline LRESULT CALLBACK burst_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_USER && g_on_user) {
        g_on_user(hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

} // namespace testing_support
