// A fresh machine root and desktop for each test, with notebookctl run to its end and bounded
// waits on what other processes do.
#pragma once

#include "tests/desktop/peer_process.h"
#include "tests/support/process_wait.h"

#include "platform/desktop/desktop.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace events_test {

using desktop_test::Outcome;

class EventsTest : public desktop_test::DesktopTest {
protected:
    Outcome notebookctl(const std::string& args) {
        std::string out = (root_->path() / "notebookctl.out").string();
        std::string err = (root_->path() / "notebookctl.err").string();
        int status = std::system(
            (std::string("'") + NOTEBOOKCTL + "' " + args + " >'" + out + "' 2>'" + err + "'")
                .c_str());
        Outcome o;
        o.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        o.out = slurp(out);
        o.err = slurp(err);
        return o;
    }

    // Waits until a window of that class and title is on the desktop.
    static HWND wait_for_window(const char* cls, const char* title) {
        HWND found = nullptr;
        auto changes = platform::desktop_change_file();
        if (changes)
            testing_support::wait_in_dir(changes->parent_path(), [&] {
                found = FindWindowA(cls, title);
                return found != nullptr;
            });
        return found;
    }

private:
    static std::string slurp(const std::string& path) {
        std::stringstream text;
        text << std::ifstream(path).rdbuf();
        return text.str();
    }
};

} // namespace events_test
