#include "platform/kernel/driver.h"
#include "tests/support/machine_fixture.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr DWORD kEcho = CTL_CODE(FILE_DEVICE_UNKNOWN, 0x800, METHOD_BUFFERED, FILE_ANY_ACCESS);
constexpr DWORD kStore = CTL_CODE(FILE_DEVICE_UNKNOWN, 0x801, METHOD_BUFFERED, FILE_WRITE_ACCESS);
constexpr DWORD kLoad = CTL_CODE(FILE_DEVICE_UNKNOWN, 0x802, METHOD_BUFFERED, FILE_READ_ACCESS);

// A device with one 32-bit register shared by all its handles: what one handle stores another
// loads, as a peer would see it. Echo answers with its input, or ERROR_MORE_DATA when it does
// not fit; the backend "broken" fails to open.
struct TestDevice {
    DWORD value = 0;
    int open_handles = 0;
};
TestDevice g_device;

class TestDriver final : public platform::Driver {
public:
    DWORD open(const std::string& backend, DWORD) override {
        if (backend == "broken")
            return ERROR_NOT_READY;
        ++g_device.open_handles;
        return ERROR_SUCCESS;
    }
    DWORD ioctl(DWORD code, const void* in, DWORD in_size, void* out, DWORD out_size,
                DWORD& bytes_returned) override {
        switch (code) {
        case kEcho:
            bytes_returned = std::min(in_size, out_size);
            if (bytes_returned > 0)
                memcpy(out, in, bytes_returned);
            return in_size > out_size ? ERROR_MORE_DATA : ERROR_SUCCESS;
        case kStore:
            if (in_size != sizeof(DWORD))
                return ERROR_INVALID_PARAMETER;
            memcpy(&g_device.value, in, sizeof(DWORD));
            return ERROR_SUCCESS;
        case kLoad:
            if (out_size < sizeof(DWORD))
                return ERROR_INSUFFICIENT_BUFFER;
            memcpy(out, &g_device.value, sizeof(DWORD));
            bytes_returned = sizeof(DWORD);
            return ERROR_SUCCESS;
        default:
            return ERROR_INVALID_FUNCTION;
        }
    }
    void close() override { --g_device.open_handles; }
};

class KernelDevice : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        g_device = {};
        platform::register_driver("TESTDEV", [] { return std::make_unique<TestDriver>(); });
    }
    void TearDown() override {
        platform::unregister_driver("TESTDEV");
        MachineFixture::TearDown();
    }
    static HANDLE open(const char* name, DWORD access = GENERIC_READ | GENERIC_WRITE) {
        return CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    }
};

TEST_F(KernelDevice, AnUninstalledDeviceDoesNotOpen) {
    HANDLE h = open("\\\\.\\TESTDEV");
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    // Installed, but no driver serves the name.
    write_file("machine.ini", "[devices]\nOTHER=simulated\n");
    EXPECT_EQ(open("\\\\.\\OTHER"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(g_device.open_handles, 0);
}

TEST_F(KernelDevice, ControlRequestsReachTheDriver) {
    write_file("machine.ini", "[devices]\ntestdev=simulated\n");
    HANDLE writer = open("\\\\.\\TestDev");
    HANDLE reader = open("\\\\.\\TESTDEV", GENERIC_READ);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    ASSERT_NE(writer, nullptr);
    EXPECT_NE(writer, reader);
    EXPECT_EQ(g_device.open_handles, 2);

    DWORD value = 0x182;
    DWORD returned = 99;
    ASSERT_TRUE(
        DeviceIoControl(writer, kStore, &value, sizeof value, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(returned, 0u);
    DWORD seen = 0;
    ASSERT_TRUE(DeviceIoControl(reader, kLoad, nullptr, 0, &seen, sizeof seen, &returned, nullptr));
    EXPECT_EQ(seen, 0x182u);
    EXPECT_EQ(returned, sizeof seen);

    unsigned char request[20] = {1, 0, 0, 0, 'H', 'W', 'R', 'S'};
    unsigned char answer[768] = {};
    ASSERT_TRUE(DeviceIoControl(writer, kEcho, request, sizeof request, answer, sizeof answer,
                                &returned, nullptr));
    EXPECT_EQ(returned, 20u);
    EXPECT_EQ(memcmp(answer, request, sizeof request), 0);

    // The driver's own failures pass through, with what it returned.
    EXPECT_FALSE(
        DeviceIoControl(writer, kEcho, request, sizeof request, answer, 8, &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(returned, 8u);
    EXPECT_FALSE(DeviceIoControl(writer, 0x222404, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));

    EXPECT_TRUE(CloseHandle(writer));
    EXPECT_TRUE(CloseHandle(reader));
    EXPECT_EQ(g_device.open_handles, 0);
}

TEST_F(KernelDevice, RequestsAreCheckedBeforeTheDriverSeesThem) {
    write_file("machine.ini", "[devices]\nTESTDEV=simulated\n");
    HANDLE reader = open("\\\\.\\TESTDEV", GENERIC_READ);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    DWORD value = 7;
    DWORD returned = 0;
    EXPECT_FALSE(
        DeviceIoControl(reader, kStore, &value, sizeof value, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    OVERLAPPED overlapped{};
    EXPECT_FALSE(
        DeviceIoControl(reader, kLoad, nullptr, 0, &value, sizeof value, &returned, &overlapped));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(
        DeviceIoControl(reader, kLoad, nullptr, 0, &value, sizeof value, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(g_device.value, 0u);
    CloseHandle(reader);
}

TEST_F(KernelDevice, HandlesCloseOnce) {
    write_file("machine.ini", "[devices]\nTESTDEV=simulated\n");
    HANDLE h = open("\\\\.\\TESTDEV");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    DWORD returned = 0;
    EXPECT_FALSE(DeviceIoControl(h, kEcho, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(CloseHandle(nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    // A closed value is not handed out again at once: the stale handle stays dead.
    HANDLE next = open("\\\\.\\TESTDEV");
    EXPECT_NE(next, h);
    CloseHandle(next);
}

TEST_F(KernelDevice, OpenFailuresOfTheDriverPassThrough) {
    write_file("machine.ini", "[devices]\nTESTDEV=broken\n");
    EXPECT_EQ(open("\\\\.\\TESTDEV"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_READY));
}

TEST_F(KernelDevice, PlainFilesOpenOnlyForReading) {
    write_file("drive_c/notes.txt", "x");
    HANDLE h = open("C:\\NOTES.TXT", GENERIC_READ);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD returned = 0;
    EXPECT_FALSE(DeviceIoControl(h, kEcho, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    EXPECT_TRUE(CloseHandle(h));

    EXPECT_EQ(open("C:\\notes.txt"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(open("C:\\missing.txt", GENERIC_READ), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

} // namespace
