// The Windows directory and the process's current directory.
#include "last_error.h"
#include "paths.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// Win32's rule for functions that fill a caller's buffer: with room, copy and return the
// length; without, leave the buffer alone and return the size needed, terminator included.
DWORD copy_out(const std::string& text, LPSTR buffer, DWORD size) {
    if (buffer == nullptr || size <= text.size())
        return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

} // namespace

UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
    return copy_out("C:\\WINDOWS", lpBuffer, uSize);
}

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
    std::error_code ec;
    std::filesystem::path cwd = std::filesystem::current_path(ec);
    if (ec)
        return platform::fail(platform::win32_error_from_errno(ec.value()), DWORD{0});
    return copy_out(platform::windows_path(cwd), lpBuffer, nBufferLength);
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName) {
    if (lpPathName == nullptr)
        return platform::fail(ERROR_INVALID_PARAMETER, FALSE);
    std::optional<std::filesystem::path> host = platform::host_path(lpPathName);
    if (!host)
        return platform::fail(*lpPathName ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_NAME, FALSE);
    std::error_code ec;
    auto status = std::filesystem::status(*host, ec);
    if (!std::filesystem::exists(status)) {
        bool parent_exists = std::filesystem::is_directory(host->parent_path(), ec);
        return platform::fail(parent_exists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND, FALSE);
    }
    if (!std::filesystem::is_directory(status))
        return platform::fail(ERROR_DIRECTORY, FALSE);
    if (chdir(host->c_str()) != 0)
        return platform::fail(platform::win32_error_from_errno(errno), FALSE);
    return TRUE;
}
