// firmware.ini on disk. The firmware of a notebook has no disk, so its state must change
// even when the disk is full: the file's blocks are allocated when it is created and every
// change rewrites them in place, under an exclusive flock on the file that readers take
// shared. The state is volatile hardware state: nothing is fsynced.
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace machine {

// The whole file, read under the shared lock. A FIFO, device or a link to one is refused
// (ERROR_ACCESS_DENIED) rather than waited on.
DWORD read_locked(const std::filesystem::path& path, std::string& text);

// Under the exclusive lock: `change` gets the file's text and returns the new text, or no
// value to leave the file alone. The new text replaces the old in place, in one write.
DWORD rewrite_in_place(const std::filesystem::path& path,
                       const std::function<std::optional<std::string>(const std::string&)>& change);

// A new file with `text`, replacing any old one at once, with room reserved for its changes.
DWORD create_in_place_file(const std::filesystem::path& path, const std::string& text);

} // namespace machine
