#include "console_fixture.h"

#include "device/acpi_channel.h"
#include "machine/notebookctl/notebook_setup.h"
#include "platform/kernel/machine.h"

namespace testing_support {

namespace {

// The console window with its controls bound, before any step of the start-up runs.
class BareConsole : public CConsoleDlg {
protected:
    BOOL OnInitDialog() override { return CDialog::OnInitDialog(); }
};

} // namespace

void ConsoleFixture::start(const machine::FirmwareProfile& profile) {
    ASSERT_EQ(machine::init_notebook(profile), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_TRUE(OpenAcpiDevice());
    dlg_ = std::make_unique<BareConsole>();
    ASSERT_TRUE(dlg_->Create(IDD_CONSOLE));
}

void ConsoleFixture::TearDown() {
    if (dlg_ && dlg_->m_hWnd)
        dlg_->DestroyWindow();
    dlg_.reset();
    if (g_hAcpiDevice != INVALID_HANDLE_VALUE)
        CloseHandle(g_hAcpiDevice);
    g_hAcpiDevice = INVALID_HANDLE_VALUE;
    if (g_hLangLib)
        FreeLibrary(g_hLangLib);
    g_hLangLib = nullptr;
    MachineFixture::TearDown();
}

void ConsoleFixture::edit_firmware(const std::function<void(machine::Firmware&)>& change) {
    machine::Firmware fw;
    ASSERT_EQ(machine::read_firmware(fw), static_cast<DWORD>(ERROR_SUCCESS));
    change(fw);
    ASSERT_EQ(machine::write_firmware(fw), static_cast<DWORD>(ERROR_SUCCESS));
}

std::optional<DWORD> ConsoleFixture::stored(const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD value = 0, size = sizeof value, type = 0;
    LONG r = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS || type != REG_DWORD)
        return std::nullopt;
    return value;
}

void ConsoleFixture::store(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void ConsoleFixture::set_user(const char* user) {
    ASSERT_TRUE(platform::set_machine_setting("machine", "user", user));
}

CIconCheckButton& ConsoleFixture::box(int id) {
    switch (id) {
    case IDC_WLAN:
        return dlg_->m_btnWlan;
    case IDC_BLUETOOTH:
        return dlg_->m_btnBluetooth;
    default:
        return dlg_->m_btnDisplay;
    }
}

} // namespace testing_support
