// HKEY_LOCAL_MACHINE on disk: registry.reg in the machine root, shared by every process of
// the machine. Readers hold a shared flock on registry.lock, writers an exclusive one; a
// writer applies its change to a fresh read taken inside the lock and replaces the file
// atomically (temporary file, fsync, rename, fsync of the directory), so a crash leaves the
// old or the new file and two writers lose neither change.
#pragma once

#include "reg_tree.h"

#include <filesystem>
#include <functional>
#include <vector>

namespace platform::reg {

std::filesystem::path registry_file_path();

// A registry file that cannot be parsed or read (other than for permissions) is moved aside
// under the name registry.reg.unparsable-TIME or .unreadable-TIME (UTC, never over another
// file), reported once on standard error, and a fresh registry starts in its place. A file
// that this process may not read, or that is no regular file, stays and is reported the same way.
// The files moved aside so far, oldest first:
std::vector<std::filesystem::path> set_aside_registry_files();

// Runs `fn` on the current hive and returns its result; ERROR_ACCESS_DENIED when the file
// cannot be read and stays, ERROR_BADDB or ERROR_CANTREAD when it could not be moved aside.
// A missing file is an empty hive.
LONG read_hive(const std::function<LONG(const Key& hive)>& fn);

// Runs `fn` on a fresh copy of the hive under the exclusive lock; when it succeeds and sets
// `changed`, the result is written back: visible to every process at once, durable before
// the thread blocks or the process exits. A damaged file is never overwritten.
LONG modify_hive(const std::function<LONG(Key& hive, bool& changed)>& fn);

// Whether the file's permissions let this process replace it (access(2) on the file and its
// directory). The administrator check is the caller's.
bool hive_writable_by_permissions();

} // namespace platform::reg
