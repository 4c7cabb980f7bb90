// The tray icon and its menu as the user sees them, for each profile and state.
#include "tests/support/program_fixture.h"

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

class Tray : public testing_support::ProgramFixture {
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

const char kBothOn[] = "Wireless Switch - ON \n   Wireless LAN \n   Bluetooth";
const char kBothOff[] = "Wireless Switch - OFF \n   Wireless LAN \n   Bluetooth";
const char kBtOn[] = "Wireless Switch - ON \n   Bluetooth";
const char kBtOff[] = "Wireless Switch - OFF \n   Bluetooth";
const char kWlanOn[] = "Wireless Switch - ON \n   Wireless LAN ";
const char kWlanOff[] = "Wireless Switch - OFF \n   Wireless LAN ";

void switch_off(machine::Firmware& fw) {
    fw.state.switch_on = false;
}

// Every picture and tooltip of the tray, on notebooks with both radios, one or none behind a
// hardware switch, and the check marks that go with each picture.
TEST_F(Tray, EveryPictureTooltipAndCheckMarkOfEveryProfile) {
    struct Case {
        machine::FirmwareProfile profile;
        bool switch_on;
        DWORD wlan, bt;
        UINT picture;
        const char* tip;
        std::vector<bool> checks; // Wireless LAN ON/OFF, Bluetooth ON/OFF; none: no entries
    };
    const machine::FirmwareProfile both{true, true, true}, wlan{true, false, true},
        bt{false, true, true}, none{false, false, true};
    const std::vector<Case> cases{
        {both, true, 1, 1, 148, kBothOn, {true, false, true, false}},
        {both, true, 0, 1, 150, kBtOn, {false, true, true, false}},
        {both, true, 1, 0, 153, kWlanOn, {true, false, false, true}},
        {both, false, 1, 1, 149, kBothOff, {true, false, true, false}},
        {both, false, 0, 1, 152, kBtOff, {false, true, true, false}},
        {both, false, 1, 0, 154, kWlanOff, {true, false, false, true}},
        {both, true, 0, 0, 149, kBothOff, {true, false, true, false}},
        {wlan, true, 1, 0, 153, kWlanOn, {}},
        {wlan, false, 1, 0, 154, kWlanOff, {}},
        {wlan, true, 0, 0, 154, kWlanOff, {}},
        {bt, true, 0, 1, 150, kBtOn, {}},
        {bt, false, 0, 1, 152, kBtOff, {}},
        {bt, true, 0, 0, 152, kBtOff, {}},
        {none, true, 0, 0, 149, "Wireless Switch", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.profile.wlan << c.profile.bluetooth << " switch "
                                        << c.switch_on << " wlan " << c.wlan << " bt " << c.bt);
        notebook(c.profile, [&](machine::Firmware& fw) { fw.state.switch_on = c.switch_on; });
        store("Linkward_WLAN_CONTROL", c.wlan);
        store("Linkward_Bluetooth_CONTROL", c.bt);
        run({[&](CConsoleDlg& dlg) {
            ASSERT_TRUE(icon());
            EXPECT_EQ(icon()->picture, c.picture);
            EXPECT_EQ(icon()->tip, c.tip);
            std::vector<Entry> entries = menu(dlg);
            if (c.checks.empty()) {
                EXPECT_EQ(entries.size(), 4u); // About, separator, Show Console, Exit
                return;
            }
            ASSERT_EQ(entries.size(), 10u);
            std::vector<Entry> radios{entries[2], entries[3], entries[5], entries[6]};
            const char* texts[] = {"Wireless LAN ON", "Wireless LAN OFF", "Bluetooth ON",
                                   "Bluetooth OFF"};
            for (size_t i = 0; i < 4; ++i)
                EXPECT_EQ(radios[i], (Entry{texts[i], c.switch_on, c.checks[i]})) << i;
        }});
        TearDown();
        SetUp();
    }
}

// Every path that ends by updating the tray leaves the tray showing the new state.
TEST_F(Tray, FollowsEveryPathThatChangesTheRadios) {
    struct Case {
        const char* path;
        machine::FirmwareProfile profile;
        void (*firmware)(machine::Firmware&);
        std::vector<Step> steps;
        UINT picture;
        const char* tip;
    };
    const machine::FirmwareProfile soft{true, true, false}, hard{true, true, true};
    auto none = [](machine::Firmware&) {};
    auto wlan_off = [](machine::Firmware& fw) { fw.state.wlan_on = false; };
    auto bt_off = [](machine::Firmware& fw) { fw.state.bluetooth_on = false; };
    auto set_switch = [](bool on) {
        return [on](CConsoleDlg&) {
            edit_firmware([on](machine::Firmware& fw) { fw.state.switch_on = on; });
        };
    };
    auto resume = [](CConsoleDlg& dlg) {
        dlg.PostMessage(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    };
    const std::vector<Case> cases{
        {"Apply", soft, none, {show(), click(IDC_BLUETOOTH), click(IDC_APPLY)}, 153, kWlanOn},
        {"OK", soft, none, {show(), click(IDC_WLAN), click(IDOK)}, 150, kBtOn},
        {"Wireless LAN ON", soft, wlan_off, {command(ID_TRAY_WLAN_ON)}, 148, kBothOn},
        {"Wireless LAN OFF", soft, none, {command(ID_TRAY_WLAN_OFF)}, 150, kBtOn},
        {"Bluetooth ON", soft, bt_off, {command(ID_TRAY_BT_ON)}, 148, kBothOn},
        {"Bluetooth OFF", soft, none, {command(ID_TRAY_BT_OFF)}, 153, kWlanOn},
        {"switch off", hard, none, {set_switch(false), event(0)}, 149, kBothOff},
        {"switch on", hard, switch_off, {set_switch(true), event(1)}, 148, kBothOn},
        {"toggle", soft, none, {event(2)}, 149, kBothOff},
        {"Wireless LAN turned on", soft, wlan_off, {event(3)}, 148, kBothOn},
        {"Wireless LAN turned off", soft, none, {event(4)}, 150, kBtOn},
        {"Bluetooth turned on", soft, bt_off, {event(5)}, 148, kBothOn},
        {"Bluetooth turned off", soft, none, {event(6)}, 153, kWlanOn},
        {"resume", hard, none, {set_switch(false), resume}, 149, kBothOff},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        notebook(c.profile, c.firmware);
        store("Linkward_Display_CONTROL", 0);
        if (c.profile.hw_switch) {
            store("Linkward_WLAN_CONTROL", 1);
            store("Linkward_Bluetooth_CONTROL", 1);
        }
        std::vector<Step> steps = c.steps;
        steps.push_back([&](CConsoleDlg&) {
            ASSERT_TRUE(icon());
            EXPECT_EQ(icon()->picture, c.picture);
            EXPECT_EQ(icon()->tip, c.tip);
        });
        run(steps);
        TearDown();
        SetUp();
    }
}

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

TEST_F(Tray, ExitRemovesTheIconWhileTheWindowStillExists) {
    notebook({true, true, false});
    bool destroyed = false;
    on_destroy = [&](CConsoleDlg& dlg) {
        destroyed = true;
        EXPECT_FALSE(platform::find_tray_icon(dlg.m_hWnd)) << "the icon outlives its Exit";
    };
    run({[&](CConsoleDlg&) { EXPECT_TRUE(icon()); }});
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(icon());
}

} // namespace
