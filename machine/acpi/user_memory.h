// Reading the caller's memory the way a kernel driver does: checked, never trusted.
#pragma once

#include <windows.h>

#include <cstddef>

namespace machine {

// Copies `size` bytes at the 32-bit user address into `out`. ERROR_NOACCESS when any byte of
// the range is not readable (a wild or null address fails the call, not the process).
DWORD read_user_memory(DWORD address, void* out, size_t size);

} // namespace machine
