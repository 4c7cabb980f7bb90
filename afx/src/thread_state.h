// Per-thread framework state: the message being handled, the dialog being created and the
// handle maps that tie windows to their C++ objects.
#pragma once

#include <afxwin.h>

#include <memory>
#include <unordered_map>
#include <vector>

namespace platform::afx {

struct ThreadState {
    ThreadState() = default;
    ~ThreadState();
    ThreadState(const ThreadState&) = delete;
    ThreadState& operator=(const ThreadState&) = delete;

    MSG last_sent_msg{};               // the message that Default() passes on
    CWnd* wnd_init = nullptr;          // dialog object waiting for its window
    HWND lockout_notify_window = NULL; // window inside UpdateData: notifications ignored
    int call_depth = 0;                // window procedures running on this thread
    std::unordered_map<HWND, CWnd*> permanent;
    std::unordered_map<HWND, CWnd*> temporary;
    std::vector<std::unique_ptr<CWnd>> temporary_objects;
    std::unique_ptr<CWinThread> thread_without_app; // pumps modal loops when no app exists

    void delete_temporaries();
};

ThreadState& thread_state();

// Deletes the temporary wrappers unless a window procedure that may hold one is running.
void delete_temporaries_when_idle();

} // namespace platform::afx
