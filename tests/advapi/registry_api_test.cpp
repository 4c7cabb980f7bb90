// The registry functions as the program and the tools use them, on a fresh machine root.
#include "registry_test_util.h"

#include "platform/kernel/atomic_file.h"
#include "platform/kernel/wait.h"
#include "tests/support/machine_fixture.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace registry_test;

namespace {

class RegistryApi : public testing_support::MachineFixture {
protected:
    std::string registry_text() { return slurp((root() / "registry.reg").string()); }
    void become_standard_user() { write_file("machine.ini", "[machine]\nuser=standard\n"); }
};

TEST_F(RegistryApi, CreateSetAndQueryRoundTrip) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
    ASSERT_NE(key, nullptr);
    EXPECT_NE(key, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(set_dword(key, "Linkward_WLAN_CONTROL", 10), ERROR_SUCCESS);

    DWORD value = 0, type = 0, size = 4;
    EXPECT_EQ(RegQueryValueExA(key, "Linkward_WLAN_CONTROL", nullptr, &type,
                               reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 10u);
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(size, 4u);
    size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Linkward_WLAN_CONTROL", nullptr, nullptr, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(get_dword(key, "Missing", value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_NE(registry_text().find("[HKEY_LOCAL_MACHINE\\Software\\ZEB0100]\n"
                                   "\"Linkward_WLAN_CONTROL\"=dword:0000000a\n"),
              std::string::npos);

    HKEY again = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &again, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
    EXPECT_EQ(get_dword(again, "linkward_wlan_control", value), ERROR_SUCCESS);
    EXPECT_EQ(value, 10u);
    RegCloseKey(again);
}

