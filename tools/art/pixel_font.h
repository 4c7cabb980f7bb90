// A tiny proportional pixel font for the words on the console's buttons: capitals seven
// pixels high, lower case with a five-pixel x-height and one-pixel descenders, so that a word
// fits between the borders of a face eleven pixels tall.
#pragma once

#include "canvas.h"

#include <string_view>

namespace art {

constexpr int kFontAscent = 7;  // rows above the baseline
constexpr int kFontHeight = 8;  // with descenders
constexpr int kFontSpacing = 1; // blank columns between letters

// Width in pixels of `text`; letters the font lacks count as blanks. Bold letters are each
// drawn twice, the second one pixel to the right, and so are one pixel wider.
int text_width(std::string_view text, bool bold = false);
// Draws `text` with its top-left (the top of the capitals) at (x, y).
void draw_text(Canvas& canvas, std::string_view text, int x, int y, const Color& color,
               bool bold = false);

} // namespace art
