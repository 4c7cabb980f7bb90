// The tray table is a file of the desktop that every process of the user may write.
#include "platform/shell/tray_table.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto entries = platform::parse_tray(bytes);
    if (!entries)
        return 0;
    // What checks out is written back the same way.
    std::string again = platform::serialize_tray(*entries);
    auto reread = platform::parse_tray(again);
    if (!reread || reread->size() != entries->size())
        __builtin_trap();
    for (size_t i = 0; i < entries->size(); ++i)
        if ((*reread)[i].tip != (*entries)[i].tip || (*reread)[i].owner != (*entries)[i].owner)
            __builtin_trap();
    return 0;
}
