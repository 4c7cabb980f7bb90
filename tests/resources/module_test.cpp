#include "platform/kernel/paths.h"
#include "res_bytes.h"
#include "tests/support/machine_fixture.h"

#include <windows.h>

#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace res_bytes;

namespace {

class Modules : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        previous_dir_ = fs::current_path();
        fs::copy_file(TEST_LIBRARY_RES, dir_.path() / "Lang.dll");
        fs::copy_file(TEST_LIBRARY_RES, dir_.path() / "rescue.res");
        fs::copy_file(TEST_LIBRARY_RES, dir_.path() / "noext");
        write_file_in(dir_.path() / "code.dll", {0x7F, 'E', 'L', 'F', 2, 1, 1, 0});
        write_file_in(dir_.path() / "empty.dll", {});
        ASSERT_EQ(chdir(dir_.path().c_str()), 0);
    }
    void TearDown() override {
        ASSERT_EQ(chdir(previous_dir_.c_str()), 0);
        MachineFixture::TearDown();
    }
    static void write_file_in(const fs::path& p, const Bytes& b) {
        res_bytes::write_file(p.string(), b);
    }

    std::string file_name_of(HMODULE module) {
        char buffer[MAX_PATH];
        DWORD n = GetModuleFileNameA(module, buffer, sizeof buffer);
        return std::string(buffer, n);
    }
    std::string windows(const std::string& name) {
        return platform::windows_path(dir_.path() / name);
    }

    testing_support::TempDir dir_;
    fs::path previous_dir_;
};

} // namespace

TEST_F(Modules, LoadLibraryNamesFilesAsWindowsDoes) {
    // No extension: ".dll" is added; the file name matches without regard to case.
    HMODULE lang = LoadLibraryA("lang");
    ASSERT_NE(lang, nullptr);
    EXPECT_EQ(file_name_of(lang), windows("Lang.dll"));
    // A trailing dot says the name has no extension.
    HMODULE noext = LoadLibraryA("noext.");
    ASSERT_NE(noext, nullptr);
    EXPECT_EQ(file_name_of(noext), windows("noext"));
    // Another extension is kept; a path is taken as a path.
    HMODULE rescue = LoadLibraryA(windows("rescue.res").c_str());
    ASSERT_NE(rescue, nullptr);
    EXPECT_NE(rescue, lang);
    EXPECT_NE(rescue, noext);

    SetLastError(0);
    EXPECT_EQ(LoadLibraryA("noext"), nullptr); // looks for noext.dll
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryA(windows("missing.dll").c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

    for (HMODULE m : {lang, noext, rescue})
        EXPECT_TRUE(FreeLibrary(m));
}

TEST_F(Modules, TheProgramsDirectoryComesBeforeTheCurrentOne) {
    std::string name = "probe-" + std::to_string(getpid()) + ".dll";
    fs::path beside_program = platform::program_directory() / name;
    fs::copy_file(TEST_LIBRARY_RES, beside_program);
    fs::copy_file(TEST_LIBRARY_RES, dir_.path() / name);
    HMODULE module = LoadLibraryA(name.c_str());
    std::string loaded = file_name_of(module);
    FreeLibrary(module);
    fs::remove(beside_program);
    EXPECT_EQ(loaded, platform::windows_path(beside_program));
}

TEST_F(Modules, OnlyResourceFilesLoad) {
    for (const char* name : {"code.dll", "empty.dll"}) {
        SetLastError(0);
        EXPECT_EQ(LoadLibraryA(name), nullptr) << name;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT)) << name;
    }
    Bytes lying = read_file(TEST_LIBRARY_RES);
    lying.resize(lying.size() - 5); // the last record's data now overruns the file
    write_file_in(dir_.path() / "lying.dll", lying);
    EXPECT_EQ(LoadLibraryA("lying.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
}

// A loaded library is the process's own: rewriting or truncating its file changes nothing
// (a mapping of the file would fault at the next read).
TEST_F(Modules, ALibraryChangedOnDiskStaysAsLoaded) {
    HMODULE module = LoadLibraryA("Lang.dll");
    ASSERT_NE(module, nullptr);
    auto dialog = [&] {
        HRSRC found = FindResourceA(module, MAKEINTRESOURCE(102), RT_DIALOG);
        const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
        return data ? Bytes(data, data + SizeofResource(module, found)) : Bytes{};
    };
    Bytes before = dialog();
    ASSERT_FALSE(before.empty());
    ASSERT_EQ(truncate("Lang.dll", 0), 0);
    EXPECT_EQ(dialog(), before);
    write_file_in(dir_.path() / "Lang.dll", Bytes(4096, 0xEE));
    EXPECT_EQ(dialog(), before);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(Modules, LoadingTwiceSharesOneModuleUntilTheLastFree) {
    HMODULE first = LoadLibraryA("Lang.dll");
    HMODULE second = LoadLibraryA(windows("LANG.DLL").c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(GetModuleHandleA("lang"), first);

    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_NE(FindResourceA(first, MAKEINTRESOURCE(102), RT_DIALOG), nullptr);
    EXPECT_EQ(GetModuleHandleA("lang.dll"), first);

    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(GetModuleHandleA("lang.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    SetLastError(0);
    EXPECT_EQ(FindResourceA(first, MAKEINTRESOURCE(102), RT_DIALOG), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(FreeLibrary(first));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Modules, TheProgramsModuleIsAlwaysThere) {
    HMODULE self = GetModuleHandleA(nullptr);
    ASSERT_NE(self, nullptr);
    // The trailing dot keeps ".dll" off the extensionless program name.
    std::string own = platform::program_file().filename().string() + ".";
    EXPECT_EQ(GetModuleHandleA(own.c_str()), self);
    std::string name = file_name_of(self);
    EXPECT_EQ(name, platform::windows_path(platform::program_file()));
    EXPECT_EQ(name.rfind("Z:\\", 0), 0u);
    EXPECT_TRUE(FreeLibrary(self));
    EXPECT_EQ(GetModuleHandleA(nullptr), self);
}

TEST_F(Modules, GetModuleFileNameCutsAndTerminates) {
    std::string full = file_name_of(nullptr);
    ASSERT_GT(full.size(), 8u);
    char buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, 8), 8u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(buffer), full.substr(0, 7));

    // Exactly fitting: the name and its terminator.
    std::vector<char> exact(full.size() + 1);
    EXPECT_EQ(GetModuleFileNameA(nullptr, exact.data(), static_cast<DWORD>(exact.size())),
              full.size());
    EXPECT_EQ(std::string(exact.data()), full);

    // One short of that is cut.
    EXPECT_EQ(GetModuleFileNameA(nullptr, exact.data(), static_cast<DWORD>(full.size())),
              full.size());
    EXPECT_EQ(std::string(exact.data()), full.substr(0, full.size() - 1));

    EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(0x1234), buffer, 8), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}
