// The open popup menu's record in the desktop directory (protocol.h): written by its process,
// read by tools that show and answer the menu.
#include "desktop_state.h"

#include "platform/kernel/atomic_file.h"

#include <cstring>
#include <unistd.h>

namespace platform {

using namespace desktop_wire;
using desktop_detail::Desktop;

namespace {

std::filesystem::path menu_file(const Desktop& d, int pid, uint64_t start) {
    return d.directory() / (desktop_detail::socket_name(pid, start) + ".menu");
}

} // namespace

std::string serialize_menu(const std::vector<DesktopMenuEntry>& entries) {
    MenuHeader h{kMenuMagic, kMenuVersion,
                 static_cast<uint32_t>(std::min<size_t>(entries.size(), kMaxMenuEntries)),
                 sizeof(MenuEntry)};
    std::string out(reinterpret_cast<const char*>(&h), sizeof h);
    for (uint32_t i = 0; i < h.count; ++i) {
        const DesktopMenuEntry& e = entries[i];
        MenuEntry m{};
        m.window = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(e.window));
        m.id = e.id;
        m.state = e.state;
        m.left = e.rect.left;
        m.top = e.rect.top;
        m.right = e.rect.right;
        m.bottom = e.rect.bottom;
        std::memcpy(m.text, e.text.data(), std::min(e.text.size(), kTitleBytes - 1));
        out.append(reinterpret_cast<const char*>(&m), sizeof m);
    }
    return out;
}

std::optional<std::vector<DesktopMenuEntry>> parse_menu(std::string_view bytes) {
    MenuHeader h{};
    if (bytes.size() < sizeof h)
        return std::nullopt;
    std::memcpy(&h, bytes.data(), sizeof h);
    if (h.magic != kMenuMagic || h.version != kMenuVersion || h.entry_size != sizeof(MenuEntry) ||
        h.count > kMaxMenuEntries || bytes.size() != sizeof h + size_t{h.count} * sizeof(MenuEntry))
        return std::nullopt;
    std::vector<DesktopMenuEntry> entries;
    for (uint32_t i = 0; i < h.count; ++i) {
        MenuEntry m{};
        std::memcpy(&m, bytes.data() + sizeof h + size_t{i} * sizeof m, sizeof m);
        DesktopMenuEntry e;
        e.window = reinterpret_cast<HWND>(static_cast<uintptr_t>(m.window));
        e.id = m.id;
        e.state = m.state;
        e.rect = RECT{m.left, m.top, m.right, m.bottom};
        e.text.assign(m.text, strnlen(m.text, sizeof m.text - 1));
        entries.push_back(std::move(e));
    }
    return entries;
}

void desktop_publish_menu(const std::vector<DesktopMenuEntry>& entries) {
    Desktop* d = Desktop::current();
    if (!d)
        return;
    std::filesystem::path file = menu_file(*d, d->own_pid(), d->own_start());
    if (entries.empty()) {
        ::unlink(file.c_str());
        return;
    }
    // The menu lives as long as its process: nothing to make durable.
    replace_file(file, serialize_menu(entries), Durability::Volatile);
}

std::vector<DesktopMenuEntry> desktop_menu_of(const DesktopWindow& level) {
    Desktop* d = Desktop::current();
    if (!d || !desktop_alive(level))
        return {};
    DWORD error = 0;
    auto bytes =
        read_whole_file(menu_file(*d, static_cast<int>(level.pid), level.start_time), error);
    auto entries = bytes ? parse_menu(*bytes) : std::nullopt;
    return entries.value_or(std::vector<DesktopMenuEntry>{});
}

} // namespace platform
