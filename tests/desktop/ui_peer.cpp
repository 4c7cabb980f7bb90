// A small program for the tests of deskctl's menu and click commands. It makes a window of
// class "UiPeer" with check boxes: 201 shown, 202 hidden, 203 disabled, and 205 shown inside
// the hidden group 204. It says "ready TOP", then reports on standard output:
//   "command WPARAM LPARAM" for each WM_COMMAND its window gets,
//   "menu returned" when TrackPopupMenu returns,
//   "marker" for WM_USER+3.
// WM_USER+2 opens its popup menu (entries 32771 to 32774, one greyed and checked, a
// separator and a submenu holding 32773).
#include <windows.h>

#include <cstdio>

namespace {

constexpr UINT kOpenMenu = WM_USER + 2;
constexpr UINT kMarker = WM_USER + 3;

void say(const char* format, unsigned long long a = 0, long long b = 0) {
    std::printf(format, a, b);
    std::fflush(stdout);
}

void open_menu(HWND owner) {
    HMENU sub = CreatePopupMenu();
    AppendMenuA(sub, MF_STRING, 32773, "About...");
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 32771, "Wireless LAN OFF");
    AppendMenuA(menu, MF_STRING | MF_GRAYED | MF_CHECKED, 32772, "Wireless LAN ON");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "More");
    AppendMenuA(menu, MF_STRING, 32774, "E&xit \"now\"");
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, 150, 150, 0, owner, nullptr);
    DestroyMenu(menu);
    say("menu returned\n");
}

LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_COMMAND:
        say("command %llu %lld\n", static_cast<unsigned long long>(wparam),
            static_cast<long long>(lparam));
        return 0;
    case kOpenMenu:
        open_menu(hwnd);
        return 0;
    case kMarker:
        say("marker\n");
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wparam, lparam);
    }
}

HWND check_box(HWND parent, int id, DWORD extra, int y) {
    return CreateWindowExA(0, "Button", "Check", WS_CHILD | BS_CHECKBOX | extra, 10, y, 100, 20,
                           parent, reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr,
                           nullptr);
}

} // namespace

int main() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.lpszClassName = "UiPeer";
    RegisterClassA(&wc);
    HWND top = CreateWindowExA(0, "UiPeer", "Peer", WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 100,
                               300, 200, nullptr, nullptr, nullptr, nullptr);
    HWND group = CreateWindowExA(0, "Static", "", WS_CHILD, 150, 10, 120, 120, top,
                                 reinterpret_cast<HMENU>(204), nullptr, nullptr);
    if (!top || !group || !check_box(top, 201, WS_VISIBLE, 10) || !check_box(top, 202, 0, 40) ||
        !check_box(top, 203, WS_VISIBLE | WS_DISABLED, 70) ||
        !check_box(group, 205, WS_VISIBLE, 10))
        return 3;
    say("ready 0x%08llx\n", reinterpret_cast<uintptr_t>(top));
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return 0;
}
