// Windows paths on this machine. Drive C: is drive_c/ in the machine root, drive Z: is the
// host's /. Windows resolves names case-insensitively, and so does this mapping: each
// component is matched against the directory's entries when no exact match exists.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// The host path of a Windows path ("C:\WINDOWS\x", "Z:\usr\bin", "\x" on the current drive,
// "x\y" relative to the current directory). A host absolute path ("/usr/bin") is accepted as
// the same place on Z:. Components that do not exist are kept as written, so a path to a
// file about to be created resolves too. No value for an unknown drive or an empty path.
std::optional<std::filesystem::path> host_path(const std::string& windows_path);

// The Windows name of a host path: "C:\..." below drive_c, else "Z:\...".
std::string windows_path(const std::filesystem::path& host);

// The program's own file (from /proc/self/exe) and its directory, as host paths.
std::filesystem::path program_file();
std::filesystem::path program_directory();

// Makes the process believe it was started from another file (tests put the program in a
// folder of their own, with its INI files and libraries); an empty path undoes it.
void set_program_file(const std::filesystem::path& file);

} // namespace platform
