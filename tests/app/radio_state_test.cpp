// What the console learns from the firmware: radios, switch, and their state at start.
#include "tests/support/program_fixture.h"

namespace {

using machine::AnswerShape;
using machine::FirmwareProfile;

class RadioState : public testing_support::ProgramFixture {};

struct ProbeCase {
    FirmwareProfile profile;
    int has_wlan, has_bluetooth, has_switch;
};

TEST_F(RadioState, ProbeReadsPresenceAndForcesTheOnlyRadioBehindASwitch) {
    const ProbeCase cases[] = {
        {{true, true, true}, 1, 1, 1},    // HWRS 0x182 (plus the switch position)
        {{true, false, false}, 1, 0, 0},  // 0x80
        {{true, false, true}, 1, 0, 1},   // 0x82
        {{false, true, false}, 0, 1, 0},  // 0x100
        {{false, false, false}, 0, 0, 0}, // 0
    };
    for (const ProbeCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "wlan " << c.profile.wlan << " bt " << c.profile.bluetooth << " switch "
                     << c.profile.hw_switch);
        start(c.profile);
        dlg().m_nWlanSetting = 7; // marks "untouched"
        dlg().m_nBtSetting = 7;
        dlg().m_nToggleState = 1;
        dlg().ProbeCapabilities();
        EXPECT_EQ(dlg().m_bHasWlan, c.has_wlan);
        EXPECT_EQ(dlg().m_bHasBluetooth, c.has_bluetooth);
        EXPECT_EQ(dlg().m_bHasHwSwitch, c.has_switch);
        EXPECT_EQ(dlg().m_nToggleState, c.has_switch ? 0 : 1);
        bool both = c.has_wlan && c.has_bluetooth;
        if (both) {
            EXPECT_EQ(dlg().m_nWlanSetting, 7);
            EXPECT_EQ(dlg().m_nBtSetting, 7);
        }
        if (!c.has_bluetooth) {
            EXPECT_EQ(dlg().m_nBtSetting, 0);
            EXPECT_FALSE(box_checked(IDC_BLUETOOTH));
        }
        if (!c.has_wlan) {
            EXPECT_EQ(dlg().m_nWlanSetting, 0);
            EXPECT_FALSE(box_checked(IDC_WLAN));
        }
        if (c.has_wlan && !c.has_bluetooth) {
            EXPECT_EQ(dlg().m_nWlanSetting, c.has_switch ? 1 : 7);
            EXPECT_EQ(box_checked(IDC_WLAN), c.has_switch == 1);
        }
        if (c.has_bluetooth && !c.has_wlan) {
            EXPECT_EQ(dlg().m_nBtSetting, c.has_switch ? 1 : 7);
            EXPECT_EQ(box_checked(IDC_BLUETOOTH), c.has_switch == 1);
        }
        TearDown();
        SetUp();
    }
}

TEST_F(RadioState, FailedProbeMeansNoRadioAndNoSwitch) {
    start({true, true, true});
    edit_firmware([](machine::Firmware& fw) { fw.answers["HWRS"] = AnswerShape::Fail; });
    dlg().m_nWlanSetting = 1;
    dlg().m_nBtSetting = 1;
    dlg().ProbeCapabilities();
    EXPECT_EQ(dlg().m_bHasWlan + dlg().m_bHasBluetooth + dlg().m_bHasHwSwitch, 0);
    EXPECT_EQ(dlg().m_nWlanSetting + dlg().m_nBtSetting, 0);
}

TEST_F(RadioState, SyncTakesTheFirmwareStateAsTheSavedSelection) {
    start({true, true, false});
    edit_firmware([](machine::Firmware& fw) { fw.state.wlan_on = false; }); // RSTS = 2
    dlg().ProbeCapabilities();
    EXPECT_EQ(dlg().SyncRadioStatus(), 1);
    EXPECT_FALSE(box_checked(IDC_WLAN));
    EXPECT_TRUE(box_checked(IDC_BLUETOOTH));
    EXPECT_EQ(dlg().m_nToggleState, 1);
    EXPECT_EQ(stored("Linkward_WLAN_CONTROL"), 0u);
    EXPECT_EQ(stored("Linkward_Bluetooth_CONTROL"), 1u);
    EXPECT_EQ(stored("Linkward_Toggle_State"), 1u);
    EXPECT_EQ(dlg().m_nBtSetting, 1);

    edit_firmware([](machine::Firmware& fw) { fw.state.bluetooth_on = false; }); // RSTS = 0
    EXPECT_EQ(dlg().SyncRadioStatus(), 1);
    EXPECT_EQ(dlg().m_nToggleState, 0);
    EXPECT_EQ(stored("Linkward_Toggle_State"), 0u);
    EXPECT_EQ(stored("Linkward_Bluetooth_CONTROL"), 0u);
}

TEST_F(RadioState, SyncKeepsLoadedSettingsWhenItCannotReadOrNeedNot) {
    start({true, true, false});
    dlg().ProbeCapabilities();
    edit_firmware([](machine::Firmware& fw) { fw.answers["RSTS"] = AnswerShape::Fail; });
    dlg().m_nWlanSetting = 1;
    EXPECT_EQ(dlg().SyncRadioStatus(), 0);
    EXPECT_EQ(dlg().m_nWlanSetting, 1);
    EXPECT_EQ(stored("Linkward_WLAN_CONTROL"), std::nullopt);

    // A Bluetooth-only notebook saves no Wireless LAN value even from the firmware's state.
    TearDown();
    SetUp();
    start({false, true, false});
    dlg().ProbeCapabilities();
    EXPECT_EQ(dlg().SyncRadioStatus(), 1);
    EXPECT_EQ(stored("Linkward_WLAN_CONTROL"), std::nullopt);
    EXPECT_EQ(stored("Linkward_Bluetooth_CONTROL"), 1u);

    // With a hardware switch the firmware's radio state is not asked for at all.
    TearDown();
    SetUp();
    start({true, true, true});
    dlg().ProbeCapabilities();
    edit_firmware([](machine::Firmware& fw) { fw.answers["RSTS"] = AnswerShape::Fail; });
    EXPECT_EQ(dlg().SyncRadioStatus(), 1);
    EXPECT_EQ(stored("Linkward_Toggle_State"), std::nullopt);
}

TEST_F(RadioState, SwitchPositionDecidesWhenThereIsASwitch) {
    start({true, true, true});
    dlg().ProbeCapabilities();
    edit_firmware([](machine::Firmware& fw) { fw.state.switch_on = false; });
    dlg().m_nToggleState = 1;
    EXPECT_FALSE(dlg().ReadSwitchState());
    EXPECT_EQ(dlg().m_nToggleState, 0);
    edit_firmware([](machine::Firmware& fw) { fw.state.switch_on = true; });
    EXPECT_TRUE(dlg().ReadSwitchState());
    edit_firmware([](machine::Firmware& fw) { fw.answers["HWRS"] = AnswerShape::Fail; });
    EXPECT_FALSE(dlg().ReadSwitchState()); // a failed reading is a switch turned off

    TearDown();
    SetUp();
    start({true, true, false});
    dlg().ProbeCapabilities();
    dlg().m_nToggleState = 1;
    EXPECT_TRUE(dlg().ReadSwitchState());
    dlg().m_nToggleState = 0;
    EXPECT_FALSE(dlg().ReadSwitchState());
}

} // namespace
