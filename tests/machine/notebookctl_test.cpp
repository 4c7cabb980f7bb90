// notebookctl, run as a program on a fresh machine root: what it prints and what it leaves in
// the machine root for the other programs.
#include "machine/acpi/firmware.h"

#include "platform/drivers/display.h"
#include "platform/kernel/machine.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/rfkill_standin.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Outcome {
    int code = -1;
    std::string out, err;
};

std::string slurp(const std::filesystem::path& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

class Notebookctl : public testing_support::MachineFixture {
protected:
    // `as` runs the tool through a command such as setpriv.
    Outcome run(const std::string& args, const std::string& as = "") {
        std::string out = (root() / "stdout.txt").string();
        std::string err = (root() / "stderr.txt").string();
        std::string command =
            as + " '" + NOTEBOOKCTL + "' " + args + " >'" + out + "' 2>'" + err + "'";
        int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out), slurp(err)};
    }
};

std::string status_text(int wlan, int bt, int sw, int sw_on, int wlan_on, int bt_on,
                        const char* hwrs, const char* rsts, int driver, const char* user) {
    std::ostringstream s;
    s << "wlan_present=" << wlan << "\nbluetooth_present=" << bt << "\nhw_switch_present=" << sw
      << "\nhw_switch_on=" << sw_on << "\nwlan_on=" << wlan_on << "\nbluetooth_on=" << bt_on
      << "\nhwrs=" << hwrs << "\nrsts=" << rsts << "\ndriver_installed=" << driver
      << "\nuser=" << user << "\n";
    return s.str();
}

TEST_F(Notebookctl, InitSetsUpANotebookThatStatusDescribes) {
    write_file("registry.reg", "Windows Registry Editor Version 5.00\n");
    Outcome init = run("init");
    EXPECT_EQ(init.code, 0) << init.err;
    EXPECT_EQ(init.out, "");
    EXPECT_TRUE(std::filesystem::is_directory(root() / "drive_c" / "WINDOWS"));
    EXPECT_FALSE(std::filesystem::exists(root() / "registry.reg"));
    EXPECT_EQ(platform::machine_setting("devices", "ZEBACPI"), "simulated");
    EXPECT_EQ(platform::machine_setting("machine", "user"), "admin");

    Outcome status = run("status");
    EXPECT_EQ(status.code, 0);
    EXPECT_EQ(status.out, status_text(1, 1, 0, 0, 1, 1, "0x180", "0x3", 1, "admin"));

    EXPECT_EQ(run("init --radios wlan --hw-switch").code, 0);
    EXPECT_EQ(run("status").out, status_text(1, 0, 1, 1, 1, 0, "0x83", "0x1", 1, "admin"));
    EXPECT_EQ(run("init --radios none").code, 0);
    EXPECT_EQ(run("status").out, status_text(0, 0, 0, 0, 0, 0, "0x0", "0x0", 1, "admin"));
}

TEST_F(Notebookctl, CommandsChangeWhatEveryProgramSees) {
    ASSERT_EQ(run("init --radios bluetooth").code, 0);
    EXPECT_EQ(run("set bluetooth off").code, 0);
    machine::Firmware firmware;
    ASSERT_EQ(machine::read_firmware(firmware), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(firmware.rsts(), 0u);
    EXPECT_EQ(run("set bluetooth on").code, 0);
    Outcome absent = run("set wlan on");
    EXPECT_EQ(absent.code, 1);
    EXPECT_EQ(absent.err, "notebookctl: this notebook has no Wireless LAN\n");

    EXPECT_EQ(run("driver uninstall").code, 0);
    EXPECT_EQ(run("user standard").code, 0);
    EXPECT_FALSE(platform::machine_user_is_admin());
    EXPECT_EQ(run("status").out, status_text(0, 1, 0, 0, 0, 1, "0x100", "0x2", 0, "standard"));
    EXPECT_EQ(CreateFileA("\\\\.\\ZEBACPI", GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL),
              INVALID_HANDLE_VALUE);

    EXPECT_EQ(run("driver install").code, 0);
    EXPECT_EQ(run("user admin").code, 0);
    EXPECT_EQ(run("status").out, status_text(0, 1, 0, 0, 0, 1, "0x100", "0x2", 1, "admin"));
}

TEST_F(Notebookctl, LangShowsAndSetsTheNotebooksLanguage) {
    ASSERT_EQ(run("init").code, 0);
    setenv("LANG", "de_DE.UTF-8", 1); // the host's locale, which the tool inherits
    EXPECT_EQ(run("lang").out, "langid=0x0407\nsource=host\n");
    EXPECT_EQ(run("lang 0xc0c").code, 0);
    EXPECT_EQ(platform::machine_setting("machine", "langid"), "0x0C0C");
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0C0C);
    EXPECT_EQ(run("lang").out, "langid=0x0C0C\nsource=machine\n");
    EXPECT_EQ(run("lang host").code, 0);
    EXPECT_EQ(run("lang").out, "langid=0x0407\nsource=host\n");
    for (const char* bad : {"lang 0407", "lang 0x", "lang 0x10000", "lang 0x0", "lang 0x4g7",
                            "lang german", "lang 0x0407 host"}) {
        Outcome outcome = run(bad);
        EXPECT_EQ(outcome.code, 2) << bad;
        EXPECT_EQ(outcome.err, "usage: notebookctl lang [0xNNNN|host]\n") << bad;
    }
    EXPECT_EQ(run("lang").out, "langid=0x0407\nsource=host\n");
}

