#include "artwork.h"

#include <algorithm>
#include <cstdlib>

namespace art {

namespace {

const Color kWlanInk = rgb(0x12A05C);
const Color kBluetoothInk = rgb(0x1769E0);
const Color kOffInk = rgb(0x8C949E);
const Color kSlash = rgb(0xE0443A);

void draw_tile(Canvas& c, bool on) {
    c.fill(rounded_rect(1, 1, 31, 31, 7), on ? rgb(0x4A5D75) : rgb(0x7A828C));
    c.fill(rounded_rect(2.2, 2.2, 29.8, 29.8, 5.8),
           on ? vertical_gradient(2, rgb(0xFFFFFF), 30, rgb(0xDCE6F2))
              : vertical_gradient(2, rgb(0xEDEFF1), 30, rgb(0xCBD0D6)));
}

} // namespace

void draw_waves(Canvas& c, double cx, double cy, double size, const Color& ink) {
    double w = size * 0.22;
    c.fill(circle(cx, cy, size * 0.17), ink);
    c.fill(arc(cx, cy, size * 0.45 - w / 2, size * 0.45 + w / 2, 0, -1, 45), ink);
    c.fill(arc(cx, cy, size * 0.85 - w / 2, size * 0.85 + w / 2, 0, -1, 45), ink);
}

void draw_rune(Canvas& c, double cx, double cy, double height, double stroke, const Color& ink) {
    double top = cy - height / 2, bottom = cy + height / 2, arm = height * 0.27;
    double right = cx + arm, left = cx - arm;
    Shape s = line(cx, top, cx, bottom, stroke);
    s = unite(s, line(cx, top, right, top + height * 0.25, stroke));
    s = unite(s, line(right, top + height * 0.25, left, top + height * 0.72, stroke));
    s = unite(s, line(cx, bottom, right, bottom - height * 0.25, stroke));
    s = unite(s, line(right, bottom - height * 0.25, left, bottom - height * 0.72, stroke));
    c.fill(s, ink);
}

Canvas app_icon(int size) {
    // Drawn on a 32-unit grid, scaled to the size asked for.
    const double u = size / 32.0;
    Canvas c(size, size);
    // Lid: a dark frame around a blue screen.
    c.fill(rounded_rect(4 * u, 4 * u, 28 * u, 23 * u, 3 * u), rgb(0x24344A));
    c.fill(rounded_rect(5.6 * u, 5.6 * u, 26.4 * u, 21.4 * u, 1.6 * u),
           vertical_gradient(5 * u, rgb(0x4A9BFF), 22 * u, rgb(0x1A56C4)));
    draw_waves(c, 16 * u, 18.5 * u, 11 * u, rgb(0xFFFFFF));
    // Base: a light deck, wider than the lid, with a thumb notch.
    c.fill(rounded_rect(1 * u, 23 * u, 31 * u, 28 * u, 2 * u),
           vertical_gradient(23 * u, rgb(0xC9D2DC), 28 * u, rgb(0x7D8A99)));
    c.fill(rounded_rect(12 * u, 23 * u, 20 * u, 24.6 * u, 0.8 * u), rgb(0x5C6878));
    return c;
}

Canvas tray_icon(Radios radios, bool on) {
    Canvas c(32, 32);
    draw_tile(c, on);
    const Color wlan = on ? kWlanInk : kOffInk;
    const Color bluetooth = on ? kBluetoothInk : kOffInk;
    switch (radios) {
    case Radios::Both:
        draw_waves(c, 11, 21.5, 10, wlan);
        draw_rune(c, 23, 16, 16, 2.2, bluetooth);
        break;
    case Radios::Bluetooth:
        draw_rune(c, 16, 16, 21, 2.8, bluetooth);
        break;
    case Radios::Wlan:
        draw_waves(c, 16, 23, 15, wlan);
        break;
    }
    if (!on) {
        // A slash with a light rim, so that it reads over the glyphs.
        c.fill(line(7, 25, 25, 7, 5), rgb(0xFFFFFF));
        c.fill(line(7, 25, 25, 7, 2.8), kSlash);
    }
    return c;
}

Canvas check_icon(bool checked, bool small) {
    // Pixel-exact: a one-pixel frame with its corners cut and a pure white inside, so that the
    // disabled look's embossing keeps the frame and the cross and drops the inside.
    Canvas c(16, 16);
    const int lo = small ? 3 : 1, hi = small ? 12 : 14;
    const Color frame = rgb(0x48658D), inside = rgb(0xFFFFFF);
    for (int y = lo; y <= hi; ++y)
        for (int x = lo; x <= hi; ++x) {
            bool edge_x = x == lo || x == hi, edge_y = y == lo || y == hi;
            if (!(edge_x && edge_y))
                c.set(x, y, edge_x || edge_y ? frame : inside);
        }
    if (checked) {
        // Two diagonals, each a full line of pixels with lighter neighbours on both
        // sides: crisp, and the same turned any way.
        const int inset = small ? 2 : 3, from = lo + inset, to = hi - inset;
        const Color ink = rgb(0x1F66D1);
        for (int y = from; y <= to; ++y)
            for (int x = from; x <= to; ++x) {
                int d = std::min(std::abs((x - from) - (y - from)),
                                 std::abs((x - from) + (y - from) - (to - from)));
                if (d <= 1)
                    c.set(x, y, mix(inside, ink, d == 0 ? 1.0 : 0.7));
            }
    }
    return c;
}

} // namespace art
