#include "quantize.h"

#include <algorithm>

namespace art {

namespace {

struct Box {
    std::vector<Rgb> colors; // distinct colours, each weighted equally

    int widest_channel(int* range) const {
        int best = 0;
        *range = -1;
        for (int ch = 0; ch < 3; ++ch) {
            auto [lo, hi] =
                std::minmax_element(colors.begin(), colors.end(),
                                    [ch](const Rgb& a, const Rgb& b) { return a[ch] < b[ch]; });
            int r = (*hi)[ch] - (*lo)[ch];
            if (r > *range) {
                *range = r;
                best = ch;
            }
        }
        return best;
    }

    Rgb average() const {
        unsigned long sum[3] = {0, 0, 0};
        for (const Rgb& c : colors)
            for (int ch = 0; ch < 3; ++ch)
                sum[ch] += c[ch];
        Rgb out;
        for (int ch = 0; ch < 3; ++ch)
            out[ch] = static_cast<uint8_t>((sum[ch] + colors.size() / 2) / colors.size());
        return out;
    }
};

} // namespace

std::vector<Rgb> make_palette(const std::vector<Rgb>& input, size_t max_colors) {
    std::vector<Rgb> distinct = input;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    if (distinct.size() <= max_colors)
        return distinct;

    std::vector<Box> boxes{Box{distinct}};
    while (boxes.size() < max_colors) {
        // Split the box with the widest spread; the first such box wins a tie.
        size_t pick = boxes.size();
        int pick_range = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            int range;
            boxes[i].widest_channel(&range);
            if (boxes[i].colors.size() > 1 && range > pick_range) {
                pick = i;
                pick_range = range;
            }
        }
        if (pick == boxes.size())
            break;
        int range;
        int ch = boxes[pick].widest_channel(&range);
        std::vector<Rgb>& cs = boxes[pick].colors;
        std::stable_sort(cs.begin(), cs.end(),
                         [ch](const Rgb& a, const Rgb& b) { return a[ch] < b[ch]; });
        size_t half = cs.size() / 2;
        Box upper{std::vector<Rgb>(cs.begin() + static_cast<long>(half), cs.end())};
        cs.resize(half);
        boxes.push_back(std::move(upper));
    }
    std::vector<Rgb> palette;
    for (const Box& b : boxes)
        palette.push_back(b.average());
    return palette;
}

size_t nearest(const std::vector<Rgb>& palette, const Rgb& c) {
    size_t best = 0;
    long best_d = -1;
    for (size_t i = 0; i < palette.size(); ++i) {
        long d = 0;
        for (int ch = 0; ch < 3; ++ch) {
            long k = static_cast<long>(palette[i][ch]) - c[ch];
            d += k * k;
        }
        if (best_d < 0 || d < best_d) {
            best_d = d;
            best = i;
        }
    }
    return best;
}

} // namespace art