TEST_F(RegistryApi, ValuesLongerThanTheBufferReportTheirSize) {
    HKEY key = create_key("Software\\ZEB0100");
    ASSERT_NE(key, nullptr);
    const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(RegSetValueExA(key, "Long", 0, REG_BINARY, eight, 8), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>("hello"), 6),
              ERROR_SUCCESS);
    DWORD value = 0;
    DWORD size = 4;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Long", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(type, DWORD(REG_BINARY));
    EXPECT_EQ(get_dword(key, "Text", value), ERROR_MORE_DATA);

    char text[16] = {};
    size = sizeof text;
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(text, "hello");
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(type, DWORD(REG_SZ));

    // A shorter value fits and is stored exactly as given: 2 bytes stay 2 bytes.
    const BYTE two[2] = {0x34, 0x12};
    ASSERT_EQ(RegSetValueExA(key, "Short", 0, REG_BINARY, two, 2), ERROR_SUCCESS);
    value = 0;
    size = 4;
    EXPECT_EQ(
        RegQueryValueExA(key, "Short", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(value, 0x1234u);
    RegCloseKey(key);
}

TEST_F(RegistryApi, EnumeratesKeysSortedAndValuesInOrder) {
    HKEY deep = create_key("Software\\Vendor\\Beta\\Inner");
    ASSERT_NE(deep, nullptr);
    RegCloseKey(deep);
    RegCloseKey(create_key("Software\\Vendor\\alpha"));
    HKEY vendor = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Vendor", 0, KEY_ALL_ACCESS, &vendor),
              ERROR_SUCCESS);
    set_dword(vendor, "Zulu", 1);
    set_dword(vendor, "alpha", 2);
    set_dword(vendor, nullptr, 3);

    char name[64];
    DWORD cch = sizeof name;
    ASSERT_EQ(RegEnumKeyExA(vendor, 0, name, &cch, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, "alpha");
    EXPECT_EQ(cch, 5u);
    cch = sizeof name;
    ASSERT_EQ(RegEnumKeyExA(vendor, 1, name, &cch, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, "Beta");
    cch = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(vendor, 2, name, &cch, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    cch = 3;
    EXPECT_EQ(RegEnumKeyExA(vendor, 1, name, &cch, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);

    const char* expected[] = {"Zulu", "alpha", ""};
    for (DWORD i = 0; i < 3; ++i) {
        DWORD value = 0, size = 4, type = 0;
        cch = sizeof name;
        ASSERT_EQ(RegEnumValueA(vendor, i, name, &cch, nullptr, &type,
                                reinterpret_cast<BYTE*>(&value), &size),
                  ERROR_SUCCESS);
        EXPECT_STREQ(name, expected[i]);
        EXPECT_EQ(value, i + 1);
        EXPECT_EQ(type, DWORD(REG_DWORD));
    }
    cch = sizeof name;
    EXPECT_EQ(RegEnumValueA(vendor, 3, name, &cch, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    RegCloseKey(vendor);
}

TEST_F(RegistryApi, NamesAreCaseInsensitiveButKeepTheirCase) {
    HKEY key = create_key("Software\\MixedCase");
    ASSERT_NE(key, nullptr);
    set_dword(key, "ValueName", 1);
    set_dword(key, "VALUENAME", 2);
    RegCloseKey(key);

    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\mixedcase", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD value = 0;
    EXPECT_EQ(get_dword(key, "valuename", value), ERROR_SUCCESS);
    EXPECT_EQ(value, 2u);
    char name[32];
    DWORD cch = sizeof name;
    ASSERT_EQ(RegEnumValueA(key, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "ValueName");
    cch = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 1, name, &cch, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
    EXPECT_NE(registry_text().find("[HKEY_LOCAL_MACHINE\\Software\\MixedCase]"), std::string::npos);
}

TEST_F(RegistryApi, DeletesValuesAndLeafKeys) {
    HKEY key = create_key("Software\\Parent\\Child");
    ASSERT_NE(key, nullptr);
    set_dword(key, "V", 1);
    EXPECT_EQ(RegDeleteValueA(key, "v"), ERROR_SUCCESS);
    DWORD value;
    EXPECT_EQ(get_dword(key, "V", value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueA(key, "V"), ERROR_FILE_NOT_FOUND);

    // A key with subkeys stays, as on Windows.
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Parent"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Parent\\Child"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Parent\\Child"), ERROR_FILE_NOT_FOUND);
    // The open handle now names a deleted key.
    EXPECT_EQ(set_dword(key, "V", 1), ERROR_KEY_DELETED);
    EXPECT_EQ(get_dword(key, "V", value), ERROR_KEY_DELETED);
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Parent"), ERROR_SUCCESS);
    HKEY gone;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Parent", 0, KEY_READ, &gone),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry_text().find("Parent"), std::string::npos);
}

TEST_F(RegistryApi, StandardUserGetsReadAccessOnly) {
    write_file("registry.reg", "Windows Registry Editor Version 5.00\n\n"
                               "[HKEY_LOCAL_MACHINE\\Software\\ZEB0100]\n"
                               "\"Linkward_WLAN_CONTROL\"=dword:00000001\n");
    become_standard_user();
    const std::string before = registry_text();

    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\New", 0, nullptr, 0, KEY_READ, nullptr,
                              &key, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, KEY_ALL_ACCESS, &key),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100"), ERROR_ACCESS_DENIED);

    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD value = 0;
    EXPECT_EQ(get_dword(key, "Linkward_WLAN_CONTROL", value), ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(set_dword(key, "Linkward_WLAN_CONTROL", 0), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(key, "Linkward_WLAN_CONTROL"), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    EXPECT_EQ(registry_text(), before);
}

TEST_F(RegistryApi, HandlesCarryTheirAccessAndAreChecked) {
    RegCloseKey(create_key("Software\\ZEB0100"));
    HKEY read_only = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, KEY_READ, &read_only),
              ERROR_SUCCESS);
    EXPECT_EQ(set_dword(read_only, "X", 1), ERROR_ACCESS_DENIED);
    HKEY write_only = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, KEY_SET_VALUE, &write_only),
              ERROR_SUCCESS);
    EXPECT_EQ(set_dword(write_only, "X", 1), ERROR_SUCCESS);
    DWORD value;
    EXPECT_EQ(get_dword(write_only, "X", value), ERROR_ACCESS_DENIED);
    EXPECT_EQ(get_dword(read_only, "X", value), ERROR_SUCCESS);

    // Subkeys open relative to a handle.
    HKEY child = nullptr;
    EXPECT_EQ(
        RegCreateKeyExA(read_only, "Child", 0, nullptr, 0, KEY_READ, nullptr, &child, nullptr),
        ERROR_ACCESS_DENIED);
    ASSERT_EQ(
        RegCreateKeyExA(write_only, "Child", 0, nullptr, 0, KEY_READ, nullptr, &child, nullptr),
        ERROR_ACCESS_DENIED); // KEY_SET_VALUE does not include KEY_CREATE_SUB_KEY
    HKEY parent = create_key("Software\\ZEB0100");
    ASSERT_EQ(RegCreateKeyExA(parent, "Child", 0, nullptr, 0, KEY_READ, nullptr, &child, nullptr),
              ERROR_SUCCESS);
    HKEY reopened = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\zeb0100\\child", 0, KEY_READ, &reopened),
              ERROR_SUCCESS);
    for (HKEY h : {read_only, write_only, child, reopened, parent})
        EXPECT_EQ(RegCloseKey(h), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(read_only), ERROR_INVALID_HANDLE);
    EXPECT_EQ(get_dword(read_only, "X", value), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &child),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "\\Software", 0, KEY_READ, &child),
              ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\\\ZEB0100", 0, KEY_READ, &child),
              ERROR_BAD_PATHNAME);
}

// Another process sees a change when the call returns; the sync waits for the loop turn.
TEST_F(RegistryApi, AChangeIsVisibleAtOnceAndDurableBeforeTheThreadWaits) {
    HKEY key = create_key("Software\\ZEB0100");
    ASSERT_NE(key, nullptr);
    for (DWORD value : {1, 2, 3})
        EXPECT_EQ(set_dword(key, "Linkward_WLAN_CONTROL", value), ERROR_SUCCESS);
    pid_t child = fork();
    if (child == 0) {
        DWORD seen = 0;
        _exit(get_dword(key, "Linkward_WLAN_CONTROL", seen) == ERROR_SUCCESS && seen == 3 ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(platform::replaced_files_pending());
    platform::wait_events(clock().now());
    EXPECT_FALSE(platform::replaced_files_pending());
    RegCloseKey(key);
}

// The names of the files that damaged registries were moved aside to.
std::vector<std::string> set_aside(const std::filesystem::path& root) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root))
        if (entry.path().filename().string().starts_with("registry.reg."))
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(RegistryApi, ADamagedFileIsSetAsideAndAFreshRegistryStarts) {
    const std::string corrupt = "Windows Registry Editor Version 5.00\n\n"
                                "[HKEY_LOCAL_MACHINE\\Software\\ZEB0100]\n"
                                "\"Linkward_WLAN_CONTROL\"=dword:0000zz01\n";
    HKEY before = create_key("Software\\ZEB0100");
    ASSERT_NE(before, nullptr);
    write_file("registry.reg", corrupt);
    testing::internal::CaptureStderr();
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    std::string told = testing::internal::GetCapturedStderr();
    auto aside = set_aside(root());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_TRUE(aside[0].starts_with("registry.reg.unparsable-")) << aside[0];
    EXPECT_EQ(slurp((root() / aside[0]).string()), corrupt);
    EXPECT_NE(told.find("moved aside as " + (root() / aside[0]).string()), std::string::npos)
        << told;

    // A handle opened before the damage finds its key gone; the new registry is written.
    EXPECT_EQ(set_dword(before, "Linkward_WLAN_CONTROL", 1), ERROR_KEY_DELETED);
    key = create_key("Software\\ZEB0100");
    EXPECT_EQ(set_dword(key, "Linkward_WLAN_CONTROL", 1), ERROR_SUCCESS);
    RegCloseKey(key);
    RegCloseKey(before);

    // A second damage never overwrites the first one's file.
    write_file("registry.reg", "garbage");
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100"), ERROR_FILE_NOT_FOUND);
    aside = set_aside(root());
    ASSERT_EQ(aside.size(), 2u);
    std::vector<std::string> kept{slurp((root() / aside[0]).string()),
                                  slurp((root() / aside[1]).string())};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::string>{corrupt, "garbage"}));
}

