// The whole start-up of the console, run modally as the program runs it, on a simulated
// notebook with a stand-in hotkey service window in the same process.
#include "tests/support/program_fixture.h"

#include "device/acpi_channel.h"
#include "machine/notebookctl/notebook_setup.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

class Startup : public testing_support::ProgramFixture {
protected:
    int run_console(const std::function<void(CConsoleDlg&)>& settled) { return run({settled}); }
};

TEST_F(Startup, CompleteStartLeavesATitledHiddenConsole) {
    notebook({true, true, false});
    // The resource library lies beside the program; this test runs from the build's tests.
    const char* build = getenv("RADIODECK_BUILD_DIR");
    ASSERT_NE(build, nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA((std::string(build) + "/bin").c_str()));
    bool visible = true, apply_enabled = true;
    char title[32] = "";
    int result = run_console([&](CConsoleDlg& dlg) {
        visible = IsWindowVisible(dlg.m_hWnd);
        apply_enabled = IsWindowEnabled(dlg.m_btnApply.m_hWnd);
        GetWindowTextA(dlg.m_hWnd, title, sizeof title);
        EXPECT_EQ(dlg.m_bConsoleVisible, 0);
        EXPECT_FALSE(KillTimer(dlg.m_hWnd, g_nHideTimerId)); // it fired once and is gone
        EXPECT_EQ(SendMessageA(dlg.m_hWnd, WM_GETICON, ICON_BIG, 0),
                  reinterpret_cast<LRESULT>(dlg.m_hIcon));
        EXPECT_NE(dlg.m_bmpBackground.GetSafeHandle(), nullptr); // from rescue.dll
    });
    EXPECT_EQ(result, IDCANCEL); // Exit ends the dialog as Cancel
    EXPECT_FALSE(visible);
    EXPECT_FALSE(apply_enabled);
    EXPECT_STREQ(title, "Radiodeck");
    // No switch and both radios on: the saved settings are asserted.
    EXPECT_EQ(keywatch_got(), (std::vector<WPARAM>{0x10075}));
    EXPECT_TRUE(ui.boxes_seen().empty());
}

TEST_F(Startup, NoDeviceGivesTwoBoxesAndTouchesNothing) {
    notebook({true, true, false});
    ASSERT_TRUE(machine::set_acpi_driver(""));
    ui.answer(IDOK);
    ui.answer(IDOK);
    CConsoleDlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    ASSERT_EQ(ui.boxes_seen().size(), 2u);
    EXPECT_EQ(ui.boxes_seen()[0].caption, "ERROR");
    EXPECT_EQ(ui.boxes_seen()[0].text, "Can't Open ACPI ZEB0100 kernel Mode Driver");
    EXPECT_EQ(ui.boxes_seen()[0].owner, nullptr);
    EXPECT_EQ(ui.boxes_seen()[1].caption, "ZEB0100 request");
    EXPECT_EQ(ui.boxes_seen()[1].text, "You have to install ZEB0100 driver");
    EXPECT_EQ(ui.boxes_seen()[1].type, static_cast<UINT>(MB_ICONEXCLAMATION));
    HKEY key;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    EXPECT_TRUE(keywatch_got().empty());
}

TEST_F(Startup, HardwareSwitchDecidesWhatIsAsserted) {
    for (bool switch_on : {true, false}) {
        SCOPED_TRACE(switch_on ? "switch on" : "switch off");
        notebook({true, true, true}, [&](machine::Firmware& fw) {
            fw.state.switch_on = switch_on;
            fw.state.bluetooth_on = !switch_on;
        });
        run_console([](CConsoleDlg& dlg) { EXPECT_EQ(dlg.m_nToggleState, 0); });
        EXPECT_EQ(firmware().state.bluetooth_on, switch_on); // BLED with the setting (1), or 0
        EXPECT_EQ(keywatch_got(), (std::vector<WPARAM>{switch_on ? 0x10075u : 0x75u}));
        TearDown();
        SetUp();
    }
}

