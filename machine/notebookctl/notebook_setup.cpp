#include "machine/notebookctl/notebook_setup.h"

#include "platform/kernel/last_error.h"
#include "platform/kernel/machine.h"

#include <filesystem>
#include <strings.h>

namespace machine {

namespace {

constexpr const char* kAcpiDevice = "ZEBACPI";

} // namespace

DWORD init_notebook(const FirmwareProfile& profile, const std::string& backend) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(platform::machine_path("drive_c/WINDOWS"), ec);
    if (ec)
        return platform::win32_error_from_errno(ec.value());
    Firmware firmware;
    firmware.profile = profile;
    if (DWORD error = write_firmware(firmware); error != ERROR_SUCCESS)
        return error;
    if (!set_acpi_driver(backend) ||
        !platform::set_machine_setting("machine", "firmware", backend) ||
        !platform::set_machine_setting("machine", "user", "admin"))
        return GetLastError();
    // An absent registry file is an empty registry.
    fs::remove(platform::machine_path("registry.reg"), ec);
    if (ec)
        return platform::win32_error_from_errno(ec.value());
    return ERROR_SUCCESS;
}

DWORD install_osd_program(const std::filesystem::path& source) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_regular_file(source, ec))
        return ERROR_FILE_NOT_FOUND;
    fs::path folder = platform::machine_path("drive_c/WINDOWS/ZEB0100");
    fs::create_directories(folder, ec);
    if (ec)
        return platform::win32_error_from_errno(ec.value());
    // Copied under a temporary name and renamed, so that a running copy keeps its file and a
    // start never sees half a program.
    fs::path target = folder / "ZEBOSD.EXE";
    fs::path temporary = folder / "ZEBOSD.EXE.new";
    fs::copy_file(source, temporary, fs::copy_options::overwrite_existing, ec);
    if (!ec)
        fs::permissions(temporary,
                        fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec,
                        ec);
    if (!ec)
        fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return platform::win32_error_from_errno(ec.value());
    }
    return ERROR_SUCCESS;
}

bool notebook_exists() {
    std::error_code ec;
    return std::filesystem::is_regular_file(firmware_path(), ec);
}

bool set_acpi_driver(const std::string& backend) {
    if (!backend.empty())
        return platform::set_machine_setting("devices", kAcpiDevice, backend);
    return WritePrivateProfileStringA("devices", kAcpiDevice, nullptr,
                                      platform::machine_config_path().c_str()) != FALSE;
}

bool acpi_driver_installed() {
    return !platform::machine_setting("devices", kAcpiDevice).empty();
}

bool rfkill_notebook() {
    return strcasecmp(platform::machine_setting("machine", "firmware").c_str(), "rfkill") == 0;
}

} // namespace machine
