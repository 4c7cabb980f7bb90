// Dialogs from templates, the dialog keyboard interface, modal loops and message boxes.
#include "platform/user/input.h"
#include "tests/support/dialog_builder.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/ui_script.h"

#include <windows.h>

#include <vector>

namespace {

using testing_support::DialogBuilder;
using testing_support::UiScript;

struct DialogRun {
    int init_calls = 0;
    HWND focus_offered = nullptr;
    std::vector<WPARAM> commands;
    bool end_on_command = true;
    std::vector<UINT> posted_seen;
};

DialogRun* g_run = nullptr;

INT_PTR CALLBACK test_dialog_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        ++g_run->init_calls;
        g_run->focus_offered = reinterpret_cast<HWND>(wp);
        return TRUE;
    case WM_COMMAND:
        g_run->commands.push_back(wp);
        if (g_run->end_on_command)
            EndDialog(dlg, LOWORD(wp));
        return TRUE;
    case WM_USER + 7:
        g_run->posted_seen.push_back(msg);
        return TRUE;
    default:
        return FALSE;
    }
}

DialogBuilder console_like() {
    DialogBuilder b(WS_POPUP | WS_VISIBLE, WS_EX_APPWINDOW, 0, 0, 152, 78, "", "Arial Bold", 10);
    b.control(10001, "Button", "", 0x50010002, 0, 0, 0, 0)
        .control(1004, "Button", "Wireless Lan", 0x50010002, 29, 21, 71, 10)
        .control(1, "Button", "", 0x5001000B, 50, 64, 24, 6)
        .control(2, "Button", "", 0x5001000B, 83, 64, 24, 6);
    return b;
}

class Dialogs : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        g_run = &run_;
    }
    DialogRun run_;
};

TEST_F(Dialogs, TemplateBuildsTheControlsInOrderAndShowsAfterInit) {
    DialogBuilder b = console_like();
    HWND dlg = CreateDialogIndirectParamA(nullptr, b.get(), nullptr, test_dialog_proc, 0);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(run_.init_calls, 1);
    char cls[16];
    GetClassNameA(dlg, cls, sizeof cls);
    EXPECT_STREQ(cls, "#32770");
    EXPECT_TRUE(IsWindowVisible(dlg)); // the template has WS_VISIBLE
    HWND first = GetWindow(dlg, GW_CHILD);
    EXPECT_EQ(GetDlgCtrlID(first), 10001);
    EXPECT_EQ(GetDlgCtrlID(GetWindow(first, GW_HWNDNEXT)), 1004);
    EXPECT_EQ(run_.focus_offered, first); // the first tab stop, even with no size
    EXPECT_EQ(GetFocus(), first);
    EXPECT_EQ(GetWindowLongA(GetDlgItem(dlg, 1), GWL_STYLE) & 0xF, BS_OWNERDRAW);
    char text[32];
    GetWindowTextA(GetDlgItem(dlg, 1004), text, sizeof text);
    EXPECT_STREQ(text, "Wireless Lan");
    RECT r;
    GetClientRect(dlg, &r);
    RECT dlu{0, 0, 152, 78};
    MapDialogRect(dlg, &dlu);
    EXPECT_EQ(r.right, dlu.right);
    EXPECT_EQ(r.bottom, dlu.bottom);
    DestroyWindow(dlg);
}

TEST_F(Dialogs, EscEnterAndCloseBecomeCommands) {
    DialogBuilder b = console_like();
    HWND dlg = CreateDialogIndirectParamA(nullptr, b.get(), nullptr, test_dialog_proc, 0);
    run_.end_on_command = false;
    MSG m;
    auto pump = [&] {
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessageA(dlg, &m))
                DispatchMessageA(&m);
    };
    platform::press_key(VK_ESCAPE);
    pump();
    platform::press_key(VK_RETURN);
    pump();
    SendMessageA(dlg, WM_CLOSE, 0, 0);
    pump();
    EXPECT_EQ(run_.commands,
              (std::vector<WPARAM>{IDCANCEL, MAKEWPARAM(IDOK, BN_CLICKED), IDCANCEL}));
    // The default dialog procedure answers DM_GETDEFID with IDOK.
    EXPECT_EQ(SendMessageA(dlg, DM_GETDEFID, 0, 0), MAKELONG(IDOK, DC_HASDEFID));
    DestroyWindow(dlg);
}

