// Region filling, outline tracing, the perimeter at a level, the perimeter-by-level curve and the
// height histogram of the document's image toolkit.
#include "viewer3d/measure/core/DocImaging.h"

#include "viewer3d/core/bitmaps/Dib.h"

#include <algorithm>
#include <climits>
#include <new>

namespace v3d {

namespace {

// Step lengths of the eight step classes: straight (0, 2), the half steps of a bend (1, 3),
// a diagonal (4), a corner (5) and a knight's move (6, 7).
constexpr double kKnight = 1.1180339887498948;
constexpr double kDiagonal = 1.4142135623730950;

double classLength(const OutlineStats& s) {
    const int* c = s.classCount;
    return (c[7] + c[6]) * kKnight + (c[5] * kDiagonal + c[3] + c[1]) * 0.5 + c[4] * kDiagonal + c[2] + c[0];
}

} // namespace

bool DocImaging::ensureTables() {
    if (!tablesLoaded_)
        tablesLoaded_ = LoadOutlineTables(&tables_) == 1;
    return tablesLoaded_;
}

int DocImaging::FillRegion(int slot, int x0, int y0, int x1, int y1, int seedX, int seedY, int oldValue,
                           int newValue, int connectivity, RegionBox* box) {
    if (box)
        *box = RegionBox{};
    if (seedX < x0 || seedX > x1 || seedY < y0 || seedY > y1 || (connectivity != 4 && connectivity != 8) ||
        oldValue == newValue)
        return 0;
    const View v = view(slot);
    if (!v)
        return 0;
    // Outside the image there is nothing to fill.
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, v.width - 1);
    y1 = std::min(y1, v.height - 1);
    if (seedX < x0 || seedX > x1 || seedY < y0 || seedY > y1 || read(v, seedX, seedY) != oldValue)
        return 0;
    RegionBox b{seedX, seedY, seedX, seedY};
    try {
        // The seed stack grows as far as memory allows: a region of any size is filled whole.
        std::vector<std::pair<int, int>> seeds;
        seeds.reserve(16000);
        seeds.emplace_back(seedX, seedY);
        while (!seeds.empty()) {
            const auto [sx, y] = seeds.back();
            seeds.pop_back();
            if (read(v, sx, y) != oldValue)
                continue; // filled by an earlier run
            int left = sx;
            int right = sx;
            while (left > x0 && read(v, left - 1, y) == oldValue)
                --left;
            while (right < x1 && read(v, right + 1, y) == oldValue)
                ++right;
            for (int x = left; x <= right; ++x)
                write(v, x, y, newValue);
            if (read(v, left, y) == oldValue)
                return 0; // the sample cannot hold the new value apart from the old one
            const int from = connectivity == 8 ? std::max(x0, left - 1) : left;
            const int to = connectivity == 8 ? std::min(x1, right + 1) : right;
            for (int ny : {y + 1, y - 1}) {
                if (ny < y0 || ny > y1)
                    continue;
                bool inRun = false;
                for (int x = from; x <= to; ++x) {
                    const bool old = read(v, x, ny) == oldValue;
                    if (old && !inRun)
                        seeds.emplace_back(x, ny);
                    inRun = old;
                }
            }
            b.left = std::min(b.left, left);
            b.right = std::max(b.right, right);
            b.top = std::min(b.top, y);
            b.bottom = std::max(b.bottom, y);
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (box)
        *box = b;
    return 1;
}

int DocImaging::nextDirection(const View& v, int x, int y, int prev, int value, int connectivity) const {
    const OutlineTableSet& t = tables_;
    auto is = [&](int d) { return read(v, x + t.dx[d], y + t.dy[d]) == value; };
    if (connectivity == 8) {
        const int i0 = t.searchStart[prev];
        for (int k = 0; k <= 6; ++k) {
            const int j = i0 + k;
            if (!is(j) && is(j + 1))
                return (j + 1) % 8;
        }
        return -1;
    }
    int i = t.searchStart[prev];
    for (int k = 0; k < 4; ++k, i += 2) {
        if (i + 1 > 15)
            break;
        if (is(i + 1) && !(is(i - 1) && is(i)))
            return (i + 1) % 8;
    }
    return -1;
}

int DocImaging::TraceOutline(int slot, int x0, int y0, int x1, int y1, int value, int connectivity,
                             OutlineStats* stats) {
    const View v = view(slot);
    if (!v || !stats)
        return 0;
    if (x0 <= 0 || x1 < x0 || x1 > v.width - 2 || y0 <= 0 || y1 < y0 || y1 > v.height - 2 || value <= 0 ||
        value >= 256 || (connectivity != 4 && connectivity != 8))
        return 0;
    *stats = OutlineStats{};
    if (!ensureTables())
        return 0;
    int sx = -1;
    int sy = -1;
    if (!FindFirstPixel(slot, x0, y0, x1, y1, value, &sx, &sy))
        return 0;

    // Save the border one pixel around the rectangle and clear it, so that nothing outside the
    // rectangle joins the outline.
    const int w = x1 - x0 + 3;
    const int h = y1 - y0 + 3;
    try {
        borderTop_.resize(w);
        borderBottom_.resize(w);
        borderLeft_.resize(h);
        borderRight_.resize(h);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    for (int i = 0; i < w; ++i) {
        borderTop_[i] = read(v, x0 - 1 + i, y0 - 1);
        borderBottom_[i] = read(v, x0 - 1 + i, y1 + 1);
    }
    for (int i = 0; i < h; ++i) {
        borderLeft_[i] = read(v, x0 - 1, y0 - 1 + i);
        borderRight_[i] = read(v, x1 + 1, y0 - 1 + i);
    }
    auto setBorder = [&](bool restore) {
        for (int i = 0; i < w; ++i) {
            write(v, x0 - 1 + i, y0 - 1, restore ? borderTop_[i] : 0);
            write(v, x0 - 1 + i, y1 + 1, restore ? borderBottom_[i] : 0);
        }
        for (int i = 0; i < h; ++i) {
            write(v, x0 - 1, y0 - 1 + i, restore ? borderLeft_[i] : 0);
            write(v, x1 + 1, y0 - 1 + i, restore ? borderRight_[i] : 0);
        }
    };
    setBorder(false);

    const OutlineTableSet& t = tables_;
    int first = -1;
    const int eight[] = {3, 4, 5, 6};
    const int four[] = {4, 6};
    const int* tries = connectivity == 8 ? eight : four;
    const int tryCount = connectivity == 8 ? 4 : 2;
    for (int k = 0; k < tryCount && first < 0; ++k)
        if (read(v, sx + t.dx[tries[k]], sy + t.dy[tries[k]]) == value)
            first = tries[k];
    if (first < 0) {
        stats->points = 1; // a single pixel
        setBorder(true);
        return 1;
    }
    // The walk starts on the second point; the step from the start to it is counted when the walk
    // takes it again at the end. A walk longer than four visits of every pixel of the rectangle is broken
    // off as a failure.
    int x = sx + t.dx[first];
    int y = sy + t.dy[first];
    int prev = first;
    const int64_t limit = 4 * static_cast<int64_t>(w) * h + 8;
    int result = 0;
    for (int64_t steps = 0; steps < limit; ++steps) {
        stats->points++;
        const int next = nextDirection(v, x, y, prev, value, connectivity);
        if (next < 0)
            break;
        stats->classCount[t.stepClass[prev * 8 + next]]++;
        const bool leavingStart = x == sx && y == sy && next == first;
        x += t.dx[next];
        y += t.dy[next];
        prev = next;
        if (leavingStart) {
            result = 1;
            break;
        }
    }
    setBorder(true);
    return result;
}

double DocImaging::MeasurePerimeter(HDIB image, int level, int heightType) {
    if (!image)
        return 0.0;
    const bool hadTables = tablesLoaded_;
    if (!ensureTables())
        return 0.0;
    HDIB copy = DibCopyInto(image, nullptr);
    if (!copy)
        return 0.0;
    SetSlotImage(copy, kScratchSlot, heightType);
    plane_ = 0;
    double perimeter = 0.0;
    const int w = GetSlotWidth(kScratchSlot);
    const int h = GetSlotHeight(kScratchSlot);
    const int levels = GetSlotLevelCount(kScratchSlot);
    if (w >= 3 && h >= 3 &&
        BinarizeSlot(kScratchSlot, kScratchSlot, 0, 0, w - 1, h - 1, std::clamp(level, 0, levels - 1), 0)) {
        // A level above the image's levels leaves nothing; one below 0 takes everything.
        if (level >= levels)
            MapSlotLevels(kScratchSlot, kScratchSlot, 0, 0, w - 1, h - 1, 0, levels - 1, 0, 0, 0);
        const int ix0 = 1, iy0 = 1, ix1 = w - 2, iy1 = h - 2;
        int fx = -1, fy = -1;
        // Objects are taken in raster order and relabelled when measured, so the search for the
        // next one goes on from where the last one was found.
        int resumeX = ix0, resumeY = iy0;
        while (FindFirstPixel(kScratchSlot, resumeX, resumeY, ix1, resumeY, 255, &fx, &fy) ||
               FindFirstPixel(kScratchSlot, ix0, resumeY + 1, ix1, iy1, 255, &fx, &fy)) {
            resumeX = fx;
            resumeY = fy;
            RegionBox box;
            if (!FillRegion(kScratchSlot, ix0, iy0, ix1, iy1, fx, fy, 255, 159, 8, &box))
                break;
            OutlineStats stats;
            if (!TraceOutline(kScratchSlot, box.left, box.top, box.right, box.bottom, 159, 8, &stats))
                break;
            perimeter += classLength(stats);
            RelabelValue(kScratchSlot, kScratchSlot, box.left, box.top, box.right, box.bottom, 159, 191);
        }
    }
    SetSlotImage(nullptr, kScratchSlot);
    GlobalFree(copy);
    if (!hadTables)
        tablesLoaded_ = false;
    return perimeter;
}

int DocImaging::BuildPerimeterCurve(HDIB image, int heightType, bool measureFlag, AreaData* area) {
    if (!area)
        return 0;
    area->flag = 0;
    if (!image)
        return 1;
    SetSlotImage(image, kScratchSlot, heightType);
    const int w = GetSlotWidth(kScratchSlot) / 4;
    const int h = GetSlotHeight(kScratchSlot) / 4;
    HDIB quarter = ResizeSlotImage(kScratchSlot, w, h);
    SetSlotImage(nullptr, kScratchSlot);
    const bool hadTables = tablesLoaded_;
    if (quarter && ensureTables() && measureFlag) {
        area->flag = 1;
        const double step = (area->levelMax - area->levelMin + 1) / 64.0;
        int last = INT_MIN;
        double p = 0.0;
        for (int i = 0; i < kCurvePoints; ++i) {
            const int level = area->levelMin + static_cast<int>(i * step);
            if (level != last) {
                p = MeasurePerimeter(quarter, level, heightType);
                last = level;
            }
            area->curve[i] = p;
            area->curveMax = std::max(area->curveMax, p);
        }
    }
    if (!hadTables)
        tablesLoaded_ = false;
    SetSlotImage(nullptr, kQuarterSlot);
    if (quarter)
        GlobalFree(quarter);
    return 1;
}

int DocImaging::BuildHeightHistogram(HDIB image, int heightType, bool measureFlag, AreaData* area) {
    if (!image || !area)
        return 0;
    SetSlotImage(image, kScratchSlot, heightType);
    plane_ = 0;
    const View v = view(kScratchSlot);
    int largest = INT_MIN;
    int smallest = INT_MAX;
    std::vector<double> counts;
    try {
        for (int y = 0; y < v.height; ++y)
            for (int x = 0; x < v.width; ++x) {
                const int value = read(v, x, y);
                largest = std::max(largest, value);
                smallest = std::min(smallest, value);
                if (measureFlag) {
                    if (static_cast<size_t>(value) >= counts.size())
                        counts.resize(static_cast<size_t>(value) + 1, 0.0);
                    counts[value] += 1.0;
                }
            }
    } catch (const std::bad_alloc&) {
        SetSlotImage(nullptr, kScratchSlot);
        return 0;
    }
    SetSlotImage(nullptr, kScratchSlot);
    if (largest < 0)
        largest = 0; // no pixels
    if (largest == 0)
        smallest = 0;
    area->levelMax = largest;
    area->levelMin = smallest;
    area->histogram.clear();
    area->histogramSum = 0.0;
    if (!measureFlag) {
        area->flag = 0;
        return 1;
    }
    area->flag = 1;
    // Entry i: pixels at level i or above, summed from the top; at least one entry.
    counts.resize(static_cast<size_t>(largest) + 1, 0.0);
    area->histogram.assign(counts.size(), 0.0);
    double running = 0.0;
    for (size_t i = counts.size(); i-- > 0;) {
        running += counts[i];
        area->histogram[i] = running;
    }
    area->histogramSum = static_cast<double>(v.width) * v.height;
    return 1;
}

} // namespace v3d
