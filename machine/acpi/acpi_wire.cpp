#include "machine/acpi/acpi_wire.h"
#include "machine/acpi/user_memory.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace machine {

namespace {

DWORD u32_at(const unsigned char* bytes, size_t offset) {
    DWORD value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

WORD u16_at(const unsigned char* bytes, size_t offset) {
    WORD value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

void put_u32(unsigned char* bytes, size_t offset, DWORD value) {
    std::memcpy(bytes + offset, &value, sizeof value);
}

void put_u16(unsigned char* bytes, size_t offset, WORD value) {
    std::memcpy(bytes + offset, &value, sizeof value);
}

size_t record_size(WORD data_length) {
    return 4 + std::max<size_t>(4, data_length);
}

} // namespace

DWORD decode_acpi_request(const void* in, DWORD in_size, AcpiCall& call) {
    call = {};
    if (in == nullptr || in_size < kAcpiRequestSize)
        return ERROR_INVALID_PARAMETER;
    const auto* request = static_cast<const unsigned char*>(in);
    DWORD kind = u32_at(request, 0);
    call.method = u32_at(request, 4);
    if (kind == kAcpiKindSimple)
        return ERROR_SUCCESS;
    if (kind != kAcpiKindWithArguments)
        return ERROR_INVALID_PARAMETER;
    DWORD count = u32_at(request, 8);
    DWORD size = u32_at(request, 12);
    DWORD address = u32_at(request, 16);
    if (count == 0 || size < 8 || size > kAcpiMaxArgumentBlock)
        return ERROR_INVALID_PARAMETER;
    std::array<unsigned char, kAcpiMaxArgumentBlock> block;
    if (DWORD error = read_user_memory(address, block.data(), size); error != ERROR_SUCCESS)
        return error;
    // Every record must lie inside the block the caller declared.
    size_t offset = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (size - offset < 4)
            return ERROR_INVALID_PARAMETER;
        size_t length = record_size(u16_at(block.data(), offset + 2));
        if (length > size - offset)
            return ERROR_INVALID_PARAMETER;
        if (i == 0 && u16_at(block.data(), offset) == kAcpiTypeInteger)
            call.integer = u32_at(block.data(), offset + 4);
        offset += length;
    }
    call.argument_count = count;
    return ERROR_SUCCESS;
}

DWORD encode_acpi_answer(const AcpiAnswer& answer, void* out, DWORD out_size,
                         DWORD& bytes_returned) {
    std::array<unsigned char, kAcpiAnswerHeaderSize + 4 + 97> bytes{};
    WORD type = kAcpiTypeInteger;
    WORD data_length = 4;
    DWORD count = 1;
    switch (answer.shape) {
    case AnswerShape::Count0:
        count = 0;
        break;
    case AnswerShape::Len2:
        data_length = 2;
        break;
    case AnswerShape::Len96:
        data_length = 96;
        break;
    case AnswerShape::Len97:
        data_length = 97;
        break;
    case AnswerShape::Type1:
        type = kAcpiTypeString;
        break;
    case AnswerShape::Normal:
    case AnswerShape::Fail:
        break;
    }
    size_t total = kAcpiAnswerHeaderSize;
    if (count == 1) {
        put_u16(bytes.data(), total, type);
        put_u16(bytes.data(), total + 2, data_length);
        if (answer.shape == AnswerShape::Type1)
            std::memcpy(bytes.data() + total + 4, "ABCD", 4);
        else
            put_u32(bytes.data(), total + 4, answer.value);
        total += record_size(data_length);
    }
    put_u32(bytes.data(), 0, kAcpiAnswerSignature);
    put_u32(bytes.data(), 4, static_cast<DWORD>(total));
    put_u32(bytes.data(), 8, count);
    if (out_size < total) {
        size_t header = std::min<size_t>(out_size, kAcpiAnswerHeaderSize);
        std::memcpy(out, bytes.data(), header);
        bytes_returned = static_cast<DWORD>(header);
        return ERROR_MORE_DATA;
    }
    std::memcpy(out, bytes.data(), total);
    bytes_returned = static_cast<DWORD>(total);
    return ERROR_SUCCESS;
}

} // namespace machine
