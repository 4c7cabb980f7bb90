// The `reg` tool, run as a program on a fresh machine root: its output stands exactly as
// reg.exe prints it, and what it writes is what the registry functions read.
#include "tests/advapi/registry_test_util.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/process.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace registry_test;

namespace {

using testing_support::Outcome;

class RegTool : public testing_support::MachineFixture {
protected:
    // Runs reg with these arguments and `input` on standard input.
    static Outcome reg(const std::vector<std::string>& args, const std::string& input = "") {
        std::vector<std::string> argv{REG_TOOL};
        argv.insert(argv.end(), args.begin(), args.end());
        return testing_support::run_program(argv, input);
    }
};

const std::string kOk = "The operation completed successfully.\n";
const std::string kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.\n";

// Over the file-size limit, a write fails like one on a full disk; the signal that the limit
// raises does not kill reg, even when reg inherits its default action.
TEST_F(RegTool, AWriteOverTheFileSizeLimitFailsWithoutKillingReg) {
    ASSERT_EQ(
        reg({"add", "HKLM\\Software\\ZEB0100", "/v", "Kept", "/t", "REG_DWORD", "/d", "1", "/f"})
            .code,
        0);
    pid_t child = fork();
    if (child == 0) {
        rlimit limit{200, 200};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_DFL);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execl(REG_TOOL, REG_TOOL, "add", "HKLM\\Software\\ZEB0100", "/v", "Big", "/t", "REG_SZ",
              "/d", std::string(300, 'x').c_str(), "/f", nullptr);
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    Outcome query = reg({"query", "HKLM\\Software\\ZEB0100"});
    EXPECT_NE(query.out.find("Kept    REG_DWORD    0x1"), std::string::npos) << query.out;
    EXPECT_EQ(query.out.find("Big"), std::string::npos);
}

// Whoever finds the registry damaged says so once; reg reports it on every later run.
TEST_F(RegTool, ADamagedRegistryIsReported) {
    std::ofstream(root() / "registry.reg") << "not a registry";
    Outcome found = reg({"query", "HKLM\\Software"});
    EXPECT_EQ(found.code, 1);
    EXPECT_TRUE(found.err.ends_with(kNotFound)) << found.err;
    size_t at = found.err.find("does not parse: moved aside as ");
    EXPECT_NE(at, std::string::npos) << found.err;
    EXPECT_EQ(found.err.find("moved aside", at + 20), std::string::npos) << found.err;
    Outcome later = reg({"add", "HKLM\\Software", "/f"});
    EXPECT_EQ(later.code, 0);
    EXPECT_NE(later.err.find("WARNING: a damaged registry was moved aside as " +
                             (root() / "registry.reg.unparsable-").string()),
              std::string::npos)
        << later.err;
}

TEST_F(RegTool, AddThenQueryPrintsLikeRegExe) {
    Outcome add = reg({"add", "HKLM\\Software\\ZEB0100", "/v", "Linkward_WLAN_CONTROL", "/t",
                       "REG_DWORD", "/d", "1", "/f"});
    EXPECT_EQ(add.code, 0) << add.err;
    EXPECT_EQ(add.out, kOk);
    EXPECT_EQ(reg({"add", "hkey_local_machine\\software\\zeb0100", "/v", "Linkward_Display_CONTROL",
                   "/t", "REG_DWORD", "/d", "0x1F", "/f"})
                  .code,
              0);
    EXPECT_EQ(reg({"add", "HKLM\\Software\\ZEB0100", "/v", "Name", "/t", "REG_SZ", "/d",
                   "Radio Deck", "/f"})
                  .code,
              0);
    EXPECT_EQ(reg({"add", "HKLM\\Software\\ZEB0100\\Sub", "/f"}).code, 0);

    Outcome query = reg({"query", "HKLM\\Software\\ZEB0100"});
    EXPECT_EQ(query.code, 0);
    EXPECT_EQ(query.out, "\n"
                         "HKEY_LOCAL_MACHINE\\Software\\ZEB0100\n"
                         "    Linkward_WLAN_CONTROL    REG_DWORD    0x1\n"
                         "    Linkward_Display_CONTROL    REG_DWORD    0x1f\n"
                         "    Name    REG_SZ    Radio Deck\n"
                         "\n"
                         "HKEY_LOCAL_MACHINE\\Software\\ZEB0100\\Sub\n");

    Outcome one =
        reg({"query", "HKEY_LOCAL_MACHINE\\SOFTWARE\\zeb0100", "/v", "linkward_wlan_control"});
    EXPECT_EQ(one.code, 0);
    EXPECT_EQ(one.out, "\n"
                       "HKEY_LOCAL_MACHINE\\SOFTWARE\\zeb0100\n"
                       "    Linkward_WLAN_CONTROL    REG_DWORD    0x1\n"
                       "\n");

    // A key without values lists only its subkeys.
    EXPECT_EQ(reg({"query", "HKLM\\Software"}).out, "\nHKEY_LOCAL_MACHINE\\Software\\ZEB0100\n");

    // The tool wrote through the registry: the functions read it back.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD value = 0;
    EXPECT_EQ(get_dword(key, "Linkward_Display_CONTROL", value), ERROR_SUCCESS);
    EXPECT_EQ(value, 0x1Fu);
    RegCloseKey(key);
}

TEST_F(RegTool, MissingKeysAndValuesAreErrors) {
    Outcome missing = reg({"query", "HKLM\\Software\\Nowhere"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, kNotFound);
    reg({"add", "HKLM\\Software\\ZEB0100", "/v", "A", "/t", "REG_DWORD", "/d", "1", "/f"});
    EXPECT_EQ(reg({"query", "HKLM\\Software\\ZEB0100", "/v", "B"}).err, kNotFound);
    EXPECT_EQ(reg({"delete", "HKLM\\Software\\ZEB0100", "/v", "B", "/f"}).err, kNotFound);
    EXPECT_EQ(reg({"delete", "HKLM\\Software\\Nowhere", "/f"}).code, 1);

    Outcome bad_number =
        reg({"add", "HKLM\\Software\\ZEB0100", "/v", "A", "/t", "REG_DWORD", "/d", "12x", "/f"});
    EXPECT_EQ(bad_number.code, 1);
    EXPECT_EQ(bad_number.err, "ERROR: Invalid syntax. Specify valid numeric value for '/d'.\n");
    EXPECT_EQ(reg({"add", "HKLM\\Software\\ZEB0100", "/v", "A", "/t", "REG_DWORD", "/d",
                   "4294967296", "/f"})
                  .code,
              1);
    EXPECT_EQ(reg({"query", "HKCU\\Software"}).code, 1);
    EXPECT_EQ(reg({"query"}).code, 1);
    EXPECT_EQ(reg({"query", "HKLM\\Software\\ZEB0100", "/v", "A"}).out,
              "\nHKEY_LOCAL_MACHINE\\Software\\ZEB0100\n    A    REG_DWORD    0x1\n\n");
}

TEST_F(RegTool, AsksBeforeOverwritingOrDeleting) {
    reg({"add", "HKLM\\Software\\ZEB0100", "/v", "A", "/t", "REG_DWORD", "/d", "1", "/f"});
    Outcome no_answer =
        reg({"add", "HKLM\\Software\\ZEB0100", "/v", "A", "/t", "REG_DWORD", "/d", "2"});
    EXPECT_EQ(no_answer.code, 0);
    EXPECT_EQ(no_answer.out,
              "Value A exists, overwrite(Yes/No)? \nThe operation was canceled by the user.\n");
    Outcome no = reg({"delete", "HKLM\\Software\\ZEB0100", "/v", "A"}, "no\n");
    EXPECT_EQ(no.out,
              "Delete the registry value A (Yes/No)? The operation was canceled by the user.\n");
    EXPECT_NE(reg({"query", "HKLM\\Software\\ZEB0100", "/v", "A"}).out.find("0x1"),
              std::string::npos);

    Outcome yes =
        reg({"add", "HKLM\\Software\\ZEB0100", "/v", "A", "/t", "REG_DWORD", "/d", "2"}, "yes\n");
    EXPECT_EQ(yes.out, "Value A exists, overwrite(Yes/No)? " + kOk);
    EXPECT_NE(reg({"query", "HKLM\\Software\\ZEB0100", "/v", "A"}).out.find("0x2"),
              std::string::npos);

    Outcome key = reg({"delete", "HKLM\\Software\\ZEB0100"}, "y\n");
    EXPECT_EQ(key.out, "Permanently delete the registry key HKEY_LOCAL_MACHINE\\Software\\ZEB0100 "
                       "(Yes/No)? " +
                           kOk);
    EXPECT_EQ(reg({"query", "HKLM\\Software\\ZEB0100"}).code, 1);
}

TEST_F(RegTool, DeletesValuesAndWholeSubtrees) {
    reg({"add", "HKLM\\Software\\ZEB0100", "/v", "A", "/t", "REG_DWORD", "/d", "1", "/f"});
    reg({"add", "HKLM\\Software\\ZEB0100", "/v", "B", "/t", "REG_SZ", "/d", "text", "/f"});
    reg({"add", "HKLM\\Software\\ZEB0100\\One\\Two", "/v", "C", "/t", "REG_DWORD", "/d", "3",
         "/f"});
    Outcome value = reg({"delete", "HKLM\\Software\\ZEB0100", "/v", "a", "/f"});
    EXPECT_EQ(value.code, 0);
    EXPECT_EQ(value.out, kOk);
    EXPECT_EQ(reg({"query", "HKLM\\Software\\ZEB0100", "/v", "A"}).code, 1);
    EXPECT_EQ(reg({"query", "HKLM\\Software\\ZEB0100", "/v", "B"}).code, 0);

    Outcome tree = reg({"delete", "HKLM\\Software\\ZEB0100", "/f"});
    EXPECT_EQ(tree.code, 0);
    EXPECT_EQ(tree.out, kOk);
    EXPECT_EQ(reg({"query", "HKLM\\Software\\ZEB0100\\One\\Two"}).code, 1);
    EXPECT_EQ(reg({"query", "HKLM\\Software"}).out, "\n");
}

TEST_F(RegTool, ExportAndImportRestoreAKey) {
    reg({"add", "HKLM\\Software\\ZEB0100", "/v", "A", "/t", "REG_DWORD", "/d", "10", "/f"});
    reg({"add", "HKLM\\Software\\ZEB0100", "/v", "Path", "/t", "REG_SZ", "/d", "C:\\Deck", "/f"});
    reg({"add", "HKLM\\Software\\ZEB0100\\Sub", "/v", "Data", "/t", "REG_BINARY", "/d", "0102ff",
         "/f"});
    std::string file = (root() / "backup.reg").string();
    Outcome exported = reg({"export", "HKLM\\Software\\ZEB0100", file});
    EXPECT_EQ(exported.code, 0) << exported.err;
    EXPECT_EQ(exported.out, kOk);
    EXPECT_EQ(slurp(file), "Windows Registry Editor Version 5.00\n"
                           "\n"
                           "[HKEY_LOCAL_MACHINE\\Software\\ZEB0100]\n"
                           "\"A\"=dword:0000000a\n"
                           "\"Path\"=\"C:\\\\Deck\"\n"
                           "\n"
                           "[HKEY_LOCAL_MACHINE\\Software\\ZEB0100\\Sub]\n"
                           "\"Data\"=hex:01,02,ff\n");
    Outcome again = reg({"export", "HKLM\\Software\\ZEB0100", file});
    EXPECT_EQ(again.out, "File " + file +
                             " already exists. Overwrite (Yes/No)? \n"
                             "The operation was canceled by the user.\n");
    EXPECT_EQ(reg({"export", "HKLM\\Software\\ZEB0100", file, "/y"}).code, 0);

    std::string before = reg({"query", "HKLM\\Software\\ZEB0100"}).out;
    ASSERT_EQ(reg({"delete", "HKLM\\Software\\ZEB0100", "/f"}).code, 0);
    Outcome imported = reg({"import", file});
    EXPECT_EQ(imported.code, 0) << imported.err;
    EXPECT_EQ(imported.out, kOk);
    EXPECT_EQ(reg({"query", "HKLM\\Software\\ZEB0100"}).out, before);
    EXPECT_EQ(reg({"query", "HKLM\\Software\\ZEB0100\\Sub", "/v", "data"}).out,
              "\nHKEY_LOCAL_MACHINE\\Software\\ZEB0100\\Sub\n    Data    REG_BINARY    0102FF\n\n");

    write_file("broken.reg", "not a registry file\n");
    Outcome broken = reg({"import", (root() / "broken.reg").string()});
    EXPECT_EQ(broken.code, 1);
    EXPECT_EQ(broken.err, "ERROR: Error accessing the registry.\n");
    EXPECT_EQ(reg({"import", (root() / "none.reg").string()}).err,
              "ERROR: Error opening the file. There may be a disk or file system error.\n");
}

TEST_F(RegTool, AStandardUserIsDeniedChanges) {
    reg({"add", "HKLM\\Software\\ZEB0100", "/v", "A", "/t", "REG_DWORD", "/d", "1", "/f"});
    write_file("machine.ini", "[machine]\nuser=standard\n");
    const std::vector<std::vector<std::string>> changes{
        {"add", "HKLM\\Software\\ZEB0100", "/v", "A", "/t", "REG_DWORD", "/d", "2", "/f"},
        {"add", "HKLM\\Software\\Other", "/f"},
        {"delete", "HKLM\\Software\\ZEB0100", "/v", "A", "/f"},
        {"delete", "HKLM\\Software\\ZEB0100", "/f"}};
    for (const auto& args : changes) {
        Outcome run = reg(args);
        EXPECT_EQ(run.code, 1) << args[0] << ' ' << args[1];
        EXPECT_EQ(run.err, "ERROR: Access is denied.\n") << args[0] << ' ' << args[1];
    }
    EXPECT_EQ(reg({"query", "HKLM\\Software\\ZEB0100", "/v", "A"}).out,
              "\nHKEY_LOCAL_MACHINE\\Software\\ZEB0100\n    A    REG_DWORD    0x1\n\n");
}

} // namespace
