// Many value changes to one open key in one write, for `reg import`: what a series of
// RegSetValueExA and RegDeleteValueA calls would do, with their rights checked, in time
// linear in the number of values instead of one rewrite of the registry each.
#pragma once

#include "reg_file.h"

#include <winreg.h>

namespace platform::reg {

// Applies the entries in order; a removal of a missing value is no error. ERROR_SUCCESS or
// the error the single calls would give.
LONG set_values(HKEY key, const std::vector<FileEntry>& entries);

} // namespace platform::reg
