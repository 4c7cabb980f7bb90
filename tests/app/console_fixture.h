// A console dialog on a fresh simulated notebook: the window exists with its controls bound,
// nothing of the start-up sequence has run, and the registry is read through Win32 calls.
#pragma once

#include "app/console_dlg.h"
#include "machine/acpi/firmware.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/ui_script.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace testing_support {

class ConsoleFixture : public MachineFixture {
protected:
    void TearDown() override;

    // Sets up the notebook with this profile, then creates the console window.
    void start(const machine::FirmwareProfile& profile);
    // Changes the firmware the console talks to.
    void edit_firmware(const std::function<void(machine::Firmware&)>& change);

    CConsoleDlg& dlg() { return *dlg_; }
    bool box_checked(int id) { return box(id).GetCheck() == 1; }
    bool box_enabled(int id) { return ::IsWindowEnabled(::GetDlgItem(dlg_->m_hWnd, id)) != 0; }

    // Settings as the registry holds them; nothing when the value is missing.
    static std::optional<DWORD> stored(const char* name);
    static void store(const char* name, DWORD type, const void* data, DWORD size);
    static void set_user(const char* user);

    UiScript ui;

private:
    CIconCheckButton& box(int id);
    std::unique_ptr<CConsoleDlg> dlg_;
};

} // namespace testing_support
