// The thread's message queue: posted messages, input, WM_QUIT, WM_PAINT and WM_TIMER,
// retrieved in Windows' order. A thread with nothing to do blocks in the one wait.
#include "message_queue.h"
#include "paint.h"
#include "window.h"

#include "platform/desktop/desktop.h"
#include "platform/desktop/message_rules.h"
#include "platform/kernel/wait.h"

#include <algorithm>
#include <deque>

using platform::find_window;
using platform::Window;

namespace platform {

namespace {

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT elapse;
    Millis due;
    TIMERPROC proc;
};

struct Queue {
    std::deque<MSG> posted;
    std::deque<MSG> input;
    bool quit = false;
    int quit_code = 0;
    std::vector<Timer> timers;
    UINT_PTR next_thread_timer = 0x7FFF;
    MSG last{};
};

Queue g_queue;

// USERPostMessageLimit's default on Windows.
constexpr size_t kPostedLimit = 10000;

// Posts from other processes wait in the desktop's queue until taken; taking them before
// every look and before every post of this thread keeps one order, that of arrival.
void take_remote_posts() {
    desktop_take_posts();
}

// USER_TIMER_MINIMUM and USER_TIMER_MAXIMUM of Windows.
constexpr UINT kTimerMinimum = 0x0000000A;
constexpr UINT kTimerMaximum = 0x7FFFFFFF;

bool window_matches(HWND filter, HWND target) {
    if (!filter)
        return true;
    if (filter == reinterpret_cast<HWND>(-1))
        return target == nullptr;
    return target == filter || IsChild(filter, target);
}

bool range_matches(UINT min, UINT max, UINT msg) {
    if (min == 0 && max == 0)
        return true;
    return msg >= min && msg <= max;
}

MSG make_msg(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    MSG m{hwnd, msg, wp, lp, GetTickCount(), {}};
    GetCursorPos(&m.pt);
    return m;
}

bool take_from(std::deque<MSG>& q, MSG& out, HWND filter, UINT min, UINT max, bool remove) {
    for (auto it = q.begin(); it != q.end();) {
        // Messages of destroyed windows are dropped, as Windows purges them.
        if (it->hwnd && !find_window(it->hwnd)) {
            it = q.erase(it);
            continue;
        }
        if (window_matches(filter, it->hwnd) && range_matches(min, max, it->message)) {
            out = *it;
            if (remove)
                q.erase(it);
            return true;
        }
        ++it;
    }
    return false;
}

bool take_paint(MSG& out, HWND filter, UINT min, UINT max) {
    if (!range_matches(min, max, WM_PAINT))
        return false;
    for (HWND h : all_windows()) {
        Window* w = find_window(h);
        if (w && w->needs_paint && IsWindowVisible(h) && window_matches(filter, h)) {
            out = make_msg(h, WM_PAINT, 0, 0);
            return true;
        }
    }
    return false;
}

bool take_timer(MSG& out, HWND filter, UINT min, UINT max, bool remove) {
    if (!range_matches(min, max, WM_TIMER))
        return false;
    Millis now = clock().now();
    Timer* best = nullptr;
    for (Timer& t : g_queue.timers)
        if (t.due <= now && window_matches(filter, t.hwnd) && (!best || t.due < best->due))
            best = &t;
    if (!best)
        return false;
    out = make_msg(best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc));
    if (remove)
        best->due = now + best->elapse;
    return true;
}

} // namespace

std::optional<Millis> next_timer_due() {
    std::optional<Millis> due;
    for (const Timer& t : g_queue.timers)
        if (!due || t.due < *due)
            due = t.due;
    return due;
}

namespace {

// One pass over the sources in Windows' order; true when a message was found.
bool peek_once(MSG& out, HWND filter, UINT min, UINT max, bool remove) {
    take_remote_posts();
    if (take_from(g_queue.posted, out, filter, min, max, remove))
        return true;
    if (take_from(g_queue.input, out, filter, min, max, remove)) {
        if (remove && out.message == WM_LBUTTONDOWN && out.hwnd)
            activate_for_click(out.hwnd);
        return true;
    }
    if (g_queue.quit) {
        out = make_msg(nullptr, WM_QUIT, static_cast<WPARAM>(g_queue.quit_code), 0);
        if (remove)
            g_queue.quit = false;
        return true;
    }
    if (take_paint(out, filter, min, max))
        return true;
    return take_timer(out, filter, min, max, remove);
}

} // namespace

void post_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    g_queue.posted.push_back(make_msg(hwnd, msg, wp, lp));
}

size_t posted_room() {
    return g_queue.posted.size() < kPostedLimit ? kPostedLimit - g_queue.posted.size() : 0;
}

void post_input(const MSG& msg) {
    MSG m = msg;
    m.time = GetTickCount();
    g_queue.input.push_back(m);
}

bool thread_has_messages() {
    MSG m;
    return peek_once(m, nullptr, 0, 0, false);
}

void wait_for_message() {
    // The idle hook (a test's script) runs only when nothing else can happen now.
    if (run_idle_hook())
        return;
    wait_events(next_timer_due());
}

void kill_window_timers(HWND hwnd) {
    auto& t = g_queue.timers;
    t.erase(std::remove_if(t.begin(), t.end(), [hwnd](const Timer& x) { return x.hwnd == hwnd; }),
            t.end());
}

const MSG& last_message() {
    return g_queue.last;
}

} // namespace platform

using platform::g_queue;

