// Small helpers shared by the registry tests.
#pragma once

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

namespace registry_test {

inline LONG set_dword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
}

// The value read the way the settings code reads it: into a 4-byte buffer.
inline LONG get_dword(HKEY key, const char* name, DWORD& value) {
    DWORD size = sizeof value;
    return RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
}

inline HKEY create_key(const char* path, REGSAM sam = KEY_ALL_ACCESS) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE, sam, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace registry_test
