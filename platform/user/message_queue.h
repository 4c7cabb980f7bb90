// The thread's message queue, for the modal loops and the input path of user/.
#pragma once

#include "platform/kernel/clock.h"

#include <windows.h>

#include <optional>

namespace platform {

// Queues a hardware input message (mouse or keyboard) after the posted messages.
void post_input(const MSG& msg);

// Queues a message posted from outside the thread (another process's PostMessageA); the
// caller has checked posted_room().
void post_message(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

// How many more posted messages the thread's queue takes: Windows' default quota of 10,000.
size_t posted_room();

// Whether GetMessage would return at once.
bool thread_has_messages();

// When the thread's next timer is due; nothing when it has none.
std::optional<Millis> next_timer_due();

// Blocks until something may have arrived: runs the idle hook, else waits for a
// descriptor or the next timer.
void wait_for_message();

// The message most recently retrieved by GetMessage or PeekMessage(PM_REMOVE).
const MSG& last_message();

// A press on an inactive top-level window activates it first, as the mouse does.
void activate_for_click(HWND hwnd);

} // namespace platform
