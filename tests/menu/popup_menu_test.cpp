// TrackPopupMenu with the tray menu: the popup the user sees, how it closes, what reaches
// the owner window, and what keeps running while it is open.
#include "tests/support/machine_fixture.h"
#include "tests/support/ui_script.h"

#include "platform/user/input.h"
#include "platform/user/menu.h"
#include "resource.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using testing_support::UiScript;

// What the owner window received.
struct OwnerLog {
    std::vector<WPARAM> commands;
    int app_messages = 0;
    std::vector<HMENU> popups_initialised;
    bool in_menu_loop = false;
};

OwnerLog* g_log = nullptr;

LRESULT CALLBACK owner_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        g_log->commands.push_back(wp);
        return 0;
    case WM_APP:
        ++g_log->app_messages;
        return 0;
    case WM_INITMENUPOPUP:
        g_log->popups_initialised.push_back(reinterpret_cast<HMENU>(wp));
        return 0;
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
        g_log->in_menu_loop = msg == WM_ENTERMENULOOP;
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

class PopupMenu : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        g_log = &log_;
        WNDCLASSA wc{};
        wc.lpfnWndProc = owner_proc;
        wc.lpszClassName = "MenuOwner";
        RegisterClassA(&wc);
        owner_ = CreateWindowExA(0, "MenuOwner", "owner", WS_POPUP | WS_VISIBLE, 100, 100, 200, 100,
                                 nullptr, nullptr, nullptr, nullptr);
        bar_ = LoadMenuA(nullptr, MAKEINTRESOURCE(IDR_TRAY_MENU));
        tray_ = GetSubMenu(bar_, 0);
        ASSERT_NE(tray_, nullptr);
    }
    void TearDown() override {
        DestroyMenu(bar_);
        DestroyWindow(owner_);
        UnregisterClassA("MenuOwner", nullptr);
        g_log = nullptr;
        MachineFixture::TearDown();
    }
    BOOL track(UINT flags = TPM_RIGHTBUTTON) {
        return TrackPopupMenu(tray_, flags, 300, 200, 0, owner_, nullptr);
    }
    // Dispatches what is queued, as the owner's own loop would after the menu returned.
    void pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }

    OwnerLog log_;
    HWND owner_ = nullptr;
    HMENU bar_ = nullptr;
    HMENU tray_ = nullptr;
};

TEST_F(PopupMenu, ChosenEntryReachesTheOwnerAfterTheMenuCloses) {
    UiScript ui;
    HWND popup = nullptr;
    bool visible = false, topmost = false, entered = false;
    RECT rect{};
    ui.then([&] {
        popup = FindWindowA("#32768", nullptr);
        visible = IsWindowVisible(popup);
        topmost = GetWindowLongA(popup, GWL_EXSTYLE) & WS_EX_TOPMOST;
        GetWindowRect(popup, &rect);
        entered = log_.in_menu_loop;
    });
    ui.choose(ID_TRAY_EXIT);
    EXPECT_TRUE(track());

    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(visible);
    EXPECT_TRUE(topmost);
    EXPECT_TRUE(entered);
    EXPECT_EQ(rect.left, 300);
    EXPECT_EQ(rect.top, 200);
    ASSERT_EQ(ui.menus_seen().size(), 1u);
    const platform::OpenMenuInfo& seen = ui.menus_seen()[0];
    EXPECT_EQ(seen.menu, tray_);
    EXPECT_EQ(seen.owner, owner_);
    ASSERT_EQ(seen.entries.size(), 10u);
    EXPECT_EQ(seen.entries[0].text, "About...");
    EXPECT_EQ(seen.entries[0].submenu, GetSubMenu(tray_, 0));
    EXPECT_TRUE(seen.entries[1].separator);
    EXPECT_EQ(seen.entries[9].id, static_cast<UINT>(ID_TRAY_EXIT));
    EXPECT_EQ(seen.entries[9].text, "Exit");
    // The window is sized from its entries: all of them lie inside it, one below the other.
    for (size_t i = 0; i < seen.entries.size(); ++i) {
        RECT inside;
        EXPECT_TRUE(IntersectRect(&inside, &seen.entries[i].rect, &rect));
        EXPECT_TRUE(EqualRect(&inside, &seen.entries[i].rect));
        if (i > 0) {
            EXPECT_EQ(seen.entries[i].rect.top, seen.entries[i - 1].rect.bottom);
        }
    }

    // Gone when TrackPopupMenu returns; the command is posted, not yet delivered.
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_FALSE(platform::open_popup_menu());
    EXPECT_FALSE(log_.in_menu_loop);
    EXPECT_TRUE(log_.commands.empty());
    pump();
    EXPECT_EQ(log_.commands, (std::vector<WPARAM>{MAKEWPARAM(ID_TRAY_EXIT, 0)}));
    EXPECT_EQ(log_.popups_initialised, (std::vector<HMENU>{tray_}));
}

