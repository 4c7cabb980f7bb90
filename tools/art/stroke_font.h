// A smooth stroked lettering for the console's title, drawn with the canvas's anti-aliased
// lines and arcs: a rounded sans with the cap height and stroke width one asks for.
#pragma once

#include "canvas.h"

#include <string_view>

namespace art {

// Width of `text` in pixels at `cap_height`; letters the lettering lacks count as blanks.
double stroke_text_width(std::string_view text, double cap_height);
// Draws `text` with the top of its capitals at y and its left edge at x.
void draw_stroke_text(Canvas& canvas, std::string_view text, double x, double y, double cap_height,
                      double stroke, const Color& color);

} // namespace art
