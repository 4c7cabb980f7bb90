// Registry functions of advapi32 over HKEY_LOCAL_MACHINE. Like Windows they report failure
// only through their return value (a Win32 error code) and leave the last error alone.
//
// Choices where Windows leaves room:
// - HKEY_CLASSES_ROOT, HKEY_CURRENT_USER and HKEY_USERS have no store: ERROR_INVALID_HANDLE.
// - A handle names its key by path. When the key is deleted, calls through the handle fail
//   with ERROR_KEY_DELETED until a key of that path exists again.
// - REG_OPTION_VOLATILE keys are stored like any other (nothing here restarts).
// - Names holding a line break are refused with ERROR_INVALID_PARAMETER: the store is a
//   line-based text file. A malformed path (leading backslash, empty component) is
//   ERROR_BAD_PATHNAME.
#include "reg_batch.h"
#include "reg_handles.h"
#include "reg_store.h"

#include <winerror.h>
#include <winreg.h>

#include <cstring>
#include <string>

using platform::reg::Key;
using platform::reg::KeyPath;
using platform::reg::OpenKey;

namespace {

bool bad_name(const char* name) {
    return name && std::strpbrk(name, "\r\n") != nullptr;
}

// The base key joined with a relative path.
LONG resolve(HKEY base, LPCSTR sub_key, OpenKey& base_key, KeyPath& path) {
    auto open = platform::reg::lookup_key(base);
    if (!open)
        return ERROR_INVALID_HANDLE;
    base_key = *open;
    auto rel = platform::reg::split_key_path(sub_key ? sub_key : "");
    if (!rel)
        return bad_name(sub_key) ? ERROR_INVALID_PARAMETER : ERROR_BAD_PATHNAME;
    path = base_key.path;
    path.insert(path.end(), rel->begin(), rel->end());
    if (path.size() > platform::reg::kMaxKeyDepth)
        return ERROR_BAD_PATHNAME;
    return ERROR_SUCCESS;
}

// Runs `fn` on the key of an open handle, which needs `right`.
template <typename Fn> LONG with_key(HKEY handle, REGSAM right, Fn fn) {
    auto open = platform::reg::lookup_key(handle);
    if (!open)
        return ERROR_INVALID_HANDLE;
    if ((open->access & right) != right)
        return ERROR_ACCESS_DENIED;
    return platform::reg::read_hive([&](const Key& hive) {
        const Key* key = platform::reg::find_key(hive, open->path);
        return key ? fn(*key) : LONG(ERROR_KEY_DELETED);
    });
}

template <typename Fn> LONG change_key(HKEY handle, REGSAM right, Fn fn) {
    auto open = platform::reg::lookup_key(handle);
    if (!open)
        return ERROR_INVALID_HANDLE;
    if ((open->access & right) != right)
        return ERROR_ACCESS_DENIED;
    return platform::reg::modify_hive([&](Key& hive, bool& changed) {
        Key* key = platform::reg::find_key(hive, open->path);
        return key ? fn(*key, changed) : LONG(ERROR_KEY_DELETED);
    });
}

bool key_exists(const KeyPath& path, LONG& status) {
    bool found = false;
    status = platform::reg::read_hive([&](const Key& hive) {
        found = platform::reg::find_key(hive, path) != nullptr;
        return LONG(ERROR_SUCCESS);
    });
    return found;
}

// Copies a name into a caller's buffer of *size characters; on success *size is the length
// without the terminator.
LONG copy_name(const std::string& name, LPSTR out, LPDWORD size) {
    if (name.size() + 1 > *size)
        return ERROR_MORE_DATA;
    std::memcpy(out, name.c_str(), name.size() + 1);
    *size = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// The data of a value into an optional buffer, as RegQueryValueExA and RegEnumValueA do.
LONG copy_data(const platform::reg::Value& value, LPDWORD type, LPBYTE data, LPDWORD size) {
    if (type)
        *type = value.type;
    if (!size)
        return ERROR_SUCCESS;
    DWORD needed = static_cast<DWORD>(value.data.size());
    if (data && *size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (data && needed)
        std::memcpy(data, value.data.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

} // namespace

LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                             PHKEY phkResult) {
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    OpenKey base;
    KeyPath path;
    if (LONG status = resolve(hKey, lpSubKey, base, path); status != ERROR_SUCCESS)
        return status;
    LONG status;
    if (!key_exists(path, status)) {
        if (status != ERROR_SUCCESS)
            return status;
        bool base_gone = !base.predefined && !key_exists(base.path, status);
        return base_gone ? ERROR_KEY_DELETED : ERROR_FILE_NOT_FOUND;
    }
    REGSAM access = platform::reg::map_generic_access(samDesired);
    if (platform::reg::wants_write(access) && !platform::reg::machine_writable())
        return ERROR_ACCESS_DENIED;
    *phkResult = platform::reg::add_open_key(OpenKey{std::move(path), access, false});
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass,
                               DWORD dwOptions, REGSAM samDesired,
                               const LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                               LPDWORD lpdwDisposition) {
    if (!lpSubKey || !phkResult)
        return ERROR_INVALID_PARAMETER;
    OpenKey base;
    KeyPath path;
    if (LONG status = resolve(hKey, lpSubKey, base, path); status != ERROR_SUCCESS)
        return status;
    REGSAM access = platform::reg::map_generic_access(samDesired);
    bool writable = platform::reg::machine_writable();
    if (platform::reg::wants_write(access) && !writable)
        return ERROR_ACCESS_DENIED;
    LONG status;
    DWORD disposition = REG_OPENED_EXISTING_KEY;
    if (!key_exists(path, status)) {
        if (status != ERROR_SUCCESS)
            return status;
        if (!writable || !(base.access & KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        status = platform::reg::modify_hive([&](Key& hive, bool& changed) {
            Key* key = &hive;
            for (size_t i = 0; i < path.size(); ++i) {
                Key* sub = key->find_subkey(path[i]);
                if (!sub) {
                    // The base key itself must still exist; only the rest is created.
                    if (i < base.path.size())
                        return LONG(ERROR_KEY_DELETED);
                    sub = &key->add_subkey(path[i]);
                    changed = true;
                    disposition = REG_CREATED_NEW_KEY;
                }
                key = sub;
            }
            return LONG(ERROR_SUCCESS);
        });
        if (status != ERROR_SUCCESS)
            return status;
    }
    *phkResult = platform::reg::add_open_key(OpenKey{std::move(path), access, false});
    if (lpdwDisposition)
        *lpdwDisposition = disposition;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                LPBYTE lpData, LPDWORD lpcbData) {
    if (lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    return with_key(hKey, KEY_QUERY_VALUE, [&](const Key& key) {
        const platform::reg::Value* value = key.find_value(lpValueName ? lpValueName : "");
        return value ? copy_data(*value, lpType, lpData, lpcbData) : LONG(ERROR_FILE_NOT_FOUND);
    });
}

LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                              const BYTE* lpData, DWORD cbData) {
    if ((!lpData && cbData) || bad_name(lpValueName))
        return ERROR_INVALID_PARAMETER;
    std::vector<BYTE> data(lpData, lpData + (lpData ? cbData : 0));
    return change_key(hKey, KEY_SET_VALUE, [&](Key& key, bool& changed) {
        std::string_view name = lpValueName ? lpValueName : "";
        // A value set again as it stands leaves the file alone: nobody could tell a rewrite.
        const platform::reg::Value* now = key.find_value(name);
        if (now && now->name == name && now->type == dwType && now->data == data)
            return LONG(ERROR_SUCCESS);
        key.set_value(name, dwType, std::move(data));
        changed = true;
        return LONG(ERROR_SUCCESS);
    });
}

LONG platform::reg::set_values(HKEY hKey, const std::vector<FileEntry>& entries) {
    for (const FileEntry& e : entries)
        if (bad_name(e.name.c_str()))
            return ERROR_INVALID_PARAMETER;
    return change_key(hKey, KEY_SET_VALUE, [&](Key& key, bool& changed) {
        platform::reg::apply_entries(key, entries);
        changed = !entries.empty();
        return LONG(ERROR_SUCCESS);
    });
}

LSTATUS WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    return change_key(hKey, KEY_SET_VALUE, [&](Key& key, bool& changed) {
        changed = key.remove_value(lpValueName ? lpValueName : "");
        return changed ? LONG(ERROR_SUCCESS) : LONG(ERROR_FILE_NOT_FOUND);
    });
}

LSTATUS WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    if (!lpSubKey)
        return ERROR_INVALID_PARAMETER;
    OpenKey base;
    KeyPath path;
    if (LONG status = resolve(hKey, lpSubKey, base, path); status != ERROR_SUCCESS)
        return status;
    LONG status;
    if (!key_exists(path, status))
        return status != ERROR_SUCCESS ? status : ERROR_FILE_NOT_FOUND;
    // The root of the hive cannot be deleted.
    if (path.empty() || !platform::reg::machine_writable())
        return ERROR_ACCESS_DENIED;
    return platform::reg::modify_hive([&](Key& hive, bool& changed) {
        std::string leaf = path.back();
        path.pop_back();
        Key* parent = platform::reg::find_key(hive, path);
        Key* key = parent ? parent->find_subkey(leaf) : nullptr;
        if (!key)
            return LONG(ERROR_FILE_NOT_FOUND);
        // Windows refuses to delete a key that still has subkeys.
        if (!key->subkeys.empty())
            return LONG(ERROR_ACCESS_DENIED);
        changed = parent->remove_subkey(leaf);
        return LONG(ERROR_SUCCESS);
    });
}

LSTATUS WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                             LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    return with_key(hKey, KEY_QUERY_VALUE, [&](const Key& key) {
        if (dwIndex >= key.values.size())
            return LONG(ERROR_NO_MORE_ITEMS);
        const platform::reg::Value& value = key.values[dwIndex];
        if (LONG status = copy_name(value.name, lpValueName, lpcchValueName);
            status != ERROR_SUCCESS)
            return status;
        return copy_data(value, lpType, lpData, lpcbData);
    });
}

LSTATUS WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                             LPDWORD lpReserved, LPSTR lpClass, LPDWORD lpcchClass,
                             void* lpftLastWriteTime) {
    if (!lpName || !lpcchName || lpReserved || (lpClass && !lpcchClass))
        return ERROR_INVALID_PARAMETER;
    return with_key(hKey, KEY_ENUMERATE_SUB_KEYS, [&](const Key& key) {
        if (dwIndex >= key.subkeys.size())
            return LONG(ERROR_NO_MORE_ITEMS);
        if (LONG status = copy_name(key.subkeys[dwIndex].name, lpName, lpcchName);
            status != ERROR_SUCCESS)
            return status;
        // Keys have no class and no recorded write time here.
        if (lpClass && *lpcchClass) {
            lpClass[0] = '\0';
            *lpcchClass = 0;
        }
        if (lpftLastWriteTime)
            std::memset(lpftLastWriteTime, 0, 2 * sizeof(DWORD));
        return LONG(ERROR_SUCCESS);
    });
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
    if (hKey == HKEY_LOCAL_MACHINE)
        return ERROR_SUCCESS;
    return platform::reg::remove_open_key(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
