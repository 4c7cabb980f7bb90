#include "last_error.h"

#include <cerrno>
#include <csignal>

namespace {
thread_local DWORD t_last_error = ERROR_SUCCESS;

// A write past the process's file-size limit fails with EFBIG, reported as ERROR_DISK_FULL,
// instead of killing the process: Windows has no such signal, and every program here handles
// a failed write. Every program links this file.
[[maybe_unused]] const bool file_size_signal_ignored = std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR;
} // namespace

DWORD WINAPI GetLastError() {
    return t_last_error;
}

void WINAPI SetLastError(DWORD dwErrCode) {
    t_last_error = dwErrCode;
}

namespace platform {

DWORD win32_error_from_errno(int err) {
    switch (err) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENAMETOOLONG:
        return ERROR_INVALID_NAME;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ERROR_DISK_FULL;
    case EBUSY:
        return ERROR_SHARING_VIOLATION;
    default:
        return ERROR_GEN_FAILURE;
    }
}

} // namespace platform
