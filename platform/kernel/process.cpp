// Identity of the running process and the machine's language.
#include "language.h"

#include <windows.h>

#include <sys/syscall.h>
#include <unistd.h>

DWORD WINAPI GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}

DWORD WINAPI GetCurrentThreadId() {
    return static_cast<DWORD>(syscall(SYS_gettid));
}

// The machine root's langid when one is set, else the language of the host's locale, so that a
// German desktop gets the German labels.
LANGID WINAPI GetSystemDefaultLangID() {
    return platform::machine_langid().value_or(platform::langid_of_locale(platform::host_locale()));
}