// A writer killed between its temporary file and the rename leaves both the file and the mark
// it set in the lock file; the next writer removes the file.
TEST_F(RegistryApi, TheNextWriterRemovesWhatAKilledWriterLeft) {
    HKEY key = create_key("Software\\ZEB0100");
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(set_dword(key, "Value", 1), ERROR_SUCCESS);
    const std::filesystem::path left = root() / ".registry.reg.Ab12Cd";
    std::ofstream(left) << "half a registry";
    int fd = open((root() / "registry.lock").c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    const uint64_t writing = 1;
    ASSERT_EQ(pwrite(fd, &writing, sizeof writing, 8), 8);
    close(fd);
    ASSERT_EQ(set_dword(key, "Value", 3), ERROR_SUCCESS);
    EXPECT_FALSE(std::filesystem::exists(left));
    DWORD value = 0;
    EXPECT_EQ(get_dword(key, "Value", value), ERROR_SUCCESS);
    EXPECT_EQ(value, 3u);
    RegCloseKey(key);
}

// A registry kept elsewhere through a link stays there: writes go through the link.
TEST_F(RegistryApi, ALinkedRegistryIsWrittenThroughToItsTarget) {
    std::filesystem::create_directories(root() / "elsewhere");
    std::filesystem::create_symlink("elsewhere/hive.reg", root() / "registry.reg");
    HKEY key = create_key("Software\\ZEB0100");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(set_dword(key, "Linkward_WLAN_CONTROL", 1), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(std::filesystem::is_symlink(root() / "registry.reg"));
    EXPECT_NE(slurp((root() / "elsewhere/hive.reg").string()).find("Linkward_WLAN_CONTROL"),
              std::string::npos);
}

// Files that cannot be read stay where they are; none of them blocks the reader.
TEST_F(RegistryApi, AnUnreadableFileStaysWhereItIs) {
    const std::filesystem::path file = root() / "registry.reg";
    const std::vector<std::function<void()>> makers = {
        [&] { ASSERT_EQ(mkfifo(file.c_str(), 0644), 0); },
        [&] {
            ASSERT_EQ(mkfifo((root() / "pipe").c_str(), 0644), 0);
            std::filesystem::create_symlink("pipe", file);
        },
        [&] { std::filesystem::create_symlink("/dev/zero", file); },
    };
    for (const auto& make : makers) {
        std::filesystem::remove(file);
        make();
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key),
                  ERROR_ACCESS_DENIED);
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_ACCESS_DENIED);
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(file)));
        EXPECT_TRUE(set_aside(root()).empty());
    }
}

