// A small program for the tray tests, in one of two roles:
//   tray_peer icon TIP: a hidden window "TrayPeer" with a tray icon as the program makes it
//     (the 88-byte record, id 128, NIF_MESSAGE|NIF_ICON|NIF_TIP, callback 0x402, the system's
//     application icon); says "ready OWNER", then "tray WPARAM LPARAM X Y" for each callback,
//     with the cursor as GetCursorPos sees it, until its window goes.
//   tray_peer msgbox TYPE CAPTION TEXT: says "ready", opens MessageBoxA and says "answer N".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT kTrayCallback = 0x402;

int icon(const char* tip) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "TrayPeer";
    RegisterClassA(&wc);
    HWND top = CreateWindowExA(0, "TrayPeer", "Tray Peer", WS_POPUP, 0, 0, 100, 100, nullptr,
                               nullptr, nullptr, nullptr);
    if (!top)
        return 3;
    NOTIFYICONDATAA nid{};
    nid.cbSize = 88;
    nid.hWnd = top;
    nid.uID = 128;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = kTrayCallback;
    nid.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    std::strncpy(nid.szTip, tip, sizeof nid.szTip - 1);
    if (!Shell_NotifyIconA(NIM_ADD, &nid))
        return 4;
    std::printf("ready 0x%08lx\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(top)));
    std::fflush(stdout);
    MSG m;
    while (IsWindow(top) && GetMessageA(&m, nullptr, 0, 0) > 0) {
        if (m.hwnd == top && m.message == kTrayCallback) {
            POINT pt{};
            GetCursorPos(&pt);
            std::printf("tray %llu %lld %ld %ld\n", static_cast<unsigned long long>(m.wParam),
                        static_cast<long long>(m.lParam), static_cast<long>(pt.x),
                        static_cast<long>(pt.y));
            std::fflush(stdout);
        }
        DispatchMessageA(&m);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && !std::strcmp(argv[1], "icon"))
        return icon(argv[2]);
    if (argc == 5 && !std::strcmp(argv[1], "msgbox")) {
        std::printf("ready\n");
        std::fflush(stdout);
        int answer = MessageBoxA(nullptr, argv[4], argv[3],
                                 static_cast<UINT>(std::strtoul(argv[2], nullptr, 0)));
        std::printf("answer %d\n", answer);
        std::fflush(stdout);
        return 0;
    }
    std::fprintf(stderr, "usage: tray_peer icon TIP | tray_peer msgbox TYPE CAPTION TEXT\n");
    return 2;
}
