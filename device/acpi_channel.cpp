#include "device/acpi_channel.h"

#include <cstdint>
#include <cstring>

HANDLE g_hAcpiDevice = INVALID_HANDLE_VALUE;

namespace {

// The driver was built for 32-bit callers: the request holds the argument record's address in
// 32 bits, as every address of this program is. The record lives in one page for the whole run;
// NULL when no page can be had.
AcpiMethodArgument* ArgumentRecord() {
    static AcpiMethodArgument* s_pRecord = static_cast<AcpiMethodArgument*>(
        VirtualAlloc(NULL, sizeof(AcpiMethodArgument), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    return s_pRecord;
}

void StoreResult(DWORD* pdwResult, DWORD dwValue) {
    if (pdwResult != NULL)
        *pdwResult = dwValue;
}

int Evaluate(AcpiEvalRequest* pRequest, DWORD* pdwResult) {
    AcpiEvalResult output;
    memset(&output, 0, sizeof output);
    DWORD dwReturned = 0;
    if (!DeviceIoControl(g_hAcpiDevice, IOCTL_ZEBACPI_EVAL_METHOD, pRequest, sizeof *pRequest,
                         &output, sizeof output, &dwReturned, NULL)) {
        StoreResult(pdwResult, 0);
        return 0;
    }
    // Whatever type the method returned, the result is the first four data bytes.
    BYTE abArgument[ACPI_ARGUMENT_BUFFER_SIZE];
    DWORD dwValue = 0;
    if (GetAcpiResultArgument(&output, abArgument, 0, sizeof abArgument))
        memcpy(&dwValue, abArgument + offsetof(AcpiMethodArgument, Data), sizeof dwValue);
    StoreResult(pdwResult, dwValue);
    return 1;
}

} // namespace

int OpenAcpiDevice() {
    g_hAcpiDevice = CreateFileA("\\\\.\\ZEBACPI", GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (g_hAcpiDevice == INVALID_HANDLE_VALUE) {
        MessageBoxA(NULL, "Can't Open ACPI ZEB0100 kernel Mode Driver", "ERROR", MB_ICONWARNING);
        return 0;
    }
    return 1;
}

int EvalAcpiMethod(DWORD dwMethod, DWORD* pdwResult) {
    AcpiEvalRequest request = {ACPI_EVAL_SIMPLE, dwMethod, 0, 0, 0};
    return Evaluate(&request, pdwResult);
}

int EvalAcpiMethodInt(DWORD dwMethod, DWORD dwValue, DWORD* pdwResult) {
    AcpiMethodArgument* pArgument = ArgumentRecord();
    if (pArgument == NULL) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        StoreResult(pdwResult, 0);
        return 0;
    }
    pArgument->Type = ACPI_ARGUMENT_INTEGER;
    pArgument->DataLength = sizeof(DWORD);
    pArgument->Argument = dwValue;
    AcpiEvalRequest request = {ACPI_EVAL_WITH_ARGUMENT, dwMethod, 1, sizeof *pArgument,
                               static_cast<DWORD>(reinterpret_cast<uintptr_t>(pArgument))};
    return Evaluate(&request, pdwResult);
}

int GetAcpiResultArgument(const AcpiEvalResult* pOutput, BYTE* pDestination, DWORD dwIndex,
                          DWORD dwDestinationSize) {
    if (dwIndex >= pOutput->Count)
        return 0;
    // The lengths come from the device: a record is used only when it lies wholly inside the
    // output buffer. Every record takes at least 8 bytes, so the walk ends within the buffer.
    const BYTE* pBytes = reinterpret_cast<const BYTE*>(pOutput);
    DWORD dwOffset = ACPI_RESULT_HEADER_SIZE;
    for (DWORD i = 0;; ++i) {
        if (ACPI_RESULT_SIZE - dwOffset < offsetof(AcpiMethodArgument, Data))
            return 0;
        WORD wDataLength;
        memcpy(&wDataLength, pBytes + dwOffset + offsetof(AcpiMethodArgument, DataLength),
               sizeof wDataLength);
        DWORD dwSize = offsetof(AcpiMethodArgument, Data) + (wDataLength < 4 ? 4 : wDataLength);
        if (dwSize > ACPI_RESULT_SIZE - dwOffset)
            return 0;
        if (i == dwIndex) {
            if (dwSize > dwDestinationSize)
                return 0;
            memcpy(pDestination, pBytes + dwOffset, dwSize);
            return 1;
        }
        dwOffset += dwSize;
    }
}
