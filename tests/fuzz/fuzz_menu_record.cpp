// A process's menu record is a file of the desktop that every process of the user may write.
#include "platform/desktop/desktop.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto entries = platform::parse_menu(bytes);
    if (!entries)
        return 0;
    // What checks out is written back the same way.
    auto reread = platform::parse_menu(platform::serialize_menu(*entries));
    if (!reread || reread->size() != entries->size())
        __builtin_trap();
    for (size_t i = 0; i < entries->size(); ++i)
        if ((*reread)[i].text != (*entries)[i].text || (*reread)[i].id != (*entries)[i].id ||
            (*reread)[i].state != (*entries)[i].state)
            __builtin_trap();
    return 0;
}
