// Whole-file reads and crash-safe replacement of small text files.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// The content of a regular file; no value when it cannot be read (the reason in `error`, a
// Win32 code). A FIFO, a device or a link to one is refused with ERROR_ACCESS_DENIED instead
// of blocking the reader or feeding it without end.
std::optional<std::string> read_whole_file(const std::filesystem::path& path, DWORD& error);

// When a replaced file must be on the disk.
enum class Durability {
    Now,      // before replace_file returns
    LoopTurn, // before the thread next blocks in its wait, or the process exits
    Volatile, // never forced: state that does not outlive the machine (hardware, desktop)
};

// Replaces the file with `content` so that every process sees either the old or the new file
// at once, even after a crash: a temporary file beside it, rename, and the fsync of file and
// directory that `durability` asks for. A symbolic link is written through to its target. An
// existing file keeps its permissions.
// Returns ERROR_SUCCESS or a Win32 error (ERROR_DISK_FULL on a full disk or over the process's
// file-size limit).
DWORD replace_file(const std::filesystem::path& path, const std::string& content,
                   Durability durability = Durability::Now);

// Removes the temporary files of replace_file(path) that a writer killed midway left behind.
// Only for a caller that holds the lock every writer of `path` takes.
void remove_stale_temporaries(const std::filesystem::path& path);

// Makes the replacements of Durability::LoopTurn durable now. The thread's wait runs this
// before it blocks and the process at its exit; tests and tools may call it too.
void sync_replaced_files();
// Whether replacements are waiting for sync_replaced_files.
bool replaced_files_pending();

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
