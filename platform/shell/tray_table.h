// The tray's icons, shared by every process of a desktop: the file <desktop>/tray, replaced
// atomically under the desktop directory's lock, so a reader never sees half a change. The
// file is written by other processes, so a reader checks it whole and takes nothing from a
// file that does not check out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::tray_wire {

constexpr uint32_t kTrayMagic = 0x49544452; // "RDTI"
constexpr uint32_t kTrayVersion = 1;
constexpr uint32_t kMaxIcons = 256;
constexpr size_t kTipBytes = 64; // tooltips are at most 63 characters

struct Header {
    uint32_t magic;       // kTrayMagic
    uint32_t version;     // kTrayVersion
    uint32_t count;       // records that follow, at most kMaxIcons
    uint32_t record_size; // sizeof(Record)
};
static_assert(sizeof(Header) == 16);

struct Record {
    uint32_t owner;            // owner window handle (desktop-wide)
    uint32_t id;               // the owner's icon id (uID)
    uint32_t flags;            // NIF_MESSAGE | NIF_ICON | NIF_TIP: the fields ever given
    uint32_t callback_message; // uCallbackMessage
    uint32_t picture;          // resource id of the icon, 0 when unknown
    uint32_t shown;      // where a panel shows it: 0 nowhere, 1 XEmbed tray, 2 StatusNotifierItem
    char tip[kTipBytes]; // NUL-terminated
};
static_assert(sizeof(Record) == 88);

} // namespace platform::tray_wire

namespace platform {

// One icon of the table, in the order icons were added.
struct TrayEntry {
    uint32_t owner = 0;
    uint32_t id = 0;
    uint32_t flags = 0;
    uint32_t callback_message = 0;
    uint32_t picture = 0;
    std::string tip;    // at most 63 characters
    uint32_t shown = 0; // where a panel shows it (a TrayDock value), set by the owner
};

// The table's bytes and back; no value for bytes that are not a whole, valid table.
std::optional<std::vector<TrayEntry>> parse_tray(std::string_view bytes);
std::string serialize_tray(const std::vector<TrayEntry>& entries);

// The icons of the current desktop (none when it has no table or cannot be used).
std::vector<TrayEntry> read_tray();

// Runs `change` on the icons under the lock and, when it returns true, replaces the table
// and wakes the desktop's watchers. False when the desktop cannot be used, the change
// declined, or the table could not be written. A damaged table is replaced by a fresh one
// whatever the change says, and every process is asked to add its icons again.
bool update_tray(const std::function<bool(std::vector<TrayEntry>&)>& change);

} // namespace platform
