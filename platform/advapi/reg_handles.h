// Open registry keys. An HKEY handed out by RegOpenKeyExA or RegCreateKeyExA is a value of
// this table: never NULL and never one of the predefined roots. It names a key by its path
// and carries the access granted when it was opened, which every later call checks.
#pragma once

#include "reg_tree.h"

#include <windef.h>
#include <winreg.h>

#include <optional>

namespace platform::reg {

struct OpenKey {
    KeyPath path; // below HKEY_LOCAL_MACHINE
    REGSAM access = 0;
    bool predefined = false;
};

// HKEY_LOCAL_MACHINE or an open handle. The other predefined roots have no store here and
// are reported as ERROR_INVALID_HANDLE, like any unknown value.
std::optional<OpenKey> lookup_key(HKEY key);
HKEY add_open_key(OpenKey key);
bool remove_open_key(HKEY key);

// Generic rights mapped to key rights, as the registry's object type maps them.
REGSAM map_generic_access(REGSAM sam);
bool wants_write(REGSAM sam);

// Whether this process may change HKEY_LOCAL_MACHINE: an administrator, and the store's
// file and directory writable.
bool machine_writable();

} // namespace platform::reg
