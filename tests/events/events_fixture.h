// A fresh machine root and desktop for each test, with notebookctl run to its end and bounded
// waits on what other processes do.
#pragma once

#include "tests/desktop/peer_process.h"
#include "tests/support/process.h"
#include "tests/support/process_wait.h"

#include "platform/desktop/desktop.h"

#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

namespace events_test {

using desktop_test::Outcome;

class EventsTest : public desktop_test::DesktopTest {
protected:
    // Runs notebookctl to its end with these words as its arguments (split at spaces; no
    // shell is involved).
    static Outcome notebookctl(const std::string& words) {
        std::vector<std::string> argv{NOTEBOOKCTL};
        std::istringstream in(words);
        for (std::string word; in >> word;)
            argv.push_back(word);
        return testing_support::run_program(argv);
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
};

} // namespace events_test
