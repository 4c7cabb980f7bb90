// Raster operations: how a source, a pattern (the brush) and the destination combine into
// a pixel. A ternary operation code is the high word's low byte of a BitBlt raster
// operation; bit (P << 2 | S << 1 | D) of it is the result for those input bits.
#pragma once

#include "dc.h"

#include <cstdint>

namespace platform::gdi {

constexpr uint32_t rop3(uint8_t code, uint32_t p, uint32_t s, uint32_t d) {
    switch (code) {
    case 0xCC: // SRCCOPY
        return s & 0xFFFFFF;
    case 0xF0: // PATCOPY
        return p & 0xFFFFFF;
    default:
        break;
    }
    uint32_t r = 0;
    for (int i = 0; i < 8; ++i) {
        if ((code >> i) & 1)
            r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    }
    return r & 0xFFFFFF;
}

constexpr bool rop_uses_source(uint8_t code) {
    return (((code >> 2) ^ code) & 0x33) != 0;
}
constexpr bool rop_uses_pattern(uint8_t code) {
    return (((code >> 4) ^ code) & 0x0F) != 0;
}

// The ternary code of a binary (SetROP2) operation, with the pen as the pattern.
constexpr uint8_t rop3_of_rop2(int rop2) {
    unsigned table = static_cast<unsigned>(rop2 - 1) & 0xF; // bit (P << 1 | D)
    uint8_t code = 0;
    for (int i = 0; i < 8; ++i) {
        unsigned index = ((i & 4) ? 2u : 0u) | ((i & 1) ? 1u : 0u);
        if ((table >> index) & 1)
            code = static_cast<uint8_t>(code | (1 << i));
    }
    return code;
}

// Fills a rectangle (device coordinates) with one colour through a ternary operation whose
// pattern is `pattern` and whose source is unused; drawn where the DC may draw.
void fill_rect(const DeviceContext& dc, const RECT& device, COLORREF pattern, uint8_t code = 0xF0);

} // namespace platform::gdi
