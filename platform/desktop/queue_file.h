// A process's queue file (protocol.h): the owner's mapped ring and the senders' append.
// Private to platform/desktop.
#pragma once

#include "protocol.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace platform::desktop_detail {

// The owner's side: the ring it made and maps, and what it has taken from it.
class OwnQueue {
public:
    OwnQueue() = default;
    ~OwnQueue();
    OwnQueue(const OwnQueue&) = delete;
    OwnQueue& operator=(const OwnQueue&) = delete;

    // Makes the file afresh (removing one left by an earlier process of this pid and start
    // time) and maps it. False when it cannot be had.
    bool create(const std::filesystem::path& path);
    // Whether senders have written entries not yet taken. Reads the mapping only: no system
    // call, so a message loop can ask on every turn.
    bool pending() const;
    // Takes at most `most` entries, oldest first, into `out` (raw bytes, unchecked).
    void take(size_t most, std::vector<std::array<char, desktop_wire::kEntryBytes>>& out);
    // Unmaps and closes; removes the file when `remove` (the owner's own end).
    void close(bool remove);

private:
    std::filesystem::path path_;
    int fd_ = -1;
    desktop_wire::QueueHeader* header_ = nullptr;
    char* entries_ = nullptr;
};

// A sender's side: appends one entry to the queue file at `path`. ERROR_SUCCESS, or
// ERROR_NOT_ENOUGH_QUOTA when the ring is full, ERROR_FILE_NOT_FOUND when there is no usable
// queue (its owner is gone, or the file is not of this user and this version).
DWORD append_to_queue(const std::filesystem::path& path, const void* entry);

} // namespace platform::desktop_detail
