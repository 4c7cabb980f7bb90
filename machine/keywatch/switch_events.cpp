#include "machine/keywatch/switch_events.h"

#include "platform/kernel/wait.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>

namespace machine {

namespace {

std::optional<OwnerControls> read_owner_controls() {
    Firmware firmware;
    if (read_firmware(firmware) != ERROR_SUCCESS)
        return std::nullopt;
    return owner_controls(firmware);
}

// Events the console's queue has not taken yet, oldest first.
std::deque<WORD> g_waiting;
UINT_PTR g_retry = 0;

// How soon a full queue is offered the waiting events again: the console empties its queue
// at its own pace, and nothing tells a sender when.
constexpr UINT kRetryMillis = 20;

void CALLBACK offer_again(HWND, UINT, UINT_PTR, DWORD);

void post_waiting() {
    while (!g_waiting.empty()) {
        HWND console = FindWindowA("#32770", "Radiodeck");
        if (console &&
            PostMessageA(console, WM_COMMAND, MAKEWPARAM(kSwitchEventId, g_waiting.front()), 0)) {
            g_waiting.pop_front();
            continue;
        }
        if (console && GetLastError() == ERROR_NOT_ENOUGH_QUOTA) {
            if (!g_retry)
                g_retry = SetTimer(nullptr, 0, kRetryMillis, offer_again);
            return;
        }
        g_waiting.clear(); // no console to tell: the events are dropped, as designed
    }
    if (g_retry) {
        KillTimer(nullptr, g_retry);
        g_retry = 0;
    }
}

void CALLBACK offer_again(HWND, UINT, UINT_PTR, DWORD) {
    post_waiting();
}

void post_to_console(WORD code) {
    g_waiting.push_back(code);
    if (g_waiting.size() == 1)
        post_waiting();
}

// Whether the events read from the watch touch the firmware file. The file is replaced by a
// rename (IN_MOVED_TO) or written in place by an editor (IN_CLOSE_WRITE).
bool firmware_touched(int fd, const std::string& name) {
    alignas(inotify_event) char buffer[4096];
    bool touched = false;
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) {
        for (char* p = buffer; p < buffer + n;) {
            auto* event = reinterpret_cast<inotify_event*>(p);
            if (event->len > 0 && name == event->name)
                touched = true;
            p += sizeof(inotify_event) + event->len;
        }
    }
    return touched;
}

} // namespace

OwnerControls owner_controls(const Firmware& firmware) {
    return {firmware.profile.hw_switch, firmware.state.switch_on, firmware.events.hotkey_presses};
}

std::vector<WORD> switch_event_codes(const OwnerControls& before, const OwnerControls& now) {
    std::vector<WORD> codes;
    // A switch that appeared or went with a new profile did not move.
    if (before.has_switch && now.has_switch && before.switch_on != now.switch_on)
        codes.push_back(now.switch_on ? kSwitchTurnedOn : kSwitchTurnedOff);
    if (now.hotkey_presses > before.hotkey_presses) {
        DWORD presses = now.hotkey_presses - before.hotkey_presses;
        if (presses > kMostPressesAtOnce)
            presses = kMostPressesAtOnce - ((presses - kMostPressesAtOnce) & 1);
        codes.insert(codes.end(), presses, kHotkeyPressed);
    }
    return codes;
}

void post_switch_event(WORD code) {
    post_to_console(code);
}

bool report_switch_events(const char* program) {
    std::filesystem::path file = firmware_path();
    int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0 || inotify_add_watch(fd, file.parent_path().c_str(),
                                    IN_CLOSE_WRITE | IN_MOVED_TO | IN_ONLYDIR) < 0) {
        std::fprintf(stderr, "%s: cannot watch %s: %s\n", program, file.parent_path().c_str(),
                     std::strerror(errno));
        if (fd >= 0)
            close(fd);
        return false;
    }
    // The watch comes first, so that a change right after the first look is not missed.
    auto seen = std::make_shared<std::optional<OwnerControls>>(read_owner_controls());
    platform::add_wait_fd(fd, POLLIN, [fd, seen, name = file.filename().string()](short) {
        if (!firmware_touched(fd, name))
            return;
        std::optional<OwnerControls> now = read_owner_controls();
        if (!now)
            return; // gone or unreadable for the moment: the next change is measured from
                    // what was seen before
        if (*seen) {
            for (WORD code : switch_event_codes(**seen, *now))
                post_to_console(code);
        }
        *seen = now;
    });
    return true;
}

} // namespace machine
