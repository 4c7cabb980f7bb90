// The program on a fresh simulated notebook, on virtual time: its console either bare (the
// window with its controls bound, none of the start-up run) or run modally as the program
// runs it, with stand-in peer windows that record what they are told. Every global of the
// program (the device, the peers found, the language library, the tray menu, the hide timer,
// the instance mutex) is reset between tests, and so is the thread's message queue.
#pragma once

#include "app/console_dlg.h"
#include "machine/acpi/firmware.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/ui_script.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace testing_support {

class ProgramFixture : public MachineFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Sets up the notebook (and lets a test adjust its firmware), with the hotkey service's
    // and the on-screen display's windows present.
    void notebook(const machine::FirmwareProfile& profile,
                  const std::function<void(machine::Firmware&)>& change = {});
    // The notebook, its device opened, and the bare console.
    void start(const machine::FirmwareProfile& profile);
    // The bare console: made at the first call, destroyed at the end of the test.
    CConsoleDlg& dlg();

    // Runs the console. The steps run one after another at idle moments once the start-up
    // is over and the console is hidden; each is queued only when the one before has ended,
    // so a box or menu it opens is answered first. Then the tray's Exit ends the run.
    using Step = std::function<void(CConsoleDlg&)>;
    int run(std::vector<Step> steps);
    // Steps as the user and the notebook give them: the console shown from the tray, a click
    // on one of its controls, a tray menu command, a switch event.
    static Step show();
    Step click(int id);
    static Step command(UINT id);
    static Step event(int code);
    // Runs when the running console's window receives WM_DESTROY, while it still exists.
    std::function<void(CConsoleDlg&)> on_destroy;

    static machine::Firmware firmware();
    static void edit_firmware(const std::function<void(machine::Firmware&)>& change);
    // Settings as the registry holds them (REG_DWORD only); nothing when the value is missing.
    static std::optional<DWORD> stored(const char* name);
    static void store(const char* name, DWORD value);
    static void store(const char* name, DWORD type, const void* data, DWORD size);
    static void set_user(const char* user);

    // What the peers received since the last clear: the hotkey service's WM_COMMAND wParams
    // and the on-screen display's codes.
    static std::vector<WPARAM>& keywatch_got();
    static std::vector<int>& osd_got();
    static void clear_peers();

    // The bare console's check boxes.
    bool box_checked(int id);
    bool box_enabled(int id) { return ::IsWindowEnabled(::GetDlgItem(dlg().m_hWnd, id)) != 0; }

    // Virtual time since the test began, or since the stopwatch was restarted.
    platform::Millis elapsed() { return clock().now() - start_; }
    void restart_stopwatch() { start_ = clock().now(); }

    UiScript ui;

private:
    std::unique_ptr<CConsoleDlg> bare_;
    platform::Millis start_ = 0;
};

} // namespace testing_support
