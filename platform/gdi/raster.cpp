#include "raster.h"

namespace platform::gdi {

void fill_rect(const DeviceContext& dc, const RECT& device, COLORREF pattern, uint8_t code) {
    uint32_t p = dc.pixel_for(pattern);
    dc.for_each_part(device, [&](const RECT& part) {
        for (LONG y = part.top; y < part.bottom; ++y) {
            uint32_t* row = &dc.target.at(0, y);
            if (code == 0xF0) {
                std::fill(row + part.left, row + part.right, p);
                continue;
            }
            for (LONG x = part.left; x < part.right; ++x)
                row[x] = rop3(code, p, 0, row[x]);
        }
    });
}

} // namespace platform::gdi
