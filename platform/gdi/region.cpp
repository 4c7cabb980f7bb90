#include "region.h"

#include <algorithm>

namespace platform::gdi {

namespace {

struct Span {
    LONG left;
    LONG right;
    bool operator==(const Span&) const = default;
};

// The spans of a canonical region on the band that starts at `y`.
std::vector<Span> spans_at(const std::vector<RECT>& rects, LONG y) {
    std::vector<Span> out;
    for (const RECT& r : rects) {
        if (r.top > y)
            break;
        if (r.bottom > y)
            out.push_back({r.left, r.right});
    }
    return out;
}

bool inside(const std::vector<Span>& spans, size_t& at, LONG x) {
    while (at < spans.size() && spans[at].right <= x)
        ++at;
    return at < spans.size() && spans[at].left <= x;
}

template <class Keep>
std::vector<Span> combine_spans(const std::vector<Span>& a, const std::vector<Span>& b, Keep keep) {
    std::vector<LONG> xs;
    for (const Span& s : a)
        xs.insert(xs.end(), {s.left, s.right});
    for (const Span& s : b)
        xs.insert(xs.end(), {s.left, s.right});
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    std::vector<Span> out;
    size_t ia = 0, ib = 0;
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
        bool in_a = inside(a, ia, xs[i]);
        bool in_b = inside(b, ib, xs[i]);
        if (!keep(in_a, in_b))
            continue;
        if (!out.empty() && out.back().right == xs[i])
            out.back().right = xs[i + 1];
        else
            out.push_back({xs[i], xs[i + 1]});
    }
    return out;
}

} // namespace

Region::Region(const RECT& rect) {
    if (rect.right > rect.left && rect.bottom > rect.top)
        rects_.push_back(rect);
}

RECT Region::bounds() const {
    if (rects_.empty())
        return RECT{};
    RECT b = rects_.front();
    for (const RECT& r : rects_) {
        b.left = std::min(b.left, r.left);
        b.right = std::max(b.right, r.right);
    }
    b.bottom = rects_.back().bottom;
    return b;
}

bool Region::contains(POINT p) const {
    return std::any_of(rects_.begin(), rects_.end(), [&](const RECT& r) {
        return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
    });
}

bool Region::intersects(const RECT& rect) const {
    return std::any_of(rects_.begin(), rects_.end(), [&](const RECT& r) {
        return std::max(r.left, rect.left) < std::min(r.right, rect.right) &&
               std::max(r.top, rect.top) < std::min(r.bottom, rect.bottom);
    });
}

Region& Region::combine(const Region& other, Op op) {
    auto keep = [op](bool a, bool b) {
        switch (op) {
        case Op::unite:
            return a || b;
        case Op::intersect:
            return a && b;
        case Op::subtract:
            return a && !b;
        case Op::exclusive_or:
            return a != b;
        }
        return false;
    };
    std::vector<LONG> ys;
    for (const RECT& r : rects_)
        ys.insert(ys.end(), {r.top, r.bottom});
    for (const RECT& r : other.rects_)
        ys.insert(ys.end(), {r.top, r.bottom});
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

    std::vector<RECT> out;
    std::vector<Span> previous; // the spans of the band that ends where out ends
    size_t previous_start = 0;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        std::vector<Span> spans =
            combine_spans(spans_at(rects_, ys[i]), spans_at(other.rects_, ys[i]), keep);
        if (spans.empty()) {
            previous.clear();
            continue;
        }
        // A band equal to the one just above it, and touching it, only makes it taller.
        if (!previous.empty() && out.back().bottom == ys[i] && spans == previous) {
            for (size_t k = previous_start; k < out.size(); ++k)
                out[k].bottom = ys[i + 1];
            continue;
        }
        previous_start = out.size();
        for (const Span& s : spans)
            out.push_back(RECT{s.left, ys[i], s.right, ys[i + 1]});
        previous = std::move(spans);
    }
    rects_ = std::move(out);
    return *this;
}

Region& Region::unite(const Region& other) {
    return combine(other, Op::unite);
}

Region& Region::intersect(const Region& other) {
    return combine(other, Op::intersect);
}

Region& Region::subtract(const Region& other) {
    return combine(other, Op::subtract);
}

Region& Region::exclusive_or(const Region& other) {
    return combine(other, Op::exclusive_or);
}

Region& Region::intersect(const RECT& rect) {
    return combine(Region(rect), Op::intersect);
}

Region& Region::offset(int dx, int dy) {
    for (RECT& r : rects_) {
        r.left += dx;
        r.right += dx;
        r.top += dy;
        r.bottom += dy;
    }
    return *this;
}

bool Region::operator==(const Region& other) const {
    return std::equal(rects_.begin(), rects_.end(), other.rects_.begin(), other.rects_.end(),
                      [](const RECT& a, const RECT& b) {
                          return a.left == b.left && a.top == b.top && a.right == b.right &&
                                 a.bottom == b.bottom;
                      });
}

} // namespace platform::gdi
