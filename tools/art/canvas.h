// A small RGBA canvas with anti-aliased shapes, enough to draw the program's artwork.
// Coverage is measured by supersampling each pixel on a fixed grid, so the same drawing
// always gives the same pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace art {

struct Color {
    double r = 0, g = 0, b = 0, a = 0; // 0..1, not premultiplied
};

// 0xRRGGBB with an optional opacity.
Color rgb(uint32_t hex, double alpha = 1.0);
Color mix(const Color& from, const Color& to, double t);

// Where a shape is: an inside test in pixel coordinates (pixel centres at +0.5) and the box
// that holds it.
struct Shape {
    double left, top, right, bottom;
    std::function<bool(double, double)> inside;
};

// The colour of a shape at a point.
using Paint = std::function<Color(double, double)>;
Paint solid(const Color& c);
Paint vertical_gradient(double top, const Color& top_color, double bottom,
                        const Color& bottom_color);

Shape circle(double cx, double cy, double r);
Shape rounded_rect(double left, double top, double right, double bottom, double radius);
// A stroke from (x0, y0) to (x1, y1) with round caps.
Shape line(double x0, double y0, double x1, double y1, double width);
// A ring between radii r_inner and r_outer, within `half_angle` degrees either side of the
// direction (dx, dy), with round ends.
Shape arc(double cx, double cy, double r_inner, double r_outer, double dx, double dy,
          double half_angle);
Shape unite(const Shape& a, const Shape& b);
Shape subtract(const Shape& a, const Shape& b);
Shape intersect(const Shape& a, const Shape& b);

class Canvas {
public:
    Canvas(int width, int height, const Color& fill = {});

    int width() const { return width_; }
    int height() const { return height_; }
    Color at(int x, int y) const;
    void set(int x, int y, const Color& c);

    void fill(const Shape& shape, const Paint& paint);
    void fill(const Shape& shape, const Color& color) { fill(shape, solid(color)); }
    // Sets one pixel blended over what is there, for pixel-font glyphs.
    void blend_pixel(int x, int y, const Color& c);
    // Draws `other` with its top-left corner at (x, y).
    void draw(const Canvas& other, int x, int y);

private:
    int width_, height_;
    std::vector<Color> pixels_; // premultiplied
};

} // namespace art
