// The notebook of `notebookctl init --rfkill` through the program's own channel: real
// CreateFileA and DeviceIoControl on \\.\ZEBACPI, with the kernel's radios played by a
// stand-in the test controls, and the profile found in a /sys/class/rfkill tree of its own.
#include "device/acpi_channel.h"
#include "machine/acpi/firmware.h"
#include "machine/acpi/rfkill_device.h"
#include "machine/acpi/rfkill_profile.h"
#include "machine/acpi/rfkill_state.h"
#include "machine/notebookctl/notebook_setup.h"

#include "tests/support/machine_fixture.h"
#include "tests/support/rfkill_standin.h"

#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <fstream>
#include <unistd.h>

namespace {

using testing_support::RfkillStandIn;
using Radio = RfkillStandIn::Radio;

constexpr DWORD kWled = machine::kMethodWled;

const Radio kWlanOn{RFKILL_TYPE_WLAN, false, false, 0};
const Radio kBluetoothOn{RFKILL_TYPE_BLUETOOTH, false, false, 0};
const Radio kBluetoothOff{RFKILL_TYPE_BLUETOOTH, true, false, 0};
const Radio kWlanSwitchedOff{RFKILL_TYPE_WLAN, false, true, RFKILL_HARD_BLOCK_SIGNAL};

class RfkillNotebook : public testing_support::MachineFixture,
                       public testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        device = std::make_unique<RfkillStandIn>(root() / "rfkill", GetParam());
    }
    void TearDown() override {
        if (g_hAcpiDevice != INVALID_HANDLE_VALUE)
            CloseHandle(g_hAcpiDevice);
        g_hAcpiDevice = INVALID_HANDLE_VALUE;
        device.reset();
        MachineFixture::TearDown();
    }

    void boot(bool has_switch = false) {
        ASSERT_EQ(machine::init_notebook({true, true, has_switch}, "rfkill"),
                  static_cast<DWORD>(ERROR_SUCCESS));
        ASSERT_EQ(OpenAcpiDevice(), 1) << GetLastError();
    }

    static DWORD eval(DWORD method) {
        DWORD value = 0xDEADBEEF;
        EXPECT_EQ(EvalAcpiMethod(method, &value), 1) << GetLastError();
        return value;
    }
    static DWORD eval(DWORD method, DWORD argument) {
        DWORD value = 0xDEADBEEF;
        EXPECT_EQ(EvalAcpiMethodInt(method, argument, &value), 1) << GetLastError();
        return value;
    }

    // Waits until the stand-in has taken `count` written records and sent their changes.
    void written(size_t count) {
        ASSERT_TRUE(device->wait_until([&] { return device->written().size() >= count; }));
    }

    std::unique_ptr<RfkillStandIn> device;
};

TEST_P(RfkillNotebook, RadiosReadAndSwitchAsSoftBlocksOfEveryRadioOfTheType) {
    device->add(0, kWlanOn);
    device->add(1, kBluetoothOff);
    device->add(2, kBluetoothOn);
    device->add(3, {RFKILL_TYPE_WWAN, false, false, 0});
    boot();
    EXPECT_EQ(eval(ACPI_METHOD_HWRS), 0x180u);
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x3u); // one Bluetooth radio on is Bluetooth on

    EXPECT_EQ(eval(ACPI_METHOD_BLED, 0), 0u);
    written(1);
    rfkill_event off = device->written()[0];
    EXPECT_EQ(off.op, RFKILL_OP_CHANGE_ALL);
    EXPECT_EQ(off.type, RFKILL_TYPE_BLUETOOTH);
    EXPECT_EQ(off.soft, 1);
    EXPECT_TRUE(device->radios()[1].soft && device->radios()[2].soft);
    EXPECT_FALSE(device->radios()[0].soft || device->radios()[3].soft);
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x1u);

    EXPECT_EQ(eval(kWled, 0), 0u);
    EXPECT_EQ(eval(kWled, 1), 1u);
    EXPECT_EQ(eval(ACPI_METHOD_BLED, 1), 1u);
    written(4);
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x3u);
    EXPECT_FALSE(device->radios()[0].soft || device->radios()[1].soft || device->radios()[2].soft);

    // Another tool blocks a radio: the next look sees it.
    device->change(0, {RFKILL_TYPE_WLAN, true, false, 0});
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x2u);
}

