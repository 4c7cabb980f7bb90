// The machine root: the directory shared by every program of one simulated notebook
// (registry, C: drive, device configuration, desktop). See docs/architecture.md.
#pragma once

#include <filesystem>
#include <string>

namespace platform {

// $RADIODECK_ROOT, else $XDG_DATA_HOME/radiodeck, else ~/.local/share/radiodeck.
std::filesystem::path machine_root();

// A file or directory below the machine root.
std::filesystem::path machine_path(const std::string& relative);

// machine.ini in the machine root, an INI file read and written with the profile API:
//   [machine] user=admin|standard
//             langid=0xNNNN      (the notebook's language; else the host locale's, language.h)
//             firmware=simulated|rfkill   (what the notebook was set up on)
//   [devices] NAME=backend     (an installed device \\.\NAME and the backend behind it)
std::filesystem::path machine_config_path();
std::string machine_setting(const std::string& section, const std::string& key,
                            const std::string& fallback = "");
bool set_machine_setting(const std::string& section, const std::string& key,
                         const std::string& value);

// Whether the current user may write HKEY_LOCAL_MACHINE (an administrator). Defaults to yes.
bool machine_user_is_admin();

} // namespace platform
