// Identity of the running process and the machine's language.
#include "machine.h"

#include <windows.h>

#include <cstdlib>
#include <sys/syscall.h>
#include <unistd.h>

DWORD WINAPI GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}

DWORD WINAPI GetCurrentThreadId() {
    return static_cast<DWORD>(syscall(SYS_gettid));
}

// machine.ini [machine] langid=0x0409 (hex, the "0x" optional); anything unreadable is US
// English, the language of a fresh installation.
LANGID WINAPI GetSystemDefaultLangID() {
    constexpr LANGID english_us = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    std::string text = platform::machine_setting("machine", "langid", "");
    if (text.empty())
        return english_us;
    char* end = nullptr;
    unsigned long value = std::strtoul(text.c_str(), &end, 16);
    if (end == text.c_str() || *end != '\0' || value == 0 || value > 0xFFFF)
        return english_us;
    return static_cast<LANGID>(value);
}
