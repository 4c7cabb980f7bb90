// zebosd: the on-screen display of the simulated notebook. A hidden window "ZEBOSD" with one
// control for each command id it knows; a WM_COMMAND announces which radios went on or off in
// a small topmost popup for two seconds and is written to the journal (osd_journal.h).
#include "machine/osd/osd_journal.h"
#include "machine/peer_life/peer_life.h"
#include "platform/drivers/display.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr char kWindowClass[] = "ZEBOSD";
constexpr char kBannerClass[] = "ZEBOSD_BANNER";
constexpr UINT_PTR kBannerTimer = 1;
constexpr UINT kBannerMillis = 2000;
constexpr int kBannerWidth = 320;
constexpr int kBannerHeight = 48;

HWND g_banner = nullptr;

LRESULT CALLBACK banner_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TIMER:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        if (g_banner == hwnd)
            g_banner = nullptr;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// A borderless topmost popup near the bottom of the screen whose title is the text; the
// newest announcement replaces one still on screen.
void show_banner(const char* text) {
    if (g_banner)
        DestroyWindow(g_banner);
    int x = (GetSystemMetrics(SM_CXSCREEN) - kBannerWidth) / 2;
    int y = GetSystemMetrics(SM_CYSCREEN) * 3 / 4;
    g_banner = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kBannerClass, text,
                               WS_POPUP | WS_VISIBLE, x, y, kBannerWidth, kBannerHeight, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!g_banner)
        return;
    CreateWindowExA(0, "Static", text, WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 12, 14,
                    kBannerWidth - 24, kBannerHeight - 28, g_banner, nullptr,
                    GetModuleHandleA(nullptr), nullptr);
    SetTimer(g_banner, kBannerTimer, kBannerMillis, nullptr);
}

void announce(int code) {
    const char* text = machine::osd_announcement(code);
    if (text)
        show_banner(text);
    // Written last, so that whoever sees the line also finds the popup.
    if (!machine::append_osd_journal(code, text ? text : "unknown"))
        std::fprintf(stderr, "zebosd: cannot write %s\n", machine::osd_journal_path().c_str());
}

LRESULT CALLBACK osd_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        announce(LOWORD(wp));
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

bool register_class(const char* name, WNDPROC proc) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0;
}

// The hidden window that the console finds, with a control named by each code.
HWND create_osd_window() {
    HWND hwnd = CreateWindowExA(0, kWindowClass, kWindowClass, WS_OVERLAPPED, 0, 0, 200, 100,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!hwnd)
        return nullptr;
    int y = 0;
    for (int code : machine::osd_codes()) {
        CreateWindowExA(0, "Static", machine::osd_announcement(code), WS_CHILD | WS_VISIBLE, 0, y,
                        200, 12, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(code)),
                        GetModuleHandleA(nullptr), nullptr);
        y += 12;
    }
    return hwnd;
}

} // namespace

int main() {
    if (!platform::open_display("zebosd"))
        return 1;
    if (!register_class(kWindowClass, osd_proc) || !register_class(kBannerClass, banner_proc)) {
        std::fprintf(stderr, "zebosd: cannot register the window classes\n");
        return 1;
    }
    if (!machine::end_with_machine("zebosd"))
        return 1;
    if (!create_osd_window()) {
        std::fprintf(stderr, "zebosd: cannot create the window (error %u)\n", GetLastError());
        return 1;
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
