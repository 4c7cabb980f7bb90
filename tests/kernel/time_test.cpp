#include "tests/support/machine_fixture.h"

#include <windows.h>

#include <chrono>
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

TEST_F(KernelLanguage, SystemLanguageComesFromTheMachine) {
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0409);
    write_file("machine.ini", "[machine]\nlangid=0x080A\n");
    EXPECT_EQ(GetSystemDefaultLangID(), 0x080A);
    write_file("machine.ini", "[machine]\nlangid=0411\n");
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0411);
    write_file("machine.ini", "[machine]\nlangid=french\n");
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0409);
}

} // namespace
