// Device drivers of the kernel image. A device \\.\NAME is installed on a machine when
// machine.ini has [devices] NAME=<backend>; CreateFileA then asks the driver registered under
// NAME for a new instance and opens it with that backend. Each open handle has its own
// instance, closed when the handle is.
//
// Drivers are part of every program, as the kernel is: a driver library registers its drivers
// before the program opens a device (for instance from a static object in a translation unit
// that the program links). The platform itself knows no driver.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace platform {

class Driver {
public:
    virtual ~Driver() = default;

    // Opens the device on the named backend for `desired_access` (GENERIC_READ / _WRITE).
    // Returns ERROR_SUCCESS or the Win32 error that CreateFileA reports.
    virtual DWORD open(const std::string& backend, DWORD desired_access) = 0;

    // One synchronous control request. `in` and `out` may be null when their size is zero;
    // `bytes_returned` starts at zero and must not exceed `out_size`. Returns ERROR_SUCCESS
    // or the Win32 error that DeviceIoControl reports (ERROR_MORE_DATA keeps bytes_returned).
    virtual DWORD ioctl(DWORD code, const void* in, DWORD in_size, void* out, DWORD out_size,
                        DWORD& bytes_returned) = 0;

    // The handle is being closed; the instance is destroyed right after.
    virtual void close() {}
};

using DriverFactory = std::function<std::unique_ptr<Driver>()>;

// Registers (or replaces) the driver of device NAME; names compare without regard to case.
void register_driver(const std::string& name, DriverFactory factory);
void unregister_driver(const std::string& name);

// A new instance of the driver of NAME, or nullptr when none is registered.
std::unique_ptr<Driver> create_driver(const std::string& name);

} // namespace platform
