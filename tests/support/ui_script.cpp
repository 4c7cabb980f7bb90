#include "ui_script.h"

#include "platform/kernel/clock.h"
#include "platform/kernel/wait.h"
#include "platform/user/message_queue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace testing_support {

namespace {

std::string describe(const platform::OpenMenuInfo& menu) {
    std::ostringstream out;
    for (const platform::MenuEntryInfo& e : menu.entries)
        out << (e.separator ? std::string("-") : '"' + e.text + '"') << ' ';
    return out.str();
}

// Closes a box the script has no answer for, with whichever button it has.
void dismiss(const platform::MessageBoxInfo& box) {
    for (int id : {IDCANCEL, IDOK, IDNO, IDABORT, IDIGNORE})
        if (platform::press_message_box(box.box, id))
            return;
}

} // namespace

bool fail_unanswered_ui() {
    // A test whose answers keep failing cannot end either: give up on it after many.
    static const void* test = nullptr;
    static int failures = 0;
    const void* current = ::testing::UnitTest::GetInstance()->current_test_info();
    if (current != test) {
        test = current;
        failures = 0;
    }
    if (++failures > 1000) {
        std::fprintf(stderr, "the test's user interface keeps failing; giving up on the test\n");
        std::abort();
    }
    // An open menu is the innermost modal loop: nothing else is dispatched until it closes.
    if (auto menu = platform::open_popup_menu()) {
        ADD_FAILURE() << "a popup menu opened that the test has no answer for: " << describe(*menu);
        platform::close_popup_menu();
        return true;
    }
    auto boxes = platform::open_message_boxes();
    if (!boxes.empty()) {
        const platform::MessageBoxInfo& box = boxes.back();
        ADD_FAILURE() << "a message box opened that the test has no answer for: caption \""
                      << box.caption << "\", text \"" << box.text << '"';
        dismiss(box);
        return true;
    }
    // On virtual time a wait with no timer and nothing scheduled can only end by another
    // process's message, which an in-process test never sends: it would wait forever.
    platform::Clock& clock = platform::clock();
    if (clock.is_virtual() && !clock.next_scheduled() && !platform::next_timer_due()) {
        ADD_FAILURE() << "the message loop waits with no timer and nothing left in the test's "
                         "script: a step, an answer or the end of the run is missing";
        PostQuitMessage(1); // ends every modal loop, so the test ends
        return true;
    }
    --failures;
    return false;
}

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
    // A menu opened while a box is open is the one the user faces.
    if (answer_menu_now())
        return true;
    auto open = platform::open_message_boxes();
    if (!open.empty() && !answers_.empty() && !platform::open_popup_menu()) {
        const platform::MessageBoxInfo& box = open.back();
        seen_.push_back(box);
        int id = answers_.front();
        answers_.pop_front();
        return platform::press_message_box(box.box, id);
    }
    return fail_unanswered_ui();
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
