// The radio commands as the user and the notebook's events give them, seen in the firmware,
// the peers, the registry and the console.
#include "tests/support/program_fixture.h"

#include "platform/shell/tray.h"

namespace {

using machine::Firmware;

class RadioCommands : public testing_support::ProgramFixture {
protected:
    static void radios_off(Firmware& fw) {
        fw.state.wlan_on = false;
        fw.state.bluetooth_on = false;
    }
};

TEST_F(RadioCommands, SelectingARadioWhileOffSwitchesItOn) {
    notebook({true, true, false}, radios_off); // the toggle starts at 0
    int applied = -1;
    bool apply_enabled = true;
    run({show(), click(IDC_WLAN), [&](CConsoleDlg&) { clear_peers(); }, click(IDC_APPLY),
         [&](CConsoleDlg& dlg) {
             applied = dlg.m_bApplied;
             apply_enabled = IsWindowEnabled(dlg.m_btnApply.m_hWnd);
         }});
    EXPECT_EQ(osd_got(), (std::vector<int>{94}));
    EXPECT_EQ(keywatch_got(), (std::vector<WPARAM>{0x10075}));
    EXPECT_FALSE(firmware().state.bluetooth_on); // BLED(0)
    EXPECT_EQ(stored("Linkward_WLAN_CONTROL"), 1u);
    EXPECT_EQ(stored("Linkward_Bluetooth_CONTROL"), 0u);
    EXPECT_EQ(stored("Linkward_Toggle_State"), 1u);
    EXPECT_EQ(applied, 1);
    EXPECT_FALSE(apply_enabled);
}

TEST_F(RadioCommands, ClearingBothWhileOnSwitchesEverythingOff) {
    notebook({true, true, false});
    run({show(), click(IDC_WLAN), click(IDC_BLUETOOTH), [&](CConsoleDlg&) { clear_peers(); },
         click(IDC_APPLY), [](CConsoleDlg& dlg) { EXPECT_EQ(dlg.m_nToggleState, 0); }});
    EXPECT_EQ(osd_got(), (std::vector<int>{136}));
    EXPECT_EQ(keywatch_got(), (std::vector<WPARAM>{0x75}));
    EXPECT_FALSE(firmware().state.bluetooth_on);
    EXPECT_EQ(stored("Linkward_Toggle_State"), 0u);
}

TEST_F(RadioCommands, ClearingBothWhileOffSendsNothingButSaves) {
    notebook({true, true, false}, [](Firmware& fw) { fw.state.bluetooth_on = false; });
    store("Linkward_Toggle_State", 0);
    // Start-up syncs from the firmware (Wireless LAN on); turn the toggle off by an event.
    // The toggle goes off with the last radio recorded off; OK then carries out "nothing".
    run({event(4), show(), [&](CConsoleDlg&) { clear_peers(); }, click(IDOK)});
    EXPECT_TRUE(osd_got().empty());
    EXPECT_TRUE(keywatch_got().empty());
    EXPECT_EQ(stored("Linkward_WLAN_CONTROL"), 0u);
    EXPECT_EQ(stored("Linkward_Bluetooth_CONTROL"), 0u);
}

TEST_F(RadioCommands, BehindASwitchNothingSelectedIsRefused) {
    notebook({true, true, true});
    bool visible = false;
    ui.answer(IDOK);
    run({show(), click(IDC_WLAN), click(IDC_BLUETOOTH), [&](CConsoleDlg&) { clear_peers(); },
         click(IDOK), [&](CConsoleDlg& dlg) { visible = IsWindowVisible(dlg.m_hWnd); }});
    ASSERT_EQ(ui.boxes_seen().size(), 1u);
    EXPECT_EQ(ui.boxes_seen()[0].text, "Please select a wireless function");
    EXPECT_EQ(ui.boxes_seen()[0].caption, "Radiodeck");
    EXPECT_EQ(ui.boxes_seen()[0].type, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_TRUE(visible); // OK refused: the console stays
    EXPECT_TRUE(osd_got().empty());
    EXPECT_TRUE(keywatch_got().empty());
    EXPECT_EQ(stored("Linkward_WLAN_CONTROL"), 1u);
}

TEST_F(RadioCommands, SwitchOnAppliesBothWithoutTouchingTheToggle) {
    notebook({true, true, true}, [](Firmware& fw) { fw.state.bluetooth_on = false; });
    // Nothing changed, so Apply is disabled; OK carries the selection out all the same.
    run({show(), [&](CConsoleDlg&) { clear_peers(); }, click(IDOK),
         [](CConsoleDlg& dlg) {
             EXPECT_EQ(dlg.m_nToggleState, 0);
             EXPECT_FALSE(IsWindowVisible(dlg.m_hWnd));
         }});
    EXPECT_EQ(osd_got(), (std::vector<int>{135}));
    EXPECT_TRUE(firmware().state.bluetooth_on);
    ASSERT_FALSE(keywatch_got().empty());
    EXPECT_EQ(keywatch_got().back(), 0x10075u);
}

TEST_F(RadioCommands, ToggleEventNeverLeavesEveryRadioOff) {
    notebook({true, true, false}, radios_off); // toggle 0, both settings 0
    store("Linkward_Display_CONTROL", 0);      // announce rather than show the console
    run({[&](CConsoleDlg&) { clear_peers(); }, event(2),
         [](CConsoleDlg& dlg) {
             EXPECT_EQ(dlg.m_nWlanSetting, 1);
             EXPECT_EQ(dlg.m_nBtSetting, 1);
             EXPECT_EQ(dlg.m_btnWlan.GetCheck(), 1);
             EXPECT_EQ(dlg.m_btnBluetooth.GetCheck(), 1);
         }});
    EXPECT_EQ(stored("Linkward_Toggle_State"), 1u);
    EXPECT_EQ(osd_got(), (std::vector<int>{135}));
    EXPECT_TRUE(firmware().state.bluetooth_on);
    EXPECT_EQ(keywatch_got(), (std::vector<WPARAM>{0x10075}));
}

TEST_F(RadioCommands, SwitchOnShowsTheConsoleInsteadOfTheAnnouncementWhenAsked) {
    notebook({true, true, false});
    std::vector<bool> shown;
    run({[&](CConsoleDlg&) { clear_peers(); }, event(1),
         [&](CConsoleDlg& dlg) { shown.push_back(IsWindowVisible(dlg.m_hWnd)); }, event(1),
         [&](CConsoleDlg& dlg) { shown.push_back(IsWindowVisible(dlg.m_hWnd)); }, event(0),
         [&](CConsoleDlg& dlg) { shown.push_back(IsWindowVisible(dlg.m_hWnd)); }});
    EXPECT_EQ(shown, (std::vector<bool>{true, true, false}));
    // Hidden: shown instead of announced; already shown: announced; off: announced, hidden.
    EXPECT_EQ(osd_got(), (std::vector<int>{135, 136}));
}

TEST_F(RadioCommands, RecordedChangesSendNothingAndUnknownCodesAreIgnored) {
    notebook({true, true, false});
    run({[&](CConsoleDlg&) { clear_peers(); }, event(4),
         [](CConsoleDlg& dlg) {
             EXPECT_EQ(dlg.m_nToggleState, 1); // Bluetooth still on
             EXPECT_EQ(dlg.m_nWlanSetting, 0);
         },
         event(7), event(6), [](CConsoleDlg& dlg) { EXPECT_EQ(dlg.m_nToggleState, 0); }});
    EXPECT_TRUE(osd_got().empty());
    EXPECT_TRUE(keywatch_got().empty());
    EXPECT_EQ(stored("Linkward_Bluetooth_CONTROL"), 0u);
}

TEST_F(RadioCommands, OkRightAfterApplyRestoresAndHidesWithoutApplyingAgain) {
    notebook({true, true, false});
    run({show(), click(IDC_BLUETOOTH), click(IDC_APPLY), [&](CConsoleDlg&) { clear_peers(); },
         click(IDOK),
         [](CConsoleDlg& dlg) {
             EXPECT_FALSE(IsWindowVisible(dlg.m_hWnd));
             EXPECT_EQ(dlg.m_btnBluetooth.GetCheck(), 0);
         }});
    EXPECT_TRUE(osd_got().empty());
}

TEST_F(RadioCommands, TrayBluetoothOffOnTheOnlyRadioBehindASwitchIsRefused) {
    notebook({false, true, true});
    ui.answer(IDOK);
    run({[](CConsoleDlg& dlg) { dlg.SendMessage(WM_COMMAND, ID_TRAY_BT_OFF, 0); },
         [](CConsoleDlg& dlg) { EXPECT_EQ(dlg.m_btnBluetooth.GetCheck(), 1); }});
    EXPECT_EQ(ui.boxes_seen().size(), 1u);
    EXPECT_EQ(stored("Linkward_Bluetooth_CONTROL"), 1u);
}

TEST_F(RadioCommands, ResumeTellsTheRadiosEvenWithoutRadios) {
    notebook({false, false, false});
    run({[&](CConsoleDlg&) { clear_peers(); },
         [](CConsoleDlg& dlg) { dlg.PostMessage(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0); }});
    EXPECT_EQ(keywatch_got().size(), 1u);
}

TEST_F(RadioCommands, AnEventHandledWhileTheRefusalIsOpen) {
    notebook({true, true, true});
    ui.then([] {}); // lets the queued steps run first
    run({show(), click(IDC_WLAN), click(IDC_BLUETOOTH), [&](CConsoleDlg& dlg) {
             clear_peers();
             // While the box of this Apply is open, the switch is turned off outside.
             ui.then([&dlg] { dlg.PostMessage(WM_COMMAND, MAKEWPARAM(112, 0), 0); });
             ui.answer(IDOK);
             dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_APPLY, BN_CLICKED),
                             reinterpret_cast<LPARAM>(dlg.m_btnApply.m_hWnd));
             EXPECT_FALSE(IsWindowVisible(dlg.m_hWnd)); // the switch-off path ran inside
         }});
    EXPECT_EQ(osd_got(), (std::vector<int>{136}));
    EXPECT_EQ(keywatch_got(), (std::vector<WPARAM>{0x75}));
}

