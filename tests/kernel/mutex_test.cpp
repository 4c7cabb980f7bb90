// Named mutexes: existence shared by the processes of a machine, gone with the last holder.
#include "tests/support/machine_fixture.h"

#include <windows.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using Mutexes = testing_support::MachineFixture;

TEST_F(Mutexes, SecondOpenSeesTheFirstUntilItsLastHandleCloses) {
    HANDLE first = CreateMutexA(nullptr, FALSE, "Radiodeck.Instance");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE second = CreateMutexA(nullptr, FALSE, "Radiodeck.Instance");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    HANDLE other = CreateMutexA(nullptr, FALSE, "radiodeck.instance"); // names keep their case
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(first);
    CloseHandle(other);
    HANDLE third = CreateMutexA(nullptr, FALSE, "Radiodeck.Instance");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)); // second still holds it
    CloseHandle(second);
    CloseHandle(third);
    HANDLE fresh = CreateMutexA(nullptr, FALSE, "Radiodeck.Instance");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(fresh);
}

TEST_F(Mutexes, AnotherProcessHoldsItUntilItEnds) {
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        HANDLE h = CreateMutexA(nullptr, FALSE, "Radiodeck.Instance");
        char c = h ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        (void)!read(release[0], &c, 1);
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    HANDLE mine = CreateMutexA(nullptr, FALSE, "Radiodeck.Instance");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(mine);
    (void)!write(release[1], "x", 1);
    int status = 0;
    waitpid(child, &status, 0);
    mine = CreateMutexA(nullptr, FALSE, "Radiodeck.Instance");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)); // gone with its holder
    CloseHandle(mine);
    for (int fd : {ready[0], ready[1], release[0], release[1]})
        close(fd);
}

TEST_F(Mutexes, OwnershipAndUnnamedMutexesAreRefused) {
    EXPECT_EQ(CreateMutexA(nullptr, TRUE, "Radiodeck.Instance"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(CreateMutexA(nullptr, FALSE, nullptr), nullptr);
}

} // namespace
