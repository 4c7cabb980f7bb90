#include "artwork.h"
#include "pixel_font.h"

namespace art {

namespace {

constexpr double kTitleHeight = 32;

// Panels behind the controls, at the pixel positions where the console places them.
struct Panel {
    double left, top, right, bottom;
};
const Panel kRadioPanel = {42, 37, 210, 94};    // Wireless LAN (51, 42) and Bluetooth (51, 70)
const Panel kDisplayPanel = {12, 98, 292, 123}; // the display option at (19, 101)

void draw_panel(Canvas& c, const Panel& p) {
    c.fill(rounded_rect(p.left, p.top, p.right, p.bottom, 6), rgb(0xB9C7D8));
    c.fill(rounded_rect(p.left + 1, p.top + 1, p.right - 1, p.bottom - 1, 5),
           vertical_gradient(p.top, rgb(0xFFFFFF, 0.92), p.bottom, rgb(0xF1F5FA, 0.92)));
}

struct FaceLook {
    uint32_t border, top, bottom, ink;
};

const FaceLook kLooks[] = {
    {0x7F93AE, 0xFFFFFF, 0xDDE5F0, 0x1D3250}, // normal
    {0x1C4A96, 0x2459B4, 0x2F6FD6, 0xFFFFFF}, // pressed: sunk, the light at the bottom
    {0x2F7BEA, 0xF3F8FF, 0xCDE1FC, 0x0B4DB0}, // hover
    {0xC3CAD3, 0xF1F3F5, 0xE4E8EC, 0xA4ADB8}, // disabled
};

} // namespace

Canvas console_background() {
    Canvas c(kBackgroundWidth, kBackgroundHeight);
    // Body: a calm light gradient.
    c.fill(rounded_rect(0, 0, kBackgroundWidth, kBackgroundHeight, 0),
           vertical_gradient(kTitleHeight, rgb(0xF4F7FB), kBackgroundHeight, rgb(0xD5DFEB)));
    // Title band with a highlight along its foot.
    c.fill(rounded_rect(0, 0, kBackgroundWidth, kTitleHeight, 0),
           vertical_gradient(0, rgb(0x2B6CC0), kTitleHeight, rgb(0x1B4A8A)));
    c.fill(rounded_rect(0, kTitleHeight, kBackgroundWidth, kTitleHeight + 1, 0), rgb(0x7FA8DC));
    // Waves spreading from the right of the title, faint.
    for (int i = 1; i <= 4; ++i) {
        double r = 18.0 * i;
        c.fill(arc(300, 40, r - 2, r + 2, -1, -0.3, 38), rgb(0xFFFFFF, 0.07));
    }
    // The application's glyph and name.
    c.fill(circle(22, 21, 2.2), rgb(0xFFFFFF));
    c.fill(arc(22, 21, 5, 7.4, 0, -1, 45), rgb(0xFFFFFF));
    c.fill(arc(22, 21, 9.8, 12.2, 0, -1, 45), rgb(0xFFFFFF));
    draw_text(c, "Radiodeck", 41, 10, rgb(0x0E2A52, 0.45), 2);
    draw_text(c, "Radiodeck", 40, 9, rgb(0xFFFFFF), 2);

    draw_panel(c, kRadioPanel);
    draw_panel(c, kDisplayPanel);
    // Beside the radio boxes: a large, pale antenna sign.
    const Color pale = rgb(0x8FB2E0, 0.45);
    c.fill(circle(252, 80, 4), pale);
    c.fill(line(252, 80, 252, 92, 3), pale);
    for (int i = 1; i <= 3; ++i) {
        double r = 10.0 * i;
        c.fill(arc(252, 80, r - 1.8, r + 1.8, 1, 0, 35), pale);
        c.fill(arc(252, 80, r - 1.8, r + 1.8, -1, 0, 35), pale);
    }
    return c;
}

Canvas button_face(const Canvas& background, int x, int y, const std::string& word, Face face) {
    Canvas c(kButtonWidth, kButtonHeight);
    for (int row = 0; row < kButtonHeight; ++row)
        for (int col = 0; col < kButtonWidth; ++col)
            c.set(col, row, background.at(x + col, y + row));
    const FaceLook& look = kLooks[static_cast<int>(face)];
    c.fill(rounded_rect(0, 0, kButtonWidth, kButtonHeight, 3), rgb(look.border));
    c.fill(rounded_rect(1, 1, kButtonWidth - 1, kButtonHeight - 1, 2),
           vertical_gradient(1, rgb(look.top), kButtonHeight - 1, rgb(look.bottom)));
    int text_x = (kButtonWidth - text_width(word)) / 2;
    draw_text(c, word, text_x, 2, rgb(look.ink));
    return c;
}

} // namespace art
