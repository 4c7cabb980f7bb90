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

void UiScript::choose(UINT id) {
    answer_menu([id](const platform::OpenMenuInfo&) { return platform::choose_menu_item(id); });
}

void UiScript::dismiss_menu() {
    answer_menu([](const platform::OpenMenuInfo&) { return platform::close_popup_menu(); });
}

void UiScript::answer_menu(std::function<bool(const platform::OpenMenuInfo&)> act) {
    menu_answers_.push_back(std::move(act));
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
        return answer_menu_now();
    const platform::MessageBoxInfo& box = open.back();
    seen_.push_back(box);
    int id = answers_.front();
    answers_.pop_front();
    return platform::press_message_box(box.box, id);
}

bool UiScript::answer_menu_now() {
    auto menu = platform::open_popup_menu();
    if (!menu || menu_answers_.empty())
        return false;
    menus_seen_.push_back(*menu);
    auto act = std::move(menu_answers_.front());
    menu_answers_.pop_front();
    return act(*menu);
}

} // namespace testing_support
