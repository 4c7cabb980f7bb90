#include "entry_decode.h"

#include "message_rules.h"
#include "protocol.h"

#include <cstring>

namespace platform::desktop_wire {

Entry decode_entry(const void* bytes, size_t size) {
    Entry e;
    if (size != kEntryBytes)
        return e;
    uint32_t magic;
    std::memcpy(&magic, bytes, sizeof magic);
    switch (magic) {
    case kPostMagic: {
        PostDatagram d;
        std::memcpy(&d, bytes, sizeof d);
        // What another process may not post (pointers, a window's life) never arrives: the
        // sender may not have used PostMessageA.
        if (d.version != kPostVersion || d.size != sizeof d ||
            refused_from_other_process(d.message, static_cast<WPARAM>(d.wparam)))
            return e;
        e = {Entry::kPost, d.target, d.message, d.wparam, d.lparam};
        return e;
    }
    case kCursorMagic: {
        CursorDatagram c;
        std::memcpy(&c, bytes, sizeof c);
        if (c.version != kCursorVersion || c.size != sizeof c)
            return e;
        e.kind = Entry::kCursor;
        e.target = c.target;
        e.x = c.x;
        e.y = c.y;
        return e;
    }
    case kActionMagic: {
        ActionDatagram a;
        std::memcpy(&a, bytes, sizeof a);
        if (a.version != kActionVersion || a.size != sizeof a)
            return e;
        e.kind = Entry::kAction;
        e.target = a.target;
        e.action = a.action;
        e.item = a.item;
        return e;
    }
    default:
        return e;
    }
}

} // namespace platform::desktop_wire
