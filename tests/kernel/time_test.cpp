#include "tests/support/machine_fixture.h"

#include "platform/kernel/language.h"

#include <windows.h>

#include <chrono>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using KernelTime = testing_support::MachineFixture;

TEST_F(KernelTime, SleepWaitsOnTheVirtualClock) {
    auto real_start = std::chrono::steady_clock::now();
    DWORD start = GetTickCount();
    Sleep(16000);
    EXPECT_EQ(GetTickCount() - start, 16000u);
    Sleep(0);
    EXPECT_EQ(GetTickCount() - start, 16000u);
    EXPECT_LT(std::chrono::steady_clock::now() - real_start, std::chrono::seconds(1));
}

TEST_F(KernelTime, TickCountWrapsAfter49Days) {
    clock().advance_to(0xFFFFFFFFull - 5);
    DWORD before = GetTickCount();
    Sleep(10);
    EXPECT_EQ(GetTickCount(), 4u);
    EXPECT_EQ(GetTickCount() - before, 10u); // differences stay right across the wrap
}

TEST(KernelErrors, LastErrorBelongsToTheThread) {
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD other = 1;
    std::thread([&] { other = GetLastError(); }).join();
    EXPECT_EQ(other, 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(KernelProcess, IdentitiesAreThoseOfTheHost) {
    EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
    DWORD main_thread = GetCurrentThreadId();
    DWORD other = main_thread;
    std::thread([&] { other = GetCurrentThreadId(); }).join();
    EXPECT_NE(other, main_thread);
    // A forked child is a process of its own, even after its parent asked.
    pid_t child = fork();
    if (child == 0)
        _exit(GetCurrentProcessId() == static_cast<DWORD>(getpid()) &&
                      GetCurrentThreadId() == static_cast<DWORD>(gettid())
                  ? 0
                  : 1);
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(KernelMulDiv, RoundsHalfAwayFromZero) {
    EXPECT_EQ(MulDiv(10, 3, 4), 8); // 7.5
    EXPECT_EQ(MulDiv(-10, 3, 4), -8);
    EXPECT_EQ(MulDiv(10, -3, -4), 8);
    EXPECT_EQ(MulDiv(7, 1, 3), 2);
    EXPECT_EQ(MulDiv(8, 96, 72), 11);                      // a point size at 96 dpi: 10.67
    EXPECT_EQ(MulDiv(1 << 30, 1 << 30, 1 << 30), 1 << 30); // 64-bit intermediate
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
    EXPECT_EQ(MulDiv(1 << 30, 4, 1), -1); // does not fit
    EXPECT_EQ(MulDiv(-2147483647 - 1, 1, 1), -1);
}

using KernelLanguage = testing_support::MachineFixture;

TEST(KernelLocale, LocaleNamesGiveTheirWindowsLanguage) {
    struct Case {
        const char* locale;
        LANGID langid;
    } cases[] = {
        {"de_DE.UTF-8", 0x0407},
        {"de_AT", 0x0C07},
        {"de", 0x0407},
        {"fr_CA", 0x0C0C},
        {"fr_FR.utf8", 0x040C},
        {"fr_CD.UTF-8", 0x040C}, // main language
        {"es_ES", 0x0C0A},
        {"es_MX.UTF-8", 0x080A},
        {"en_GB.UTF-8", 0x0809},
        {"pt_BR", 0x0416},
        {"ca_ES@valencia", 0x0403},
        {"ja_JP.eucJP", 0x0411},
        {"C", 0x0409},
        {"POSIX", 0x0409},
        {"C.UTF-8", 0x0409},
        {"", 0x0409},
        {"xx_YY", 0x0409},
        {"d", 0x0409},
        {"DE_de", 0x0407},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::langid_of_locale(c.locale), c.langid) << c.locale;
}

TEST_F(KernelLanguage, MachineLanguageElseTheHostLocale) {
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0409); // the fixture's "C" locale
    setenv("LANG", "fr_CA.UTF-8", 1);
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0C0C);
    setenv("LC_MESSAGES", "de_DE.UTF-8", 1); // the messages' locale before LANG
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0407);
    setenv("LC_ALL", "", 1); // empty is unset
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0407);
    setenv("LC_ALL", "es_MX", 1);
    EXPECT_EQ(GetSystemDefaultLangID(), 0x080A);

    write_file("machine.ini", "[machine]\nlangid=0x0411\n");
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0411);
    write_file("machine.ini", "[machine]\nlangid=0407\n");
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0407);
    write_file("machine.ini", "[machine]\nlangid=french\n"); // unreadable: as if unset
    EXPECT_EQ(GetSystemDefaultLangID(), 0x080A);
}

} // namespace