TEST_F(PopupMenu, ClosingWithoutAChoiceSendsNothing) {
    std::vector<std::pair<std::string, std::function<void(UiScript&)>>> ways = {
        {"escape", [](UiScript& ui) { ui.dismiss_menu(); }},
        {"click outside",
         [](UiScript& ui) {
             ui.answer_menu([](const platform::OpenMenuInfo& m) {
                 platform::click_at(POINT{m.levels[0].rect.left - 20, m.levels[0].rect.top + 5});
                 return true;
             });
         }},
        {"cancel mode",
         [](UiScript& ui) {
             ui.then([] { PostMessageA(FindWindowA("#32768", nullptr), WM_CANCELMODE, 0, 0); });
         }},
        {"EndMenu", [](UiScript& ui) { ui.then([] { EndMenu(); }); }},
    };
    for (auto& [name, close] : ways) {
        UiScript ui;
        close(ui);
        EXPECT_TRUE(track()) << name;
        EXPECT_FALSE(platform::open_popup_menu()) << name;
        EXPECT_EQ(FindWindowA("#32768", nullptr), nullptr) << name;
        pump();
        EXPECT_TRUE(log_.commands.empty()) << name;
    }
    // With TPM_RETURNCMD a menu closed without a choice returns 0.
    UiScript ui;
    ui.dismiss_menu();
    EXPECT_EQ(track(TPM_RIGHTBUTTON | TPM_RETURNCMD), 0);
}

TEST_F(PopupMenu, GreyedEntriesAndSeparatorsCannotBeChosen) {
    EnableMenuItem(tray_, ID_TRAY_WLAN_ON, MF_GRAYED | MF_DISABLED);
    UiScript ui;
    ui.choose(ID_TRAY_WLAN_ON);
    ui.answer_menu([](const platform::OpenMenuInfo&) { return platform::click_menu_entry(0, 4); });
    ui.choose(ID_TRAY_WLAN_OFF);
    EXPECT_TRUE(track());
    // Still open after the greyed entry and after the separator, as the user saw it.
    ASSERT_EQ(ui.menus_seen().size(), 3u);
    EXPECT_FALSE(ui.menus_seen()[1].entries[2].enabled);
    EXPECT_TRUE(ui.menus_seen()[1].entries[2].grayed);
    pump();
    EXPECT_EQ(log_.commands, (std::vector<WPARAM>{ID_TRAY_WLAN_OFF}));
}

TEST_F(PopupMenu, PostedMessagesRunWhileTheMenuIsOpen) {
    UiScript ui;
    int delivered_inside = -1;
    ui.then([&] { PostMessageA(owner_, WM_APP, 0, 0); });
    ui.then([&] { delivered_inside = log_.app_messages; });
    ui.choose(ID_TRAY_TOGGLE_CONSOLE);
    EXPECT_TRUE(track());
    EXPECT_EQ(delivered_inside, 1);
    pump();
    EXPECT_EQ(log_.commands, (std::vector<WPARAM>{ID_TRAY_TOGGLE_CONSOLE}));
}

