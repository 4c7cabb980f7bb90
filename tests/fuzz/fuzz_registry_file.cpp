// The registry file parser on arbitrary bytes: it must never crash, and whatever it
// accepts as a hive must write out as text that reads back as an equal hive.
#include "platform/advapi/reg_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool same(const platform::reg::Key& a, const platform::reg::Key& b) {
    if (a.name != b.name || a.values.size() != b.values.size() ||
        a.subkeys.size() != b.subkeys.size())
        return false;
    for (size_t i = 0; i < a.values.size(); ++i)
        if (a.values[i].name != b.values[i].name || a.values[i].type != b.values[i].type ||
            a.values[i].data != b.values[i].data)
            return false;
    for (size_t i = 0; i < a.subkeys.size(); ++i)
        if (!same(a.subkeys[i], b.subkeys[i]))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto file = platform::reg::parse_reg_file(text);
    if (!file)
        return 0;
    auto hive = platform::reg::build_hive(*file);
    if (!hive)
        return 0;
    auto again = platform::reg::parse_reg_file(
        platform::reg::format_reg_file(*hive, std::string(platform::reg::kRootName)));
    auto rebuilt = again ? platform::reg::build_hive(*again) : std::nullopt;
    if (!rebuilt || !same(*hive, *rebuilt))
        std::abort();
    return 0;
}
