#include "reg_handles.h"

#include "reg_store.h"

#include "platform/kernel/machine.h"

#include <cstdint>
#include <map>
#include <mutex>

namespace platform::reg {

namespace {

constexpr REGSAM kWriteRights =
    KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;
constexpr REGSAM kGenericRead = 0x80000000u;
constexpr REGSAM kGenericWrite = 0x40000000u;
constexpr REGSAM kGenericExecute = 0x20000000u;
constexpr REGSAM kGenericAll = 0x10000000u;
constexpr REGSAM kMaximumAllowed = 0x02000000u;

std::mutex table_mutex;
std::map<uintptr_t, OpenKey> table;
// Handles count up from a small value in steps of 4 like kernel handles, far below the
// predefined roots, and are not reused within a process.
uintptr_t next_handle = 0x100;

} // namespace

std::optional<OpenKey> lookup_key(HKEY key) {
    if (key == HKEY_LOCAL_MACHINE) {
        OpenKey root;
        root.access = machine_writable() ? REGSAM(KEY_ALL_ACCESS) : REGSAM(KEY_READ);
        root.predefined = true;
        return root;
    }
    std::lock_guard guard(table_mutex);
    auto it = table.find(reinterpret_cast<uintptr_t>(key));
    if (it == table.end())
        return std::nullopt;
    return it->second;
}

HKEY add_open_key(OpenKey key) {
    std::lock_guard guard(table_mutex);
    uintptr_t value = next_handle;
    next_handle += 4;
    table.emplace(value, std::move(key));
    return reinterpret_cast<HKEY>(value);
}

bool remove_open_key(HKEY key) {
    std::lock_guard guard(table_mutex);
    return table.erase(reinterpret_cast<uintptr_t>(key)) != 0;
}

REGSAM map_generic_access(REGSAM sam) {
    REGSAM out = sam & ~(kGenericRead | kGenericWrite | kGenericExecute | kGenericAll |
                         kMaximumAllowed | KEY_WOW64_32KEY | KEY_WOW64_64KEY);
    if (sam & (kGenericRead | kGenericExecute))
        out |= KEY_READ;
    if (sam & kGenericWrite)
        out |= KEY_WRITE;
    if (sam & kGenericAll)
        out |= KEY_ALL_ACCESS;
    // MAXIMUM_ALLOWED grants whatever the caller could have asked for.
    if (sam & kMaximumAllowed)
        out |= machine_writable() ? REGSAM(KEY_ALL_ACCESS) : REGSAM(KEY_READ);
    return out;
}

bool wants_write(REGSAM sam) {
    return (sam & kWriteRights) != 0;
}

bool machine_writable() {
    return machine_user_is_admin() && hive_writable_by_permissions();
}

} // namespace platform::reg
