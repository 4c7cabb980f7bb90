#include "pixel_font.h"

#include <array>
#include <string>

namespace art {

namespace {

struct Glyph {
    char ch;
    std::array<const char*, kFontHeight> rows; // '#' is ink; all rows equally wide
};

// Only the letters that the pictures use.
const Glyph kGlyphs[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#", "....."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###.", "....."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#", "....."}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###.", "....."}},
    {'a', {"....", "....", ".##.", "...#", ".###", "#..#", ".###", "...."}},
    {'c', {"....", "....", ".###", "#...", "#...", "#...", ".###", "...."}},
    {'e', {"....", "....", ".##.", "#..#", "####", "#...", ".###", "...."}},
    {'l', {"#.", "#.", "#.", "#.", "#.", "#.", ".#", ".."}},
    {'n', {"....", "....", "###.", "#..#", "#..#", "#..#", "#..#", "...."}},
    {'p', {"....", "....", "###.", "#..#", "#..#", "###.", "#...", "#..."}},
    {'y', {"....", "....", "#..#", "#..#", "#..#", ".###", "...#", ".##."}},
};

const Glyph* find_glyph(char ch) {
    for (const Glyph& g : kGlyphs)
        if (g.ch == ch)
            return &g;
    return nullptr;
}

int glyph_width(char ch) {
    const Glyph* g = find_glyph(ch);
    return g ? static_cast<int>(std::string(g->rows[0]).size()) : 3;
}

} // namespace

int text_width(std::string_view text, int scale) {
    int w = 0;
    for (size_t i = 0; i < text.size(); ++i)
        w += glyph_width(text[i]) + (i + 1 < text.size() ? kFontSpacing : 0);
    return w * scale;
}

void draw_text(Canvas& canvas, std::string_view text, int x, int y, const Color& color, int scale) {
    for (char ch : text) {
        if (const Glyph* g = find_glyph(ch)) {
            for (int row = 0; row < kFontHeight; ++row)
                for (int col = 0; g->rows[row][col]; ++col)
                    if (g->rows[row][col] == '#')
                        for (int sy = 0; sy < scale; ++sy)
                            for (int sx = 0; sx < scale; ++sx)
                                canvas.blend_pixel(x + col * scale + sx, y + row * scale + sy,
                                                   color);
        }
        x += (glyph_width(ch) + kFontSpacing) * scale;
    }
}

} // namespace art
