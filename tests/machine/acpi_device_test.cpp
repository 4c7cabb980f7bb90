// The simulated notebook through the program's own channel: real CreateFileA and
// DeviceIoControl on \\.\ZEBACPI, with the firmware in firmware.ini of the machine root.
#include "device/acpi_channel.h"
#include "machine/acpi/firmware.h"
#include "machine/notebookctl/notebook_setup.h"

#include "tests/support/machine_fixture.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <sstream>

namespace {

using machine::Firmware;
using machine::FirmwareProfile;

class SimulatedNotebook : public testing_support::MachineFixture {
protected:
    void TearDown() override {
        if (g_hAcpiDevice != INVALID_HANDLE_VALUE)
            CloseHandle(g_hAcpiDevice);
        g_hAcpiDevice = INVALID_HANDLE_VALUE;
        MachineFixture::TearDown();
    }

    void boot(FirmwareProfile profile = {}) {
        ASSERT_EQ(machine::init_notebook(profile), static_cast<DWORD>(ERROR_SUCCESS));
        ASSERT_EQ(OpenAcpiDevice(), 1);
    }

    static DWORD eval(DWORD method) {
        DWORD value = 0xDEADBEEF;
        EXPECT_EQ(EvalAcpiMethod(method, &value), 1) << GetLastError();
        return value;
    }

    static Firmware firmware() {
        Firmware f;
        EXPECT_EQ(machine::read_firmware(f), static_cast<DWORD>(ERROR_SUCCESS));
        return f;
    }

    void answer(const std::string& line) {
        std::ofstream(root() / "firmware.ini", std::ios::app) << line << "\n";
    }

    // RSTS as a second process reads it through its own handle.
    static int rsts_in_another_process() {
        pid_t child = fork();
        if (child == 0) {
            DWORD value = 0xFF;
            _exit(OpenAcpiDevice() && EvalAcpiMethod(ACPI_METHOD_RSTS, &value) ? int(value) : 0xFF);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(SimulatedNotebook, StatusWordsFollowTheProfile) {
    boot({.wlan = true, .bluetooth = true, .hw_switch = true});
    EXPECT_EQ(eval(ACPI_METHOD_HWRS), 0x183u);
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x3u);

    ASSERT_EQ(machine::update_firmware([](Firmware& f) { f.state.switch_on = false; }),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(eval(ACPI_METHOD_HWRS), 0x182u);

    // Without a switch its position is not reported; an absent radio is never on.
    ASSERT_EQ(machine::init_notebook({.wlan = true, .bluetooth = false, .hw_switch = false}),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(eval(ACPI_METHOD_HWRS), 0x80u);
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x1u);
    ASSERT_EQ(machine::init_notebook({.wlan = false, .bluetooth = true, .hw_switch = true}),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(eval(ACPI_METHOD_HWRS), 0x103u);
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x2u);
}

TEST_F(SimulatedNotebook, BledSwitchesBluetoothForEveryProcess) {
    boot();
    DWORD value = 0xDEADBEEF;
    ASSERT_EQ(EvalAcpiMethodInt(ACPI_METHOD_BLED, 0, &value), 1);
    EXPECT_EQ(value, 0u);
    EXPECT_FALSE(firmware().state.bluetooth_on);
    EXPECT_TRUE(firmware().state.wlan_on);
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x1u);
    EXPECT_EQ(rsts_in_another_process(), 0x1);

    ASSERT_EQ(EvalAcpiMethodInt(ACPI_METHOD_BLED, 1, &value), 1);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(rsts_in_another_process(), 0x3);

    // What another process switches, this one reads.
    ASSERT_EQ(machine::update_firmware([](Firmware& f) { f.state.bluetooth_on = false; }),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x1u);
}

TEST_F(SimulatedNotebook, WledSwitchesWirelessLanAndAbsentRadiosStayOff) {
    boot({.wlan = true, .bluetooth = false, .hw_switch = false});
    DWORD value = 0;
    ASSERT_EQ(EvalAcpiMethodInt(machine::kMethodWled, 0, &value), 1);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x0u);
    ASSERT_EQ(EvalAcpiMethodInt(machine::kMethodWled, 7, &value), 1);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x1u);
    // No Bluetooth: the call succeeds and changes nothing.
    ASSERT_EQ(EvalAcpiMethodInt(ACPI_METHOD_BLED, 1, &value), 1);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x1u);
}

