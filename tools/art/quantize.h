// Reduces a picture's colours to a palette by median cut, deterministically.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace art {

using Rgb = std::array<uint8_t, 3>;

// At most `max_colors` entries; exact when the colours already fit.
std::vector<Rgb> make_palette(const std::vector<Rgb>& colors, size_t max_colors);
// Index of the nearest palette entry (ties go to the lower index).
size_t nearest(const std::vector<Rgb>& palette, const Rgb& c);

} // namespace art
