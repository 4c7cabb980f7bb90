// CreateFileA and DeviceIoControl. "\\.\NAME" opens a device of the machine through its
// driver. Plain files are supported only as far as nothing here can change them: an existing
// file opens for reading; write access or a disposition that creates or truncates is refused
// with ERROR_ACCESS_DENIED.
#include "driver.h"
#include "handles.h"
#include "last_error.h"
#include "machine.h"
#include "paths.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace {

class DeviceObject final : public platform::KernelObject {
public:
    DeviceObject(std::unique_ptr<platform::Driver> driver, DWORD access)
        : driver_(std::move(driver)), access_(access) {}
    ~DeviceObject() override { driver_->close(); }
    platform::Driver& driver() { return *driver_; }
    bool may(DWORD generic_right) const { return (access_ & (generic_right | GENERIC_ALL)) != 0; }

private:
    std::unique_ptr<platform::Driver> driver_;
    DWORD access_;
};

class FileObject final : public platform::KernelObject {
public:
    explicit FileObject(int fd) : fd_(fd) {}
    ~FileObject() override { close(fd_); }

private:
    int fd_;
};

// "\\.\NAME" (or "//./NAME"): the device name, else empty.
std::string device_name(const std::string& path) {
    if (path.size() < 5 || (path.compare(0, 4, "\\\\.\\") != 0 && path.compare(0, 4, "//./") != 0))
        return "";
    std::string name = path.substr(4);
    return name.find_first_of("\\/") == std::string::npos ? name : "";
}

HANDLE open_device(const std::string& name, DWORD access) {
    std::string backend = platform::machine_setting("devices", name, "");
    if (backend.empty())
        return platform::fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
    std::unique_ptr<platform::Driver> driver = platform::create_driver(name);
    if (!driver)
        return platform::fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
    if (DWORD error = driver->open(backend, access); error != ERROR_SUCCESS)
        return platform::fail(error, INVALID_HANDLE_VALUE);
    HANDLE handle =
        platform::insert_handle(std::make_shared<DeviceObject>(std::move(driver), access));
    return handle ? handle : platform::fail(ERROR_NOT_ENOUGH_MEMORY, INVALID_HANDLE_VALUE);
}

HANDLE open_file(const std::string& name, DWORD access, DWORD disposition) {
    if (access & (GENERIC_WRITE | GENERIC_ALL))
        return platform::fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    std::optional<std::filesystem::path> path = platform::host_path(name);
    if (!path)
        return platform::fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
    std::error_code ec;
    auto status = std::filesystem::status(*path, ec);
    if (!std::filesystem::exists(status)) {
        if (disposition != OPEN_EXISTING)
            return platform::fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
        bool parent = std::filesystem::is_directory(path->parent_path(), ec);
        return platform::fail(parent ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND,
                              INVALID_HANDLE_VALUE);
    }
    if (std::filesystem::is_directory(status) ||
        (disposition != OPEN_EXISTING && disposition != OPEN_ALWAYS))
        return platform::fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    int fd = open(path->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return platform::fail(platform::win32_error_from_errno(errno), INVALID_HANDLE_VALUE);
    HANDLE handle = platform::insert_handle(std::make_shared<FileObject>(fd));
    return handle ? handle : platform::fail(ERROR_NOT_ENOUGH_MEMORY, INVALID_HANDLE_VALUE);
}

} // namespace

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
    if (lpFileName == nullptr || dwCreationDisposition < CREATE_NEW ||
        dwCreationDisposition > TRUNCATE_EXISTING)
        return platform::fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    std::string name = lpFileName;
    std::string device = device_name(name);
    if (!device.empty())
        return open_device(device, dwDesiredAccess);
    return open_file(name, dwDesiredAccess, dwCreationDisposition);
}

BOOL WINAPI DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer,
                            DWORD nInBufferSize, LPVOID lpOutBuffer, DWORD nOutBufferSize,
                            LPDWORD lpBytesReturned, LPOVERLAPPED lpOverlapped) {
    std::shared_ptr<platform::KernelObject> object = platform::lookup_handle(hDevice);
    if (!object)
        return platform::fail(ERROR_INVALID_HANDLE, FALSE);
    auto device = std::dynamic_pointer_cast<DeviceObject>(object);
    if (!device)
        return platform::fail(ERROR_INVALID_FUNCTION, FALSE);
    // Every device here completes synchronously; Windows would need lpBytesReturned here too.
    if (lpOverlapped != nullptr || lpBytesReturned == nullptr ||
        (lpInBuffer == nullptr && nInBufferSize != 0) ||
        (lpOutBuffer == nullptr && nOutBufferSize != 0))
        return platform::fail(ERROR_INVALID_PARAMETER, FALSE);
    // The access bits of the control code are checked against the handle, as the I/O manager
    // does before a driver sees the request.
    DWORD required = (dwIoControlCode >> 14) & 3;
    if (((required & FILE_READ_ACCESS) && !device->may(GENERIC_READ)) ||
        ((required & FILE_WRITE_ACCESS) && !device->may(GENERIC_WRITE)))
        return platform::fail(ERROR_ACCESS_DENIED, FALSE);
    DWORD returned = 0;
    DWORD error = device->driver().ioctl(dwIoControlCode, lpInBuffer, nInBufferSize, lpOutBuffer,
                                         nOutBufferSize, returned);
    *lpBytesReturned = std::min(returned, nOutBufferSize);
    if (error != ERROR_SUCCESS)
        return platform::fail(error, FALSE);
    return TRUE;
}
