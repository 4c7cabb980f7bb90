// The ACPI channel as the device sees it: a probe device takes the channel's requests (and
// reads the argument record where the request says it lies) and gives the answers a test
// chooses. The channel is pointed at it through g_hAcpiDevice.
#include "device/acpi_channel.h"

#include "platform/kernel/driver.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/ui_script.h"

#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// What the probe device saw last and how it answers next.
struct Probe {
    Bytes request;
    Bytes argument; // the 8 bytes at the request's argument address
    Bytes answer;   // written to the start of the output buffer
    DWORD fail_with = ERROR_SUCCESS;
    DWORD out_size = 0;
};
Probe g_probe;

class ProbeDriver final : public platform::Driver {
public:
    DWORD open(const std::string&, DWORD) override { return ERROR_SUCCESS; }
    DWORD ioctl(DWORD code, const void* in, DWORD in_size, void* out, DWORD out_size,
                DWORD& bytes_returned) override {
        if (code != 0x222404)
            return ERROR_INVALID_FUNCTION;
        const auto* bytes = static_cast<const unsigned char*>(in);
        g_probe.request.assign(bytes, bytes + in_size);
        g_probe.out_size = out_size;
        DWORD address = 0;
        if (in_size >= 20)
            std::memcpy(&address, bytes + 16, sizeof address);
        if (address != 0) {
            const auto* argument = reinterpret_cast<const unsigned char*>(uintptr_t(address));
            g_probe.argument.assign(argument, argument + 8);
        }
        if (g_probe.fail_with != ERROR_SUCCESS)
            return g_probe.fail_with;
        bytes_returned = static_cast<DWORD>(std::min<size_t>(g_probe.answer.size(), out_size));
        std::memcpy(out, g_probe.answer.data(), bytes_returned);
        return ERROR_SUCCESS;
    }
};

void put32(Bytes& b, DWORD v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void put16(Bytes& b, WORD v) {
    b.push_back(static_cast<unsigned char>(v));
    b.push_back(static_cast<unsigned char>(v >> 8));
}

// An answer {'AeoB', length, count} followed by the given record bytes.
Bytes answer(DWORD count, const Bytes& records = {}) {
    Bytes b;
    put32(b, 0x426F6541);
    put32(b, static_cast<DWORD>(12 + records.size()));
    put32(b, count);
    b.insert(b.end(), records.begin(), records.end());
    return b;
}

Bytes record(WORD type, WORD length, const Bytes& data) {
    Bytes b;
    put16(b, type);
    put16(b, length);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

Bytes integer_data(DWORD value, size_t size = 4) {
    Bytes b;
    put32(b, value);
    b.resize(size, 0);
    return b;
}

class AcpiChannel : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        g_probe = {};
        platform::register_driver("ACPIPROBE", [] { return std::make_unique<ProbeDriver>(); });
        write_file("machine.ini", "[devices]\nACPIPROBE=test\n");
        g_hAcpiDevice = CreateFileA("\\\\.\\ACPIPROBE", GENERIC_READ | GENERIC_WRITE, 0, NULL,
                                    OPEN_EXISTING, 0, NULL);
        ASSERT_NE(g_hAcpiDevice, INVALID_HANDLE_VALUE);
    }
    void TearDown() override {
        CloseHandle(g_hAcpiDevice);
        g_hAcpiDevice = INVALID_HANDLE_VALUE;
        platform::unregister_driver("ACPIPROBE");
        MachineFixture::TearDown();
    }

    // EvalAcpiMethod(HWRS) against the given answer: {return value, integer}.
    static std::pair<int, DWORD> eval_with(const Bytes& reply) {
        g_probe.answer = reply;
        DWORD value = 0xDEADBEEF;
        int ok = EvalAcpiMethod(ACPI_METHOD_HWRS, &value);
        return {ok, value};
    }
};

