#include "last_error.h"

#include <cerrno>

namespace {
thread_local DWORD t_last_error = ERROR_SUCCESS;
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
        return ERROR_CANTWRITE;
    case EBUSY:
        return ERROR_SHARING_VIOLATION;
    default:
        return ERROR_GEN_FAILURE;
    }
}

} // namespace platform
