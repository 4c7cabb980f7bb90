// Reading and replacing the tray's table of icons.
#include "tray_table.h"

#include "platform/desktop/desktop.h"
#include "platform/kernel/atomic_file.h"

#include <algorithm>
#include <cstring>

namespace platform {

using namespace tray_wire;

namespace {

std::optional<std::filesystem::path> tray_file() {
    auto changes = desktop_change_file();
    if (!changes)
        return std::nullopt;
    return changes->parent_path() / "tray";
}

} // namespace

std::optional<std::vector<TrayEntry>> parse_tray(std::string_view bytes) {
    if (bytes.empty())
        return std::vector<TrayEntry>{};
    Header h;
    if (bytes.size() < sizeof h)
        return std::nullopt;
    std::memcpy(&h, bytes.data(), sizeof h);
    if (h.magic != kTrayMagic || h.version != kTrayVersion || h.record_size != sizeof(Record) ||
        h.count > kMaxIcons || bytes.size() != sizeof h + size_t{h.count} * sizeof(Record))
        return std::nullopt;
    std::vector<TrayEntry> out;
    for (uint32_t i = 0; i < h.count; ++i) {
        Record r;
        std::memcpy(&r, bytes.data() + sizeof h + size_t{i} * sizeof r, sizeof r);
        TrayEntry e;
        e.owner = r.owner;
        e.id = r.id;
        e.flags = r.flags;
        e.callback_message = r.callback_message;
        e.picture = r.picture;
        e.shown = r.shown <= 2 ? r.shown : 0;
        e.tip.assign(r.tip, strnlen(r.tip, kTipBytes - 1));
        out.push_back(std::move(e));
    }
    return out;
}

std::string serialize_tray(const std::vector<TrayEntry>& entries) {
    Header h{kTrayMagic, kTrayVersion,
             static_cast<uint32_t>(std::min<size_t>(entries.size(), kMaxIcons)), sizeof(Record)};
    std::string out(reinterpret_cast<const char*>(&h), sizeof h);
    for (uint32_t i = 0; i < h.count; ++i) {
        const TrayEntry& e = entries[i];
        Record r{};
        r.owner = e.owner;
        r.id = e.id;
        r.flags = e.flags;
        r.callback_message = e.callback_message;
        r.picture = e.picture;
        r.shown = e.shown;
        std::memcpy(r.tip, e.tip.data(), std::min(e.tip.size(), kTipBytes - 1));
        out.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
    return out;
}

std::vector<TrayEntry> read_tray() {
    auto path = tray_file();
    if (!path)
        return {};
    DWORD error = 0;
    auto bytes = read_whole_file(*path, error);
    if (!bytes)
        return {};
    auto entries = parse_tray(*bytes);
    // The first to see a damaged table starts it afresh, and the owners add their icons again.
    if (!entries)
        update_tray([](std::vector<TrayEntry>&) { return true; });
    return entries.value_or(std::vector<TrayEntry>{});
}

bool update_tray(const std::function<bool(std::vector<TrayEntry>&)>& change) {
    auto path = tray_file();
    if (!path)
        return false;
    bool damaged = false, accepted = false;
    {
        DirectoryLock lock(path->parent_path());
        DWORD error = 0;
        auto bytes = read_whole_file(*path, error);
        // A damaged table is started afresh rather than kept failing every change; the
        // icons of every process it held are added again by their owners, once told.
        std::optional<std::vector<TrayEntry>> parsed;
        if (bytes)
            parsed = parse_tray(*bytes);
        damaged = bytes && !parsed;
        std::vector<TrayEntry> entries = parsed.value_or(std::vector<TrayEntry>{});
        accepted = change(entries);
        if (!accepted && !damaged)
            return false;
        // The tray lives as long as the desktop's processes: nothing to make durable.
        if (replace_file(*path, serialize_tray(entries), Durability::Volatile) != ERROR_SUCCESS)
            return false;
    }
    desktop_signal_change();
    if (damaged)
        desktop_announce_rebuild();
    return accepted;
}

} // namespace platform
