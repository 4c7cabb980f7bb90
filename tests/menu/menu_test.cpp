// The tray menu as the program loads it from its own resources and trims it at start-up,
// the return values the program may look at, and menus built by hand.
#include "tests/support/machine_fixture.h"

#include "resource.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

// One line per entry, as a user reads the menu: "32772 Wireless LAN ON", "---", "> About...".
std::vector<std::string> entries_of(HMENU menu) {
    std::vector<std::string> out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64];
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        if (state & MF_SEPARATOR)
            out.push_back("---");
        else if (GetSubMenu(menu, i))
            out.push_back(std::string("> ") + text);
        else
            out.push_back(std::to_string(GetMenuItemID(menu, i)) + " " + text);
    }
    return out;
}

std::string text_of(HMENU menu, UINT id) {
    char text[64];
    return GetMenuStringA(menu, id, text, sizeof text, MF_BYCOMMAND) ? text : "";
}

class TrayMenu : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        bar_ = LoadMenuA(nullptr, MAKEINTRESOURCE(IDR_TRAY_MENU));
        ASSERT_NE(bar_, nullptr);
        tray_ = GetSubMenu(bar_, 0);
        ASSERT_NE(tray_, nullptr);
    }
    void TearDown() override {
        DestroyMenu(bar_);
        MachineFixture::TearDown();
    }
    // The removal step of the tray set-up on a machine without both radios.
    void remove_radio_entries() {
        EXPECT_TRUE(RemoveMenu(tray_, 4, MF_BYPOSITION));
        EXPECT_TRUE(RemoveMenu(tray_, 1, MF_BYPOSITION));
        for (UINT id : {ID_TRAY_BT_ON, ID_TRAY_BT_OFF, ID_TRAY_WLAN_ON, ID_TRAY_WLAN_OFF})
            EXPECT_TRUE(RemoveMenu(tray_, id, MF_BYCOMMAND)) << id;
    }

    HMENU bar_ = nullptr;
    HMENU tray_ = nullptr;
};

TEST_F(TrayMenu, LoadsFromTheProgramsOwnResources) {
    EXPECT_EQ(GetMenuItemCount(bar_), 1);
    EXPECT_EQ(entries_of(tray_),
              (std::vector<std::string>{"> About...", "---", "32772 Wireless LAN ON",
                                        "32773 Wireless LAN OFF", "---", "32774 Bluetooth ON",
                                        "32775 Bluetooth OFF", "---", "32776 Show Console",
                                        "32771 Exit"}));
    HMENU about = GetSubMenu(tray_, 0);
    EXPECT_EQ(entries_of(about), (std::vector<std::string>{"32778 Radiodeck V1.03"}));
    // Every entry starts enabled and unchecked; a submenu entry counts its items.
    for (UINT i = 1; i < 10; ++i)
        EXPECT_EQ(GetMenuState(tray_, i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED | MF_CHECKED),
                  0u);
    EXPECT_EQ(GetMenuState(tray_, 0, MF_BYPOSITION), (1u << 8) | MF_POPUP);
    EXPECT_EQ(GetMenuItemID(tray_, 0), static_cast<UINT>(-1));
    // By command, the search reaches into submenus, from the outer menu down two levels.
    EXPECT_EQ(text_of(bar_, ID_TRAY_VERSION), "Radiodeck V1.03");
    EXPECT_EQ(text_of(tray_, ID_TRAY_EXIT), "Exit");
}

