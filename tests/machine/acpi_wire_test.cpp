// The ZEBACPI device's own protocol, as any caller of DeviceIoControl meets it: what it
// accepts, what it refuses, and the exact bytes of its answer.
#include "machine/acpi/firmware.h"
#include "machine/notebookctl/notebook_setup.h"

#include "tests/support/machine_fixture.h"

#include <sys/mman.h>

#include <array>
#include <cstring>

namespace {

constexpr DWORD kEval = 0x222404;

class AcpiDevice : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        ASSERT_EQ(machine::init_notebook({}), static_cast<DWORD>(ERROR_SUCCESS));
        device_ = CreateFileA("\\\\.\\ZEBACPI", GENERIC_READ | GENERIC_WRITE, 0, NULL,
                              OPEN_EXISTING, 0, NULL);
        ASSERT_NE(device_, INVALID_HANDLE_VALUE);
        out_.fill(0xCC);
    }
    void TearDown() override {
        CloseHandle(device_);
        MachineFixture::TearDown();
    }

    // Sends {kind, method, count, size, address}; returns the error (ERROR_SUCCESS on success).
    DWORD call(std::array<DWORD, 5> request, DWORD out_size = 768, DWORD code = kEval,
               DWORD in_size = 20) {
        returned_ = 0xFFFF;
        if (DeviceIoControl(device_, code, request.data(), in_size, out_.data(), out_size,
                            &returned_, NULL))
            return ERROR_SUCCESS;
        return GetLastError();
    }

    static bool bluetooth_on() {
        machine::Firmware f;
        machine::read_firmware(f);
        return f.state.bluetooth_on;
    }

    HANDLE device_ = INVALID_HANDLE_VALUE;
    std::array<unsigned char, 768> out_{};
    DWORD returned_ = 0;
};

TEST_F(AcpiDevice, AnswersInTheEvaluationOutputLayout) {
    ASSERT_EQ(call({1, machine::kMethodHwrs, 0, 0, 0}), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(returned_, 20u);
    const unsigned char expected[20] = {'A', 'e', 'o', 'B', 20, 0, 0,    0,    1, 0,
                                        0,   0,   0,   0,   4,  0, 0x80, 0x01, 0, 0};
    EXPECT_EQ(std::memcmp(out_.data(), expected, sizeof expected), 0);
    EXPECT_EQ(out_[20], 0xCC); // nothing written beyond the answer
}

TEST_F(AcpiDevice, RefusesWhatADriverWouldRefuse) {
    EXPECT_EQ(call({1, machine::kMethodHwrs, 0, 0, 0}, 768, 0x222400),
              static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    EXPECT_EQ(call({1, machine::kMethodHwrs, 0, 0, 0}, 768, kEval, 16),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(call({1, machine::kMethodHwrs, 0, 0, 0}, 19),
              static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(call({3, machine::kMethodHwrs, 0, 0, 0}),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(call({1, 0x4B4E554A, 0, 0, 0}), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    // BLED needs its integer.
    EXPECT_EQ(call({1, machine::kMethodBled, 0, 0, 0}),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(bluetooth_on());
}

TEST_F(AcpiDevice, ArgumentsAreReadFromTheCallersMemoryWithCare) {
    void* page =
        mmap(NULL, 8192, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
    ASSERT_NE(page, MAP_FAILED);
    auto* bytes = static_cast<unsigned char*>(page);
    DWORD address = static_cast<DWORD>(reinterpret_cast<uintptr_t>(page));
    // The second page is given back, so the address space ends right after the first.
    munmap(bytes + 4096, 4096);

    // Null, unmapped, and a block that runs off its page: the call fails, nothing switches.
    EXPECT_EQ(call({2, machine::kMethodBled, 1, 8, 0}), static_cast<DWORD>(ERROR_NOACCESS));
    EXPECT_EQ(call({2, machine::kMethodBled, 1, 8, address + 4096}),
              static_cast<DWORD>(ERROR_NOACCESS));
    const unsigned char off[8] = {0, 0, 4, 0, 0, 0, 0, 0};
    std::memcpy(bytes + 4096 - 4, off, 4);
    EXPECT_EQ(call({2, machine::kMethodBled, 1, 8, address + 4096 - 4}),
              static_cast<DWORD>(ERROR_NOACCESS));
    EXPECT_TRUE(bluetooth_on());

    // Records must lie inside the block the request declares.
    std::memcpy(bytes, off, 8);
    bytes[2] = 20; // a data length of 20 needs 24 bytes
    EXPECT_EQ(call({2, machine::kMethodBled, 1, 8, address}),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(call({2, machine::kMethodBled, 1, 0x10000, address}),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(call({2, machine::kMethodBled, 0, 8, address}),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(bluetooth_on());

    std::memcpy(bytes, off, 8);
    EXPECT_EQ(call({2, machine::kMethodBled, 1, 8, address}), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(bluetooth_on());
    munmap(page, 4096);
}

TEST_F(AcpiDevice, AnAnswerLargerThanTheBufferLeavesItsHeader) {
    ASSERT_TRUE(
        WritePrivateProfileStringA("answers", "RSTS", "len97", machine::firmware_path().c_str()));
    EXPECT_EQ(call({1, machine::kMethodRsts, 0, 0, 0}, 64), static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(returned_, 12u);
    DWORD header[3];
    std::memcpy(header, out_.data(), sizeof header);
    EXPECT_EQ(header[0], 0x426F6541u);
    EXPECT_EQ(header[1], 12u + 4 + 97);
    EXPECT_EQ(header[2], 1u);
    EXPECT_EQ(out_[12], 0xCC);
}

} // namespace
