#include "handles.h"
#include "last_error.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace platform {

namespace {

// Handle values stay within 32 bits, as a 32-bit program could keep them in a DWORD.
constexpr uintptr_t first_value = 4;
constexpr uintptr_t last_value = 0x00FFFFFC;
constexpr size_t max_handles = 1 << 16;

struct Table {
    std::mutex mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> objects;
    uintptr_t next = first_value;
};

Table& table() {
    static Table* t = new Table; // outlives static destructors that may still close handles
    return *t;
}

} // namespace

HANDLE insert_handle(std::shared_ptr<KernelObject> object) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    if (t.objects.size() >= max_handles)
        return nullptr;
    while (t.objects.count(t.next) != 0)
        t.next = t.next >= last_value ? first_value : t.next + 4;
    uintptr_t value = t.next;
    t.next = t.next >= last_value ? first_value : t.next + 4;
    t.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> lookup_handle(HANDLE handle) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    return it == t.objects.end() ? nullptr : it->second;
}

bool remove_handle(HANDLE handle) {
    std::shared_ptr<KernelObject> object; // released after the lock, its destructor may block
    Table& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (it == t.objects.end())
        return false;
    object = std::move(it->second);
    t.objects.erase(it);
    return true;
}

} // namespace platform

// INVALID_HANDLE_VALUE is also the pseudo-handle of the current process on Windows, and closing
// that succeeds without doing anything.
BOOL WINAPI CloseHandle(HANDLE hObject) {
    if (hObject == INVALID_HANDLE_VALUE)
        return TRUE;
    if (!platform::remove_handle(hObject))
        return platform::fail(ERROR_INVALID_HANDLE, FALSE);
    return TRUE;
}
