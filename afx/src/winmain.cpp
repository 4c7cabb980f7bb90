// The process entry of programs built on the framework: hands over to AfxWinMain.
#include <afxwin.h>

#include "platform/drivers/display.h"
#include "platform/kernel/startup.h"

#include <string>

int main(int argc, char** argv) {
    std::string program = argv[0] ? argv[0] : "";
    if (!platform::open_display(program.substr(program.rfind('/') + 1).c_str()))
        return 1;
    // The command line as Windows gives it to WinMain: the arguments after the program name.
    std::string command_line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            command_line += ' ';
        command_line += argv[i];
    }
    return AfxWinMain(::GetModuleHandleA(NULL), NULL, command_line.data(),
                      platform::startup_show_command());
}
