// The console run as the program runs it (modally, on virtual time) on a fresh simulated
// notebook, with stand-in peer windows in the same process that record what they are told.
#pragma once

#include "app/console_dlg.h"
#include "machine/acpi/firmware.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/ui_script.h"

#include <functional>
#include <vector>

namespace testing_support {

class ConsoleRun : public MachineFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Sets up the notebook (and lets a test adjust its firmware), with the hotkey service's
    // and the on-screen display's windows present.
    void notebook(const machine::FirmwareProfile& profile,
                  const std::function<void(machine::Firmware&)>& change = {});
    // Runs the console. The steps run one after another at idle moments once the start-up
    // is over and the console is hidden; each is queued only when the one before has ended,
    // so a box or menu it opens is answered first. Then the tray's Exit ends the run.
    int run(std::vector<std::function<void(CConsoleDlg&)>> steps);

    // Steps as the user and the notebook give them: the console shown from the tray, a click
    // on one of its controls, a tray menu command, a switch event.
    using Step = std::function<void(CConsoleDlg&)>;
    static Step show();
    Step click(int id);
    static Step command(UINT id);
    static Step event(int code);

    static machine::Firmware firmware();
    static void edit_firmware(const std::function<void(machine::Firmware&)>& change);
    static void store(const char* name, DWORD value);
    static std::optional<DWORD> stored(const char* name);

    // What the peers received since the last clear: the hotkey service's WM_COMMAND wParams
    // and the on-screen display's codes.
    static std::vector<WPARAM>& keywatch_got();
    static std::vector<int>& osd_got();
    static void clear_peers();

    UiScript ui;
    // Runs when the console window receives WM_DESTROY, while it still exists.
    std::function<void(CConsoleDlg&)> on_destroy;
};

} // namespace testing_support
