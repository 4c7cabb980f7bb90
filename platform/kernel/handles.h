// The process's table of kernel handles (files, devices, and later processes and events).
// Handle values are multiples of four, as on Windows, and are never NULL or
// INVALID_HANDLE_VALUE; a closed value is not handed out again until the counter wraps, so a
// stale handle fails instead of reaching a newer object.
#pragma once

#include <windows.h>

#include <memory>

namespace platform {

class KernelObject {
public:
    virtual ~KernelObject() = default;
};

// A new handle for the object; NULL when the table is full.
HANDLE insert_handle(std::shared_ptr<KernelObject> object);

// The object behind a handle, or nullptr for a handle that is not open.
std::shared_ptr<KernelObject> lookup_handle(HANDLE handle);

template <typename T> std::shared_ptr<T> lookup_handle_as(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(lookup_handle(handle));
}

// Removes a handle; the object goes when its last user lets it go. False if it was not open.
bool remove_handle(HANDLE handle);

} // namespace platform
