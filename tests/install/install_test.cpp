// `make install` as a person runs it: the layout below DESTDIR file by file with its desktop
// entries validated, `make uninstall` taking it all away again, and the installed program's
// first start on a notebook of the kernel's radios (a stand-in), resumed by logind's signal
// on a private system bus.
#include "tests/desktop/peer_process.h"
#include "tests/support/process_wait.h"
#include "tests/support/rfkill_standin.h"

#include "platform/desktop/desktop.h"

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using desktop_test::Process;

std::string slurp(const fs::path& path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// Runs a shell command to its end; its exit code, with its output in `out`.
int shell(const std::string& command, std::string* out = nullptr) {
    std::string file =
        fs::temp_directory_path() / ("radiodeck-install-" + std::to_string(getpid()) + ".out");
    int status = std::system((command + " >'" + file + "' 2>&1").c_str());
    if (out)
        *out = slurp(file);
    fs::remove(file);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What `make install` runs once the build is there.
int install(const fs::path& prefix, const fs::path& destdir, const fs::path& autostart) {
    return shell("DESTDIR='" + destdir.string() + "' RADIODECK_AUTOSTART='" + autostart.string() +
                 "' cmake --install '" + RADIODECK_BUILD + "' --prefix '" + prefix.string() + "'");
}

std::set<std::string> files_below(const fs::path& top) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(top))
        if (!entry.is_directory())
            files.insert(fs::relative(entry.path(), top).string());
    return files;
}

bool executable(const fs::path& file) {
    return access(file.c_str(), X_OK) == 0 &&
           (fs::status(file).permissions() & fs::perms::others_exec) != fs::perms::none;
}

class Install : public desktop_test::DesktopTest {};

TEST_F(Install, MakeInstallLaysOutAValidCompleteInstallationAndUninstallTakesItAway) {
    fs::path dest = root_->path() / "dest";
    std::string output;
    ASSERT_EQ(install("/usr", dest, "/etc/xdg/autostart"), 0);

    const std::set<std::string> programs = {"radiodeck",   "keywatch", "zebosd",
                                            "notebookctl", "deskctl",  "reg"};
    std::set<std::string> expected = {"usr/bin/radiodeck",
                                      "usr/share/applications/radiodeck.desktop",
                                      "etc/xdg/autostart/radiodeck.desktop"};
    for (const std::string& p : programs)
        expected.insert("usr/lib/radiodeck/" + p);
    for (const char* library :
         {"rescue.dll", "Verovod.dll", "German.dll", "French.dll", "Spanish.dll", "LANG.INI"})
        expected.insert(std::string("usr/lib/radiodeck/") + library);
    const int sizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
    for (int size : sizes)
        expected.insert("usr/share/icons/hicolor/" + std::to_string(size) + "x" +
                        std::to_string(size) + "/apps/radiodeck.png");
    EXPECT_EQ(files_below(dest), expected);

    for (const std::string& p : programs)
        EXPECT_TRUE(executable(dest / "usr/lib/radiodeck" / p)) << p;
    EXPECT_TRUE(executable(dest / "usr/bin/radiodeck"));
    EXPECT_EQ(shell("sh -n '" + (dest / "usr/bin/radiodeck").string() + "'"), 0);
    EXPECT_NE(slurp(dest / "usr/bin/radiodeck").find("lib='/usr/lib/radiodeck'\n"),
              std::string::npos);
    for (const char* entry :
         {"usr/share/applications/radiodeck.desktop", "etc/xdg/autostart/radiodeck.desktop"}) {
        EXPECT_EQ(shell("desktop-file-validate '" + (dest / entry).string() + "'", &output), 0)
            << entry << ": " << output;
        EXPECT_EQ(output, "") << entry;
        std::string text = slurp(dest / entry);
        EXPECT_NE(text.find("\nExec=/usr/bin/radiodeck\n"), std::string::npos) << entry;
        EXPECT_NE(text.find("\nIcon=radiodeck\n"), std::string::npos) << entry;
    }
    // Each icon is a PNG of the size its folder names.
    for (int size : sizes) {
        std::string png = slurp(dest / ("usr/share/icons/hicolor/" + std::to_string(size) + "x" +
                                        std::to_string(size) + "/apps/radiodeck.png"));
        ASSERT_GT(png.size(), 24u);
        EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
        auto be32 = [&](size_t at) {
            return uint32_t(uint8_t(png[at])) << 24 | uint32_t(uint8_t(png[at + 1])) << 16 |
                   uint32_t(uint8_t(png[at + 2])) << 8 | uint32_t(uint8_t(png[at + 3]));
        };
        EXPECT_EQ(be32(16), uint32_t(size));
        EXPECT_EQ(be32(20), uint32_t(size));
    }

    // Something of the person's own beside it stays.
    std::ofstream(dest / "usr/share/applications/other.desktop") << "[Desktop Entry]\n";
    ASSERT_EQ(shell(std::string("make -C '") + RADIODECK_SOURCE + "' uninstall DESTDIR='" +
                        dest.string() + "' PREFIX=/usr AUTOSTART=/etc/xdg/autostart",
                    &output),
              0)
        << output;
    EXPECT_EQ(files_below(dest), std::set<std::string>{"usr/share/applications/other.desktop"});
}

