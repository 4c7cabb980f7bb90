#include "test_ids.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string data_of(HMODULE module, HRSRC info) {
    const char* p = static_cast<const char*>(LockResource(LoadResource(module, info)));
    return p ? std::string(p, SizeofResource(module, info)) : std::string();
}

} // namespace

// The test program carries the test script's resources as its own.
TEST(FindResource, FindsTheProgramsOwnResourcesByOrdinalNameAndNumberString) {
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC dialog = FindResourceA(nullptr, MAKEINTRESOURCE(IDD_MAIN), RT_DIALOG);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(FindResourceA(self, "#102", RT_DIALOG), dialog);
    EXPECT_EQ(FindResourceA(self, "#102", "#5"), dialog);
    EXPECT_GT(SizeofResource(self, dialog), 20u);
    // A DIALOGEX template opens with dlgVer 1 and signature 0xFFFF.
    std::string bytes = data_of(self, dialog);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x01\x00\xFF\xFF", 4));

    HRSRC config = FindResourceA(self, "config", RT_RCDATA);
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(data_of(self, config), "abc");
    EXPECT_EQ(FindResourceA(self, "CONFIG", MAKEINTRESOURCE(10)), config);
    EXPECT_NE(FindResourceA(self, "trayicon", RT_GROUP_ICON), nullptr);
    EXPECT_NE(FindResourceA(self, MAKEINTRESOURCE(1), RT_VERSION), nullptr);
    EXPECT_NE(FindResourceA(self, MAKEINTRESOURCE(IDR_MENU), RT_MENU), nullptr);
    EXPECT_TRUE(FreeResource(LoadResource(self, config)));
}

TEST(FindResource, LanguagesFallBackToAnyWhenTheAskedOneIsMissing) {
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC us = FindResourceExA(self, RT_RCDATA, "Config", MAKELANGID(LANG_ENGLISH, 1));
    ASSERT_NE(us, nullptr);
    EXPECT_EQ(FindResourceExA(self, RT_RCDATA, "Config", 0x0407), us);
}

TEST(FindResource, ReportsWhatIsMissing) {
    HMODULE self = GetModuleHandleA(nullptr);
    SetLastError(0);
    EXPECT_EQ(FindResourceA(self, MAKEINTRESOURCE(1), MAKEINTRESOURCE(99)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(FindResourceA(self, MAKEINTRESOURCE(999), RT_DIALOG), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(FindResourceA(self, "#12x", RT_DIALOG), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    HMODULE bogus = reinterpret_cast<HMODULE>(0x12340000);
    EXPECT_EQ(FindResourceA(bogus, MAKEINTRESOURCE(IDD_MAIN), RT_DIALOG), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    // An HRSRC is checked, not followed.
    HRSRC forged = reinterpret_cast<HRSRC>(0x7777);
    EXPECT_EQ(LoadResource(self, forged), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(SizeofResource(self, forged), 0u);
    HRSRC dialog = FindResourceA(self, MAKEINTRESOURCE(IDD_MAIN), RT_DIALOG);
    EXPECT_EQ(LoadResource(bogus, dialog), nullptr);
}
