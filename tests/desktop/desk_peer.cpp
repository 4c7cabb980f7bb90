// A small program for the desktop tests: it makes a top-level window (CLASS, TITLE) with a
// "Button" child of id 117, says "ready TOP CHILD", and then reports each message posted
// to its windows (WM_PAINT aside) as "msg MESSAGE WPARAM LPARAM" on standard output, until
// its window goes.
//   WM_COMMAND with a window in lParam: answers that window with WM_APP+1, lParam = TOP.
//   WM_USER+1: shows (wParam 1) or hides (wParam 0) the top-level window.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr UINT kAnswer = WM_APP + 1;
constexpr UINT kShow = WM_USER + 1;

unsigned long hex(HWND h) {
    return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(h));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: desk_peer CLASS TITLE [--hidden] [--topmost]\n");
        return 2;
    }
    bool hidden = false, topmost = false;
    for (int i = 3; i < argc; ++i) {
        hidden |= !std::strcmp(argv[i], "--hidden");
        topmost |= !std::strcmp(argv[i], "--topmost");
    }
    if (std::strcmp(argv[1], "#32770") != 0) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = argv[1];
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        RegisterClassA(&wc);
    }
    DWORD style = WS_POPUP | WS_CAPTION | (hidden ? 0 : WS_VISIBLE);
    HWND top = CreateWindowExA(topmost ? WS_EX_TOPMOST : 0, argv[1], argv[2], style, 100, 100, 300,
                               200, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExA(0, "Button", "Wireless Lan", WS_CHILD | WS_VISIBLE, 10, 10, 100,
                                 20, top, reinterpret_cast<HMENU>(117), nullptr, nullptr);
    if (!top || !child)
        return 3;
    UpdateWindow(top); // drawn before it says it is ready: its picture is there
    std::printf("ready 0x%08lx 0x%08lx\n", hex(top), hex(child));
    std::fflush(stdout);
    MSG m;
    while (IsWindow(top) && GetMessageA(&m, nullptr, 0, 0) > 0) {
        if ((m.hwnd == top || m.hwnd == child) && m.message != WM_PAINT) {
            std::printf("msg %u %llu %lld\n", m.message, static_cast<unsigned long long>(m.wParam),
                        static_cast<long long>(m.lParam));
            std::fflush(stdout);
        }
        if (m.hwnd == top && m.message == WM_COMMAND && m.lParam &&
            IsWindow(reinterpret_cast<HWND>(m.lParam)))
            PostMessageA(reinterpret_cast<HWND>(m.lParam), kAnswer, m.wParam,
                         reinterpret_cast<LPARAM>(top));
        if (m.hwnd == top && m.message == kShow)
            ShowWindow(top, m.wParam ? SW_SHOWNA : SW_HIDE);
        DispatchMessageA(&m);
    }
    return 0;
}
