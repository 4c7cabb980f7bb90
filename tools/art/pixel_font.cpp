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

int text_width(std::string_view text, bool bold) {
    int w = 0;
    for (size_t i = 0; i < text.size(); ++i)
        w += glyph_width(text[i]) + bold + (i + 1 < text.size() ? kFontSpacing : 0);
    return w;
}

void draw_text(Canvas& canvas, std::string_view text, int x, int y, const Color& color, bool bold) {
    for (char ch : text) {
        if (const Glyph* g = find_glyph(ch)) {
            for (int row = 0; row < kFontHeight; ++row)
                for (int col = 0; g->rows[row][col]; ++col) {
                    // Ink laid once per pixel, so that bold strokes keep the colour's opacity.
                    bool ink = g->rows[row][col] == '#' ||
                               (bold && col > 0 && g->rows[row][col - 1] == '#');
                    if (ink)
                        canvas.blend_pixel(x + col, y + row, color);
                }
            if (bold && g->rows[0][0])
                for (int row = 0; row < kFontHeight; ++row) {
                    int last = static_cast<int>(std::string(g->rows[row]).size()) - 1;
                    if (g->rows[row][last] == '#')
                        canvas.blend_pixel(x + last + 1, y + row, color);
                }
        }
        x += glyph_width(ch) + bold + kFontSpacing;
    }
}

} // namespace art
