#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace art {

namespace {

constexpr int kSamples = 4; // per axis: 16 samples a pixel
constexpr double kPi = 3.14159265358979323846;

double clamp01(double v) {
    return v < 0 ? 0 : v > 1 ? 1 : v;
}

} // namespace

Color rgb(uint32_t hex, double alpha) {
    return Color{((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0, (hex & 0xFF) / 255.0,
                 alpha};
}

Color mix(const Color& from, const Color& to, double t) {
    t = clamp01(t);
    return Color{from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t,
                 from.b + (to.b - from.b) * t, from.a + (to.a - from.a) * t};
}

Paint solid(const Color& c) {
    return [c](double, double) { return c; };
}

Paint vertical_gradient(double top, const Color& top_color, double bottom,
                        const Color& bottom_color) {
    return [=](double, double y) {
        return mix(top_color, bottom_color, bottom > top ? (y - top) / (bottom - top) : 0);
    };
}

Shape circle(double cx, double cy, double r) {
    return Shape{cx - r, cy - r, cx + r, cy + r, [=](double x, double y) {
                     double dx = x - cx, dy = y - cy;
                     return dx * dx + dy * dy <= r * r;
                 }};
}

Shape rounded_rect(double left, double top, double right, double bottom, double radius) {
    return Shape{left, top, right, bottom, [=](double x, double y) {
                     if (x < left || x > right || y < top || y > bottom)
                         return false;
                     double cx = std::clamp(x, left + radius, right - radius);
                     double cy = std::clamp(y, top + radius, bottom - radius);
                     double dx = x - cx, dy = y - cy;
                     return dx * dx + dy * dy <= radius * radius;
                 }};
}

Shape line(double x0, double y0, double x1, double y1, double width) {
    double h = width / 2;
    return Shape{std::min(x0, x1) - h, std::min(y0, y1) - h, std::max(x0, x1) + h,
                 std::max(y0, y1) + h, [=](double x, double y) {
                     double vx = x1 - x0, vy = y1 - y0;
                     double len2 = vx * vx + vy * vy;
                     double t = len2 > 0 ? clamp01(((x - x0) * vx + (y - y0) * vy) / len2) : 0;
                     double dx = x - (x0 + t * vx), dy = y - (y0 + t * vy);
                     return dx * dx + dy * dy <= h * h;
                 }};
}

Shape arc(double cx, double cy, double r_inner, double r_outer, double dx, double dy,
          double half_angle) {
    double len = std::sqrt(dx * dx + dy * dy);
    double ux = dx / len, uy = dy / len;
    double a = half_angle * kPi / 180;
    double cos_a = std::cos(a), sin_a = std::sin(a);
    double mid = (r_inner + r_outer) / 2, cap = (r_outer - r_inner) / 2;
    // The ends of the arc, for the round caps.
    double ex0 = cx + mid * (ux * cos_a - uy * sin_a), ey0 = cy + mid * (ux * sin_a + uy * cos_a);
    double ex1 = cx + mid * (ux * cos_a + uy * sin_a), ey1 = cy + mid * (-ux * sin_a + uy * cos_a);
    return Shape{cx - r_outer, cy - r_outer, cx + r_outer, cy + r_outer, [=](double x, double y) {
                     double px = x - cx, py = y - cy;
                     double d2 = px * px + py * py;
                     if (d2 >= r_inner * r_inner && d2 <= r_outer * r_outer &&
                         px * ux + py * uy >= std::sqrt(d2) * cos_a)
                         return true;
                     for (auto [ex, ey] : {std::pair{ex0, ey0}, std::pair{ex1, ey1}}) {
                         double qx = x - ex, qy = y - ey;
                         if (qx * qx + qy * qy <= cap * cap)
                             return true;
                     }
                     return false;
                 }};
}

Shape unite(const Shape& a, const Shape& b) {
    return Shape{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                 std::max(a.bottom, b.bottom),
                 [a, b](double x, double y) { return a.inside(x, y) || b.inside(x, y); }};
}

Shape subtract(const Shape& a, const Shape& b) {
    return Shape{a.left, a.top, a.right, a.bottom,
                 [a, b](double x, double y) { return a.inside(x, y) && !b.inside(x, y); }};
}

Shape intersect(const Shape& a, const Shape& b) {
    return Shape{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom),
                 [a, b](double x, double y) { return a.inside(x, y) && b.inside(x, y); }};
}

Canvas::Canvas(int width, int height, const Color& fill)
    : width_(width), height_(height),
      pixels_(static_cast<size_t>(width) * height,
              Color{fill.r * fill.a, fill.g * fill.a, fill.b * fill.a, fill.a}) {}

Color Canvas::at(int x, int y) const {
    const Color& p = pixels_[static_cast<size_t>(y) * width_ + x];
    if (p.a <= 0)
        return Color{};
    return Color{p.r / p.a, p.g / p.a, p.b / p.a, p.a};
}

void Canvas::set(int x, int y, const Color& c) {
    pixels_[static_cast<size_t>(y) * width_ + x] = Color{c.r * c.a, c.g * c.a, c.b * c.a, c.a};
}

void Canvas::blend_pixel(int x, int y, const Color& c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    Color& p = pixels_[static_cast<size_t>(y) * width_ + x];
    double k = 1 - c.a;
    p = Color{c.r * c.a + p.r * k, c.g * c.a + p.g * k, c.b * c.a + p.b * k, c.a + p.a * k};
}

void Canvas::fill(const Shape& shape, const Paint& paint) {
    int x0 = std::max(0, static_cast<int>(std::floor(shape.left)));
    int y0 = std::max(0, static_cast<int>(std::floor(shape.top)));
    int x1 = std::min(width_, static_cast<int>(std::ceil(shape.right)) + 1);
    int y1 = std::min(height_, static_cast<int>(std::ceil(shape.bottom)) + 1);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx)
                    hits += shape.inside(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples);
            if (hits == 0)
                continue;
            Color c = paint(x + 0.5, y + 0.5);
            c.a *= static_cast<double>(hits) / (kSamples * kSamples);
            blend_pixel(x, y, c);
        }
    }
}

void Canvas::draw(const Canvas& other, int x, int y) {
    for (int sy = 0; sy < other.height(); ++sy)
        for (int sx = 0; sx < other.width(); ++sx)
            blend_pixel(x + sx, y + sy, other.at(sx, sy));
}

} // namespace art