BOOL WINAPI PostMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    // Windows refuses these for every window, its own thread's included: the pointer would
    // outlive the call that made it.
    if (platform::message_carries_pointers(msg, wp)) {
        SetLastError(ERROR_MESSAGE_SYNC_ONLY);
        return FALSE;
    }
    if (hwnd == HWND_BROADCAST) {
        // Every top-level window of the desktop: this process's through its own queue, the
        // others' through their owners' sockets.
        for (HWND h : platform::top_level_windows())
            g_queue.posted.push_back(platform::make_msg(h, msg, wp, lp));
        platform::flush_windows(); // the receivers act on what they see of this process
        platform::desktop_broadcast_to_others(msg, wp, lp);
        return TRUE;
    }
    // Another process's window: one entry in its owner's queue (and a failure when it is
    // gone or its queue is full).
    if (hwnd && !find_window(hwnd)) {
        platform::flush_windows(); // the receiver acts on what it sees of this process
        return platform::desktop_post(hwnd, msg, wp, lp);
    }
    // What other processes posted before this arrived first.
    platform::take_remote_posts();
    if (platform::posted_room() == 0) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
    g_queue.posted.push_back(platform::make_msg(hwnd, msg, wp, lp));
    return TRUE;
}

void WINAPI PostQuitMessage(int code) {
    g_queue.quit = true;
    g_queue.quit_code = code;
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT min, UINT max, UINT remove) {
    MSG m;
    if (!platform::peek_once(m, hwnd, min, max, (remove & PM_REMOVE) != 0))
        return FALSE;
    if (msg)
        *msg = m;
    if (remove & PM_REMOVE)
        g_queue.last = m;
    return TRUE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT min, UINT max) {
    if (hwnd && hwnd != reinterpret_cast<HWND>(-1) && !platform::window_or_error(hwnd))
        return -1;
    MSG m;
    while (!platform::peek_once(m, hwnd, min, max, true))
        platform::wait_for_message();
    g_queue.last = m;
    if (msg)
        *msg = m;
    return m.message != WM_QUIT;
}

BOOL WINAPI WaitMessage() {
    if (!platform::thread_has_messages())
        platform::wait_for_message();
    return TRUE;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
    // Character messages are not used by anything on this platform; keys stay keys.
    return msg && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN);
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        // Only a procedure this thread gave SetTimer for this timer is ever called: a posted
        // WM_TIMER's lParam is anyone's number, and is dropped as Windows drops it.
        const auto& timers = g_queue.timers;
        bool registered = std::any_of(timers.begin(), timers.end(), [msg](const auto& t) {
            return t.hwnd == msg->hwnd && t.id == msg->wParam &&
                   reinterpret_cast<LPARAM>(t.proc) == msg->lParam;
        });
        if (!registered)
            return 0;
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    Window* w = platform::window_or_error(msg->hwnd);
    if (!w)
        return 0;
    LRESULT r = platform::call_window(*w, msg->message, msg->wParam, msg->lParam);
    // A window that does not validate on WM_PAINT would be asked again forever.
    if (msg->message == WM_PAINT)
        platform::finish_paint(msg->hwnd);
    return r;
}

LRESULT WINAPI SendMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (hwnd == reinterpret_cast<HWND>(0xFFFF)) {
        std::vector<HWND> tops = platform::top_level_windows();
        for (HWND h : tops)
            if (Window* w = find_window(h))
                platform::call_window(*w, msg, wp, lp);
        return 0;
    }
    Window* w = find_window(hwnd);
    if (!w) {
        // Sending would wait on another process: not offered across processes. Pointers
        // could not cross anyway, and say so as Windows' asynchronous sends do.
        if (!IsWindow(hwnd))
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        else
            SetLastError(platform::message_carries_pointers(msg, wp) ? ERROR_MESSAGE_SYNC_ONLY
                                                                     : ERROR_ACCESS_DENIED);
        return 0;
    }
    return platform::call_window(*w, msg, wp, lp);
}

LRESULT WINAPI SendDlgItemMessageA(HWND dlg, int id, UINT msg, WPARAM wp, LPARAM lp) {
    HWND item = GetDlgItem(dlg, id);
    return item ? SendMessageA(item, msg, wp, lp) : 0;
}

LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return proc ? proc(hwnd, msg, wp, lp) : 0;
}

DWORD WINAPI GetMessagePos() {
    const MSG& m = g_queue.last;
    return static_cast<DWORD>(MAKELONG(static_cast<WORD>(m.pt.x), static_cast<WORD>(m.pt.y)));
}

LONG WINAPI GetMessageTime() {
    return static_cast<LONG>(g_queue.last.time);
}

BOOL WINAPI InSendMessage() {
    return FALSE;
}

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (hwnd && !platform::window_or_error(hwnd))
        return 0;
    elapse = std::clamp(elapse, platform::kTimerMinimum, platform::kTimerMaximum);
    auto& timers = g_queue.timers;
    if (!hwnd) {
        bool known = std::any_of(timers.begin(), timers.end(),
                                 [id](const platform::Timer& t) { return !t.hwnd && t.id == id; });
        if (!known)
            id = g_queue.next_thread_timer--;
    }
    platform::Millis due = platform::clock().now() + elapse;
    for (platform::Timer& t : timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t = {hwnd, id, elapse, due, proc};
            return hwnd ? (id ? id : 1) : id;
        }
    }
    timers.push_back({hwnd, id, elapse, due, proc});
    return hwnd ? (id ? id : 1) : id;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
    auto& t = g_queue.timers;
    auto it = std::find_if(t.begin(), t.end(),
                           [&](const platform::Timer& x) { return x.hwnd == hwnd && x.id == id; });
    if (it == t.end()) {
        SetLastError(hwnd && !IsWindow(hwnd) ? ERROR_INVALID_WINDOW_HANDLE
                                             : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    t.erase(it);
    return TRUE;
}