// What the display announces: every present radio off on notebooks with one radio, one radio
// switched on by Apply or OK, and stored settings other than 0 and 1, which name no radio.
TEST_F(RadioCommands, AnnouncementsNameExactlyTheRadiosSwitched) {
    struct Case {
        const char* name;
        machine::FirmwareProfile profile;
        void (*firmware)(Firmware&);
        std::vector<std::pair<const char*, DWORD>> stored;
        std::vector<std::function<void(CConsoleDlg&)>> steps;
        std::vector<int> announced;
    };
    auto none = [](Firmware&) {};
    auto switch_on = [](Firmware& fw) { fw.state.switch_on = true; };
    const std::vector<Case> cases{
        {"Wireless LAN only, cleared",
         {true, false, false},
         none,
         {},
         {show(), click(IDC_WLAN), click(IDC_APPLY)},
         {95}},
        {"Bluetooth only, cleared",
         {false, true, false},
         none,
         {},
         {show(), click(IDC_BLUETOOTH), click(IDC_APPLY)},
         {126}},
        {"Bluetooth alone by Apply",
         {true, true, false},
         radios_off,
         {},
         {show(), click(IDC_BLUETOOTH), click(IDC_APPLY)},
         {125}},
        {"Bluetooth alone by OK",
         {true, true, false},
         radios_off,
         {},
         {show(), click(IDC_BLUETOOTH), click(IDOK)},
         {125}},
        {"stored 2 beside Bluetooth",
         {true, true, true},
         switch_on,
         {{"Linkward_WLAN_CONTROL", 2}, {"Linkward_Bluetooth_CONTROL", 1}},
         {event(1), event(0)},
         {136, 136}},
        {"stored 2 beside Wireless LAN",
         {true, true, true},
         switch_on,
         {{"Linkward_WLAN_CONTROL", 1}, {"Linkward_Bluetooth_CONTROL", 2}},
         {event(1), event(0)},
         {136, 136}},
        {"stored 2 on a Wireless LAN notebook",
         {true, false, true},
         switch_on,
         {{"Linkward_WLAN_CONTROL", 2}},
         {event(1), event(0)},
         {95, 95}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        notebook(c.profile, c.firmware);
        store("Linkward_Display_CONTROL", 0); // announce rather than show the console
        for (const auto& [name, value] : c.stored)
            store(name, value);
        std::vector<std::function<void(CConsoleDlg&)>> steps{[&](CConsoleDlg&) { clear_peers(); }};
        steps.insert(steps.end(), c.steps.begin(), c.steps.end());
        run(steps);
        EXPECT_EQ(osd_got(), c.announced);
        TearDown();
        SetUp();
    }
}

// A radio turned on elsewhere is recorded as the new saved state: Cancel afterwards keeps it.
TEST_F(RadioCommands, RadioTurnedOnElsewhereIsTheStateCancelRestores) {
    struct Case {
        int code;
        const char* value;
        UINT picture;
    };
    for (const Case& c : {Case{3, "Linkward_WLAN_CONTROL", IDI_TRAY_WLAN_ON},
                          Case{5, "Linkward_Bluetooth_CONTROL", IDI_TRAY_BT_ON}}) {
        SCOPED_TRACE(c.code);
        notebook({true, true, false}, radios_off);
        int member = -1, checked = -1, after_cancel = -1, toggle = -1;
        UINT picture = 0;
        run({show(), [&](CConsoleDlg&) { clear_peers(); }, event(c.code),
             [&](CConsoleDlg& dlg) {
                 member = c.code == 3 ? dlg.m_nWlanSetting : dlg.m_nBtSetting;
                 toggle = dlg.m_nToggleState;
                 checked = (c.code == 3 ? dlg.m_btnWlan : dlg.m_btnBluetooth).GetCheck();
                 picture = platform::tray_icons().at(0).picture;
             },
             click(IDCANCEL),
             [&](CConsoleDlg& dlg) {
                 after_cancel = (c.code == 3 ? dlg.m_btnWlan : dlg.m_btnBluetooth).GetCheck();
             }});
        EXPECT_EQ(stored(c.value), 1u);
        EXPECT_EQ(stored("Linkward_Toggle_State"), 1u);
        EXPECT_EQ(member, 1);
        EXPECT_EQ(toggle, 1);
        EXPECT_EQ(checked, 1);
        EXPECT_EQ(picture, c.picture);
        EXPECT_EQ(after_cancel, 1);
        EXPECT_TRUE(osd_got().empty()); // recorded, not carried out
        EXPECT_TRUE(keywatch_got().empty());
        TearDown();
        SetUp();
    }
}

} // namespace