TEST_P(RfkillNotebook, TheSwitchShowsAsAHardBlockAndCannotBeOverruled) {
    device->add(0, kWlanOn);
    device->add(1, kBluetoothOn);
    boot(); // no switch was found at set-up
    EXPECT_EQ(eval(ACPI_METHOD_HWRS), 0x180u);
    device->change(0, kWlanSwitchedOff);
    device->change(1, {RFKILL_TYPE_BLUETOOTH, false, true, RFKILL_HARD_BLOCK_SIGNAL});
    EXPECT_EQ(eval(ACPI_METHOD_HWRS), 0x182u); // a switch, off
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x0u);
    EXPECT_EQ(eval(kWled, 1), 0u); // soft-unblocked, still hard-blocked: not on
    device->change(0, kWlanOn);
    device->change(1, kBluetoothOn);
    EXPECT_EQ(eval(ACPI_METHOD_HWRS), 0x180u);
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x3u);
}

TEST_P(RfkillNotebook, ASwitchFoundAtSetUpStaysAndReadsOnWhileNothingBlocks) {
    device->add(0, kWlanOn);
    boot(true);
    EXPECT_EQ(eval(ACPI_METHOD_HWRS), 0x83u);
    device->change(0, kWlanSwitchedOff);
    EXPECT_EQ(eval(ACPI_METHOD_HWRS), 0x82u);
}

TEST_P(RfkillNotebook, RadiosComeAndGoAndShortRecordsAreDropped) {
    boot();
    EXPECT_EQ(eval(ACPI_METHOD_HWRS), 0x0u);
    EXPECT_EQ(eval(ACPI_METHOD_BLED, 1), 0u); // no radio: nothing written, answered off
    device->add(7, kBluetoothOn);
    EXPECT_EQ(eval(ACPI_METHOD_HWRS), 0x100u);
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x2u);

    // A record cut short says nothing; the one after it counts.
    rfkill_event add{};
    add.idx = 8;
    add.type = RFKILL_TYPE_WLAN;
    add.op = RFKILL_OP_ADD;
    device->send_raw(std::string(reinterpret_cast<const char*>(&add), RFKILL_EVENT_SIZE_V1 - 1));
    EXPECT_EQ(eval(ACPI_METHOD_HWRS), 0x100u);
    device->send_raw(std::string(reinterpret_cast<const char*>(&add), RFKILL_EVENT_SIZE_V1) +
                     std::string(7, '\x01')); // a longer record of a later kernel
    EXPECT_EQ(eval(ACPI_METHOD_HWRS), 0x180u);

    device->remove(7);
    EXPECT_EQ(eval(ACPI_METHOD_HWRS), 0x80u);
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x1u);
    EXPECT_TRUE(device->written().empty());
}

INSTANTIATE_TEST_SUITE_P(Records, RfkillNotebook, testing::Bool(),
                         [](const auto& info) { return info.param ? "Extended" : "FirstLayout"; });

using RfkillExtended = RfkillNotebook;

TEST_P(RfkillExtended, ARadioHeldByAnotherOwnerIsBlockedByNoSwitch) {
    device->add(0, {RFKILL_TYPE_WLAN, false, true, RFKILL_HARD_BLOCK_NOT_OWNER});
    boot();
    EXPECT_EQ(eval(ACPI_METHOD_HWRS), 0x80u);
    EXPECT_EQ(eval(ACPI_METHOD_RSTS), 0x0u);
}

INSTANTIATE_TEST_SUITE_P(Records, RfkillExtended, testing::Values(true),
                         [](const auto&) { return "Extended"; });

using RfkillAbsent = testing_support::MachineFixture;

TEST_F(RfkillAbsent, AMissingDeviceIsNoDeviceAtAll) {
    setenv("RADIODECK_TEST_RFKILL", (root() / "no-such-device").c_str(), 1);
    ASSERT_EQ(machine::init_notebook({}, "rfkill"), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE device = CreateFileA("\\\\.\\ZEBACPI", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    DWORD error = GetLastError();
    unsetenv("RADIODECK_TEST_RFKILL");
    EXPECT_EQ(device, INVALID_HANDLE_VALUE);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND)); // the console's "no device"
}

using RfkillWrites = testing_support::MachineFixture;