TEST_F(AcpiChannel, RequestsReachTheDeviceAsDesigned) {
    g_probe.answer = answer(1, record(0, 4, integer_data(0x182)));
    DWORD value = 0;
    ASSERT_EQ(EvalAcpiMethod(ACPI_METHOD_HWRS, &value), 1);
    EXPECT_EQ(g_probe.request,
              (Bytes{1, 0, 0, 0, 0x48, 0x57, 0x52, 0x53, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(g_probe.out_size, 768u);
    EXPECT_TRUE(g_probe.argument.empty());

    ASSERT_EQ(EvalAcpiMethodInt(ACPI_METHOD_BLED, 1, &value), 1);
    ASSERT_EQ(g_probe.request.size(), 20u);
    Bytes head(g_probe.request.begin(), g_probe.request.begin() + 16);
    EXPECT_EQ(head, (Bytes{2, 0, 0, 0, 0x42, 0x4C, 0x45, 0x44, 1, 0, 0, 0, 8, 0, 0, 0}));
    EXPECT_EQ(g_probe.argument, (Bytes{0, 0, 4, 0, 1, 0, 0, 0}));

    ASSERT_EQ(EvalAcpiMethodInt(ACPI_METHOD_BLED, 0, &value), 1);
    EXPECT_EQ(g_probe.argument, (Bytes{0, 0, 4, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ACPI_METHOD_RSTS, 0x53545352u);
}

TEST_F(AcpiChannel, TheResultIsTheFirstFourDataBytesOfTheFirstRecord) {
    EXPECT_EQ(eval_with(answer(1, record(0, 4, integer_data(0x182)))),
              std::make_pair(1, DWORD(0x182)));
    EXPECT_EQ(eval_with(answer(0)), std::make_pair(1, DWORD(0)));
    // A record shorter than four data bytes still takes eight, all four of them read.
    EXPECT_EQ(eval_with(answer(1, record(0, 2, {0x34, 0x12, 0x56, 0x78}))),
              std::make_pair(1, DWORD(0x78561234)));
    // 96 data bytes make a record of 100, the size of the copy; 97 do not fit.
    EXPECT_EQ(eval_with(answer(1, record(0, 96, integer_data(0x183, 96)))),
              std::make_pair(1, DWORD(0x183)));
    EXPECT_EQ(eval_with(answer(1, record(0, 97, integer_data(0x183, 97)))),
              std::make_pair(1, DWORD(0)));
    // The type is not looked at.
    EXPECT_EQ(eval_with(answer(1, record(1, 4, {0x41, 0x42, 0x43, 0x44}))),
              std::make_pair(1, DWORD(0x44434241)));
    // Later records do not matter.
    Bytes two = record(0, 4, integer_data(3));
    Bytes second = record(0, 4, integer_data(9));
    two.insert(two.end(), second.begin(), second.end());
    EXPECT_EQ(eval_with(answer(2, two)), std::make_pair(1, DWORD(3)));
}

TEST_F(AcpiChannel, AFailedControlCallGivesZero) {
    g_probe.fail_with = ERROR_GEN_FAILURE;
    g_probe.answer = answer(1, record(0, 4, integer_data(0x182)));
    DWORD value = 0xDEADBEEF;
    EXPECT_EQ(EvalAcpiMethod(ACPI_METHOD_RSTS, &value), 0);
    EXPECT_EQ(value, 0u);
    value = 0xDEADBEEF;
    EXPECT_EQ(EvalAcpiMethodInt(ACPI_METHOD_BLED, 1, &value), 0);
    EXPECT_EQ(value, 0u);

    // A handle that is not open fails the same way.
    CloseHandle(g_hAcpiDevice);
    g_probe.fail_with = ERROR_SUCCESS;
    value = 0xDEADBEEF;
    EXPECT_EQ(EvalAcpiMethod(ACPI_METHOD_HWRS, &value), 0);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

// The answer in a buffer of exactly 768 bytes on the heap, so that any read past it is caught.
std::unique_ptr<AcpiEvalResult> result_of(const Bytes& bytes) {
    auto result = std::make_unique<AcpiEvalResult>();
    std::memset(result.get(), 0, sizeof *result);
    std::memcpy(result.get(), bytes.data(), std::min<size_t>(bytes.size(), sizeof *result));
    return result;
}

TEST(AcpiResultArgument, ReadsOnlyInsideTheOutputBuffer) {
    std::array<BYTE, 0x10010> destination{};
    const DWORD room = static_cast<DWORD>(destination.size());

    // Count and data length at their largest: the first record would run off the end.
    auto huge = result_of(answer(0xFFFFFFFF, record(0, 0xFFFF, {})));
    EXPECT_EQ(GetAcpiResultArgument(huge.get(), destination.data(), 0, room), 0);
    EXPECT_EQ(GetAcpiResultArgument(huge.get(), destination.data(), 5, room), 0);

    // 94 eight-byte records fill bytes 12 to 763; the 95th would need 772.
    Bytes records;
    for (DWORD i = 0; i < 94; ++i) {
        Bytes r = record(0, 4, integer_data(i + 1));
        records.insert(records.end(), r.begin(), r.end());
    }
    auto full = result_of(answer(0xFFFFFFFF, records));
    ASSERT_EQ(GetAcpiResultArgument(full.get(), destination.data(), 93, 100), 1);
    EXPECT_EQ(Bytes(destination.begin(), destination.begin() + 8),
              (Bytes{0, 0, 4, 0, 94, 0, 0, 0}));
    EXPECT_EQ(GetAcpiResultArgument(full.get(), destination.data(), 94, room), 0);
    EXPECT_EQ(GetAcpiResultArgument(full.get(), destination.data(), 0xFFFFFFFE, room), 0);

    // A last record that ends exactly at byte 768 is whole; one byte more is not.
    Bytes exact = record(0, 4, integer_data(7));
    Bytes tail = record(0, 768 - 12 - 8 - 4, integer_data(8, 768 - 12 - 8 - 4));
    exact.insert(exact.end(), tail.begin(), tail.end());
    auto edge = result_of(answer(2, exact));
    EXPECT_EQ(GetAcpiResultArgument(edge.get(), destination.data(), 1, room), 1);
    edge->Arguments[8 + 2] += 1; // data length one more
    EXPECT_EQ(GetAcpiResultArgument(edge.get(), destination.data(), 1, room), 0);

    // The count bounds the index, whatever whole record lies after the last counted one.
    auto counted = result_of(answer(1, exact));
    EXPECT_EQ(GetAcpiResultArgument(counted.get(), destination.data(), 1, room), 0);

    // The caller's room bounds the copy too.
    EXPECT_EQ(GetAcpiResultArgument(edge.get(), destination.data(), 0, 7), 0);
    EXPECT_EQ(GetAcpiResultArgument(edge.get(), destination.data(), 0, 8), 1);
}

class AcpiOpen : public testing_support::MachineFixture {};

TEST_F(AcpiOpen, AMissingDeviceIsReportedOnce) {
    testing_support::UiScript ui;
    ui.answer(IDOK);
    g_hAcpiDevice = NULL;
    EXPECT_EQ(OpenAcpiDevice(), 0);
    EXPECT_EQ(g_hAcpiDevice, INVALID_HANDLE_VALUE);
    ASSERT_EQ(ui.boxes_seen().size(), 1u);
    const platform::MessageBoxInfo& box = ui.boxes_seen()[0];
    EXPECT_EQ(box.text, "Can't Open ACPI ZEB0100 kernel Mode Driver");
    EXPECT_EQ(box.caption, "ERROR");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_ICONWARNING));
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_TRUE(platform::open_message_boxes().empty());
    // No evaluation reaches a device afterwards.
    DWORD value = 0xDEADBEEF;
    EXPECT_EQ(EvalAcpiMethod(ACPI_METHOD_HWRS, &value), 0);
    EXPECT_EQ(value, 0u);
}

} // namespace
