// Helpers for the Win32 error convention: a failing function sets the thread's last error
// and returns its failure value.
#pragma once

#include <windows.h>

namespace platform {

template <typename T> T fail(DWORD error, T result) {
    SetLastError(error);
    return result;
}

// The Win32 error that stands for a POSIX errno value from a file operation.
DWORD win32_error_from_errno(int err);

} // namespace platform
