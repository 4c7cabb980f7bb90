// WinExec starting real programs on the machine's drives: what the started program sees
// (its arguments, show command and machine) and what the caller gets back.
#include "platform/kernel/startup.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/process_wait.h"

#include <windows.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

// A program that writes what it was started with to trace.txt in the machine root: its show
// command, its machine root and each argument, one per line.
constexpr char kTraceProgram[] =
    "#!/bin/sh\n"
    "t=\"$RADIODECK_ROOT/trace\"\n"
    "{ echo \"show=$RADIODECK_CMDSHOW\"\n"
    "  echo \"root=$RADIODECK_ROOT\"\n"
    "  for a in \"$@\"; do printf 'arg=%s\\n' \"$a\"; done; } > \"$t.tmp\"\n"
    "mv \"$t.tmp\" \"$t.txt\"\n";

class WinExecTest : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        fs::create_directories(root() / "drive_c" / "WINDOWS");
    }

    fs::path install(const std::string& relative, const std::string& content,
                     fs::perms perms = fs::perms::owner_all) {
        fs::path p = write_file(relative, content);
        fs::permissions(p, perms);
        return p;
    }

    // What the started program wrote, once it has written it.
    std::string trace() {
        fs::path file = root() / "trace.txt";
        EXPECT_TRUE(testing_support::wait_in_dir(root(), [&] { return fs::exists(file); }))
            << "the program did not run";
        std::stringstream text;
        text << std::ifstream(file).rdbuf();
        return text.str();
    }

    std::string expected(int show, const std::vector<std::string>& args) {
        std::string text = "show=" + std::to_string(show) + "\nroot=" + root().string() + "\n";
        for (const std::string& a : args)
            text += "arg=" + a + "\n";
        return text;
    }
};

TEST_F(WinExecTest, StartsTheProgramWithItsArgumentsShowCommandAndMachine) {
    install("drive_c/WINDOWS/ZEB0100/ZEBOSD.EXE", kTraceProgram);
    UINT result =
        WinExec("C:\\WINDOWS\\ZEB0100\\ZEBOSD.EXE one \"two words\" a\\b \"q\\\"x\"", SW_HIDE);
    EXPECT_GT(result, 31u);
    EXPECT_EQ(trace(), expected(SW_HIDE, {"one", "two words", "a\\b", "q\"x"}));
    // Detached: nothing is left for the caller to reap, so nothing becomes a zombie.
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(WinExecTest, FindsTheProgramAsWindowsDoes) {
    // Names match regardless of case, and a name without extension means .EXE.
    install("drive_c/tools/probe.exe", kTraceProgram);
    EXPECT_GT(WinExec("c:\\TOOLS\\Probe", SW_SHOWNORMAL), 31u);
    EXPECT_EQ(trace(), expected(SW_SHOWNORMAL, {}));

    fs::remove(root() / "trace.txt");
    install("drive_c/Program Files/My Tool.exe", kTraceProgram);
    EXPECT_GT(WinExec("\"C:\\Program Files\\My Tool.exe\"  x ", SW_SHOWMINIMIZED), 31u);
    EXPECT_EQ(trace(), expected(SW_SHOWMINIMIZED, {"x"}));
}

TEST_F(WinExecTest, FailsWithTheErrorsOfWindows) {
    install("drive_c/notes.txt", "text", fs::perms::owner_read | fs::perms::owner_write);
    install("drive_c/garbage.exe", "not a program\n");
    fs::create_directories(root() / "drive_c" / "folder.exe");
    struct Case {
        const char* command;
        UINT result;
    } cases[] = {
        {"C:\\WINDOWS\\missing.exe", ERROR_FILE_NOT_FOUND},
        {"C:\\WINDOWS\\ZEB0100\\ZEBOSD.EXE", ERROR_PATH_NOT_FOUND},
        {"Q:\\program.exe", ERROR_PATH_NOT_FOUND},
        {"C:\\notes.txt", ERROR_BAD_FORMAT},
        {"C:\\garbage.exe", ERROR_BAD_FORMAT},
        {"C:\\folder.exe", ERROR_ACCESS_DENIED},
        {"", ERROR_FILE_NOT_FOUND},
        {"   ", ERROR_FILE_NOT_FOUND},
        {nullptr, ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(WinExec(c.command, SW_HIDE), c.result) << (c.command ? c.command : "(null)");
        EXPECT_EQ(GetLastError(), c.result) << (c.command ? c.command : "(null)");
    }
}

TEST(StartupShowCommand, ReadsWhatWinExecPassed) {
    unsetenv(platform::kCmdShowVariable);
    EXPECT_EQ(platform::startup_show_command(), SW_SHOWDEFAULT);
    setenv(platform::kCmdShowVariable, "0", 1);
    EXPECT_EQ(platform::startup_show_command(), SW_HIDE);
    setenv(platform::kCmdShowVariable, "7", 1);
    EXPECT_EQ(platform::startup_show_command(), SW_SHOWMINNOACTIVE);
    for (const char* bad : {"", "x", "12", "-1", "3 "}) {
        setenv(platform::kCmdShowVariable, bad, 1);
        EXPECT_EQ(platform::startup_show_command(), SW_SHOWDEFAULT) << bad;
    }
    unsetenv(platform::kCmdShowVariable);
}

} // namespace