// A system bus of the test's own, on which it plays logind.
class PrivateBus {
public:
    explicit PrivateBus(const fs::path& dir) : socket_(dir / "system_bus") {
        fs::path config = dir / "system-bus.conf";
        std::ofstream(config) << "<busconfig>\n  <type>system</type>\n"
                                 "  <listen>unix:path="
                              << socket_.string()
                              << "</listen>\n  <auth>EXTERNAL</auth>\n"
                                 "  <policy context=\"default\">\n"
                                 "    <allow user=\"*\"/>\n    <allow own=\"*\"/>\n"
                                 "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                                 "    <allow receive_sender=\"*\"/>\n"
                                 "    <allow eavesdrop=\"true\"/>\n"
                                 "  </policy>\n</busconfig>\n";
        daemon_ = std::make_unique<Process>(
            std::vector<std::string>{"/usr/bin/dbus-daemon", "--config-file=" + config.string(),
                                     "--nofork", "--print-address"});
        ready_ = daemon_->next_line().has_value(); // printed once it listens
    }
    bool ready() const { return ready_; }
    std::string address() const { return "unix:path=" + socket_.string(); }
    bool resume() const {
        return shell("dbus-send --bus='" + address() +
                     "' --type=signal /org/freedesktop/login1 "
                     "org.freedesktop.login1.Manager.PrepareForSleep boolean:false") == 0;
    }

private:
    fs::path socket_;
    std::unique_ptr<Process> daemon_;
    bool ready_ = false;
};

// The installed program on a notebook of the kernel's radios: Wireless LAN and Bluetooth, in
// the stand-in device and in a radio list of the test's own, and a private system bus.
class InstalledNotebook : public Install {
protected:
    void SetUp() override {
        Install::SetUp();
        ASSERT_EQ(install(prefix(), "", root_->path() / "autostart"), 0);
        device = std::make_unique<testing_support::RfkillStandIn>(root_->path() / "rfkill", true);
        bus = std::make_unique<PrivateBus>(root_->path());
        ASSERT_TRUE(bus->ready());
        setenv("DBUS_SYSTEM_BUS_ADDRESS", bus->address().c_str(), 1);
    }
    void TearDown() override {
        if (console)
            PostMessageA(console, WM_COMMAND, 32771, 0); // Exit
        if (service)
            PostMessageA(service, WM_CLOSE, 0, 0);
        if (launcher) {
            // Ended by itself (its code is that of its last message).
            EXPECT_GE(launcher->wait_exit(), 0);
        }
        launcher.reset();
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        bus.reset();
        device.reset();
        Install::TearDown();
    }
    fs::path prefix() const { return root_->path() / "usr"; }

