// One entry of a process's queue, read as the bytes another process wrote (protocol.h): the
// one place where they are checked for shape before anything acts on them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::desktop_wire {

struct Entry {
    enum Kind { kRefused, kPost, kCursor, kAction } kind = kRefused;
    uint32_t target = 0;  // the window it is for; whether this process holds it is not checked
    uint32_t message = 0; // kPost
    uint64_t wparam = 0;
    uint64_t lparam = 0;
    int32_t x = 0; // kCursor
    int32_t y = 0;
    uint32_t action = 0; // kAction: an ActionKind, maybe one this version does not know
    uint32_t item = 0;
};

// kRefused unless the bytes are exactly one entry of a known kind and version, and a post is
// one that another process may make (platform/desktop/message_rules.h).
Entry decode_entry(const void* bytes, size_t size);

} // namespace platform::desktop_wire
