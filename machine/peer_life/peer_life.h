// The lifetime of a peer program: it runs until it is told to end. Besides WM_CLOSE and
// WM_QUIT, SIGTERM and SIGINT end it, and so does the end of its machine (the machine root
// deleted or moved away), which is its desktop going away.
#pragma once

namespace machine {

// Watches for the signals and the machine root in the thread's one wait; when either comes,
// the thread's message loop gets WM_QUIT. Nothing is polled: an idle program stays asleep.
// False (with a message on stderr) when the machine root cannot be watched, e.g. it is gone.
bool end_with_machine(const char* program);

} // namespace machine
