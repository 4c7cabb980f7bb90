// Shell_NotifyIconA: adds, changes and removes this process's icons in the desktop's tray.
//
// Windows leaves GetLastError unspecified here; this platform sets ERROR_INVALID_PARAMETER
// for a bad record or message, an add of an icon that exists and a change or removal of one
// that does not; ERROR_INVALID_WINDOW_HANDLE for an owner that is no window; ERROR_TIMEOUT
// when there is no tray (the desktop cannot be used), as a program sees a shell that does
// not answer.
#include "tray_table.h"
#include "platform/kernel/trace.h"

#include "platform/desktop/desktop.h"
#include "platform/desktop/surface_file.h"
#include "platform/drivers/display.h"
#include "platform/gdi/objects.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace {

using platform::TrayEntry;

// 32-bit Windows' size of the first form, which programs designed for it write.
constexpr DWORD kFirstFormSize32 = 88;

uint32_t handle_value(HWND h) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h));
}

// Takes the fields that uFlags names; only first-form fields are ever read.
void apply(TrayEntry& e, const NOTIFYICONDATAA& data) {
    if (data.uFlags & NIF_MESSAGE)
        e.callback_message = data.uCallbackMessage;
    if (data.uFlags & NIF_ICON) {
        auto icon = platform::gdi::find_icon(data.hIcon);
        e.picture = icon ? icon->resource_id : 0;
    }
    if (data.uFlags & NIF_TIP)
        e.tip.assign(data.szTip, strnlen(data.szTip, sizeof data.szTip - 1));
    if (UINT other = data.uFlags & ~UINT{NIF_MESSAGE | NIF_ICON | NIF_TIP})
        platform::fixme(platform::TraceChannel::shell, "Shell_NotifyIconA: uFlags 0x%x", other);
    e.flags |= data.uFlags & (NIF_MESSAGE | NIF_ICON | NIF_TIP);
}

// The pictures of this process's icons, for the display driver, which shows pixels.
std::map<std::pair<HWND, UINT>, std::shared_ptr<platform::gdi::Icon>>& pictures() {
    static std::map<std::pair<HWND, UINT>, std::shared_ptr<platform::gdi::Icon>> p;
    return p;
}

// The pictures as the desktop's readers see them (the headless screen, deskctl shot).
std::map<std::pair<HWND, UINT>, platform::SharedPicture>& shared_pictures() {
    static std::map<std::pair<HWND, UINT>, platform::SharedPicture> p;
    return p;
}

// Tells the display driver of an icon added or changed, with its pixels.
void show_icon(DWORD message, const NOTIFYICONDATAA& data, const TrayEntry& entry) {
    auto key = std::make_pair(data.hWnd, data.uID);
    if (data.uFlags & NIF_ICON) {
        auto icon = pictures()[key] = platform::gdi::find_icon(data.hIcon);
        std::string name = platform::tray_picture_name(handle_value(data.hWnd), data.uID);
        if (icon)
            shared_pictures()[key].create(name, {icon->width, icon->height}, icon->color);
        else
            shared_pictures()[key].remove();
    }
    platform::TrayPicture picture{data.hWnd, data.uID, entry.callback_message, {}, {}, entry.tip};
    if (const auto& icon = pictures()[key]) {
        picture.size = SIZE{icon->width, icon->height};
        picture.argb = icon->color; // BGRA bytes: 0xAARRGGBB as 32-bit values
    }
    platform::DisplayDriver& driver = platform::display_driver();
    if (message == NIM_ADD)
        driver.tray_icon_added(picture);
    else
        driver.tray_icon_changed(picture);
    driver.flush();
}

// This process's own icons as it last set them, on the desktop of `tray`. The shared table
// can be lost (a damaged file is started afresh), as the shell's icons are when the taskbar
// restarts; the owner's next change then brings its icon back instead of failing for good.
struct OwnIcons {
    std::filesystem::path tray;
    std::map<std::pair<uint32_t, UINT>, TrayEntry> icons;
};

std::map<std::pair<uint32_t, UINT>, TrayEntry>& own_icons() {
    static OwnIcons own;
    auto tray = platform::desktop_change_file().value_or(std::filesystem::path{});
    if (own.tray != tray)
        own = OwnIcons{tray, {}};
    std::erase_if(own.icons, [](const auto& icon) {
        return !IsWindow(reinterpret_cast<HWND>(static_cast<uintptr_t>(icon.first.first)));
    });
    return own.icons;
}

