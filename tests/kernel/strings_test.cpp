#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

template <typename... Args> std::string format(const char* fmt, Args... args) {
    char buffer[1100];
    int n = wsprintfA(buffer, fmt, args...);
    EXPECT_EQ(n, static_cast<int>(strlen(buffer)));
    return buffer;
}

TEST(KernelFormat, OsdCommandLineFromTheWindowsDirectory) {
    EXPECT_EQ(format("%s%\\ZEB0100\\ZEBOSD.EXE", "C:\\WINDOWS"),
              "C:\\WINDOWS\\ZEB0100\\ZEBOSD.EXE");
    EXPECT_EQ(format("%s\\%s", "C:\\Program", "LANG.INI"), "C:\\Program\\LANG.INI");
    EXPECT_EQ(format("100%% %q"), "100% q"); // any other character stands for itself
    EXPECT_EQ(format("tail %"), "tail ");
}

TEST(KernelFormat, Integers) {
    EXPECT_EQ(format("0X%04X", 0x409), "0X0409");
    EXPECT_EQ(format("0X%04X", 0x80A), "0X080A");
    EXPECT_EQ(format("%d|%i|%u", -5, 7, -1), "-5|7|4294967295");
    EXPECT_EQ(format("%x|%X|%lx|%lX", 0xBEEF, 0xBEEF, 0x1a2b, 0x1a2b), "beef|BEEF|1a2b|1A2B");
    EXPECT_EQ(format("%ld|%lu", -2147483647 - 1, 4000000000u), "-2147483648|4000000000");
    EXPECT_EQ(format("%hd|%hd", 65535, 32768), "-1|-32768");
    EXPECT_EQ(format("[%5d|%-5d|%05d|%-05d]", 42, 42, -42, 7), "[   42|42   |-0042|7    ]");
    EXPECT_EQ(format("%.3d|%#x|%#X", 7, 255, 255), "007|0xff|0XFF");
}

TEST(KernelFormat, CharactersAndStrings) {
    EXPECT_EQ(format("%c%c", 'o', 'k'), "ok");
    EXPECT_EQ(format("[%6s|%-6s|%.2s|%06s]", "abc", "abc", "abc", "ab"),
              "[   abc|abc   |ab|    ab]");
    EXPECT_EQ(format("%s", static_cast<const char*>(nullptr)), "(null)");
}

TEST(KernelFormat, OutputStopsAt1024Characters) {
    std::string big(2000, 'x');
    char buffer[1100];
    memset(buffer, 'U', sizeof buffer);
    EXPECT_EQ(wsprintfA(buffer, "%s", big.c_str()), 1023);
    EXPECT_EQ(buffer[1023], '\0');
    EXPECT_EQ(buffer[1024], 'U');
}

TEST(KernelStrings, CopiesAndLengths) {
    char buffer[8];
    EXPECT_EQ(lstrcpynA(buffer, "Wireless", sizeof buffer), buffer);
    EXPECT_STREQ(buffer, "Wireles"); // at most iMaxLength - 1 characters, always terminated
    lstrcpynA(buffer, "ab", sizeof buffer);
    EXPECT_STREQ(buffer, "ab");
    lstrcpynA(buffer, "xyz", 1);
    EXPECT_STREQ(buffer, "");
    buffer[0] = 'k';
    lstrcpynA(buffer, "xyz", 0);
    lstrcpynA(buffer, "xyz", -1);
    EXPECT_EQ(buffer[0], 'k');

    EXPECT_EQ(lstrcpyA(buffer, "radio"), buffer);
    EXPECT_STREQ(buffer, "radio");
    EXPECT_EQ(lstrcpyA(nullptr, "x"), nullptr);
    EXPECT_EQ(lstrlenA("radio"), 5);
    EXPECT_EQ(lstrlenA(nullptr), 0);
}

TEST(KernelStrings, ComparisonsAreAlphabeticWithCaseAsTieBreak) {
    EXPECT_EQ(lstrcmpA("Error", "Error"), 0);
    EXPECT_EQ(lstrcmpA("error", "Error"), -1); // same word: lower case first
    EXPECT_EQ(lstrcmpA("Error", "error"), 1);
    EXPECT_EQ(lstrcmpA("apple", "Banana"), -1); // letters before case
    EXPECT_EQ(lstrcmpA("abc", "abcd"), -1);
    EXPECT_EQ(lstrcmpA(nullptr, "a"), -1);
    EXPECT_EQ(lstrcmpA(nullptr, nullptr), 0);
    EXPECT_EQ(lstrcmpiA("ZEBOSD", "zebosd"), 0);
    EXPECT_EQ(lstrcmpiA("zebosd", "ZEBOSE"), -1);
}

} // namespace
