// A region: an area of the plane kept as non-overlapping rectangles in y-x bands, as X11 and
// Windows keep theirs. Every operation leaves the canonical form (bands sorted top to bottom,
// rectangles in a band sorted left to right and not touching, equal neighbouring bands
// merged), so two regions covering the same pixels compare equal.
#pragma once

#include <windef.h>

#include <vector>

namespace platform::gdi {

class Region {
public:
    Region() = default;
    explicit Region(const RECT& rect);

    bool empty() const { return rects_.empty(); }
    // The smallest rectangle around the region; all zero when it is empty.
    RECT bounds() const;
    bool contains(POINT point) const;
    // Whether any part of `rect` lies inside.
    bool intersects(const RECT& rect) const;
    const std::vector<RECT>& rects() const { return rects_; }

    Region& unite(const Region& other);
    Region& intersect(const Region& other);
    Region& subtract(const Region& other);
    Region& exclusive_or(const Region& other);
    Region& unite(const RECT& rect) { return unite(Region(rect)); }
    Region& intersect(const RECT& rect);
    Region& subtract(const RECT& rect) { return subtract(Region(rect)); }
    Region& offset(int dx, int dy);

    bool operator==(const Region& other) const;

private:
    enum class Op { unite, intersect, subtract, exclusive_or };
    Region& combine(const Region& other, Op op);
    std::vector<RECT> rects_;
};

} // namespace platform::gdi
