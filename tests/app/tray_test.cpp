// The tray icon and its menu as the user sees them, for each profile and state.
#include "console_run.h"

#include "platform/shell/tray.h"

#include <string>
#include <vector>

namespace {

struct Entry {
    std::string text;
    bool enabled;
    bool checked;
    bool operator==(const Entry&) const = default;
};

class Tray : public testing_support::ConsoleRun {
protected:
    // The console's icon in the tray, as the shell holds it.
    static std::optional<platform::TrayIcon> icon() {
        auto icons = platform::tray_icons();
        if (icons.empty())
            return std::nullopt;
        return icons.front();
    }
    // Opens the tray menu as a right click does, and reads it as it showed.
    std::vector<Entry> menu(CConsoleDlg& dlg) {
        ui.dismiss_menu();
        size_t before = ui.menus_seen().size();
        dlg.SendMessage(WM_TRAY_NOTIFY, IDI_APP, WM_RBUTTONUP);
        std::vector<Entry> out;
        if (ui.menus_seen().size() == before)
            return out;
        for (const platform::MenuEntryInfo& e : ui.menus_seen().back().entries)
            out.push_back({e.separator ? "-" : e.text, e.enabled, e.checked});
        return out;
    }
};

const Entry kAbout{"About...", true, false};
const Entry kSeparator{"-", true, false};
const Entry kExit{"Exit", true, false};

TEST_F(Tray, SwitchOffGreysTheRadioEntriesAndShowsTheOffPicture) {
    notebook({true, true, true}, [](machine::Firmware& fw) { fw.state.switch_on = false; });
    run({[&](CConsoleDlg& dlg) {
        ASSERT_TRUE(icon());
        EXPECT_EQ(icon()->picture, 149u);
        EXPECT_EQ(icon()->tip, "Wireless Switch - OFF \n   Wireless LAN \n   Bluetooth");
        EXPECT_EQ(menu(dlg), (std::vector<Entry>{kAbout,
                                                 kSeparator,
                                                 {"Wireless LAN ON", false, true},
                                                 {"Wireless LAN OFF", false, false},
                                                 kSeparator,
                                                 {"Bluetooth ON", false, true},
                                                 {"Bluetooth OFF", false, false},
                                                 kSeparator,
                                                 {"Show Console", true, false},
                                                 kExit}));
        EXPECT_EQ(dlg.m_nToggleState, 0);
    }});
}

TEST_F(Tray, BluetoothOnlySelectedWithTheSoftwareSwitchOn) {
    notebook({true, true, false}, [](machine::Firmware& fw) { fw.state.wlan_on = false; });
    run({[&](CConsoleDlg& dlg) {
        EXPECT_EQ(icon()->picture, 150u);
        EXPECT_EQ(icon()->tip, "Wireless Switch - ON \n   Bluetooth");
        std::vector<Entry> entries = menu(dlg);
        ASSERT_EQ(entries.size(), 10u);
        EXPECT_EQ(entries[2], (Entry{"Wireless LAN ON", true, false}));
        EXPECT_EQ(entries[3], (Entry{"Wireless LAN OFF", true, true}));
        EXPECT_EQ(entries[5], (Entry{"Bluetooth ON", true, true}));
        EXPECT_EQ(entries[6], (Entry{"Bluetooth OFF", true, false}));
    }});
}

TEST_F(Tray, NothingSelectedReadsAsOffWhateverTheSwitch) {
    notebook({true, true, true});
    store("Linkward_WLAN_CONTROL", 0);
    store("Linkward_Bluetooth_CONTROL", 0);
    run({[&](CConsoleDlg& dlg) {
        EXPECT_EQ(icon()->picture, 149u);
        EXPECT_EQ(icon()->tip, "Wireless Switch - OFF \n   Wireless LAN \n   Bluetooth");
        std::vector<Entry> entries = menu(dlg);
        ASSERT_EQ(entries.size(), 10u);
        EXPECT_EQ(entries[2], (Entry{"Wireless LAN ON", true, true}));
        EXPECT_EQ(entries[5], (Entry{"Bluetooth ON", true, true}));
    }});
}

TEST_F(Tray, OneRadioOrNoneLeavesNoRadioCommands) {
    const std::vector<Entry> trimmed{kAbout, kSeparator, {"Show Console", true, false}, kExit};
    notebook({true, false, false});
    run({[&](CConsoleDlg& dlg) {
        EXPECT_EQ(icon()->picture, 153u);
        EXPECT_EQ(icon()->tip, "Wireless Switch - ON \n   Wireless LAN "); // the space belongs
        EXPECT_EQ(menu(dlg), trimmed);
    }});
    TearDown();
    SetUp();
    notebook({false, false, false});
    run({[&](CConsoleDlg& dlg) {
        EXPECT_EQ(icon()->picture, 149u);
        EXPECT_EQ(icon()->tip, "Wireless Switch");
        EXPECT_EQ(menu(dlg), trimmed);
    }});
}

TEST_F(Tray, DoubleClickAndTheMenuEntryShowAndHideTheConsole) {
    notebook({true, true, false});
    auto toggle_text = [&](CConsoleDlg& dlg) { return menu(dlg).at(8).text; };
    run({[&](CConsoleDlg& dlg) {
             EXPECT_EQ(toggle_text(dlg), "Show Console");
             dlg.SendMessage(WM_TRAY_NOTIFY, IDI_APP, WM_LBUTTONDBLCLK);
             EXPECT_TRUE(IsWindowVisible(dlg.m_hWnd));
             EXPECT_EQ(GetForegroundWindow(), dlg.m_hWnd);
             EXPECT_FALSE(GetWindowLongA(dlg.m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
             EXPECT_EQ(toggle_text(dlg), "Hide Console");
         },
         [&](CConsoleDlg& dlg) {
             ui.choose(ID_TRAY_TOGGLE_CONSOLE);
             dlg.SendMessage(WM_TRAY_NOTIFY, IDI_APP, WM_RBUTTONUP);
         },
         [&](CConsoleDlg& dlg) {
             EXPECT_FALSE(IsWindowVisible(dlg.m_hWnd)); // the chosen entry arrived
             EXPECT_EQ(toggle_text(dlg), "Show Console");
         }});
}

TEST_F(Tray, OnlyTheRightButtonReleasedOpensTheMenu) {
    notebook({true, true, false});
    run({[&](CConsoleDlg& dlg) {
        size_t menus = ui.menus_seen().size();
        for (LPARAM mouse : {WM_RBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE})
            dlg.SendMessage(WM_TRAY_NOTIFY, IDI_APP, mouse);
        EXPECT_EQ(ui.menus_seen().size(), menus);
        EXPECT_FALSE(IsWindowVisible(dlg.m_hWnd));
        SetCursorPos(1000, 740);
        EXPECT_FALSE(menu(dlg).empty());
        EXPECT_EQ(ui.menus_seen().back().position.x, 1000);
        EXPECT_EQ(ui.menus_seen().back().position.y, 740);
    }});
}

TEST_F(Tray, ExitRemovesTheIcon) {
    notebook({true, true, false});
    run({[&](CConsoleDlg&) { EXPECT_TRUE(icon()); }});
    EXPECT_FALSE(icon());
}

} // namespace
