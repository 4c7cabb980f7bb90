// The .res parser and the picture decoders behind it take files from outside the program.
#include "platform/kernel/res_file.h"
#include "platform/user/resources.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto file = platform::ResFile::parse({data, size});
    if (!file)
        return 0;
    uint32_t sum = 0;
    for (const auto& entry : file->entries()) {
        for (uint8_t byte : entry.data)
            sum += byte; // every span must be readable
        if (entry.type.is_ordinal && entry.type.ordinal == 2)
            (void)platform::decode_dib(entry.data);
        if (entry.type.is_ordinal && entry.type.ordinal == 3)
            (void)platform::decode_icon_image(entry.data);
        (void)file->find(entry.type, entry.name, entry.language);
    }
    return sum == 0xFFFFFFFF ? 1 : 0;
}
