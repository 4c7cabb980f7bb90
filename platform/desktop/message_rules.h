// Which messages may be posted, and which may come from another process. A message whose
// parameters are pointers means nothing outside the sender's address space, so Windows
// refuses to post it (ERROR_MESSAGE_SYNC_ONLY); a receiver cannot trust a sender to have
// asked, so it refuses the same numbers again when they arrive from another process, together
// with the messages that only the window manager itself may send.
#pragma once

#include <windows.h>

namespace platform {

// A system message (below WM_USER) whose wParam or lParam is a pointer: posting it fails
// with ERROR_MESSAGE_SYNC_ONLY, and sending it to another process's window fails the same
// way. The table is Windows' own, plus WM_NOTIFY (its lParam is an NMHDR*) and MFC's
// private WM_CTLCOLOR (0x0019, whose lParam is an AFX_CTLCOLOR*).
bool message_carries_pointers(UINT msg, WPARAM wparam);

// A message that another process may not put in this process's queue: every message that
// carries pointers, and those that only the window manager sends as a window's life or
// state changes: a window's creation and destruction, WM_INITDIALOG, WM_QUIT (the thread's
// own state, set by PostQuitMessage) and the messages that draw with a device context or
// region of the sender. See platform/desktop/protocol.h.
bool refused_from_other_process(UINT msg, WPARAM wparam);

} // namespace platform
