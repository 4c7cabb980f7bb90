// keywatch: the hotkey service of the simulated notebook. A hidden window "KEYWATCH" with
// control 117; a WM_COMMAND from that control carries the wanted Wireless LAN state in its
// high word, and the service switches the radio with the firmware's WLED method. It also
// reports the owner's hardware switch and wireless hotkey to the console (switch_events.h).
#include "machine/keywatch/kernel_switch.h"
#include "machine/keywatch/switch_events.h"
#include "machine/keywatch/wlan_switch.h"
#include "machine/notebookctl/notebook_setup.h"
#include "machine/peer_life/peer_life.h"
#include "platform/drivers/display.h"

#include <windows.h>

#include <cstdio>

namespace {

constexpr char kWindowClass[] = "KEYWATCH";
constexpr int kWlanControl = 117;

LRESULT CALLBACK keywatch_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wp) == kWlanControl) {
            bool on = HIWORD(wp) != 0;
            if (DWORD error = machine::switch_wlan(on); error != ERROR_SUCCESS)
                std::fprintf(stderr, "keywatch: cannot switch Wireless LAN %s (error %u)\n",
                             on ? "on" : "off", error);
        }
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

} // namespace

int main() {
    if (!platform::open_display("keywatch"))
        return 1;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = keywatch_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassA(&wc)) {
        std::fprintf(stderr, "keywatch: cannot register the window class\n");
        return 1;
    }
    // Both watches stand before the window appears: whoever sees the window may rely on them.
    if (!machine::end_with_machine("keywatch") || !machine::report_switch_events("keywatch"))
        return 1;
    // On the kernel's radios the owner's hands are real: the switch and the key are watched
    // too. Either may be out of reach (said on stderr); the rest still works.
    if (machine::rfkill_notebook()) {
        machine::report_kernel_switch("keywatch");
        machine::report_wireless_keys("keywatch");
    }
    HWND hwnd = CreateWindowExA(0, kWindowClass, kWindowClass, WS_OVERLAPPED, 0, 0, 200, 100,
                                nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd ||
        !CreateWindowExA(0, "Button", "Wireless LAN", WS_CHILD | WS_VISIBLE, 0, 0, 200, 24, hwnd,
                         reinterpret_cast<HMENU>(kWlanControl), wc.hInstance, nullptr)) {
        std::fprintf(stderr, "keywatch: cannot create the window (error %u)\n", GetLastError());
        return 1;
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
