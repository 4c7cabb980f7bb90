// Scripted answers for modal user interface in tests. When the GUI thread would block,
// the script answers the newest open message box, else the open popup menu; each box and
// menu seen is kept as the user saw it. What the script has no answer for fails the test at
// once and is closed, so that no test waits forever.
#pragma once

#include "platform/user/menu.h"
#include "platform/user/msgbox.h"

#include <deque>
#include <functional>
#include <vector>

namespace testing_support {

// What a test does when its thread would block with nothing scripted: fails the test naming
// the open message box (caption and text) or popup menu and closes it, or, on virtual time
// with no timer and nothing scheduled, fails it and ends the modal loops with WM_QUIT.
// Returns whether it acted. Every test program's idle hook until a UiScript takes over.
bool fail_unanswered_ui();

class UiScript {
public:
    UiScript();
    ~UiScript();
    UiScript(const UiScript&) = delete;
    UiScript& operator=(const UiScript&) = delete;

    // The next box that opens is answered with this button.
    void answer(int button_id);
    // Something to do the next time the thread is idle (post a message, move the clock...).
    // Runs before the box is answered, while it is still open.
    void then(std::function<void()> step);

    // The next popup menu answer: a click on the shown entry with this command id.
    void choose(UINT id);
    // The next popup menu answer: Escape until it closes.
    void dismiss_menu();
    // The next popup menu answer, done by hand (a click somewhere, a key...); `act` returns
    // whether it did something.
    void answer_menu(std::function<bool(const platform::OpenMenuInfo&)> act);

    // Every message box that opened, in order, as it looked when it was answered.
    const std::vector<platform::MessageBoxInfo>& boxes_seen() const { return seen_; }
    // The popup menu as it looked at each answer.
    const std::vector<platform::OpenMenuInfo>& menus_seen() const { return menus_seen_; }

private:
    bool on_idle();
    bool answer_menu_now();

    std::deque<int> answers_;
    std::deque<std::function<void()>> steps_;
    std::vector<platform::MessageBoxInfo> seen_;
    std::deque<std::function<bool(const platform::OpenMenuInfo&)>> menu_answers_;
    std::vector<platform::OpenMenuInfo> menus_seen_;
    std::function<bool()> previous_;
};

} // namespace testing_support
