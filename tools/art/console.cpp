#include "artwork.h"
#include "pixel_font.h"
#include "stroke_font.h"

namespace art {

namespace {

// Both panels stand inside the picture with a margin of the dialog's face colour, so that on
// larger screens, where the console outgrows the picture, they end as panels and not as a cut.
constexpr double kMargin = 6;
constexpr double kBannerTop = 6, kBannerBottom = 32;
// The card holds the two radio boxes, at their sizes of every screen (up to 150 x 20).
constexpr double kCardTop = 37, kCardBottom = 96;

const Color kNavyTop = rgb(0x2E6BB5);
const Color kNavyBottom = rgb(0x143A73);
const Color kWlanInk = rgb(0x1E9A5C);
const Color kBluetoothInk = rgb(0x1F66D1);

void draw_banner(Canvas& c) {
    const double left = kMargin, right = kBackgroundWidth - kMargin;
    const Shape banner = rounded_rect(left, kBannerTop, right, kBannerBottom, 5);
    c.fill(banner, vertical_gradient(kBannerTop, kNavyTop, kBannerBottom, kNavyBottom));
    // A sheen along the top edge and waves spreading from the right end, kept inside.
    c.fill(intersect(banner, rounded_rect(left, kBannerTop, right, kBannerTop + 1.2, 0)),
           rgb(0xFFFFFF, 0.25));
    for (int i = 1; i <= 5; ++i) {
        double r = 14.0 * i;
        c.fill(intersect(banner, arc(right - 8, kBannerBottom + 4, r - 1.5, r + 1.5, -1, -0.6, 40)),
               rgb(0xFFFFFF, 0.08));
    }
    // The program's sign and name.
    draw_waves(c, 24, 27, 14, rgb(0xFFFFFF));
    draw_stroke_text(c, "Radiodeck", 43, 13.5, 12, 2.1, rgb(0x08204A, 0.5));
    draw_stroke_text(c, "Radiodeck", 42, 12.5, 12, 2.1, rgb(0xFFFFFF));
}

void draw_card(Canvas& c) {
    const double left = kMargin, right = kBackgroundWidth - kMargin;
    c.fill(rounded_rect(left, kCardTop, right, kCardBottom, 5), rgb(0xA3AFBF));
    c.fill(rounded_rect(left + 1, kCardTop + 1, right - 1, kCardBottom - 1, 4),
           vertical_gradient(kCardTop, rgb(0xFFFFFF), kCardBottom, rgb(0xEDF2F8)));
    // A sign before each radio's row, in the colours of the tray icons.
    draw_waves(c, 30, kWlanBox.y + 15, 12, kWlanInk);
    draw_rune(c, 30, kBluetoothBox.y + 9.5, 15, 1.8, kBluetoothInk);
    // To the right of the boxes, a large pale notebook sending its waves.
    const Color pale = rgb(0x9DB4D3, 0.55);
    const double cx = 254, base = 88;
    c.fill(rounded_rect(cx - 22, base - 4, cx + 22, base, 1.5), pale);
    c.fill(subtract(rounded_rect(cx - 17, base - 29, cx + 17, base - 5, 2.5),
                    rounded_rect(cx - 14.5, base - 26.5, cx + 14.5, base - 7.5, 1)),
           pale);
    for (int i = 1; i <= 2; ++i)
        c.fill(arc(cx, base - 12, 5.0 * i + 1, 5.0 * i + 3, 0, -1, 45), pale);
    c.fill(circle(cx, base - 12, 1.8), pale);
}

struct FaceLook {
    uint32_t border, top, bottom, ink;
    double shadow; // opacity of the shadow under the face
};

const FaceLook kLooks[] = {
    {0x6B7C94, 0xFFFFFF, 0xDDE4EE, 0x1A2C47, 0.22}, // normal
    {0x10336A, 0x1B4786, 0x2E6BB5, 0xFFFFFF, 0.0},  // pressed: sunk, lit from below
    {0x2E6BB5, 0xF5FAFF, 0xCFE1F8, 0x0E4A99, 0.22}, // hover
    {0xB4B8BF, 0xEDEDED, 0xE4E4E4, 0xA2A7AF, 0.0},  // disabled: flat and faint
};

} // namespace

Canvas console_background() {
    Canvas c(kBackgroundWidth, kBackgroundHeight, kDialogFace);
    draw_banner(c);
    draw_card(c);
    return c;
}

Canvas button_face(const Canvas& background, Place at, const std::string& word, Face face) {
    Canvas c(kButtonWidth, kButtonHeight);
    for (int row = 0; row < kButtonHeight; ++row)
        for (int col = 0; col < kButtonWidth; ++col)
            c.set(col, row, background.at(at.x + col, at.y + row));
    const FaceLook& look = kLooks[static_cast<int>(face)];
    const double bottom = kButtonHeight - 1;
    if (look.shadow > 0)
        c.fill(rounded_rect(1, 1, kButtonWidth - 1, kButtonHeight, 3), rgb(0x000000, look.shadow));
    c.fill(rounded_rect(0, 0, kButtonWidth, bottom, 3), rgb(look.border));
    c.fill(rounded_rect(1, 1, kButtonWidth - 1, bottom - 1, 2),
           vertical_gradient(1, rgb(look.top), bottom - 1, rgb(look.bottom)));
    const int text_x = (kButtonWidth - text_width(word, true)) / 2;
    draw_text(c, word, text_x, 2, rgb(look.ink), true);
    return c;
}

} // namespace art
