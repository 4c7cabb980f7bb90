// Message boxes are real modal windows; these let tools and tests see and answer them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace platform {

struct MessageBoxInfo {
    HWND box = nullptr;
    HWND owner = nullptr;
    std::string caption;
    std::string text;
    UINT type = 0;
};

// The open message boxes of this process, oldest first.
std::vector<MessageBoxInfo> open_message_boxes();

// The MB_ type of an open message box of this process (published on the desktop for tools).
std::optional<UINT> message_box_type(HWND box);

// Presses the box's button with that id (IDOK, IDCANCEL, ...) as a user's click does.
// False when there is no such box or button.
bool press_message_box(HWND box, int id);

} // namespace platform
