// Profile files are edited by hand and by other programs: any bytes must parse, answer
// lookups and survive an edit without breaking what the edit did not touch.
#include "platform/kernel/profile_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view content(reinterpret_cast<const char*>(data), size);
    platform::ProfileText profile = platform::ProfileText::parse(content);
    for (const std::string& section : profile.section_names()) {
        for (const std::string& key : profile.key_names(section))
            (void)profile.value(section, key);
    }
    // A value written is read back, and the file parses to the same text again.
    profile.set_value("Fuzz Section", "fuzz key", "fuzz value");
    std::string text = profile.text();
    platform::ProfileText again = platform::ProfileText::parse(text);
    if (again.value("fuzz section", "FUZZ KEY") != std::optional<std::string>("fuzz value"))
        std::abort();
    if (again.text() != text)
        std::abort();
    return 0;
}
