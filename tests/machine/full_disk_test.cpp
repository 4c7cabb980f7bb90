// A full disk, made for real: a child process mounts a small tmpfs in a mount namespace of its
// own, puts a fresh machine root there and fills it. Skipped where mounting is not allowed.
#include "machine/acpi/firmware.h"
#include "machine/notebookctl/notebook_setup.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kCannotMount = 77;

// Runs `body` in a child on a full disk; its answer ("" for success) comes back by pipe.
std::string on_full_disk(const std::function<std::string(const std::filesystem::path&)>& body,
                         bool& skipped) {
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0)
        return "no pipe";
    pid_t child = fork();
    if (child == 0) {
        close(pipe_fds[0]);
        char dir[] = "/tmp/radiodeck-full-XXXXXX";
        if (!mkdtemp(dir) || unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", dir, "tmpfs", 0, "size=256k") != 0)
            _exit(kCannotMount);
        std::filesystem::path root = std::filesystem::path(dir) / "machine";
        setenv("RADIODECK_ROOT", root.c_str(), 1);
        std::string answer = body(root);
        [[maybe_unused]] ssize_t n = write(pipe_fds[1], answer.data(), answer.size());
        umount(dir);
        rmdir(dir);
        _exit(0);
    }
    close(pipe_fds[1]);
    std::string answer;
    char buffer[512];
    ssize_t n;
    while ((n = read(pipe_fds[0], buffer, sizeof buffer)) > 0)
        answer.append(buffer, static_cast<size_t>(n));
    close(pipe_fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    skipped = WIFEXITED(status) && WEXITSTATUS(status) == kCannotMount;
    return WIFEXITED(status) ? answer : "the child was killed";
}

// Takes every free block.
void fill(const std::filesystem::path& root) {
    int fd = open((root / "filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    static const char block[4096] = {};
    while (write(fd, block, sizeof block) > 0) {
    }
    close(fd);
}

TEST(FullDisk, TheFirmwareSwitchesAndFileWritesFailAsDiskFull) {
    bool skipped = false;
    std::string failure = on_full_disk(
        [](const std::filesystem::path& root) -> std::string {
            if (machine::init_notebook({}) != ERROR_SUCCESS)
                return "no notebook";
            HKEY key = nullptr;
            DWORD one = 1;
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr);
            if (RegSetValueExA(key, "Kept", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4) !=
                ERROR_SUCCESS)
                return "no registry";
            fill(root);

            machine::Firmware after;
            if (DWORD e = machine::update_firmware(
                    [](machine::Firmware& fw) { fw.state.bluetooth_on = false; }, &after);
                e != ERROR_SUCCESS)
                return "the firmware failed with " + std::to_string(e);
            machine::Firmware read;
            if (machine::read_firmware(read) != ERROR_SUCCESS || read.state.bluetooth_on)
                return "the firmware did not switch";

            std::string big(8192, 'x');
            if (LONG e = RegSetValueExA(key, "Big", 0, REG_SZ,
                                        reinterpret_cast<const BYTE*>(big.c_str()),
                                        static_cast<DWORD>(big.size() + 1));
                e != ERROR_DISK_FULL)
                return "the registry write gave " + std::to_string(e);
            DWORD kept = 0, size = 4;
            if (RegQueryValueExA(key, "Kept", nullptr, nullptr, reinterpret_cast<BYTE*>(&kept),
                                 &size) != ERROR_SUCCESS ||
                kept != 1)
                return "the registry lost a value";
            std::string ini = (root / "big.ini").string();
            if (WritePrivateProfileStringA("s", "k", big.c_str(), ini.c_str()) ||
                GetLastError() != ERROR_DISK_FULL)
                return "the profile write gave " + std::to_string(GetLastError());
            for (const auto& entry : std::filesystem::directory_iterator(root))
                if (entry.path().filename().string().starts_with("."))
                    return "a temporary file stayed: " + entry.path().string();
            return "";
        },
        skipped);
    if (skipped)
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    EXPECT_EQ(failure, "");
}

} // namespace
