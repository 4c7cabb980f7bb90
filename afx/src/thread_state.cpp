#include "thread_state.h"

namespace platform::afx {

ThreadState::~ThreadState() {
    delete_temporaries();
}

void ThreadState::delete_temporaries() {
    // Wrappers only borrow their handles: detach before deleting so nothing gets destroyed.
    for (auto& wnd : temporary_objects)
        wnd->m_hWnd = NULL;
    temporary.clear();
    temporary_objects.clear();
}

ThreadState& thread_state() {
    static thread_local ThreadState state;
    return state;
}

void delete_temporaries_when_idle() {
    ThreadState& state = thread_state();
    if (state.call_depth == 0)
        state.delete_temporaries();
}

} // namespace platform::afx
