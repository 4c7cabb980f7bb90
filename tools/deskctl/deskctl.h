// deskctl: looks at and acts on the desktop of the machine in RADIODECK_ROOT.
// Exit codes: 0 done, 1 the window or event was not there, 2 usage.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace deskctl {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

using Args = std::vector<std::string>;

// The commands; each gets the words after its name.
int run_list(const Args& args);
int run_post(const Args& args);
int run_wait(const Args& args);
int run_tray(const Args& args);
int run_msgbox(const Args& args);
int run_menu(const Args& args);
int run_click(const Args& args);
int run_shot(const Args& args);

// Prints "deskctl: <message>" on stderr and returns `code`.
int fail(int code, const std::string& message);

// A number in decimal (optionally negative) or 0x hex; nothing for anything else.
std::optional<long long> parse_number(const std::string& text);

// A WINDOW argument: a handle (0x hex or decimal) or CLASS:TITLE (an empty part matches
// anything). The handle of the first match, or null.
struct WindowSpec {
    HWND handle = nullptr;
    bool by_name = false;
    std::string cls, title;
};
std::optional<WindowSpec> parse_window(const std::string& text);
HWND resolve_window(const WindowSpec& spec);

// A message number or name: WM_NULL, WM_CLOSE, WM_COMMAND, WM_TIMER, WM_POWERBROADCAST,
// WM_USER, WM_APP, each optionally "+N".
std::optional<UINT> parse_message(const std::string& text, std::string& error);

// Text in double quotes: \" and \\ escaped, other control bytes as \xNN.
std::string quoted(const std::string& text);
// The same, with a line feed written \n: for tooltips and message texts of several lines.
std::string quoted_lines(const std::string& text);

} // namespace deskctl