TEST_F(TrayMenu, TraySetUpRemovesTheRadioEntries) {
    remove_radio_entries();
    EXPECT_EQ(entries_of(tray_),
              (std::vector<std::string>{"> About...", "---", "32776 Show Console", "32771 Exit"}));
    EXPECT_EQ(entries_of(GetSubMenu(tray_, 0)),
              (std::vector<std::string>{"32778 Radiodeck V1.03"}));

    // Later calls on the removed entries change nothing and say so.
    SetLastError(0);
    EXPECT_FALSE(RemoveMenu(tray_, ID_TRAY_BT_ON, MF_BYCOMMAND));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MENU_ITEM_NOT_FOUND));
    EXPECT_EQ(EnableMenuItem(tray_, ID_TRAY_WLAN_ON, MF_GRAYED | MF_DISABLED), -1);
    EXPECT_EQ(CheckMenuItem(tray_, ID_TRAY_BT_OFF, MF_CHECKED), 0xFFFFFFFFu);
    EXPECT_FALSE(ModifyMenuA(tray_, ID_TRAY_WLAN_OFF, MF_BYCOMMAND | MF_STRING, ID_TRAY_WLAN_OFF,
                             "Wireless LAN OFF"));
    EXPECT_EQ(GetMenuState(tray_, ID_TRAY_WLAN_OFF, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_FALSE(RemoveMenu(tray_, 4, MF_BYPOSITION));
    EXPECT_EQ(GetMenuItemCount(tray_), 4);
}

TEST_F(TrayMenu, EnableAndCheckReportThePreviousState) {
    // The switch goes off: radio entries greyed, then back on.
    EXPECT_EQ(EnableMenuItem(tray_, ID_TRAY_WLAN_ON, MF_GRAYED | MF_DISABLED), MF_ENABLED);
    EXPECT_EQ(GetMenuState(tray_, ID_TRAY_WLAN_ON, MF_BYCOMMAND), MF_GRAYED | MF_DISABLED);
    EXPECT_EQ(EnableMenuItem(tray_, ID_TRAY_WLAN_ON, MF_ENABLED), MF_GRAYED | MF_DISABLED);
    EXPECT_EQ(GetMenuState(tray_, ID_TRAY_WLAN_ON, MF_BYCOMMAND), 0u);
    EXPECT_EQ(EnableMenuItem(tray_, 3, MF_BYPOSITION | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(GetMenuState(tray_, ID_TRAY_WLAN_OFF, MF_BYCOMMAND), MF_GRAYED);

    EXPECT_EQ(CheckMenuItem(tray_, ID_TRAY_BT_ON, MF_CHECKED), MF_UNCHECKED);
    EXPECT_EQ(CheckMenuItem(tray_, ID_TRAY_BT_ON, MF_CHECKED), MF_CHECKED);
    EXPECT_EQ(CheckMenuItem(tray_, ID_TRAY_BT_ON, MF_UNCHECKED), MF_CHECKED);
    EXPECT_EQ(CheckMenuItem(tray_, ID_TRAY_BT_OFF, MF_CHECKED), MF_UNCHECKED);
    // Checking and greying are independent.
    EnableMenuItem(tray_, ID_TRAY_BT_OFF, MF_GRAYED | MF_DISABLED);
    EXPECT_EQ(GetMenuState(tray_, ID_TRAY_BT_OFF, MF_BYCOMMAND),
              MF_CHECKED | MF_GRAYED | MF_DISABLED);
    EXPECT_EQ(GetMenuState(tray_, ID_TRAY_BT_ON, MF_BYCOMMAND), 0u);
}

TEST_F(TrayMenu, ModifyKeepsIdAndPosition) {
    EXPECT_TRUE(ModifyMenuA(tray_, ID_TRAY_TOGGLE_CONSOLE, MF_BYCOMMAND | MF_STRING,
                            ID_TRAY_TOGGLE_CONSOLE, "Hide Console"));
    EXPECT_EQ(GetMenuItemCount(tray_), 10);
    EXPECT_EQ(GetMenuItemID(tray_, 8), static_cast<UINT>(ID_TRAY_TOGGLE_CONSOLE));
    EXPECT_EQ(text_of(tray_, ID_TRAY_TOGGLE_CONSOLE), "Hide Console");
    EXPECT_TRUE(ModifyMenuA(tray_, ID_TRAY_TOGGLE_CONSOLE, MF_BYCOMMAND | MF_STRING,
                            ID_TRAY_TOGGLE_CONSOLE, "Show Console"));
    EXPECT_EQ(entries_of(tray_)[8], "32776 Show Console");
    // A small buffer gets the start of the text; the result counts what was copied.
    char small[5];
    EXPECT_EQ(GetMenuStringA(tray_, ID_TRAY_TOGGLE_CONSOLE, small, sizeof small, MF_BYCOMMAND), 4);
    EXPECT_STREQ(small, "Show");
    EXPECT_EQ(GetMenuStringA(tray_, ID_TRAY_TOGGLE_CONSOLE, nullptr, 0, MF_BYCOMMAND), 12);
}

TEST_F(TrayMenu, DestroyTakesSubmenusAlong) {
    HMENU about = GetSubMenu(tray_, 0);
    EXPECT_TRUE(IsMenu(about));
    EXPECT_TRUE(DestroyMenu(bar_));
    EXPECT_FALSE(IsMenu(bar_));
    EXPECT_FALSE(IsMenu(tray_));
    EXPECT_FALSE(IsMenu(about));
    SetLastError(0);
    EXPECT_EQ(GetMenuItemCount(tray_), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
    EXPECT_FALSE(DestroyMenu(bar_));
    bar_ = nullptr;
}

using BuiltMenus = testing_support::MachineFixture;

TEST_F(BuiltMenus, AppendInsertRemoveAndDelete) {
    HMENU menu = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    ASSERT_TRUE(AppendMenuA(sub, MF_STRING, 21, "Inner"));
    ASSERT_TRUE(AppendMenuA(menu, MF_STRING, 10, "&Open"));
    ASSERT_TRUE(AppendMenuA(menu, MF_SEPARATOR, 0, nullptr));
    ASSERT_TRUE(AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "More"));
    ASSERT_TRUE(InsertMenuA(menu, 0, MF_BYPOSITION | MF_STRING | MF_CHECKED, 9, "First"));
    // By command the new item goes before the one with that id, in the submenu holding it.
    ASSERT_TRUE(InsertMenuA(menu, 21, MF_BYCOMMAND | MF_STRING, 20, "Before inner"));
    EXPECT_EQ(entries_of(menu), (std::vector<std::string>{"9 First", "10 &Open", "---", "> More"}));
    EXPECT_EQ(entries_of(sub), (std::vector<std::string>{"20 Before inner", "21 Inner"}));
    EXPECT_EQ(GetMenuState(menu, 9, MF_BYCOMMAND), MF_CHECKED);

    // A menu cannot become its own submenu, nor one of its submenus' submenus.
    EXPECT_FALSE(AppendMenuA(sub, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), "Loop"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(AppendMenuA(menu, MF_POPUP, 0xB0FFFFFF, "Gone"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));

    // RemoveMenu leaves the submenu alive for its caller; DeleteMenu destroys it.
    EXPECT_TRUE(RemoveMenu(menu, 3, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(sub));
    ASSERT_TRUE(AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "More"));
    EXPECT_TRUE(DeleteMenu(menu, 3, MF_BYPOSITION));
    EXPECT_FALSE(IsMenu(sub));
    EXPECT_TRUE(DeleteMenu(menu, 9, MF_BYCOMMAND));
    EXPECT_EQ(entries_of(menu), (std::vector<std::string>{"10 &Open", "---"}));
    EXPECT_TRUE(DestroyMenu(menu));
}

TEST_F(BuiltMenus, HandlesAreTheirOwnKind) {
    HMENU menu = CreateMenu();
    HWND window = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(menu)));
    EXPECT_FALSE(IsMenu(reinterpret_cast<HMENU>(window)));
    EXPECT_FALSE(IsMenu(nullptr));
    DestroyWindow(window);
    DestroyMenu(menu);
    EXPECT_FALSE(IsMenu(menu));
}

} // namespace
