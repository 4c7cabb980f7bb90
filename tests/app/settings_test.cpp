// The four settings in the registry, as the console loads and saves them.
#include "tests/support/program_fixture.h"

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace {

using machine::FirmwareProfile;

class Settings : public testing_support::ProgramFixture {
protected:
    // What the start-up does before the layout: probe, then load.
    int probe_and_load(const FirmwareProfile& profile) {
        start(profile);
        dlg().ProbeCapabilities();
        return dlg().LoadSettings();
    }
    static void store_dword(const char* name, DWORD value) {
        store(name, REG_DWORD, &value, sizeof value);
    }
    static void store_all(DWORD wlan, DWORD bt, DWORD display, DWORD toggle) {
        store_dword("Linkward_WLAN_CONTROL", wlan);
        store_dword("Linkward_Bluetooth_CONTROL", bt);
        store_dword("Linkward_Display_CONTROL", display);
        store_dword("Linkward_Toggle_State", toggle);
    }
};

// A damaged registry is set aside, so the start is a first start, not "everything off".
TEST_F(Settings, FirstRunWritesEveryDefault) {
    for (const char* registry : {"", "Windows Registry Editor Version 5.00\n[damaged"}) {
        SCOPED_TRACE(registry);
        TearDown();
        SetUp();
        if (*registry)
            write_file("registry.reg", registry);
        EXPECT_EQ(probe_and_load({true, true, false}), 1);
        for (const char* name : {"Linkward_WLAN_CONTROL", "Linkward_Bluetooth_CONTROL",
                                 "Linkward_Display_CONTROL", "Linkward_Toggle_State"})
            EXPECT_EQ(stored(name), 1u) << name;
        EXPECT_TRUE(box_checked(IDC_WLAN));
        EXPECT_TRUE(box_checked(IDC_BLUETOOTH));
        EXPECT_TRUE(box_checked(IDC_DISPLAY));
        EXPECT_EQ(dlg().m_nWlanSetting + dlg().m_nBtSetting + dlg().m_nOsdOnSwitch +
                      dlg().m_nToggleState,
                  4);
    }
}

TEST_F(Settings, ValuesOfAbsentRadiosAndOfTheSwitchAreLeftAlone) {
    EXPECT_EQ(probe_and_load({true, false, false}), 1);
    EXPECT_EQ(stored("Linkward_Bluetooth_CONTROL"), std::nullopt);
    EXPECT_EQ(stored("Linkward_Display_CONTROL"), 0u); // only one radio: no dialog by default
    EXPECT_FALSE(box_checked(IDC_DISPLAY));

    TearDown();
    SetUp();
    start({true, true, true});
    store_dword("Linkward_Toggle_State", 0);
    dlg().ProbeCapabilities();
    EXPECT_EQ(dlg().LoadSettings(), 1);
    EXPECT_EQ(dlg().m_nToggleState, 0);
    EXPECT_EQ(dlg().SaveSettings(1, 1, 1, 1), 1);
    EXPECT_EQ(stored("Linkward_Toggle_State"), 0u); // the toggle is not saved with a switch
    EXPECT_EQ(dlg().m_nToggleState, 0);
}

TEST_F(Settings, StoredValuesWinAndAreKeptAsStored) {
    start({true, true, false});
    store_all(2, 0, 1, 1);
    dlg().ProbeCapabilities();
    EXPECT_EQ(dlg().LoadSettings(), 1);
    EXPECT_EQ(dlg().m_nWlanSetting, 2); // not reduced to 0 or 1
    EXPECT_FALSE(box_checked(IDC_WLAN));
    EXPECT_EQ(dlg().m_nBtSetting, 0);
    EXPECT_EQ(stored("Linkward_WLAN_CONTROL"), 2u);
}

TEST_F(Settings, ValueLongerThanFourBytesCountsAsMissing) {
    start({true, true, false});
    const BYTE eight[8] = {0, 0, 0, 0, 9, 9, 9, 9};
    store("Linkward_Bluetooth_CONTROL", REG_BINARY, eight, sizeof eight);
    dlg().ProbeCapabilities();
    EXPECT_EQ(dlg().LoadSettings(), 1);
    EXPECT_EQ(stored("Linkward_Bluetooth_CONTROL"), 1u); // replaced by the default
    EXPECT_EQ(dlg().m_nBtSetting, 1);
    EXPECT_TRUE(box_checked(IDC_BLUETOOTH));
}

TEST_F(Settings, StandardUserSeesStoredValuesLocked) {
    start({true, true, false});
    store_all(1, 0, 1, 0);
    set_user("standard");
    dlg().ProbeCapabilities();
    EXPECT_EQ(dlg().LoadSettings(), 1);
    EXPECT_TRUE(box_checked(IDC_WLAN));
    EXPECT_FALSE(box_checked(IDC_BLUETOOTH));
    EXPECT_FALSE(box_enabled(IDC_WLAN));
    EXPECT_FALSE(box_enabled(IDC_BLUETOOTH));
    EXPECT_FALSE(box_enabled(IDC_DISPLAY));
    EXPECT_EQ(dlg().m_nToggleState, 0);

    // Nothing a standard user does reaches the registry; the call still reports success.
    EXPECT_EQ(dlg().SaveSettings(0, 1, 0, 1), 1);
    EXPECT_EQ(stored("Linkward_WLAN_CONTROL"), 1u);
    EXPECT_EQ(dlg().m_nWlanSetting, 1);
    EXPECT_EQ(dlg().m_nToggleState, 0);
}

TEST_F(Settings, StandardUserWithAMissingValueKeepsThatBoxUsable) {
    start({true, true, false});
    store_dword("Linkward_WLAN_CONTROL", 1);
    store_dword("Linkward_Display_CONTROL", 0);
    store_dword("Linkward_Toggle_State", 1);
    set_user("standard");
    dlg().ProbeCapabilities();
    dlg().m_btnBluetooth.SetCheck(1, 0);
    EXPECT_EQ(dlg().LoadSettings(), 1);
    EXPECT_TRUE(box_enabled(IDC_BLUETOOTH));
    EXPECT_TRUE(box_checked(IDC_BLUETOOTH)); // keeps what it showed
    EXPECT_FALSE(box_enabled(IDC_WLAN));
    EXPECT_EQ(stored("Linkward_Bluetooth_CONTROL"), std::nullopt);

    // No key at all: nothing is read, nothing changes, the boxes stay enabled.
    TearDown();
    SetUp();
    start({true, true, false});
    set_user("standard");
    dlg().ProbeCapabilities();
    EXPECT_EQ(dlg().LoadSettings(), 1);
    EXPECT_TRUE(box_enabled(IDC_WLAN));
    EXPECT_EQ(dlg().m_nWlanSetting, 0);
}

// The registry's file may not grow (a full disk, here a file size limit): the first value
// that cannot be created is reported and the load stops there, with the key closed first.
TEST_F(Settings, AValueThatCannotBeCreatedIsReportedAndEndsTheLoad) {
    start({true, true, false});
    store_dword("Linkward_WLAN_CONTROL", 0);
    dlg().ProbeCapabilities();
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit full = before;
    full.rlim_cur = std::filesystem::file_size(root() / "registry.reg");
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    ui.answer(IDOK);
    int result = dlg().LoadSettings();
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(result, 0);
    ASSERT_EQ(ui.boxes_seen().size(), 1u);
    EXPECT_EQ(ui.boxes_seen()[0].text, "Can't create Registry Linkward_Bluetooth_CONTROL");
    EXPECT_EQ(ui.boxes_seen()[0].caption, "Linkward Bluetooth Control Warning");
    EXPECT_EQ(ui.boxes_seen()[0].type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(ui.boxes_seen()[0].owner, dlg().m_hWnd);
    EXPECT_EQ(dlg().m_nWlanSetting, 0);
    EXPECT_FALSE(box_checked(IDC_WLAN));
    EXPECT_EQ(dlg().m_nBtSetting, 0); // the default was not taken over
    EXPECT_EQ(stored("Linkward_Bluetooth_CONTROL"), std::nullopt);
    EXPECT_EQ(stored("Linkward_Display_CONTROL"), std::nullopt); // never visited
    EXPECT_FALSE(box_checked(IDC_DISPLAY));
    // With room again, the next start creates what is missing.
    EXPECT_EQ(dlg().LoadSettings(), 1);
    EXPECT_EQ(stored("Linkward_Toggle_State"), 1u);
}

TEST_F(Settings, SaveWritesAndCopiesEveryUsedValue) {
    EXPECT_EQ(probe_and_load({true, true, false}), 1);
    EXPECT_EQ(dlg().SaveSettings(1, 0, 1, 0), 1);
    EXPECT_EQ(stored("Linkward_WLAN_CONTROL"), 1u);
    EXPECT_EQ(stored("Linkward_Bluetooth_CONTROL"), 0u);
    EXPECT_EQ(stored("Linkward_Display_CONTROL"), 1u);
    EXPECT_EQ(stored("Linkward_Toggle_State"), 0u);
    EXPECT_EQ(dlg().m_nBtSetting, 0);
    EXPECT_EQ(dlg().m_nToggleState, 0);
}

} // namespace
