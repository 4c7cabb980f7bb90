#include "tests/support/machine_fixture.h"

#include <windows.h>

#include <fstream>
#include <sstream>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class KernelProfile : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        ini_ = write_file("app.ini", "; settings of the test\n"
                                     "  [ LangID ]  \n"
                                     "  0X0409 =  english.dll  \n"
                                     "quoted=\"  padded  \"\n"
                                     "single='x'\n"
                                     "half=\"open\n"
                                     "novalue\n"
                                     ";commented=1\n"
                                     "0x0409=second\n"
                                     "\n"
                                     "[Numbers]\n"
                                     "plain=42\n"
                                     "negative=-7\n"
                                     "hex=0x1F\n"
                                     "trailing=55zz\n"
                                     "word=zz\n"
                                     "empty=\n"
                                     "[langid]\n"
                                     "late=ignored\n")
                   .string();
    }
    std::string get(const char* section, const char* key, const char* fallback = "dflt",
                    DWORD size = 256) {
        std::string buffer(size, '\xAA');
        DWORD n =
            GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, ini_.c_str());
        EXPECT_EQ(n, strlen(buffer.c_str()));
        return buffer.substr(0, n);
    }
    std::string file_text() {
        std::ifstream in(ini_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string ini_;
};

TEST_F(KernelProfile, ReadsFollowTheWindowsRules) {
    EXPECT_EQ(get("langid", "0x0409"), "english.dll"); // case, blanks around names and values
    EXPECT_EQ(get("LANGID", "quoted"), "  padded  ");  // matching quotes go, the inside stays
    EXPECT_EQ(get("LANGID", "single"), "x");
    EXPECT_EQ(get("LANGID", "half"), "\"open");
    EXPECT_EQ(get("LANGID", "novalue"), "dflt");    // a line without '=' has no value
    EXPECT_EQ(get("LANGID", ";commented"), "dflt"); // comment lines are no entries
    EXPECT_EQ(get("LANGID", "late"), "dflt");       // only the first section of a name counts
    EXPECT_EQ(get("Numbers", "empty"), "");
}

TEST_F(KernelProfile, MissingEntriesGiveTheTrimmedDefault) {
    SetLastError(0);
    EXPECT_EQ(get("LANGID", "0X0411", "Error  "), "Error");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(get("Nowhere", "key", "Error"), "Error");
    EXPECT_EQ(get("LANGID", "0X0411", nullptr), "");

    char buffer[16];
    EXPECT_EQ(GetPrivateProfileStringA("LANGID", "0X0409", "Error", buffer, sizeof buffer,
                                       (root() / "absent.ini").c_str()),
              5u);
    EXPECT_STREQ(buffer, "Error");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(KernelProfile, CopiesAreCutToTheBuffer) {
    EXPECT_EQ(get("LANGID", "0x0409", "", 8), "english");
    EXPECT_EQ(get("LANGID", "missing", "Default", 4), "Def");
    EXPECT_EQ(get("LANGID", "0x0409", "", 1), "");
    char untouched = 'u';
    EXPECT_EQ(GetPrivateProfileStringA("LANGID", "0x0409", "", &untouched, 0, ini_.c_str()), 0u);
    EXPECT_EQ(untouched, 'u');
}

TEST_F(KernelProfile, NullNamesEnumerateAsDoubleNulLists) {
    char buffer[64];
    DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, ini_.c_str());
    EXPECT_EQ(std::string(buffer, n + 1), std::string("LangID\0Numbers\0langid\0\0", 23));
    n = GetPrivateProfileStringA("numbers", nullptr, "", buffer, sizeof buffer, ini_.c_str());
    EXPECT_EQ(std::string(buffer, n + 1),
              std::string("plain\0negative\0hex\0trailing\0word\0empty\0\0", 40));
    // Cut short: the last name that starts is cut, both terminators fit, size - 2 returned.
    n = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, 12, ini_.c_str());
    EXPECT_EQ(n, 10u);
    EXPECT_EQ(std::string(buffer, 12), std::string("LangID\0Num\0\0", 12));
    n = GetPrivateProfileStringA("Nowhere", nullptr, "", buffer, sizeof buffer, ini_.c_str());
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(buffer[0], '\0');
}

TEST_F(KernelProfile, IntegersTakeTheLeadingNumber) {
    auto get_int = [&](const char* key, int fallback = 99) {
        return static_cast<int>(GetPrivateProfileIntA("Numbers", key, fallback, ini_.c_str()));
    };
    EXPECT_EQ(get_int("plain"), 42);
    EXPECT_EQ(get_int("negative"), -7);
    EXPECT_EQ(get_int("hex"), 31);
    EXPECT_EQ(get_int("trailing"), 55);
    EXPECT_EQ(get_int("word"), 0);
    EXPECT_EQ(get_int("empty"), 99);
    EXPECT_EQ(get_int("missing", -1), -1);
}