    // The radios, the switch's block on Wireless LAN or not, and the launcher's first start.
    void start(bool switched_off) {
        device->add(0, {RFKILL_TYPE_WLAN, false, switched_off,
                        uint8_t(switched_off ? RFKILL_HARD_BLOCK_SIGNAL : 0)});
        device->add(1, {RFKILL_TYPE_BLUETOOTH, false, false, 0});
        for (const char* entry : {"rfkill0/type=wlan", "rfkill1/type=bluetooth",
                                  switched_off ? "rfkill0/hard=1" : "rfkill0/hard=0"}) {
            std::string e = entry;
            fs::path file = root_->path() / "sys" / e.substr(0, e.find('='));
            fs::create_directories(file.parent_path());
            std::ofstream(file) << e.substr(e.find('=') + 1) << "\n";
        }
        setenv("RADIODECK_TEST_RFKILL_SYSFS", (root_->path() / "sys").c_str(), 1);
        launcher = std::make_unique<Process>(std::vector<std::string>{
            "/bin/sh", "-c",
            "exec '" + (prefix() / "bin/radiodeck").string() + "' 2>'" + said().string() + "'"});
        unsetenv("RADIODECK_TEST_RFKILL_SYSFS");
        auto changes = platform::desktop_change_file();
        ASSERT_TRUE(changes);
        ASSERT_TRUE(testing_support::wait_in_dir(changes->parent_path(), [&] {
            console = FindWindowA("#32770", "Radiodeck");
            service = FindWindowA("KEYWATCH", "KEYWATCH");
            return console && service;
        }));
        // The start-up asserts the radios: Bluetooth itself, Wireless LAN through the service.
        ASSERT_TRUE(device->wait_until([&] { return device->written().size() >= 2; }));
    }
    fs::path said() const { return root_->path() / "launcher.err"; }

    // Sends logind's resume until the radios are as `wanted` says: the program subscribes
    // to it only once it runs, and a resume more changes nothing.
    bool resume_until(bool wlan_soft, bool bluetooth_soft) {
        for (int attempt = 0; attempt < 50; ++attempt) {
            if (!bus->resume())
                return false;
            if (device->wait_until(
                    [&] {
                        auto radios = device->radios();
                        return radios[0].soft == wlan_soft && radios[1].soft == bluetooth_soft;
                    },
                    std::chrono::milliseconds(200)))
                return true;
        }
        return false;
    }

    std::unique_ptr<testing_support::RfkillStandIn> device;
    std::unique_ptr<PrivateBus> bus;
    std::unique_ptr<Process> launcher;
    HWND console = nullptr;
    HWND service = nullptr;
};

TEST_F(InstalledNotebook, TheFirstStartSetsUpTheNotebooksOwnRadiosAndSaysSo) {
    start(false);
    EXPECT_EQ(slurp(said()), "radiodeck: set up " + root_->path().string() +
                                 " for this notebook's own radios (/dev/rfkill)\n");
    std::string machine = slurp(root_->path() / "machine.ini");
    EXPECT_NE(machine.find("ZEBACPI=rfkill"), std::string::npos) << machine;
    // Both radios were blocked while the notebook slept; the resume turns them on again as
    // the saved settings say (both on, by default).
    device->change(0, {RFKILL_TYPE_WLAN, true, false, 0});
    device->change(1, {RFKILL_TYPE_BLUETOOTH, true, false, 0});
    EXPECT_TRUE(resume_until(false, false));
}

TEST_F(InstalledNotebook, AResumeWithTheSwitchOffKeepsTheRadiosOff) {
    start(true);
    ASSERT_TRUE(device->wait_until([&] { return device->radios()[1].soft; })); // at start-up
    // The firmware lifted the soft blocks while the notebook slept; the switch still blocks.
    device->change(0, {RFKILL_TYPE_WLAN, false, true, RFKILL_HARD_BLOCK_SIGNAL});
    device->change(1, {RFKILL_TYPE_BLUETOOTH, false, false, 0});
    EXPECT_TRUE(resume_until(true, true));
}

} // namespace