// A write the kernel takes only in part fails the call instead of passing for done. A file
// that may grow by 5 bytes more takes the first 5 of the record, as POSIX has it.
TEST_F(RfkillWrites, AShortWriteIsAFailure) {
    int fd = open((root() / "device").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    rfkill_event event{};
    event.op = RFKILL_OP_CHANGE_ALL;
    event.type = RFKILL_TYPE_WLAN;
    EXPECT_EQ(machine::write_rfkill_record(fd, event), static_cast<DWORD>(ERROR_SUCCESS));
    rlimit before;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit small = before;
    small.rlim_cur = RFKILL_EVENT_SIZE_V1 + 5;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    DWORD error = machine::write_rfkill_record(fd, event);
    setrlimit(RLIMIT_FSIZE, &before);
    close(fd);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_WRITE_FAULT));
    EXPECT_EQ(std::filesystem::file_size(root() / "device"), RFKILL_EVENT_SIZE_V1 + 5);
}

// The radios of /sys/class/rfkill, as folders of a test's own.
class RfkillProfile : public testing_support::MachineFixture {
protected:
    void radio(const std::string& name, const std::string& type, const std::string& hard,
               const char* reasons, const char* bus) {
        std::filesystem::path folder = root() / "sys" / name;
        write_file("sys/" + name + "/type", type + "\n");
        write_file("sys/" + name + "/hard", hard + "\n");
        if (reasons)
            write_file("sys/" + name + "/hard_block_reasons", std::string(reasons) + "\n");
        std::filesystem::path device = root() / "devices" / name;
        std::filesystem::create_directories(device);
        std::filesystem::create_directories(root() / "bus" / bus);
        std::filesystem::create_directory_symlink(root() / "bus" / bus, device / "subsystem");
        std::filesystem::create_directory_symlink(device, folder / "device");
    }
    machine::FirmwareProfile profile() { return machine::rfkill_profile(root() / "sys"); }
};

TEST_F(RfkillProfile, RadiosAndTheSwitchAreFoundInTheKernelsList) {
    auto is = [](machine::FirmwareProfile p, bool wlan, bool bt, bool sw) {
        return p.wlan == wlan && p.bluetooth == bt && p.hw_switch == sw;
    };
    EXPECT_TRUE(is(profile(), false, false, false)); // no folder at all
    radio("rfkill0", "wlan", "0", "0x0", "ieee80211");
    EXPECT_TRUE(is(profile(), true, false, false));
    radio("rfkill1", "bluetooth", "0", nullptr, "bluetooth");
    radio("rfkill2", "wwan", "1", "0x2", "usb"); // held by another owner: no switch
    EXPECT_TRUE(is(profile(), true, true, false));
    radio("rfkill3", "wlan", "1", nullptr, "pci"); // an older kernel's hard block: a switch
    EXPECT_TRUE(is(profile(), true, true, true));
    std::filesystem::remove_all(root() / "sys" / "rfkill3");
    radio("rfkill4", "wlan", "1", "0x1", "ieee80211"); // the switch's signal
    EXPECT_TRUE(is(profile(), true, true, true));
    std::filesystem::remove_all(root() / "sys" / "rfkill4");
    radio("rfkill5", "bluetooth", "0", "0x0", "platform"); // the notebook's own driver
    EXPECT_TRUE(is(profile(), true, true, true));
}

// This machine's own kernel, where it has one: read only, so that the test never switches the
// radios of whoever runs it.
TEST(RfkillKernel, TheKernelsRadiosReadAsTheirSysfsListSays) {
    machine::RfkillState state;
    int fd = machine::open_rfkill_device(state);
    if (fd < 0)
        GTEST_SKIP() << "skipped: /dev/rfkill cannot be opened here (" << std::strerror(errno)
                     << "); this test needs a kernel with radios";
    close(fd);
    machine::FirmwareProfile profile = machine::rfkill_profile("/sys/class/rfkill");
    EXPECT_EQ((state.hwrs() & machine::kHwrsWlanPresent) != 0, profile.wlan);
    EXPECT_EQ((state.hwrs() & machine::kHwrsBluetoothPresent) != 0, profile.bluetooth);
    EXPECT_TRUE(!state.switched_off() || profile.hw_switch);
}

} // namespace
