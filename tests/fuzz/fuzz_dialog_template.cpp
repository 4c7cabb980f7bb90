// Dialog templates come from resource libraries on disk, which anyone may replace.
#include "platform/user/dialog_template.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto tmpl = platform::parse_dialog_template(data, size);
    if (!tmpl)
        return 0;
    size_t sum = tmpl->title.size() + tmpl->face.size() + tmpl->menu.size();
    for (const auto& item : tmpl->items)
        sum += item.class_name.size() + item.title.size() + item.creation_data.size();
    return sum == SIZE_MAX ? 1 : 0;
}