TEST_F(Startup, WithoutASwitchTheSavedToggleDecides) {
    // Both radios found off: the toggle is 0 and both are switched off.
    notebook({true, true, false}, [](machine::Firmware& fw) {
        fw.state.wlan_on = false;
        fw.state.bluetooth_on = false;
    });
    run_console([](CConsoleDlg& dlg) { EXPECT_EQ(dlg.m_nToggleState, 0); });
    EXPECT_EQ(keywatch_got(), (std::vector<WPARAM>{0x75}));
    EXPECT_FALSE(firmware().state.bluetooth_on);

    // Only Bluetooth on: the toggle is 1 and the saved settings (Bluetooth only) are asserted.
    TearDown();
    SetUp();
    notebook({true, true, false}, [](machine::Firmware& fw) { fw.state.wlan_on = false; });
    run_console([](CConsoleDlg& dlg) { EXPECT_EQ(dlg.m_nToggleState, 1); });
    EXPECT_EQ(keywatch_got(), (std::vector<WPARAM>{0x75}));
    EXPECT_TRUE(firmware().state.bluetooth_on);
}

// Bluetooth is set on the device before the hotkey service is looked for, so a missing
// service, searched for 16 seconds, holds nothing else up.
TEST_F(Startup, BluetoothIsSetBeforeTheHotkeyServiceSearch) {
    notebook({true, true, true}, [](machine::Firmware& fw) { fw.state.bluetooth_on = false; });
    store("Linkward_Bluetooth_CONTROL", 1);
    DestroyWindow(FindWindowA("KEYWATCH", "KEYWATCH"));
    std::optional<bool> during_search;
    clock().schedule(clock().now() + 8000, [&] { during_search = firmware().state.bluetooth_on; });
    ui.answer(IDOK);
    run_console([](CConsoleDlg&) {});
    ASSERT_TRUE(during_search) << "the start-up did not wait for the hotkey service";
    EXPECT_TRUE(*during_search);
    ASSERT_EQ(ui.boxes_seen().size(), 1u);
    EXPECT_EQ(ui.boxes_seen()[0].text, "Can't find KEYWATCH");
}

TEST_F(Startup, AbsentRadiosAreNotAsserted) {
    notebook({false, true, false});
    run_console([](CConsoleDlg&) {});
    EXPECT_TRUE(keywatch_got().empty()); // no Wireless LAN: the service hears nothing
}

TEST_F(Startup, HiddenConsoleStaysHiddenYetMoves) {
    notebook({true, true, false});
    run_console([](CConsoleDlg& dlg) {
        dlg.ShowWindow(SW_SHOW);
        ShowWindow(dlg.m_hWnd, SW_SHOWNORMAL);
        SetWindowPos(dlg.m_hWnd, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        EXPECT_FALSE(IsWindowVisible(dlg.m_hWnd));
        SetWindowPos(dlg.m_hWnd, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        RECT r;
        GetWindowRect(dlg.m_hWnd, &r);
        EXPECT_EQ(r.left, 40);
        EXPECT_EQ(r.top, 30);
        // Once a show path sets the flag the console shows; any timer hides it again.
        dlg.m_bConsoleVisible = 1;
        dlg.ShowWindow(SW_SHOW);
        EXPECT_TRUE(IsWindowVisible(dlg.m_hWnd));
        dlg.SendMessage(WM_TIMER, 77, 0);
        EXPECT_FALSE(IsWindowVisible(dlg.m_hWnd));
        EXPECT_EQ(dlg.m_bConsoleVisible, 0);
    });
}

TEST_F(Startup, SecondStartTogglesTheRunningConsoleAndEnds) {
    notebook({true, true, false});
    std::vector<bool> shown;
    CConsoleDlg first;
    auto second_start = [&] {
        CConsoleDlg second;
        EXPECT_EQ(second.DoModal(), IDCANCEL);
    };
    ui.then([this] { clock().advance_by(100); });
    ui.then(second_start);
    ui.then([&] { shown.push_back(IsWindowVisible(first.m_hWnd)); });
    ui.then(second_start);
    ui.then([&] {
        shown.push_back(IsWindowVisible(first.m_hWnd));
        first.PostMessage(WM_COMMAND, ID_TRAY_EXIT, 0);
    });
    first.DoModal();
    EXPECT_EQ(shown, (std::vector<bool>{true, false}));
    // The second starts asserted nothing: only the first told the service.
    EXPECT_EQ(keywatch_got().size(), 1u);
}

} // namespace
