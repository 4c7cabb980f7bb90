// Identity of the running process and the machine's language.
#include "language.h"

#include <windows.h>

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Asked of the kernel once, not at every window created; a forked child asks again (its one
// thread is the one that forked).
pid_t g_pid = 0;
thread_local pid_t t_tid = 0;

void forget_identity() {
    g_pid = 0;
    t_tid = 0;
}

void remember_forks() {
    static bool registered = pthread_atfork(nullptr, nullptr, forget_identity) == 0;
    (void)registered;
}

} // namespace

DWORD WINAPI GetCurrentProcessId() {
    if (!g_pid) {
        remember_forks();
        g_pid = getpid();
    }
    return static_cast<DWORD>(g_pid);
}

DWORD WINAPI GetCurrentThreadId() {
    if (!t_tid) {
        remember_forks();
        t_tid = static_cast<pid_t>(syscall(SYS_gettid));
    }
    return static_cast<DWORD>(t_tid);
}

// The machine root's langid when one is set, else the language of the host's locale, so that a
// German desktop gets the German labels.
LANGID WINAPI GetSystemDefaultLangID() {
    return platform::machine_langid().value_or(platform::langid_of_locale(platform::host_locale()));
}
