// The peer programs as real processes on a temporary machine root: notebookctl installs the
// display, the console starts and finds it, the hotkey service switches the notebook's
// Wireless LAN, and every peer ends with its machine. Waits are bounded and block on the
// file system or the process, never on a timer.
#include "machine/acpi/firmware.h"
#include "machine/osd/osd_journal.h"
#include "tests/peers/peer_window.h"
#include "tests/support/program_fixture.h"
#include "platform/desktop/desktop.h"
#include "tests/support/process.h"
#include "tests/support/process_wait.h"
#include "tests/support/test_clock.h"

#include <signal.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// What the last notebookctl run printed on its standard error.
std::string last_err;
using testing_support::wait_for_exit;
using testing_support::wait_in_dir;

pid_t spawn(const char* program) {
    return testing_support::spawn_program({program});
}

// Runs notebookctl; its standard output, and its exit code in `code`.
std::string notebookctl(const std::vector<std::string>& args, int& code,
                        const std::string& program = NOTEBOOKCTL) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    testing_support::Outcome o = testing_support::run_program(argv);
    code = o.code;
    last_err = o.err;
    return o.out;
}

// Waits until a window of that class and title is on the machine's desktop.
bool wait_for_window(const char* name) {
    auto changes = platform::desktop_change_file();
    if (!changes)
        return false;
    return wait_in_dir(changes->parent_path(),
                       [name] { return FindWindowA(name, name) != nullptr; });
}

bool wlan_on() {
    machine::Firmware firmware;
    return machine::read_firmware(firmware) == ERROR_SUCCESS &&
           (firmware.rsts() & machine::kRstsWlanOn) != 0;
}

// The console and the peers on real time, as they run on a notebook.
class PeerProcesses : public testing_support::ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        dlg().m_bHasWlan = 1;
        dlg().m_bHasBluetooth = 1;
        virtual_clock_ = platform::set_clock(std::make_unique<testing_support::TestRealClock>());
        int code = -1;
        notebookctl({"init"}, code);
        ASSERT_EQ(code, 0);
    }
    void TearDown() override {
        platform::set_clock(std::move(virtual_clock_));
        ProgramFixture::TearDown();
    }

    testing_support::TempDir scratch_;

private:
    std::unique_ptr<platform::Clock> virtual_clock_;
};

TEST_F(PeerProcesses, InitInstallsTheDisplayAndOsdPrintsItsJournal) {
    fs::path installed = root() / "drive_c/WINDOWS/ZEB0100/ZEBOSD.EXE";
    ASSERT_TRUE(fs::is_regular_file(installed));
    EXPECT_EQ(fs::file_size(installed), fs::file_size(ZEBOSD_PROGRAM));
    EXPECT_EQ(access(installed.c_str(), X_OK), 0);

    int code = -1;
    EXPECT_EQ(notebookctl({"osd"}, code), "");
    EXPECT_EQ(code, 0);
    ASSERT_TRUE(machine::append_osd_journal(135, "Wireless LAN and Bluetooth on"));
    ASSERT_TRUE(machine::append_osd_journal(7, "unknown"));
    // A line torn by a write cut short is skipped, and the next line starts afresh.
    std::ofstream(machine::osd_journal_path(), std::ios::app) << "94 Wireless L";
    EXPECT_EQ(notebookctl({"osd"}, code), "135 Wireless LAN and Bluetooth on\n7 unknown\n");
    ASSERT_TRUE(machine::append_osd_journal(95, "Wireless LAN off"));
    EXPECT_EQ(notebookctl({"osd"}, code),
              "135 Wireless LAN and Bluetooth on\n7 unknown\n95 Wireless LAN off\n");

    // A fresh notebook has announced nothing; without the display beside it, init says so
    // and the notebook still works.
    fs::copy_file(NOTEBOOKCTL, scratch_.path() / "notebookctl");
    fs::remove(installed);
    notebookctl({"init"}, code, (scratch_.path() / "notebookctl").string());
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(fs::exists(installed));
    EXPECT_FALSE(fs::exists(machine::osd_journal_path()));
    EXPECT_NE(last_err.find("on-screen display not installed"), std::string::npos);
}

// Needs the desktop shared across processes: FindWindowA, GetDlgItem, PostMessageA.
TEST_F(PeerProcesses, TheConsoleStartsTheDisplayWhichAnnouncesWhatItIsSent) {
    ASSERT_EQ(dlg().RequestOsd(OSD_BOTH_ON), 1) << "zebosd's window was not found";
    auto journal_holds = [](size_t lines) { return machine::read_osd_journal().size() >= lines; };
    ASSERT_TRUE(wait_in_dir(root(), [&] { return journal_holds(1); }));
    EXPECT_NE(FindWindowA("ZEBOSD_BANNER", "Wireless LAN and Bluetooth on"), nullptr);
    dlg().RequestOsd(OSD_WLAN_OFF);
    ASSERT_TRUE(wait_in_dir(root(), [&] { return journal_holds(2); }));
    int code = -1;
    EXPECT_EQ(notebookctl({"osd"}, code),
              "135 Wireless LAN and Bluetooth on\n95 Wireless LAN off\n");

    DWORD pid = 0;
    GetWindowThreadProcessId(g_hOsdWnd, &pid);
    ASSERT_NE(pid, 0u);
    PostMessageA(g_hOsdWnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(testing_support::wait_gone(static_cast<pid_t>(pid))) << "zebosd did not end";
}

// Needs the desktop shared across processes.
TEST_F(PeerProcesses, TheHotkeyServiceSwitchesWirelessLanAndIsFoundAgainAfterARestart) {
    ASSERT_TRUE(wlan_on());
    pid_t service = spawn(KEYWATCH_PROGRAM);
    ASSERT_GT(service, 0);
    // The console's search pauses a real second each time it misses the window.
    ASSERT_TRUE(wait_for_window("KEYWATCH"));
    dlg().NotifyHotkeyService(0);
    EXPECT_TRUE(wait_in_dir(root(), [] { return !wlan_on(); }));
    EXPECT_TRUE(ui.boxes_seen().empty());

    kill(service, SIGTERM);
    int status = wait_for_exit(service);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    service = spawn(KEYWATCH_PROGRAM);
    ASSERT_GT(service, 0);
    ASSERT_TRUE(wait_for_window("KEYWATCH"));
    dlg().NotifyHotkeyService(1);
    EXPECT_TRUE(wait_in_dir(root(), [] { return wlan_on(); }));

    PostMessageA(g_hHotkeyServiceWnd, WM_CLOSE, 0, 0);
    status = wait_for_exit(service);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(PeerProcesses, PeersEndWithTheirMachineOrWhenInterrupted) {
    pid_t interrupted = spawn(KEYWATCH_PROGRAM);
    ASSERT_GT(interrupted, 0);
    ASSERT_TRUE(wait_for_window("KEYWATCH"));
    kill(interrupted, SIGINT);
    int status = wait_for_exit(interrupted);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    pid_t service = spawn(KEYWATCH_PROGRAM);
    pid_t display = spawn(ZEBOSD_PROGRAM);
    ASSERT_GT(service, 0);
    ASSERT_GT(display, 0);
    ASSERT_TRUE(wait_for_window("KEYWATCH"));
    ASSERT_TRUE(wait_for_window("ZEBOSD"));
    fs::remove_all(root());
    status = wait_for_exit(service);
    EXPECT_TRUE(WIFEXITED(status)) << "keywatch did not end with its machine";
    status = wait_for_exit(display);
    EXPECT_TRUE(WIFEXITED(status)) << "zebosd did not end with its machine";
}

} // namespace
