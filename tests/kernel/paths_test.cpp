#include "platform/kernel/paths.h"
#include "tests/support/machine_fixture.h"

#include <windows.h>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class KernelPaths : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        saved_cwd_ = fs::current_path();
        drive_c_ = root() / "drive_c";
        fs::create_directories(drive_c_ / "Windows" / "ZEB0100");
        write_file("drive_c/Windows/ZEB0100/ZebOsd.exe", "osd");
    }
    void TearDown() override {
        fs::current_path(saved_cwd_);
        MachineFixture::TearDown();
    }
    std::string current_directory() {
        char buffer[MAX_PATH];
        DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
        EXPECT_EQ(length, strlen(buffer));
        return buffer;
    }

    fs::path drive_c_;

private:
    fs::path saved_cwd_;
};

TEST_F(KernelPaths, DrivesMapToTheMachineAndTheHost) {
    EXPECT_EQ(platform::host_path("C:\\"), drive_c_);
    EXPECT_EQ(platform::host_path("z:\\usr\\bin"), fs::path("/usr/bin"));
    EXPECT_EQ(platform::host_path("/usr/bin"), fs::path("/usr/bin"));
    EXPECT_FALSE(platform::host_path("Q:\\x"));
    EXPECT_FALSE(platform::host_path("\\\\.\\ZEBACPI"));
    EXPECT_FALSE(platform::host_path(""));

    EXPECT_EQ(platform::windows_path(drive_c_ / "Windows" / "ZEB0100"), "C:\\Windows\\ZEB0100");
    EXPECT_EQ(platform::windows_path(drive_c_), "C:\\");
    EXPECT_EQ(platform::windows_path("/usr/bin"), "Z:\\usr\\bin");
    EXPECT_EQ(platform::windows_path("/"), "Z:\\");
}

TEST_F(KernelPaths, ComponentsResolveWithoutRegardToCase) {
    EXPECT_EQ(platform::host_path("C:\\WINDOWS\\zeb0100\\ZEBOSD.EXE"),
              drive_c_ / "Windows" / "ZEB0100" / "ZebOsd.exe");
    // Names that do not exist yet keep their spelling, below the part that does.
    EXPECT_EQ(platform::host_path("c:/windows/New/File.ini"),
              drive_c_ / "Windows" / "New" / "File.ini");
    // ".." stops at the drive's root, "." is nothing.
    EXPECT_EQ(platform::host_path("C:\\..\\..\\.\\windows"), drive_c_ / "Windows");
}

TEST_F(KernelPaths, WindowsDirectoryFollowsTheBufferRules) {
    char buffer[128];
    EXPECT_EQ(GetWindowsDirectoryA(buffer, sizeof buffer), 10u);
    EXPECT_STREQ(buffer, "C:\\WINDOWS");
    // Too small by one: the size needed, terminator included, and the buffer untouched.
    char small[10] = "untouched";
    EXPECT_EQ(GetWindowsDirectoryA(small, sizeof small), 11u);
    EXPECT_STREQ(small, "untouched");
    EXPECT_EQ(platform::host_path(buffer), drive_c_ / "Windows");
}

TEST_F(KernelPaths, CurrentDirectoryIsSharedWithRelativePaths) {
    ASSERT_TRUE(SetCurrentDirectoryA("c:\\windows\\zeb0100"));
    EXPECT_EQ(current_directory(), "C:\\Windows\\ZEB0100");
    EXPECT_EQ(fs::current_path(), drive_c_ / "Windows" / "ZEB0100");
    EXPECT_EQ(platform::host_path("zebosd.exe"), drive_c_ / "Windows" / "ZEB0100" / "ZebOsd.exe");
    EXPECT_EQ(platform::host_path("..\\ZEB0100\\ZEBOSD.EXE"),
              drive_c_ / "Windows" / "ZEB0100" / "ZebOsd.exe");
    EXPECT_EQ(platform::host_path("\\"), drive_c_); // the current drive's root
    EXPECT_EQ(platform::host_path("C:ZEBOSD.EXE"), drive_c_ / "Windows" / "ZEB0100" / "ZebOsd.exe");

    ASSERT_TRUE(SetCurrentDirectoryA("Z:\\tmp"));
    EXPECT_EQ(current_directory(), "Z:\\tmp");
    EXPECT_EQ(platform::host_path("\\usr"), fs::path("/usr"));

    char tiny[4] = "abc";
    EXPECT_EQ(GetCurrentDirectoryA(sizeof tiny, tiny), 7u);
    EXPECT_STREQ(tiny, "abc");
}

TEST_F(KernelPaths, SetCurrentDirectoryRefusesWhatIsNoDirectory) {
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    EXPECT_FALSE(SetCurrentDirectoryA("C:\\Windows\\missing"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(SetCurrentDirectoryA("C:\\missing\\deeper"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(SetCurrentDirectoryA("C:\\Windows\\ZEB0100\\ZEBOSD.EXE"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_FALSE(SetCurrentDirectoryA("Q:\\"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(current_directory(), "C:\\");
}

} // namespace
