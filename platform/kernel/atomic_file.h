// Whole-file reads and crash-safe replacement of small text files.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// The file's content; no value when it cannot be read (the reason in `error`, a Win32 code).
std::optional<std::string> read_whole_file(const std::filesystem::path& path, DWORD& error);

// Replaces the file with `content` so that a reader sees either the old or the new file, even
// after a crash: a temporary file beside it, fsync, rename, fsync of the directory. An existing
// file keeps its permissions. Returns ERROR_SUCCESS or a Win32 error.
DWORD replace_file(const std::filesystem::path& path, const std::string& content);

// An exclusive lock on a directory, held across processes (flock) while the object lives, so
// that two read-modify-write cycles on files in it do not lose each other's changes.
class DirectoryLock {
public:
    explicit DirectoryLock(const std::filesystem::path& directory);
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

private:
    int fd_ = -1;
};

} // namespace platform
