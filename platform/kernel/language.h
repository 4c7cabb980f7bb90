// The machine's language: the machine root's langid when one is set, else the host's locale.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The language of a POSIX locale name ("de_DE.UTF-8", "fr_CA", "pt_BR@euro"): the Windows
// language of that language and territory, the language's main one for a territory the table
// lacks, US English for "C", "POSIX" and anything unknown.
LANGID langid_of_locale(std::string_view locale);

// The locale that names the language of messages: the first non-empty of LC_ALL, LC_MESSAGES
// and LANG, as setlocale takes them; "C" when none is set.
std::string host_locale();

// machine.ini [machine] langid (hex, "0x" optional); nothing when it is absent or unreadable.
std::optional<LANGID> machine_langid();

} // namespace platform
