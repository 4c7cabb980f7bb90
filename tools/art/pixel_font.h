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

// Width in pixels of `text` drawn at `scale`; letters the font lacks count as blanks.
int text_width(std::string_view text, int scale = 1);
// Draws `text` with its top-left (the top of the capitals) at (x, y), each font pixel a
// `scale` x `scale` square.
void draw_text(Canvas& canvas, std::string_view text, int x, int y, const Color& color,
               int scale = 1);

} // namespace art
