// The program as a person starts it: real processes on a machine root of their own, seen
// through the desktop as deskctl sees it.
#include "machine/notebookctl/notebook_setup.h"
#include "machine/osd/osd_journal.h"
#include "platform/desktop/desktop.h"
#include "platform/kernel/machine.h"
#include "platform/shell/tray.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/process.h"
#include "tests/support/process_wait.h"

#include <windows.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <string>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

class Program : public testing_support::MachineFixture {
protected:
    void TearDown() override {
        for (pid_t pid : running_)
            kill(pid, SIGKILL);
        for (pid_t pid : running_)
            waitpid(pid, nullptr, 0);
        running_.clear();
        MachineFixture::TearDown();
    }
    // A notebook of this profile with the hotkey service and the on-screen display running.
    void start_peers(const machine::FirmwareProfile& profile) {
        ASSERT_EQ(machine::init_notebook(profile), static_cast<DWORD>(ERROR_SUCCESS));
        keywatch_ = spawn(KEYWATCH);
        spawn(ZEBOSD);
        ASSERT_TRUE(wait_for([] {
            return count_windows("KEYWATCH", "KEYWATCH") == 1 &&
                   count_windows("ZEBOSD", "ZEBOSD") == 1;
        }));
    }
    pid_t spawn(const char* program) {
        pid_t pid = testing_support::spawn_program({program});
        EXPECT_GT(pid, 0) << program;
        running_.push_back(pid);
        return pid;
    }
    // Whether the process ended by itself within the time. (Its exit code is MFC's: the
    // wParam of the last message its loop took.)
    bool ended(pid_t pid, int seconds = 20) {
        int status = testing_support::wait_for_exit(pid, std::chrono::seconds(seconds));
        if (status == -1)
            return false;
        std::erase(running_, pid);
        return WIFEXITED(status);
    }
    // Starts the program and waits until its start-up has ended: the console titled, hidden
    // by its timer, and the process idle. (Before the timer's tick the console is still
    // about to be shown, and a toggle then would hide it.)
    pid_t start_console() {
        pid_t pid = spawn(RADIODECK);
        bool started = wait_for([] { return console_shown(false); });
        EXPECT_TRUE(started);
        if (started) {
            EXPECT_TRUE(testing_support::wait_idle(pid));
        }
        return pid;
    }
    static std::vector<platform::DesktopWindow> consoles() {
        std::vector<platform::DesktopWindow> out;
        for (const auto& w : platform::desktop_top_level())
            if (w.class_name == "#32770" && w.title == "Radiodeck")
                out.push_back(w);
        return out;
    }
    static int count_windows(const char* cls, const char* title) {
        int n = 0;
        for (const auto& w : platform::desktop_top_level())
            n += w.class_name == cls && w.title == title;
        return n;
    }
    static bool console_shown(bool shown) {
        auto c = consoles();
        return c.size() == 1 && ((c[0].style & WS_VISIBLE) != 0) == shown;
    }
    // Blocks on the desktop's and the machine root's change notifications until `done`
    // holds (20 s at most).
    // A message box that a program opens ends the wait at once: no test answers it.
    bool wait_for(const std::function<bool()>& done) {
        std::vector<std::filesystem::path> dirs{root()};
        if (auto change = platform::desktop_change_file())
            dirs.push_back(change->parent_path());
        std::optional<std::string> box;
        bool ok = testing_support::wait_in_dirs(
            dirs,
            [&] {
                for (const auto& w : platform::desktop_top_level())
                    if (w.box_type && (w.style & WS_VISIBLE))
                        box = w.title;
                return box || done();
            },
            std::chrono::seconds(20));
        if (box)
            ADD_FAILURE() << "a program opened a message box, caption \"" << *box << '"';
        return ok && !box;
    }

    // Runs a tool of the system to its end; its exit code.
    int tool(const char* program, std::vector<std::string> args) {
        args.insert(args.begin(), program);
        return testing_support::run_program(args).code;
    }
    static machine::FirmwareState radios() {
        machine::Firmware fw;
        machine::read_firmware(fw);
        return fw.state;
    }
    static std::string last_announcement() {
        std::ifstream in(machine::osd_journal_path());
        std::string line, last;
        while (std::getline(in, line))
            last = line;
        return last;
    }
    static std::optional<DWORD> stored(const char* name) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            return std::nullopt;
        DWORD value = 0, size = 4;
        LONG r =
            RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
        return r == ERROR_SUCCESS ? std::optional<DWORD>(value) : std::nullopt;
    }

    pid_t keywatch_ = -1;
    std::vector<pid_t> running_;
};

TEST_F(Program, SecondStartTogglesTheRunningConsoleAndEnds) {
    start_peers({});
    pid_t first = start_console();
    pid_t second = spawn(RADIODECK);
    EXPECT_TRUE(ended(second));
    EXPECT_TRUE(wait_for([] { return console_shown(true); }));
    pid_t third = spawn(RADIODECK);
    EXPECT_TRUE(ended(third));
    EXPECT_TRUE(wait_for([] { return console_shown(false); }));
    // The tray's Exit ends the run.
    PostMessageA(consoles().at(0).handle, WM_COMMAND, 32771, 0);
    EXPECT_TRUE(ended(first));
    EXPECT_TRUE(consoles().empty());
}

