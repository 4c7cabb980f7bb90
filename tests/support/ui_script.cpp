#include "ui_script.h"

#include "platform/kernel/wait.h"

namespace testing_support {

UiScript::UiScript() {
    previous_ = platform::set_idle_hook([this] { return on_idle(); });
}

UiScript::~UiScript() {
    platform::set_idle_hook(previous_);
}

void UiScript::answer(int button_id) {
    answers_.push_back(button_id);
}

void UiScript::then(std::function<void()> step) {
    steps_.push_back(std::move(step));
}

bool UiScript::on_idle() {
    if (!steps_.empty()) {
        auto step = std::move(steps_.front());
        steps_.pop_front();
        step();
        return true;
    }
    auto open = platform::open_message_boxes();
    if (open.empty() || answers_.empty())
        return false;
    const platform::MessageBoxInfo& box = open.back();
    seen_.push_back(box);
    int id = answers_.front();
    answers_.pop_front();
    return platform::press_message_box(box.box, id);
}

} // namespace testing_support
