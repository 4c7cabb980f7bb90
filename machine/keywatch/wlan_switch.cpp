#include "machine/keywatch/wlan_switch.h"

#include "machine/acpi/acpi_wire.h"
#include "machine/acpi/firmware.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstring>

namespace machine {

namespace {

constexpr size_t kPageSize = 4096;
constexpr uintptr_t kFourGiB = uintptr_t(1) << 32;

// The device reads the argument record through a 32-bit address, so it lives in a page
// mapped below 4 GiB, once for the run; null when none can be had.
BYTE* argument_page() {
    static BYTE* page = []() -> BYTE* {
        void* p = mmap(nullptr, kPageSize, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
        if (p == MAP_FAILED)
            return nullptr;
        if (reinterpret_cast<uintptr_t>(p) + kPageSize > kFourGiB) {
            munmap(p, kPageSize);
            return nullptr;
        }
        return static_cast<BYTE*>(p);
    }();
    return page;
}

HANDLE g_device = INVALID_HANDLE_VALUE;

void put_u32(BYTE* at, DWORD value) {
    std::memcpy(at, &value, sizeof value);
}

} // namespace

DWORD switch_wlan(bool on) {
    if (g_device == INVALID_HANDLE_VALUE) {
        g_device =
            CreateFileA("\\\\.\\ZEBACPI", GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (g_device == INVALID_HANDLE_VALUE)
            return GetLastError();
    }
    BYTE* record = argument_page();
    if (!record)
        return ERROR_NOT_ENOUGH_MEMORY;
    // One integer record: {u16 type, u16 length 4, u32 value}.
    constexpr DWORD kRecordSize = 8;
    WORD type = kAcpiTypeInteger;
    WORD length = sizeof(DWORD);
    std::memcpy(record, &type, sizeof type);
    std::memcpy(record + 2, &length, sizeof length);
    put_u32(record + 4, on ? 1 : 0);

    BYTE request[kAcpiRequestSize];
    put_u32(request, kAcpiKindWithArguments);
    put_u32(request + 4, kMethodWled);
    put_u32(request + 8, 1);
    put_u32(request + 12, kRecordSize);
    put_u32(request + 16, static_cast<DWORD>(reinterpret_cast<uintptr_t>(record)));
    BYTE answer[768] = {}; // the size of the evaluation output the driver fills
    DWORD returned = 0;
    if (!DeviceIoControl(g_device, kAcpiEvalMethod, request, sizeof request, answer, sizeof answer,
                         &returned, nullptr))
        return GetLastError();
    return ERROR_SUCCESS;
}

} // namespace machine