TEST_F(Program, AGermanMachineShowsTheGermanLabels) {
    start_peers({});
    ASSERT_TRUE(platform::set_machine_setting("machine", "langid", "0x0407"));
    pid_t console = start_console();
    std::string wlan, display;
    for (const auto& child : platform::desktop_children(consoles().at(0).handle)) {
        if (child.id == 1004)
            wlan = child.title;
        if (child.id == 1002)
            display = child.title;
    }
    EXPECT_EQ(wlan, "WLAN");
    EXPECT_EQ(display, "Dialog zeigen, wenn Schalter EIN");
    PostMessageA(consoles().at(0).handle, WM_COMMAND, 32771, 0);
    EXPECT_TRUE(ended(console));
}

TEST_F(Program, ADisplayThatThisBuildLacksIsRefusedBeforeAnythingIsTouched) {
    start_peers({});
    setenv("RADIODECK_DISPLAY", "x11", 1);
    pid_t console = spawn(RADIODECK);
    unsetenv("RADIODECK_DISPLAY");
    int status = testing_support::wait_for_exit(console, std::chrono::seconds(20));
    std::erase(running_, console);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_TRUE(consoles().empty());
    EXPECT_EQ(stored("Linkward_WLAN_CONTROL"), std::nullopt);
    EXPECT_TRUE(platform::tray_icons().empty());
}

TEST_F(Program, SimultaneousStartsLeaveExactlyOneInstance) {
    start_peers({});
    std::vector<pid_t> starts;
    for (int i = 0; i < 6; ++i)
        starts.push_back(spawn(RADIODECK));
    ASSERT_TRUE(wait_for([] { return consoles().size() == 1; }));
    int still_running = 0;
    for (pid_t pid : starts)
        still_running += ended(pid, 3) ? 0 : 1;
    EXPECT_EQ(still_running, 1);
    EXPECT_EQ(consoles().size(), 1u);
}

TEST_F(Program, TheOwnersActionsReachTheRadiosThroughTheWholeSystem) {
    start_peers({true, true, true}); // a notebook with a hardware switch
    pid_t console = start_console();

    // The switch turned off: both radios off, announced, the console stays hidden.
    ASSERT_EQ(tool(NOTEBOOKCTL, {"switch", "off"}), 0);
    EXPECT_TRUE(wait_for([] { return !radios().bluetooth_on && !radios().wlan_on; }));
    EXPECT_TRUE(wait_for([] { return last_announcement().rfind("136 ", 0) == 0; }));

    // On again: the saved selection comes back; the console shows instead of an announcement.
    ASSERT_EQ(tool(NOTEBOOKCTL, {"switch", "on"}), 0);
    EXPECT_TRUE(wait_for([] { return radios().bluetooth_on && radios().wlan_on; }));
    EXPECT_TRUE(wait_for([] { return console_shown(true); }));
    EXPECT_EQ(last_announcement().rfind("136 ", 0), 0u);

    // The user's Cancel hides it again.
    EXPECT_EQ(tool(DESKCTL, {"click", "#32770:Radiodeck", "2"}), 0);
    EXPECT_TRUE(wait_for([] { return console_shown(false); }));

    // From the tray menu: Bluetooth off.
    EXPECT_EQ(tool(DESKCTL, {"tray", "rclick"}), 0);
    EXPECT_TRUE(wait_for([this] { return tool(DESKCTL, {"menu"}) == 0; }));
    EXPECT_EQ(tool(DESKCTL, {"menu", "pick", "32775"}), 0);
    EXPECT_TRUE(wait_for([] { return !radios().bluetooth_on && radios().wlan_on; }));
    EXPECT_TRUE(wait_for([] { return stored("Linkward_Bluetooth_CONTROL") == 0u; }));
    EXPECT_TRUE(wait_for([] { return last_announcement().rfind("94 ", 0) == 0; }));

    // A resume asserts the saved state again, whatever was switched meanwhile.
    ASSERT_EQ(tool(NOTEBOOKCTL, {"set", "bluetooth", "on"}), 0);
    ASSERT_EQ(tool(NOTEBOOKCTL, {"resume"}), 0);
    EXPECT_TRUE(wait_for([] { return !radios().bluetooth_on; }));

    PostMessageA(consoles().at(0).handle, WM_COMMAND, 32771, 0);
    EXPECT_TRUE(ended(console));
}

TEST_F(Program, TheHotkeyTogglesTheRadiosWithoutASwitch) {
    start_peers({});
    pid_t console = start_console();
    ASSERT_EQ(tool(NOTEBOOKCTL, {"hotkey"}), 0); // on -> off
    EXPECT_TRUE(wait_for([] { return !radios().bluetooth_on && !radios().wlan_on; }));
    EXPECT_TRUE(wait_for([] { return stored("Linkward_Toggle_State") == 0u; }));
    ASSERT_EQ(tool(NOTEBOOKCTL, {"hotkey"}), 0); // off -> on
    EXPECT_TRUE(wait_for([] { return radios().bluetooth_on && radios().wlan_on; }));
    EXPECT_TRUE(wait_for([] { return stored("Linkward_Toggle_State") == 1u; }));
    PostMessageA(consoles().at(0).handle, WM_COMMAND, 32771, 0);
    EXPECT_TRUE(ended(console));
}

} // namespace
