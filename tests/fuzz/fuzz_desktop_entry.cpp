// Entries of a process's queue are written by other processes: any bytes decode to a refusal
// or to exactly what they say, and never to a message another process may not post.
#include "platform/desktop/entry_decode.h"
#include "platform/desktop/protocol.h"
#include "platform/desktop/message_rules.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace platform::desktop_wire;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Entry whole = decode_entry(data, size);
    if (size != kEntryBytes && whole.kind != Entry::kRefused)
        std::abort();
    // As the owner reads its ring: one entry after another.
    for (size_t at = 0; at + kEntryBytes <= size; at += kEntryBytes) {
        Entry e = decode_entry(data + at, kEntryBytes);
        if (e.kind == Entry::kPost) {
            PostDatagram d;
            std::memcpy(&d, data + at, sizeof d);
            if (d.magic != kPostMagic || e.message != d.message || e.wparam != d.wparam ||
                e.lparam != d.lparam || e.target != d.target)
                std::abort();
            if (platform::refused_from_other_process(e.message, static_cast<WPARAM>(e.wparam)))
                std::abort();
        } else if (e.kind == Entry::kCursor) {
            CursorDatagram c;
            std::memcpy(&c, data + at, sizeof c);
            if (c.magic != kCursorMagic || e.x != c.x || e.y != c.y || e.target != c.target)
                std::abort();
        } else if (e.kind == Entry::kAction) {
            ActionDatagram a;
            std::memcpy(&a, data + at, sizeof a);
            if (a.magic != kActionMagic || e.action != a.action || e.item != a.item)
                std::abort();
        }
    }
    return 0;
}
