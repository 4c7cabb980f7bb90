// HKEY_LOCAL_MACHINE on disk: registry.reg in the machine root, shared by every process of
// the machine. Readers hold a shared flock on registry.lock, writers an exclusive one; a
// writer applies its change to a fresh read taken inside the lock and replaces the file
// atomically (temporary file, fsync, rename, fsync of the directory), so a crash leaves the
// old or the new file and two writers lose neither change.
#pragma once

#include "reg_tree.h"

#include <filesystem>
#include <functional>

namespace platform::reg {

std::filesystem::path registry_file_path();

// Runs `fn` on the current hive and returns its result; ERROR_BADDB when the file cannot
// be parsed, ERROR_CANTREAD when it cannot be read. A missing file is an empty hive.
LONG read_hive(const std::function<LONG(const Key& hive)>& fn);

// Runs `fn` on a fresh copy of the hive under the exclusive lock; when it succeeds and sets
// `changed`, the result is written back. A file that cannot be parsed is never overwritten:
// the change fails with ERROR_BADDB.
LONG modify_hive(const std::function<LONG(Key& hive, bool& changed)>& fn);

// Whether the file's permissions let this process replace it (access(2) on the file and its
// directory). The administrator check is the caller's.
bool hive_writable_by_permissions();

} // namespace platform::reg
