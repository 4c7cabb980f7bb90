#include "peer_window.h"

#include <map>

namespace testing_support {

namespace {

std::map<HWND, std::vector<ReceivedCommand>> g_received;

LRESULT CALLBACK peer_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND) {
        g_received[hwnd].push_back({wp, lp});
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void register_peer_class(const char* name) {
    WNDCLASSA wc{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), name, &wc))
        return;
    wc.lpfnWndProc = peer_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

} // namespace

PeerWindow::PeerWindow(const char* name, const std::vector<int>& control_ids) {
    register_peer_class(name);
    hwnd_ = CreateWindowExA(0, name, name, WS_OVERLAPPED, 0, 0, 200, 100, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    for (int id : control_ids)
        CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, hwnd_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                        GetModuleHandleA(nullptr), nullptr);
    g_received[hwnd_].clear();
}

PeerWindow::~PeerWindow() {
    destroy();
}

const std::vector<ReceivedCommand>& PeerWindow::received() {
    dispatch_posted();
    return g_received[hwnd_];
}

void PeerWindow::destroy() {
    if (hwnd_ && IsWindow(hwnd_))
        DestroyWindow(hwnd_);
}

void dispatch_posted() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

} // namespace testing_support