// After a damaged tray file was started afresh: this process's icons that the table lost are
// added again, as a shell's icons come back when the taskbar restarts.
void restore_own_icons() {
    auto& own = own_icons();
    if (own.empty())
        return;
    platform::update_tray([&](std::vector<TrayEntry>& all) {
        bool added = false;
        for (const auto& icon : own) {
            const TrayEntry& entry = icon.second;
            bool listed = std::any_of(all.begin(), all.end(), [&](const TrayEntry& e) {
                return e.owner == entry.owner && e.id == entry.id;
            });
            if (!listed && all.size() < platform::tray_wire::kMaxIcons) {
                all.push_back(entry);
                added = true;
            }
        }
        return added;
    });
}

BOOL fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

} // namespace

namespace platform {
void install_tray_events();
} // namespace platform

BOOL WINAPI Shell_NotifyIconA(DWORD dwMessage, PNOTIFYICONDATAA lpData) {
    if (!lpData || (lpData->cbSize != kFirstFormSize32 && lpData->cbSize < NOTIFYICONDATAA_V1_SIZE))
        return fail(ERROR_INVALID_PARAMETER);
    if (dwMessage != NIM_ADD && dwMessage != NIM_MODIFY && dwMessage != NIM_DELETE)
        return fail(ERROR_INVALID_PARAMETER);
    if (!IsWindow(lpData->hWnd))
        return fail(ERROR_INVALID_WINDOW_HANDLE);
    if (!platform::desktop_available())
        return fail(ERROR_TIMEOUT);
    static const bool listening = (platform::install_tray_events(), true);
    (void)listening;
    const NOTIFYICONDATAA data = *lpData;
    uint32_t owner = handle_value(data.hWnd);
    DWORD error = ERROR_INVALID_PARAMETER;
    static const bool restoring = [] {
        platform::desktop_add_republish_hook(restore_own_icons);
        return true;
    }();
    (void)restoring;
    std::optional<TrayEntry> changed;
    bool done = platform::update_tray([&](std::vector<TrayEntry>& all) {
        // Icons of windows that are gone go first: their owners cannot delete them.
        all.erase(std::remove_if(all.begin(), all.end(),
                                 [](const TrayEntry& e) {
                                     return !IsWindow(
                                         reinterpret_cast<HWND>(static_cast<uintptr_t>(e.owner)));
                                 }),
                  all.end());
        auto it = std::find_if(all.begin(), all.end(), [&](const TrayEntry& e) {
            return e.owner == owner && e.id == data.uID;
        });
        switch (dwMessage) {
        case NIM_ADD:
            if (it != all.end())
                return false;
            if (all.size() >= platform::tray_wire::kMaxIcons) {
                error = ERROR_NOT_ENOUGH_MEMORY;
                return false;
            }
            all.push_back(TrayEntry{owner, data.uID, 0, 0, 0, {}, 0});
            apply(all.back(), data);
            changed = all.back();
            error = ERROR_SUCCESS;
            return true;
        case NIM_MODIFY:
            if (it == all.end()) {
                auto lost = own_icons().find({owner, data.uID});
                if (lost == own_icons().end() || all.size() >= platform::tray_wire::kMaxIcons)
                    return false;
                it = all.insert(all.end(), lost->second);
            }
            apply(*it, data);
            changed = *it;
            error = ERROR_SUCCESS;
            return true;
        default:
            if (it == all.end())
                return false;
            all.erase(it);
            error = ERROR_SUCCESS;
            return true;
        }
    });
    if (done && changed) {
        own_icons()[{owner, data.uID}] = *changed;
        show_icon(dwMessage, data, *changed);
    } else if (done) {
        own_icons().erase({owner, data.uID});
        pictures().erase(std::make_pair(data.hWnd, data.uID));
        if (auto it = shared_pictures().find({data.hWnd, data.uID});
            it != shared_pictures().end()) {
            it->second.remove();
            shared_pictures().erase(it);
        }
        platform::display_driver().tray_icon_removed(data.hWnd, data.uID);
        platform::display_driver().flush();
    }
    if (done)
        return TRUE;
    // A change that was accepted but could not be written.
    return fail(error == ERROR_SUCCESS ? ERROR_WRITE_FAULT : error);
}
