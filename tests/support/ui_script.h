// Scripted answers for modal user interface in tests. When the GUI thread would block,
// the script answers the newest open message box; each box seen is kept as the user saw it.
#pragma once

#include "platform/user/msgbox.h"

#include <deque>
#include <functional>
#include <vector>

namespace testing_support {

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

    // Every message box that opened, in order, as it looked when it was answered.
    const std::vector<platform::MessageBoxInfo>& boxes_seen() const { return seen_; }

private:
    bool on_idle();

    std::deque<int> answers_;
    std::deque<std::function<void()>> steps_;
    std::vector<platform::MessageBoxInfo> seen_;
    std::function<bool()> previous_;
};

} // namespace testing_support
