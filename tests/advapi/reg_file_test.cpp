// The .reg text format: what is written reads back as the same hive, and malformed text
// is refused rather than half-read.
#include "platform/advapi/reg_file.h"

#include <winreg.h>

#include <gtest/gtest.h>

using platform::reg::build_hive;
using platform::reg::format_reg_file;
using platform::reg::Key;
using platform::reg::parse_reg_file;

namespace {

std::vector<BYTE> bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

std::optional<Key> reparse(const Key& hive) {
    auto file = parse_reg_file(format_reg_file(hive, "HKEY_LOCAL_MACHINE"));
    return file ? build_hive(*file) : std::nullopt;
}

void expect_same(const Key& a, const Key& b) {
    EXPECT_EQ(a.name, b.name);
    ASSERT_EQ(a.values.size(), b.values.size()) << a.name;
    for (size_t i = 0; i < a.values.size(); ++i) {
        EXPECT_EQ(a.values[i].name, b.values[i].name);
        EXPECT_EQ(a.values[i].type, b.values[i].type) << a.values[i].name;
        EXPECT_EQ(a.values[i].data, b.values[i].data) << a.values[i].name;
    }
    ASSERT_EQ(a.subkeys.size(), b.subkeys.size()) << a.name;
    for (size_t i = 0; i < a.subkeys.size(); ++i)
        expect_same(a.subkeys[i], b.subkeys[i]);
}

TEST(RegFile, EveryValueSurvivesARoundTrip) {
    Key hive;
    hive.name = "HKEY_LOCAL_MACHINE";
    Key& key = hive.add_subkey("Software").add_subkey("Odd ] Name");
    key.set_value("", REG_SZ, bytes(std::string_view("default\0", 8)));
    key.set_value("quote\"and\\slash", REG_SZ, bytes(std::string_view("a\"b\\c\0", 6)));
    key.set_value("no terminator", REG_SZ, bytes("abc"));
    key.set_value("two lines", REG_SZ, bytes(std::string_view("a\nb\0", 4)));
    key.set_value("inner nul", REG_SZ, bytes(std::string_view("a\0b\0", 4)));
    key.set_value("dword", REG_DWORD, {0x0a, 0, 0, 0x80});
    key.set_value("short dword", REG_DWORD, {1, 2});
    key.set_value("empty", REG_BINARY, {});
    key.set_value("qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});
    std::vector<BYTE> big(300);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<BYTE>(i);
    key.set_value("big", REG_BINARY, big);
    key.set_value("utf8 \xC3\xA9", 0x12345678, bytes("\xC3\xA9"));
    hive.add_subkey("Empty");

    auto back = reparse(hive);
    ASSERT_TRUE(back);
    expect_same(hive, *back);

    std::string text = format_reg_file(hive, "HKEY_LOCAL_MACHINE");
    EXPECT_NE(text.find("\"dword\"=dword:8000000a\n"), std::string::npos);
    EXPECT_NE(text.find("@=\"default\"\n"), std::string::npos);
    EXPECT_NE(text.find("\"quote\\\"and\\\\slash\"=\"a\\\"b\\\\c\"\n"), std::string::npos);
    EXPECT_NE(text.find("\"qword\"=hex(b):01,02,03,04,05,06,07,08\n"), std::string::npos);
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1)
        EXPECT_LE(end - start, 80u) << "line wraps like regedit";
}

TEST(RegFile, AppliesDeletionsInOrder) {
    auto file = parse_reg_file("REGEDIT4\n"
                               "[HKEY_LOCAL_MACHINE\\A\\B]\n\"x\"=dword:1\n\"y\"=dword:2\n"
                               "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=-\n"
                               "[HKEY_LOCAL_MACHINE\\A\\B]\n\"x\"=-\n"
                               "[-HKEY_LOCAL_MACHINE\\A\\C]\n"
                               "[HKEY_LOCAL_MACHINE\\A\\C]\n"
                               "[-hkey_local_machine\\a\\c]\n");
    ASSERT_TRUE(file);
    auto hive = build_hive(*file);
    ASSERT_TRUE(hive);
    const Key* a = hive->find_subkey("a");
    ASSERT_TRUE(a);
    ASSERT_EQ(a->subkeys.size(), 1u);
    EXPECT_EQ(a->subkeys[0].values.size(), 1u);
    EXPECT_EQ(a->subkeys[0].values[0].name, "y");
}

TEST(RegFile, RefusesMalformedText) {
    const char* const bad[] = {
        "[HKEY_LOCAL_MACHINE\\A]\n",                                  // no header
        "Windows Registry Editor Version 4.00\n",                     // wrong header
        "REGEDIT4\n\"x\"=dword:1\n",                                  // value outside key
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=dword:123456789\n", // nine digits
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=dword:\n",          // no digits
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x=\"1\"\n",             // unterminated name
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"1\n",             // unterminated data
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"\\n\"\n",         // unknown escape
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=hex:1,,2\n",        // empty byte
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=hex:123\n",         // three digits
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=hex(1:00\n",        // no parenthesis
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=hex:01,\\\n",       // continuation at end
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"a\" junk\n",      // trailing text
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\n",                         // no bracket
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\nx=1\n",                   // bare name
    };
    for (const char* text : bad)
        EXPECT_FALSE(parse_reg_file(text)) << text;
    EXPECT_FALSE(parse_reg_file(std::string_view("REGEDIT4\n\0\n", 11)));

    // Well-formed text that is not a stored hive.
    for (const char* text : {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n", "REGEDIT4\n[HKLM\\A]\n",
                             "REGEDIT4\n[HKEY_LOCAL_MACHINE\\\\A]\n"}) {
        auto file = parse_reg_file(text);
        ASSERT_TRUE(file) << text;
        EXPECT_FALSE(build_hive(*file)) << text;
    }
    std::string deep = "REGEDIT4\n[HKEY_LOCAL_MACHINE";
    for (int i = 0; i < 600; ++i)
        deep += "\\k";
    deep += "]\n";
    auto file = parse_reg_file(deep);
    ASSERT_TRUE(file);
    EXPECT_FALSE(build_hive(*file));

    EXPECT_TRUE(parse_reg_file(""));
    EXPECT_TRUE(parse_reg_file(" \n\r\n"));
}

} // namespace