TEST_F(Dialogs, ModalDialogEndsWithItsResultAndFreesTheOwner) {
    HWND owner = CreateWindowExA(0, "#32770", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    DialogBuilder b = console_like();
    UiScript ui;
    bool owner_disabled_inside = false;
    ui.then([&] {
        owner_disabled_inside = !IsWindowEnabled(owner);
        HWND dlg = FindWindowA("#32770", "");
        PostMessageA(dlg, WM_USER + 7, 0, 0);
        platform::click_window(GetDlgItem(dlg, 2));
    });
    INT_PTR result = DialogBoxIndirectParamA(nullptr, b.get(), owner, test_dialog_proc, 0);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(owner_disabled_inside);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(run_.posted_seen.size(), 1u); // posted messages run inside the modal loop
    EXPECT_EQ(FindWindowA("#32770", ""), nullptr);
    DestroyWindow(owner);
}

TEST_F(Dialogs, MessageBoxIsAModalWindowAnsweredByTheUser) {
    HWND owner = CreateWindowExA(0, "#32770", "Radiodeck", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                 nullptr, nullptr, nullptr, nullptr);
    UiScript ui;
    std::vector<platform::MessageBoxInfo> open_inside;
    bool owner_enabled_inside = true;
    ui.then([&] {
        open_inside = platform::open_message_boxes();
        owner_enabled_inside = IsWindowEnabled(owner);
    });
    ui.answer(IDOK);
    EXPECT_EQ(MessageBoxA(owner, "You have to install ZEB0100 driver", "ZEB0100 request", 48),
              IDOK);
    ASSERT_EQ(open_inside.size(), 1u);
    EXPECT_EQ(open_inside[0].caption, "ZEB0100 request");
    EXPECT_EQ(open_inside[0].text, "You have to install ZEB0100 driver");
    EXPECT_EQ(open_inside[0].type, 48u);
    EXPECT_EQ(open_inside[0].owner, owner);
    EXPECT_FALSE(owner_enabled_inside);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_TRUE(platform::open_message_boxes().empty());

    // A box of its own class and caption is found like any top-level dialog window.
    HWND found = nullptr;
    ui.then([&] { found = FindWindowExA(nullptr, nullptr, "#32770", "ERROR"); });
    ui.answer(IDCANCEL); // an OK-only box has no Cancel button: this press is refused
    ui.then([&] { platform::press_key(VK_ESCAPE); });
    EXPECT_EQ(
        MessageBoxA(nullptr, "Can't Open ACPI ZEB0100 kernel Mode Driver", "ERROR", MB_ICONWARNING),
        IDOK); // Escape on an OK-only box answers OK
    EXPECT_NE(found, nullptr);
    DestroyWindow(owner);
}

TEST_F(Dialogs, BoxesOpenedInsideABoxNestAndCloseInOrder) {
    UiScript ui;
    int inner = 0;
    HWND host = CreateWindowExA(0, "#32770", "host", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                nullptr, nullptr, nullptr);
    // A handler that runs while the outer box is open shows a box of its own.
    ui.then([&] { inner = MessageBoxA(host, "inner", "Radiodeck", MB_YESNO); });
    ui.answer(IDNO); // answers the inner box
    ui.answer(IDOK); // then the outer one
    EXPECT_EQ(MessageBoxA(host, "outer", "Radiodeck", MB_OK), IDOK);
    EXPECT_EQ(inner, IDNO);
    ASSERT_EQ(ui.boxes_seen().size(), 2u);
    EXPECT_EQ(ui.boxes_seen()[0].text, "inner");
    EXPECT_EQ(ui.boxes_seen()[1].text, "outer");
    DestroyWindow(host);
}

} // namespace