// A file this user may not read, as an ordinary user meets it (root drops to nobody first,
// since permissions do not stop root).
TEST_F(RegistryApi, AFileWithoutReadPermissionStaysWhereItIs) {
    write_file("registry.reg", "Windows Registry Editor Version 5.00\n");
    std::filesystem::permissions(root(), std::filesystem::perms::all);
    std::filesystem::permissions(root() / "registry.reg", std::filesystem::perms::none);
    pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        HKEY key = nullptr;
        LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key);
        _exit(status == ERROR_ACCESS_DENIED ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(std::filesystem::exists(root() / "registry.reg"));
    EXPECT_TRUE(set_aside(root()).empty());
}

TEST_F(RegistryApi, ReadsAHandWrittenFile) {
    write_file("registry.reg", "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
                               "; settings of the notebook\r\n"
                               "[HKEY_LOCAL_MACHINE\\Software\\ZEB0100]\r\n"
                               "\"Path\"=\"C:\\\\Program Files\\\\\\\"Deck\\\"\"\r\n"
                               "@=dword:2\r\n"
                               "\"Blob\"=hex:01,02,\\\r\n  03,04,05\r\n");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    char text[64] = {};
    DWORD size = sizeof text;
    ASSERT_EQ(RegQueryValueExA(key, "Path", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(text, "C:\\Program Files\\\"Deck\"");
    DWORD value = 0;
    EXPECT_EQ(get_dword(key, "", value), ERROR_SUCCESS);
    EXPECT_EQ(value, 2u);
    BYTE blob[8] = {};
    size = sizeof blob;
    ASSERT_EQ(RegQueryValueExA(key, "Blob", nullptr, nullptr, blob, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(std::memcmp(blob, "\1\2\3\4\5", 5), 0);
    RegCloseKey(key);
}

} // namespace