TEST_F(Notebookctl, ScreenSetsWhatTheHeadlessDisplayAnswers) {
    EXPECT_EQ(run("screen").out, "size=1024x768\ndpi=96\n");
    EXPECT_EQ(run("screen size 1280 800").code, 0);
    EXPECT_EQ(run("screen dpi 120").code, 0);
    EXPECT_EQ(run("screen").out, "size=1280x800\ndpi=120\n");
    // This process asks the headless driver after the change, as a program started now.
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 800);
    EXPECT_EQ(platform::display_driver().pixels_per_inch(), 120);
    for (const char* bad : {"screen size 0 768", "screen size 1024", "screen size 10x7 1",
                            "screen dpi 12", "screen dpi 96.5", "screen dpi", "screen colour"}) {
        Outcome outcome = run(bad);
        EXPECT_EQ(outcome.code, 2) << bad;
        EXPECT_EQ(outcome.err, "usage: notebookctl screen [size W H | dpi N]\n") << bad;
    }
    // A value damaged by hand is the default's.
    platform::set_machine_setting("screen", "size", "wide");
    EXPECT_EQ(run("screen").out, "size=1024x768\ndpi=120\n");
}

TEST_F(Notebookctl, InitRfkillSetsUpTheKernelsRadios) {
    testing_support::RfkillStandIn device(root() / "rfkill", true);
    device.add(0, {RFKILL_TYPE_WLAN, false, false, 0});
    device.add(1, {RFKILL_TYPE_BLUETOOTH, false, true, RFKILL_HARD_BLOCK_SIGNAL});
    write_file("sys/rfkill0/type", "wlan\n");
    write_file("sys/rfkill1/type", "bluetooth\n");
    write_file("sys/rfkill1/hard", "1\n");
    setenv("RADIODECK_TEST_RFKILL_SYSFS", (root() / "sys").c_str(), 1);
    Outcome init = run("init --rfkill");
    unsetenv("RADIODECK_TEST_RFKILL_SYSFS");
    EXPECT_EQ(init.code, 0) << init.err;
    EXPECT_EQ(init.err, "");
    EXPECT_EQ(platform::machine_setting("devices", "ZEBACPI"), "rfkill");
    machine::Firmware firmware;
    ASSERT_EQ(machine::read_firmware(firmware), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(firmware.profile.wlan && firmware.profile.bluetooth && firmware.profile.hw_switch);

    EXPECT_EQ(run("status").out, status_text(1, 1, 1, 0, 1, 0, "0x182", "0x1", 1, "admin"));
    EXPECT_EQ(run("set wlan off").code, 0);
    ASSERT_TRUE(device.wait_until([&] { return device.radios()[0].soft; }));
    device.change(1, {RFKILL_TYPE_BLUETOOTH, false, false, 0}); // the switch moved on
    EXPECT_EQ(run("status").out, status_text(1, 1, 1, 1, 0, 1, "0x183", "0x2", 1, "admin"));
    Outcome moved = run("switch off");
    EXPECT_EQ(moved.code, 1);
    EXPECT_EQ(moved.err,
              "notebookctl: the hardware switch of this notebook is a real one: move it by hand\n");
    // Installed again, the driver runs on the kernel's radios still.
    EXPECT_EQ(run("driver uninstall").code, 0);
    EXPECT_EQ(run("driver install").code, 0);
    EXPECT_EQ(platform::machine_setting("devices", "ZEBACPI"), "rfkill");
}

TEST_F(Notebookctl, AMissingPermissionIsNamedWithTheWayToGetIt) {
    std::filesystem::create_directory(root() / "private");
    testing_support::RfkillStandIn device(root() / "private" / "rfkill", false);
    setenv("RADIODECK_TEST_RFKILL_SYSFS", (root() / "sys").c_str(), 1);
    ASSERT_EQ(run("init --rfkill").code, 0);
    unsetenv("RADIODECK_TEST_RFKILL_SYSFS");
    // Someone else's device: as root, the tool runs as nobody; else the device has no mode.
    namespace fs = std::filesystem;
    for (const char* file : {"machine.ini", "firmware.ini"})
        fs::permissions(root() / file, fs::perms::owner_read | fs::perms::owner_write |
                                           fs::perms::group_read | fs::perms::others_read);
    fs::permissions(root(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(root() / "private", fs::perms::owner_all);
    fs::permissions(root() / "private" / "rfkill", fs::perms::none);
    Outcome status =
        run("status", geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "");
    EXPECT_EQ(status.code, 1);
    EXPECT_EQ(status.out, "");
    std::string device_path = (root() / "private" / "rfkill").string();
    EXPECT_NE(status.err.find("notebookctl: no permission to read and write " + device_path +
                              ".\nThe radios are switched through it. systemd-logind lets the "
                              "user who is logged in at the\nnotebook's own seat use it (udev's "
                              "uaccess tag)"),
              std::string::npos)
        << status.err;
    EXPECT_NE(status.err.find("KERNEL==\"rfkill\", GROUP=\"netdev\", MODE=\"0664\""),
              std::string::npos);
    EXPECT_NE(
        status.err.find("notebookctl: cannot read the radios of " + device_path + " (error 5)\n"),
        std::string::npos);
}

TEST_F(Notebookctl, MistakesAreExplained) {
    Outcome uninitialised = run("status");
    EXPECT_EQ(uninitialised.code, 1);
    EXPECT_EQ(uninitialised.out, "");
    EXPECT_EQ(uninitialised.err, "notebookctl: no notebook in " + root().string() +
                                     "; run 'notebookctl init' first\n");
    EXPECT_EQ(run("set wlan off").code, 1);

    const std::string usage =
        "usage: notebookctl init [--radios both|wlan|bluetooth|none] [--hw-switch] | init "
        "--rfkill | status | "
        "set wlan|bluetooth on|off | switch on|off | hotkey | resume | driver install|uninstall | "
        "user admin|standard | lang [0xNNNN|host] | osd | screen [size W H | dpi N]\n";
    EXPECT_EQ(run("").err, usage);
    Outcome unknown = run("reboot");
    EXPECT_EQ(unknown.code, 2);
    EXPECT_EQ(unknown.err, usage);

    Outcome bad_init = run("init --radios three");
    EXPECT_EQ(bad_init.code, 2);
    EXPECT_EQ(bad_init.err, "usage: notebookctl init [--radios both|wlan|bluetooth|none] "
                            "[--hw-switch] | init --rfkill\n");
    EXPECT_EQ(run("init --rfkill --hw-switch").code, 2);
    EXPECT_FALSE(std::filesystem::exists(machine::firmware_path()));

    ASSERT_EQ(run("init").code, 0);
    EXPECT_EQ(run("set wlan maybe").err, "usage: notebookctl set wlan|bluetooth on|off\n");
    EXPECT_EQ(run("set wlan maybe").code, 2);
    EXPECT_EQ(run("status now").code, 2);
    EXPECT_EQ(run("user root").code, 2);
    EXPECT_EQ(run("driver").code, 2);
}

// The peak memory of `notebookctl osd` with a journal of `lines` announcements, in KiB; its
// output must be the journal again.
long osd_peak_kib(const std::filesystem::path& dir, size_t lines) {
    const std::string line = "135 Wireless LAN and Bluetooth on\n";
    {
        std::ofstream journal(dir / "osd_journal.txt", std::ios::trunc);
        for (size_t i = 0; i < lines; ++i)
            journal << line;
    }
    std::string out = (dir / "osd.txt").string();
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const char* argv[] = {NOTEBOOKCTL, "osd", nullptr};
    // Under AddressSanitizer freed memory waits in a quarantine, which would count as the
    // tool's; without one, memory is what the tool holds.
    const char* asan = getenv("ASAN_OPTIONS");
    std::string saved = asan ? asan : "";
    setenv("ASAN_OPTIONS", (saved + ":quarantine_size_mb=0").c_str(), 1);
    pid_t pid = -1;
    int spawned =
        posix_spawn(&pid, NOTEBOOKCTL, &files, nullptr, const_cast<char**>(argv), environ);
    if (asan)
        setenv("ASAN_OPTIONS", saved.c_str(), 1);
    else
        unsetenv("ASAN_OPTIONS");
    posix_spawn_file_actions_destroy(&files);
    int status = 0;
    rusage usage{};
    if (spawned != 0 || wait4(pid, &status, 0, &usage) != pid || status != 0)
        return -1;
    EXPECT_EQ(std::filesystem::file_size(out), lines * line.size());
    return usage.ru_maxrss;
}

// A journal of half a million announcements is printed in the memory of one of a single line:
// the tool holds one line at a time, never the journal or its entries.
TEST_F(Notebookctl, OsdPrintsALongJournalInConstantMemory) {
    ASSERT_EQ(run("init").code, 0);
    long small = osd_peak_kib(root(), 1);
    long large = osd_peak_kib(root(), 500000); // 17 MB, and 45 MB as entries
    ASSERT_GT(small, 0);
    ASSERT_GT(large, 0);
    EXPECT_LT(large - small, 4096) << small << " KiB against " << large << " KiB";
}

} // namespace