TEST_F(SimulatedNotebook, TheFirmwareFileCanMakeAnswersUnusual) {
    boot();
    answer("HWRS=count0");
    answer("rsts=type1");
    EXPECT_EQ(eval(ACPI_METHOD_HWRS), 0u);
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x44434241u);

    answer("BLED=fail");
    DWORD value = 0xDEADBEEF;
    EXPECT_EQ(EvalAcpiMethodInt(ACPI_METHOD_BLED, 0, &value), 0);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
    EXPECT_TRUE(firmware().state.bluetooth_on); // a failed call switched nothing

    // The first entry of a name counts, so start again for the record lengths.
    for (const char* shape : {"len2", "len96", "len97"}) {
        ASSERT_EQ(machine::init_notebook({}), static_cast<DWORD>(ERROR_SUCCESS));
        answer(std::string("HWRS=") + shape);
        EXPECT_EQ(eval(ACPI_METHOD_HWRS), std::string(shape) == "len97" ? 0u : 0x180u) << shape;
    }
}

TEST_F(SimulatedNotebook, TheDeviceOpensOnlyWhereItIsInstalled) {
    // Never set up: the driver is not installed.
    EXPECT_EQ(CreateFileA("\\\\.\\ZEBACPI", GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0,
                          NULL),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    // Installed, but the firmware is missing, or the backend is unknown.
    write_file("machine.ini", "[devices]\nZEBACPI=simulated\n");
    EXPECT_EQ(CreateFileA("\\\\.\\ZEBACPI", GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    ASSERT_EQ(machine::init_notebook({}), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_TRUE(machine::set_acpi_driver("quantum"));
    EXPECT_EQ(CreateFileA("\\\\.\\ZEBACPI", GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    // rfkill where the machine has no /dev/rfkill fails with the error of opening it.
    if (access("/dev/rfkill", F_OK) != 0) {
        ASSERT_TRUE(machine::set_acpi_driver("rfkill"));
        EXPECT_EQ(CreateFileA("\\\\.\\ZEBACPI", GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL),
                  INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    }

    ASSERT_TRUE(machine::set_acpi_driver("simulated"));
    EXPECT_EQ(OpenAcpiDevice(), 1);
}

TEST_F(SimulatedNotebook, SwitchesKeepWhatAPersonWroteInTheFile) {
    boot();
    std::ofstream(root() / "firmware.ini") << "; my notebook\n[profile]\nwlan = yes\n"
                                              "bluetooth=on\n[state]\nwlan=on\nbluetooth=off\n";
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x1u);
    DWORD value = 0;
    ASSERT_EQ(EvalAcpiMethodInt(ACPI_METHOD_BLED, 1, &value), 1);
    std::stringstream text;
    text << std::ifstream(root() / "firmware.ini").rdbuf();
    EXPECT_EQ(text.str(), "; my notebook\n[profile]\nwlan = yes\nbluetooth=on\n[state]\n"
                          "wlan=on\nbluetooth=1\n");
}

// A firmware file that is a FIFO, or a link to one or to a device, is refused at once: the
// device fails the request instead of waiting for a writer or reading without end.
TEST_F(SimulatedNotebook, AFirmwareFileThatIsNoFileIsRefused) {
    namespace fs = std::filesystem;
    boot();
    const fs::path file = root() / "firmware.ini";
    ASSERT_EQ(mkfifo((root() / "pipe").c_str(), 0644), 0);
    auto fifo = [&] { return mkfifo(file.c_str(), 0644) == 0; };
    auto to_pipe = [&] { return fs::create_symlink("pipe", file), true; };
    auto to_zero = [&] { return fs::create_symlink("/dev/zero", file), true; };
    for (const auto& make : std::vector<std::function<bool()>>{fifo, to_pipe, to_zero}) {
        fs::remove(file);
        ASSERT_TRUE(make());
        DWORD value = 0;
        EXPECT_EQ(EvalAcpiMethod(ACPI_METHOD_RSTS, &value), 0);
        EXPECT_EQ(EvalAcpiMethodInt(ACPI_METHOD_BLED, 1, &value), 0);
        Firmware f;
        EXPECT_EQ(machine::read_firmware(f), static_cast<DWORD>(ERROR_ACCESS_DENIED));
        EXPECT_EQ(machine::update_firmware([](Firmware& fw) { fw.state.wlan_on = false; }),
                  static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    EXPECT_TRUE(fs::is_fifo(root() / "pipe"));
}

} // namespace
