// How a program was asked to show itself: WinExec passes its uCmdShow to the started program,
// as Windows passes it in STARTUPINFO, through the environment variable RADIODECK_CMDSHOW.
#pragma once

namespace platform {

inline constexpr char kCmdShowVariable[] = "RADIODECK_CMDSHOW";

// The show command this process was started with (SW_HIDE ... SW_FORCEMINIMIZE), or
// SW_SHOWDEFAULT when it was started otherwise (from a shell) or the value is not one.
int startup_show_command();

} // namespace platform