TEST_F(PopupMenu, ReturnCommandGivesTheIdInsteadOfPostingIt) {
    UiScript ui;
    ui.choose(ID_TRAY_BT_ON);
    EXPECT_EQ(track(TPM_RIGHTBUTTON | TPM_RETURNCMD), ID_TRAY_BT_ON);
    pump();
    EXPECT_TRUE(log_.commands.empty());
}

TEST_F(PopupMenu, SubmenuOpensAndItsEntryCanBeChosen) {
    HMENU about = GetSubMenu(tray_, 0);
    UiScript ui;
    ui.answer_menu([](const platform::OpenMenuInfo&) { return platform::click_menu_entry(0, 0); });
    ui.choose(ID_TRAY_VERSION);
    EXPECT_TRUE(track());
    ASSERT_EQ(ui.menus_seen().size(), 2u);
    const platform::OpenMenuInfo& open = ui.menus_seen()[1];
    ASSERT_EQ(open.levels.size(), 2u);
    EXPECT_EQ(open.levels[1].menu, about);
    ASSERT_EQ(open.levels[1].entries.size(), 1u);
    EXPECT_EQ(open.levels[1].entries[0].text, "Radiodeck V1.03");
    // Beside its entry, to the right of the menu.
    EXPECT_GE(open.levels[1].rect.left, open.levels[0].rect.right - 5);
    EXPECT_EQ(log_.popups_initialised, (std::vector<HMENU>{tray_, about}));
    pump();
    EXPECT_EQ(log_.commands, (std::vector<WPARAM>{ID_TRAY_VERSION}));
}

TEST_F(PopupMenu, KeyboardMovesAndChooses) {
    UiScript ui;
    // Down twice skips the separator after "About...".
    ui.answer_menu([](const platform::OpenMenuInfo&) {
        platform::press_key(VK_DOWN);
        platform::press_key(VK_DOWN);
        return true;
    });
    ui.answer_menu([](const platform::OpenMenuInfo&) {
        platform::press_key(VK_RETURN);
        return true;
    });
    EXPECT_TRUE(track());
    ASSERT_EQ(ui.menus_seen().size(), 2u);
    EXPECT_TRUE(ui.menus_seen()[1].entries[2].highlighted);
    pump();
    EXPECT_EQ(log_.commands, (std::vector<WPARAM>{ID_TRAY_WLAN_ON}));
}

TEST_F(PopupMenu, StaysOnScreenAndOnlyOneIsOpen) {
    int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
    POINT corner{screen_w - 4, screen_h - 4}; // where the tray is
    UiScript ui;
    RECT rect{};
    BOOL second = TRUE;
    DWORD second_error = 0;
    ui.then([&] {
        GetWindowRect(FindWindowA("#32768", nullptr), &rect);
        second = TrackPopupMenu(tray_, 0, 10, 10, 0, owner_, nullptr);
        second_error = GetLastError();
    });
    ui.dismiss_menu();
    EXPECT_TRUE(TrackPopupMenu(tray_, TPM_RIGHTBUTTON, corner.x, corner.y, 0, owner_, nullptr));
    // Opened up and to the left of the point, inside the screen.
    EXPECT_EQ(rect.right, corner.x);
    EXPECT_EQ(rect.bottom, corner.y);
    EXPECT_GE(rect.left, 0);
    EXPECT_GE(rect.top, 0);
    EXPECT_FALSE(second);
    EXPECT_EQ(second_error, static_cast<DWORD>(ERROR_POPUP_ALREADY_ACTIVE));

    SetLastError(0);
    EXPECT_FALSE(TrackPopupMenu(tray_, 0, 0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(TrackPopupMenu(reinterpret_cast<HMENU>(owner_), 0, 0, 0, 0, owner_, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
}

} // namespace
