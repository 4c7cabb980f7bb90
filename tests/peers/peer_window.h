// Windows of the peers' classes, made by a test in its own process: each keeps the commands
// it received, as the peer program would see them.
#pragma once

#include <windows.h>

#include <vector>

namespace testing_support {

struct ReceivedCommand {
    WPARAM wparam = 0;
    LPARAM lparam = 0;
};

class PeerWindow {
public:
    // A hidden top-level window whose class and title are `name`, with a child control for
    // each id.
    PeerWindow(const char* name, const std::vector<int>& control_ids);
    ~PeerWindow();
    PeerWindow(const PeerWindow&) = delete;
    PeerWindow& operator=(const PeerWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    HWND control(int id) const { return GetDlgItem(hwnd_, id); }
    // The WM_COMMANDs dispatched to the window so far (pending posts are dispatched first).
    const std::vector<ReceivedCommand>& received();
    // The window goes, as when its program ends.
    void destroy();

private:
    HWND hwnd_ = nullptr;
};

// Dispatches every message posted to this thread.
void dispatch_posted();

} // namespace testing_support
