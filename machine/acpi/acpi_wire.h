// The wire format of the ZEBACPI device, seen from the driver: a 20-byte request of five
// little-endian u32 fields {kind, method name, argument count, argument block size, argument
// block address}, whose argument block lies in the caller's memory, and an answer in the
// layout of the ACPI method-evaluation output: {signature 'AeoB', length, count, records}.
// A record is {u16 type, u16 data length, data}, 4 + max(4, data length) bytes long.
#pragma once

#include <windows.h>

#include <optional>

namespace machine {

constexpr DWORD kAcpiEvalMethod = CTL_CODE(FILE_DEVICE_UNKNOWN, 0x901, METHOD_BUFFERED,
                                           FILE_ANY_ACCESS); // 0x222404
constexpr DWORD kAcpiRequestSize = 20;
constexpr DWORD kAcpiKindSimple = 1;        // no arguments; the other fields are not read
constexpr DWORD kAcpiKindWithArguments = 2; // count records in a block at a 32-bit address
constexpr DWORD kAcpiMaxArgumentBlock = 4096;
constexpr DWORD kAcpiAnswerSignature = 0x426F6541; // "AeoB"
constexpr DWORD kAcpiAnswerHeaderSize = 12;
// Header and one 8-byte record: what the smallest answer needs.
constexpr DWORD kAcpiMinAnswerSize = kAcpiAnswerHeaderSize + 8;
constexpr WORD kAcpiTypeInteger = 0;
constexpr WORD kAcpiTypeString = 1;

// Four letters packed in memory order: "HWRS" is 0x53525748.
constexpr DWORD acpi_method_name(const char (&letters)[5]) {
    return DWORD(uint8_t(letters[0])) | DWORD(uint8_t(letters[1])) << 8 |
           DWORD(uint8_t(letters[2])) << 16 | DWORD(uint8_t(letters[3])) << 24;
}

// A decoded request: the method and, when the first argument is an integer, its value.
struct AcpiCall {
    DWORD method = 0;
    DWORD argument_count = 0;
    std::optional<DWORD> integer;
};

// How the device answers. Normal is one integer record; the others let a tester see how the
// program copes with the unusual answers a firmware may give.
enum class AnswerShape {
    Normal,
    Fail,   // the control call fails (ERROR_GEN_FAILURE)
    Count0, // no record at all
    Len2,   // an integer record whose data length says 2
    Len96,  // a record of 96 data bytes, the value first
    Len97,  // a record of 97 data bytes, the value first
    Type1,  // a string record "ABCD" (bytes 41 42 43 44) instead of the value
};

struct AcpiAnswer {
    AnswerShape shape = AnswerShape::Normal;
    DWORD value = 0;
};

// Decodes a request as a kernel driver reads it: the argument block is read from the caller's
// memory through a checked copy, so that a bad address fails the call (ERROR_NOACCESS) rather
// than the driver. Malformed requests give ERROR_INVALID_PARAMETER.
DWORD decode_acpi_request(const void* in, DWORD in_size, AcpiCall& call);

// Writes the answer into the output buffer. An answer larger than the buffer leaves only its
// header (with the length it needs) and gives ERROR_MORE_DATA, as the ACPI driver does.
DWORD encode_acpi_answer(const AcpiAnswer& answer, void* out, DWORD out_size,
                         DWORD& bytes_returned);

} // namespace machine
