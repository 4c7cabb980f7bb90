#include "machine/acpi/user_memory.h"

#include <sys/uio.h>
#include <unistd.h>

#include <cstdint>

namespace machine {

DWORD read_user_memory(DWORD address, void* out, size_t size) {
    if (size == 0)
        return ERROR_SUCCESS;
    // process_vm_readv on the own process checks the range the way copy_from_user does: an
    // unmapped page gives EFAULT instead of a fault in the reader.
    iovec local{out, size};
    iovec remote{reinterpret_cast<void*>(static_cast<uintptr_t>(address)), size};
    ssize_t n = process_vm_readv(getpid(), &local, 1, &remote, 1, 0);
    return n == static_cast<ssize_t>(size) ? ERROR_SUCCESS : ERROR_NOACCESS;
}

} // namespace machine