TEST_F(KernelProfile, WritesKeepTheRestOfTheFile) {
    ASSERT_TRUE(WritePrivateProfileStringA("langid", "0X0409", "french.dll", ini_.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("LANGID", "0X040C", "fr.dll", ini_.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Numbers", "hex", nullptr, ini_.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("New", "key", "value", ini_.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Numbers", "missing", nullptr, ini_.c_str()));
    EXPECT_EQ(file_text(), "; settings of the test\n"
                           "  [ LangID ]  \n"
                           "0X0409=french.dll\n"
                           "quoted=\"  padded  \"\n"
                           "single='x'\n"
                           "half=\"open\n"
                           "novalue\n"
                           ";commented=1\n"
                           "0x0409=second\n"
                           "0X040C=fr.dll\n"
                           "\n"
                           "[Numbers]\n"
                           "plain=42\n"
                           "negative=-7\n"
                           "trailing=55zz\n"
                           "word=zz\n"
                           "empty=\n"
                           "[langid]\n"
                           "late=ignored\n"
                           "\n"
                           "[New]\n"
                           "key=value\n");
    ASSERT_TRUE(WritePrivateProfileStringA("NUMBERS", nullptr, nullptr, ini_.c_str()));
    EXPECT_EQ(get("Numbers", "plain"), "dflt");
    EXPECT_EQ(get("New", "key"), "value");
}

TEST_F(KernelProfile, WritesCreateFilesAndKeepLineEndsAndPermissions) {
    fs::path fresh = root() / "fresh.ini";
    ASSERT_TRUE(WritePrivateProfileStringA("devices", "ZEBACPI", "simulated", fresh.c_str()));
    char buffer[32];
    GetPrivateProfileStringA("DEVICES", "zebacpi", "", buffer, sizeof buffer, fresh.c_str());
    EXPECT_STREQ(buffer, "simulated");

    fs::path dos = write_file("dos.ini", "[a]\r\nx=1\r\n");
    chmod(dos.c_str(), 0640);
    ASSERT_TRUE(WritePrivateProfileStringA("a", "y", "2", dos.c_str()));
    std::ifstream in(dos, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "[a]\r\nx=1\r\ny=2\r\n");
    EXPECT_EQ(fs::status(dos).permissions(), fs::perms(0640));
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(root()), fs::directory_iterator()), 3);

    EXPECT_TRUE(WritePrivateProfileStringA("gone", "key", nullptr, (root() / "no.ini").c_str()));
    EXPECT_FALSE(fs::exists(root() / "no.ini"));
}

// A FIFO or device is no profile: refused at once instead of waiting for a writer or reading
// without end. A link to a file is written through, and stays a link.
TEST_F(KernelProfile, SpecialFilesAreRefusedAndLinksWrittenThrough) {
    ASSERT_EQ(mkfifo((root() / "pipe").c_str(), 0644), 0);
    fs::create_symlink("pipe", root() / "to_pipe.ini");
    fs::create_symlink("/dev/zero", root() / "to_zero.ini");
    for (const char* name : {"pipe", "to_pipe.ini", "to_zero.ini"}) {
        std::string file = (root() / name).string();
        char buffer[16];
        EXPECT_EQ(GetPrivateProfileStringA("a", "x", "none", buffer, sizeof buffer, file.c_str()),
                  4u);
        EXPECT_STREQ(buffer, "none");
        EXPECT_FALSE(WritePrivateProfileStringA("a", "x", "1", file.c_str())) << name;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    EXPECT_TRUE(fs::is_fifo(root() / "pipe"));

    fs::create_symlink("app.ini", root() / "link.ini");
    ASSERT_TRUE(WritePrivateProfileStringA("new", "key", "1", (root() / "link.ini").c_str()));
    EXPECT_TRUE(fs::is_symlink(root() / "link.ini"));
    EXPECT_NE(file_text().find("[new]\nkey=1\n"), std::string::npos) << file_text();
}

// A file read before, and so kept, is read afresh after any change: a person's edit in place
// of the same size, a program's replacement, a removal.
TEST_F(KernelProfile, AFileReadBeforeIsSeenAfreshAfterAChange) {
    const fs::path file = root() / "kept.ini";
    auto age = [&] {
        timespec old[2] = {{1000000000, 0}, {1000000000, 0}}; // long before any tick of now
        ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), old, 0), 0);
    };
    auto value = [&] {
        char buffer[16];
        GetPrivateProfileStringA("s", "k", "none", buffer, sizeof buffer, file.c_str());
        return std::string(buffer);
    };
    std::ofstream(file) << "[s]\nk=one\n";
    age();
    EXPECT_EQ(value(), "one");
    EXPECT_EQ(value(), "one");
    std::ofstream(file, std::ios::trunc) << "[s]\nk=two\n";
    EXPECT_EQ(value(), "two");
    age();
    EXPECT_EQ(value(), "two");
    ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "six", file.c_str()));
    EXPECT_EQ(value(), "six");
    fs::remove(file);
    EXPECT_EQ(value(), "none");
}

TEST_F(KernelProfile, WritesThatWouldCorruptTheFileAreRefused) {
    const std::string before = file_text();
    EXPECT_FALSE(WritePrivateProfileStringA("LANGID", "k", "two\nlines", ini_.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(WritePrivateProfileStringA("a]b", "k", "v", ini_.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("LANGID", "a=b", "v", ini_.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("LANGID", ";k", "v", ini_.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", ini_.c_str()));
    EXPECT_EQ(file_text(), before);

    EXPECT_FALSE(WritePrivateProfileStringA("a", "k", "v", (root() / "no/dir/x.ini").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(KernelProfile, BareNamesLiveInTheWindowsDirectory) {
    write_file("drive_c/windows/lang.ini", "[LANGID]\n0X0409=from-windows\n");
    char buffer[32];
    GetPrivateProfileStringA("LANGID", "0X0409", "", buffer, sizeof buffer, "LANG.INI");
    EXPECT_STREQ(buffer, "from-windows");
    GetPrivateProfileStringA("LANGID", "0X0409", "", buffer, sizeof buffer,
                             "C:\\WINDOWS\\LANG.INI");
    EXPECT_STREQ(buffer, "from-windows");
}

} // namespace
