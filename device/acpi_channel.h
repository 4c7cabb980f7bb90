// The program's only road to the firmware: the device of the ACPI kernel-mode driver ZEB0100,
// opened once at start-up, through which named ACPI methods are evaluated. The channel knows
// nothing about radios; its callers decide what each method means.
#pragma once

#include <windows.h>

#include <cstddef>

// ACPI method names: four ASCII letters, packed in memory order into one 32-bit value.
const DWORD ACPI_METHOD_HWRS = 0x53525748; // hardware radio status
const DWORD ACPI_METHOD_RSTS = 0x53545352; // radio status
const DWORD ACPI_METHOD_BLED = 0x44454C42; // Bluetooth on (1) or off (0)

// Device type 0x22, function 0x901, buffered transfer, any access.
const DWORD IOCTL_ZEBACPI_EVAL_METHOD = 0x222404;

// Request kinds of AcpiEvalRequest.
const DWORD ACPI_EVAL_SIMPLE = 1;        // a method without argument
const DWORD ACPI_EVAL_WITH_ARGUMENT = 2; // a method with argument records

const WORD ACPI_ARGUMENT_INTEGER = 0;

const DWORD ACPI_RESULT_SIZE = 768;
const DWORD ACPI_RESULT_HEADER_SIZE = 12;
// The evaluations copy the first result record into a buffer of this size.
const DWORD ACPI_ARGUMENT_BUFFER_SIZE = 100;

// One argument record, in both directions. It occupies 4 + max(4, DataLength) bytes; an
// integer is a DWORD of data. Longer data runs past the end of this struct.
struct AcpiMethodArgument {
    WORD Type;
    WORD DataLength;
    union {
        DWORD Argument;
        BYTE Data[4];
    };
};

// The 20-byte input of IOCTL_ZEBACPI_EVAL_METHOD. The argument block is not part of it: the
// request carries only the block's 32-bit address in the calling process.
struct AcpiEvalRequest {
    DWORD Kind;
    DWORD MethodName;
    DWORD ArgumentCount;
    DWORD ArgumentSize;
    DWORD Arguments;
};

// The output of IOCTL_ZEBACPI_EVAL_METHOD: Count argument records follow the header.
struct AcpiEvalResult {
    DWORD Signature;
    DWORD Length;
    DWORD Count;
    BYTE Arguments[ACPI_RESULT_SIZE - ACPI_RESULT_HEADER_SIZE];
};

static_assert(sizeof(AcpiMethodArgument) == 8);
static_assert(offsetof(AcpiMethodArgument, DataLength) == 2);
static_assert(offsetof(AcpiMethodArgument, Argument) == 4);
static_assert(sizeof(AcpiEvalRequest) == 20);
static_assert(offsetof(AcpiEvalRequest, MethodName) == 4);
static_assert(offsetof(AcpiEvalRequest, ArgumentCount) == 8);
static_assert(offsetof(AcpiEvalRequest, ArgumentSize) == 12);
static_assert(offsetof(AcpiEvalRequest, Arguments) == 16);
static_assert(sizeof(AcpiEvalResult) == ACPI_RESULT_SIZE);
static_assert(offsetof(AcpiEvalResult, Count) == 8);
static_assert(offsetof(AcpiEvalResult, Arguments) == ACPI_RESULT_HEADER_SIZE);

// The device, INVALID_HANDLE_VALUE until it is open (and after a failed open). Never closed.
extern HANDLE g_hAcpiDevice;

// Opens \\.\ZEBACPI; on failure tells the user and returns 0.
int OpenAcpiDevice();

// Evaluates a method without argument. *pdwResult receives the first integer it returned (0
// when there is none). Returns 1 when the control call succeeded, else 0.
int EvalAcpiMethod(DWORD dwMethod, DWORD* pdwResult);

// The same, with one integer argument.
int EvalAcpiMethodInt(DWORD dwMethod, DWORD dwValue, DWORD* pdwResult);

// Copies the argument record at dwIndex of pOutput (header and data) to pDestination. Returns
// 0 when there is no such record, when it does not fit dwDestinationSize, or when it does not
// lie wholly inside the output buffer.
int GetAcpiResultArgument(const AcpiEvalResult* pOutput, BYTE* pDestination, DWORD dwIndex,
                          DWORD dwDestinationSize);
