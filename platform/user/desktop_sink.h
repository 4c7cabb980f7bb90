// The window manager's end of the desktop: where messages, cursor moves and actions that other
// processes send to this process's windows arrive.
#pragma once

namespace platform {

// Registers the window manager as the desktop's sink; called before a window is created.
void receive_from_desktop();

} // namespace platform
