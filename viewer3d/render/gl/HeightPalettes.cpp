#include "viewer3d/render/gl/HeightPalettes.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace v3d::scene {
namespace {

struct Row {
    int index;
    int r, g, b;
};

using Table = std::array<RgbF, kHeightPaletteSize>;
using Tables = std::array<Table, kHeightPaletteCount>;

RgbF fromBytes(double r, double g, double b) {
    return {static_cast<float>(r / 255.0), static_cast<float>(g / 255.0), static_cast<float>(b / 255.0)};
}

// Straight lines between the given rows (first row at 0, last at 255), rounded to whole steps.
void interpolate(Table& t, const Row* rows, int count) {
    for (int k = 0; k + 1 < count; ++k) {
        const Row& a = rows[k];
        const Row& b = rows[k + 1];
        for (int i = a.index; i <= b.index; ++i) {
            double f = static_cast<double>(i - a.index) / (b.index - a.index);
            t[i] = fromBytes(std::lround(a.r + (b.r - a.r) * f), std::lround(a.g + (b.g - a.g) * f),
                             std::lround(a.b + (b.b - a.b) * f));
        }
    }
}

Tables build() {
    Tables t{};
    // 0: rainbow in four runs of 64 entries, steps of 4, capped at 254; the rows that end a
    // run are full strength, so each run meets the next one's colour.
    for (int i = 0; i < 256; ++i) {
        int run = i / 64;
        int step = std::min(4 * (i % 64), 254);
        int r = 0, g = 0, b = 0;
        switch (run) {
        case 0:
            r = 0, g = step, b = 254;
            break;
        case 1:
            r = 0, g = 254, b = 254 - step;
            break;
        case 2:
            r = step, g = 254, b = 0;
            break;
        default:
            r = 254, g = 254 - step, b = 0;
            break;
        }
        t[0][i] = fromBytes(r, g, b);
    }
    t[0][63] = fromBytes(0, 254, 254);
    t[0][127] = fromBytes(0, 254, 0);
    t[0][191] = fromBytes(254, 254, 0);
    t[0][255] = fromBytes(254, 0, 0);

    const Row blueGreenRed[] = {
        {0, 0, 0, 255}, {64, 0, 128, 127}, {128, 0, 255, 0}, {192, 129, 127, 0}, {255, 255, 0, 0}};
    interpolate(t[1], blueGreenRed, 5);
    const Row gold[] = {{0, 0, 0, 0}, {1, 30, 20, 10}, {128, 142, 110, 30}, {255, 254, 200, 49}};
    interpolate(t[3], gold, 4);
    for (int i = 0; i < 256; ++i) {
        t[2][i] = fromBytes(i, i, i);
        t[4][i] = fromBytes(0, 0, i);
        t[5][i] = fromBytes(0, i, 0);
        t[6][i] = fromBytes(i, 0, 0);
        t[7][i] = fromBytes(i, i, 0);
        t[8][i] = fromBytes(0, i, i);
        t[9][i] = fromBytes(i, 0, i);
    }
    return t;
}

const Tables& tables() {
    static const Tables t = build();
    return t;
}

} // namespace

const RgbF* HeightPalette(int index) {
    if (index < 1 || index > 9)
        index = 0;
    return tables()[index].data();
}

bool PaletteColour(int displayMode, int paletteIndex, double t, RgbF& out) {
    if (!(t >= 0.0 && t <= 1.0) || (displayMode != 1 && displayMode != 2))
        return false;
    int index = static_cast<int>(t * 255.0);
    index = std::clamp(index, 0, 255);
    out = HeightPalette(paletteIndex)[index];
    return true;
}

} // namespace v3d::scene
