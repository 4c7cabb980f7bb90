#include "stroke_font.h"

#include <optional>
#include <vector>

namespace art {

namespace {

// Glyphs on a grid where the capitals are one unit tall: y = 0 at their top, y = 1 on the
// baseline; the x-height starts at kX. Each glyph is a few strokes and rings.
constexpr double kX = 0.3;
constexpr double kBowl = (1 - kX) / 2; // radius of the round lower-case letters

struct Stroke {
    enum Kind { Line, Ring } kind;
    double x0, y0, x1, y1;                   // Line: the ends. Ring: centre (x0, y0), radius x1.
    double dx = 0, dy = 0, half_angle = 180; // Ring: the part that is drawn
};

struct Glyph {
    char ch;
    double advance;
    std::vector<Stroke> strokes;
};

Stroke line_of(double x0, double y0, double x1, double y1) {
    return Stroke{Stroke::Line, x0, y0, x1, y1};
}

Stroke ring_of(double cx, double cy, double r, double dx = 1, double dy = 0,
               double half_angle = 180) {
    return Stroke{Stroke::Ring, cx, cy, r, 0, dx, dy, half_angle};
}

const std::vector<Glyph>& glyphs() {
    const double cy = kX + kBowl, r = kBowl;
    static const std::vector<Glyph> all = {
        {'R',
         0.66,
         {line_of(0, 0, 0, 1), line_of(0, 0, 0.32, 0), line_of(0, 0.52, 0.32, 0.52),
          ring_of(0.32, 0.26, 0.26, 1, 0, 90), line_of(0.3, 0.52, 0.6, 1)}},
        {'a', 2 * r + 0.02, {ring_of(r, cy, r), line_of(2 * r, kX, 2 * r, 1)}},
        {'c', 2 * r - 0.06, {ring_of(r, cy, r, -1, 0, 128)}},
        {'d', 2 * r + 0.02, {ring_of(r, cy, r), line_of(2 * r, 0, 2 * r, 1)}},
        {'e', 2 * r, {ring_of(r, cy, r, -0.87, -0.5, 150), line_of(0, cy, 2 * r, cy)}},
        {'i', 0, {line_of(0, kX, 0, 1), line_of(0, 0.06, 0, 0.06)}},
        {'k', 0.5, {line_of(0, 0, 0, 1), line_of(0.5, kX, 0.02, 0.72), line_of(0.18, 0.6, 0.5, 1)}},
        {'o', 2 * r, {ring_of(r, cy, r)}},
    };
    return all;
}

const Glyph* find_glyph(char ch) {
    for (const Glyph& g : glyphs())
        if (g.ch == ch)
            return &g;
    return nullptr;
}

// Space between letters, in capital heights.
constexpr double kSpacing = 0.2;
constexpr double kBlank = 0.4;

} // namespace

double stroke_text_width(std::string_view text, double cap_height) {
    double w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const Glyph* g = find_glyph(text[i]);
        w += (g ? g->advance : kBlank) + (i + 1 < text.size() ? kSpacing : 0);
    }
    return w * cap_height;
}

void draw_stroke_text(Canvas& canvas, std::string_view text, double x, double y, double cap_height,
                      double stroke, const Color& color) {
    const double h = cap_height;
    for (char ch : text) {
        const Glyph* g = find_glyph(ch);
        if (!g) {
            x += (kBlank + kSpacing) * h;
            continue;
        }
        // One shape per letter, so that where its strokes cross the ink is laid once.
        std::optional<Shape> letter;
        for (const Stroke& s : g->strokes) {
            Shape part = s.kind == Stroke::Line
                             ? line(x + s.x0 * h, y + s.y0 * h, x + s.x1 * h, y + s.y1 * h, stroke)
                             : arc(x + s.x0 * h, y + s.y0 * h, s.x1 * h - stroke / 2,
                                   s.x1 * h + stroke / 2, s.dx, s.dy, s.half_angle);
            letter = letter ? unite(*letter, part) : part;
        }
        canvas.fill(*letter, color);
        x += (g->advance + kSpacing) * h;
    }
}

} // namespace art
