#include "test_ids.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(LoadString, CopiesConvertsAndCounts) {
    HINSTANCE self = GetModuleHandleA(nullptr);
    char buffer[256];
    EXPECT_EQ(LoadStringA(self, IDS_WLAN, buffer, 256), 12);
    EXPECT_STREQ(buffer, "Wireless LAN");
    EXPECT_EQ(LoadStringA(self, IDS_FAR, buffer, 256), 8); // another block of sixteen
    EXPECT_STREQ(buffer, "Far away");
    // Characters outside the ANSI code page's first 256 become '?'.
    EXPECT_EQ(LoadStringA(self, IDS_EURO, buffer, 256), 8);
    EXPECT_STREQ(buffer, "5 ? each");
}

TEST(LoadString, MissingAndEmptyStringsGiveZero) {
    HINSTANCE self = GetModuleHandleA(nullptr);
    char buffer[16];
    std::strcpy(buffer, "untouched");
    // 4 is missing from a block that exists, 6 is empty: both are stored as zero length.
    SetLastError(1234);
    EXPECT_EQ(LoadStringA(self, IDS_BLUETOOTH, buffer, 16), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(LoadStringA(self, IDS_EMPTY, buffer, 16), 0);
    EXPECT_EQ(GetLastError(), 1234u);
    // A string whose whole block is missing.
    EXPECT_EQ(LoadStringA(self, 200, buffer, 16), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(LoadStringA(self, IDS_WLAN, buffer, 0), 0);
}

TEST(LoadString, CutsToTheBufferAndAlwaysTerminates) {
    HINSTANCE self = GetModuleHandleA(nullptr);
    const std::string text = "Display dialog box when switch (ON)";
    std::string buffer(64, 'x');
    EXPECT_EQ(LoadStringA(self, IDS_DISPLAY, buffer.data(), 8), 7);
    EXPECT_EQ(std::string(buffer.c_str()), text.substr(0, 7));
    EXPECT_EQ(buffer[8], 'x');

    // Exactly fitting: all characters and the terminator.
    int size = static_cast<int>(text.size()) + 1;
    EXPECT_EQ(LoadStringA(self, IDS_DISPLAY, buffer.data(), size), size - 1);
    EXPECT_EQ(std::string(buffer.c_str()), text);
    // One less cuts the last character.
    EXPECT_EQ(LoadStringA(self, IDS_DISPLAY, buffer.data(), size - 1), size - 2);
    EXPECT_EQ(std::string(buffer.c_str()), text.substr(0, text.size() - 1));
    EXPECT_EQ(LoadStringA(self, IDS_DISPLAY, buffer.data(), 1), 0);
    EXPECT_EQ(buffer[0], '\0');
}
