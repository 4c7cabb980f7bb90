#include "platform/gdi/region.h"

#include <gtest/gtest.h>

#include <random>

using platform::gdi::Region;

namespace {

// The pixels of a region inside a small field, for comparing against a per-pixel model.
std::vector<bool> pixels(const Region& r, int size = 16) {
    std::vector<bool> out;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            out.push_back(r.contains(POINT{x, y}));
    return out;
}

// Non-overlapping, banded, sorted, and no equal touching bands: the canonical form.
void expect_canonical(const Region& r) {
    const auto& rects = r.rects();
    for (size_t i = 0; i < rects.size(); ++i) {
        const RECT& a = rects[i];
        ASSERT_LT(a.left, a.right);
        ASSERT_LT(a.top, a.bottom);
        if (i == 0)
            continue;
        const RECT& p = rects[i - 1];
        bool same_band = p.top == a.top;
        if (same_band) {
            ASSERT_EQ(p.bottom, a.bottom);
            ASSERT_LT(p.right, a.left) << "touching spans are one";
        } else {
            ASSERT_LE(p.bottom, a.top);
        }
    }
}

} // namespace

TEST(Region, OperationsMatchAPixelModel) {
    std::mt19937 random(7);
    auto rect = [&] {
        std::uniform_int_distribution<int> d(0, 15);
        int x1 = d(random), x2 = d(random), y1 = d(random), y2 = d(random);
        return RECT{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    };
    for (int round = 0; round < 300; ++round) {
        Region a, b;
        for (int i = 0; i < 3; ++i) {
            a.unite(rect());
            b.unite(rect());
        }
        auto pa = pixels(a), pb = pixels(b);
        struct Case {
            Region result;
            bool (*rule)(bool, bool);
        } cases[] = {
            {Region(a).unite(b), [](bool x, bool y) { return x || y; }},
            {Region(a).intersect(b), [](bool x, bool y) { return x && y; }},
            {Region(a).subtract(b), [](bool x, bool y) { return x && !y; }},
            {Region(a).exclusive_or(b), [](bool x, bool y) { return x != y; }},
        };
        for (const Case& c : cases) {
            expect_canonical(c.result);
            auto got = pixels(c.result);
            for (size_t i = 0; i < got.size(); ++i)
                ASSERT_EQ(got[i], c.rule(pa[i], pb[i])) << "round " << round << " pixel " << i;
        }
    }
}

TEST(Region, EqualAreasCompareEqualWhateverTheirHistory) {
    Region pieces;
    pieces.unite(RECT{0, 0, 5, 10}).unite(RECT{5, 0, 10, 5}).unite(RECT{5, 5, 10, 10});
    EXPECT_EQ(pieces, Region(RECT{0, 0, 10, 10}));
    EXPECT_EQ(pieces.rects().size(), 1u);

    Region hole(RECT{0, 0, 10, 10});
    hole.subtract(RECT{3, 3, 6, 6});
    EXPECT_EQ(hole.rects().size(), 4u); // above, left, right, below
    EXPECT_EQ(hole.bounds().right, 10);
    EXPECT_FALSE(hole.contains(POINT{4, 4}));
    EXPECT_TRUE(hole.intersects(RECT{5, 5, 7, 7}));
    EXPECT_FALSE(hole.intersects(RECT{3, 3, 6, 6}));
    hole.unite(RECT{3, 3, 6, 6});
    EXPECT_EQ(hole, Region(RECT{0, 0, 10, 10}));
}

TEST(Region, EmptyRectanglesMakeNoRegion) {
    for (RECT r : {RECT{0, 0, 0, 5}, RECT{0, 0, 5, 0}, RECT{5, 5, 1, 1}}) {
        Region region(r);
        EXPECT_TRUE(region.empty());
        RECT b = region.bounds();
        EXPECT_EQ(b.left | b.top | b.right | b.bottom, 0);
    }
    Region r(RECT{0, 0, 4, 4});
    r.offset(10, -2);
    EXPECT_TRUE(r.contains(POINT{10, -2}));
    EXPECT_TRUE(r.intersect(RECT{0, 0, 5, 5}).empty());
}
