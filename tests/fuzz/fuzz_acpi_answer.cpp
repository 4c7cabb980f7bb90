// The ACPI device's answer: the program takes its records from a buffer the driver filled.
#include "device/acpi_channel.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exactly the 768-byte buffer on the heap, so any read past it is caught; the first two
    // bytes of input choose the index and the caller's room.
    if (size < 2)
        return 0;
    DWORD index = data[0] % 8;
    DWORD room = data[1];
    data += 2;
    size -= 2;
    auto output = std::make_unique<AcpiEvalResult>();
    std::memset(output.get(), 0, sizeof *output);
    std::memcpy(output.get(), data, size < sizeof *output ? size : sizeof *output);
    auto destination = std::make_unique<BYTE[]>(room);
    int got = GetAcpiResultArgument(output.get(), destination.get(), index, room);
    if (got) {
        WORD length;
        std::memcpy(&length, destination.get() + 2, sizeof length);
        if (4u + (length < 4 ? 4u : length) > room)
            __builtin_trap(); // more was copied than the room allows
    }
    return 0;
}
