// The radio commands as the user and the notebook's events give them, seen in the firmware,
// the peers, the registry and the console.
#include "console_run.h"

#include "platform/user/input.h"

namespace {

using machine::Firmware;

class RadioCommands : public testing_support::ConsoleRun {
protected:
    // The user opens the console from the tray and clicks its controls, one by one.
    static std::function<void(CConsoleDlg&)> show() {
        return [](CConsoleDlg& dlg) { dlg.SendMessage(WM_TRAY_NOTIFY, IDI_APP, WM_LBUTTONDBLCLK); };
    }
    std::function<void(CConsoleDlg&)> click(int id) {
        return [this, id](CConsoleDlg& dlg) {
            clock().advance_by(1000); // separate clicks, not a double click
            ASSERT_TRUE(platform::click_window(::GetDlgItem(dlg.m_hWnd, id)));
        };
    }
    static std::function<void(CConsoleDlg&)> event(int code) {
        return [code](CConsoleDlg& dlg) { dlg.PostMessage(WM_COMMAND, MAKEWPARAM(112, code), 0); };
    }
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

} // namespace
