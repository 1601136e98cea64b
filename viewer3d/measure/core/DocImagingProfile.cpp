// Line profiles of the document's image toolkit: Bresenham sampling and band averaging.
#include "viewer3d/measure/core/DocImaging.h"

#include "viewer3d/core/bitmaps/Dib.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <new>

namespace v3d {

int DocImaging::SampleLine(HDIB image, int heightType, int x0, int y0, int x1, int y1, int* array, int length,
                           int* first, int* last, char* orientation, int* largest, int* smallest) {
    if (!image || !array)
        return 0;
    SetSlotImage(image, kScratchSlot, heightType);
    plane_ = 0;
    const View v = view(kScratchSlot);
    int hi = 0;
    int lo = INT_MAX;
    const bool horizontal = std::abs(y1 - y0) < std::abs(x1 - x0);
    // Start at the end with the smaller major coordinate.
    if ((horizontal && x1 < x0) || (!horizontal && y1 < y0)) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    const int major = horizontal ? x1 - x0 : y1 - y0;
    const int minor = horizontal ? y1 - y0 : x1 - x0;
    const int minorStep = minor < 0 ? -1 : 1;
    if (orientation)
        *orientation = horizontal ? 'i' : 'j';
    if (first)
        *first = horizontal ? x0 : y0;
    if (last)
        *last = horizontal ? x1 : y1;
    int x = x0;
    int y = y0;
    int64_t error = -static_cast<int64_t>(major);
    for (int i = 0; i <= major && i < length; ++i) {
        if (v && x >= 0 && y >= 0 && x < v.width && y < v.height) {
            const int value = read(v, x, y);
            array[i] = value;
            hi = std::max(hi, value);
            lo = std::min(lo, value);
        }
        error += 2 * static_cast<int64_t>(std::abs(minor));
        if (error >= 0) {
            (horizontal ? y : x) += minorStep;
            error -= 2 * static_cast<int64_t>(major);
        }
        (horizontal ? x : y) += 1;
    }
    SetSlotImage(nullptr, kScratchSlot);
    if (largest)
        *largest = hi;
    if (smallest)
        *smallest = lo;
    return 1;
}

void DocImaging::ExtractProfile(LineKind kind, int lineCount, HDIB image, int heightType,
                                const MeasuringLines& lines, LineProfile* profile) {
    if (!profile)
        return;
    *profile = LineProfile{};
    if (!image)
        return;
    int width = 0;
    int height = 0;
    {
        GlobalLockGuard lock(image);
        if (!lock || GlobalSize(image) < 40)
            return;
        width = DibGetWidth(lock.get());
        height = std::abs(static_cast<int>(DibGetHeight(lock.get())));
    }
    if (width <= 0 || height <= 0)
        return;
    const int count = std::max(1, lineCount);
    // Coordinates far beyond any image are bad input: no profile.
    constexpr int kFar = 1 << 20;
    for (int c : {lines.row, lines.column, lines.freeX1, lines.freeY1, lines.freeX2, lines.freeY2})
        if (c < -kFar || c > kFar)
            return;
    // The line at offset d; the offset moves the coordinate across the line (y of a horizontal or
    // mostly horizontal line, x otherwise).
    struct Line {
        int x0, y0, x1, y1;
    };
    auto lineAt = [&](int d) {
        Line l{};
        if (kind == kLineHorizontal) {
            int y = lines.row + d;
            if (y >= height)
                --y;
            l = Line{0, y, width - 1, y};
        } else if (kind == kLineVertical) {
            int x = lines.column + d;
            if (x >= width)
                --x;
            l = Line{x, 0, x, height - 1};
        } else {
            // From the end with the smaller x (the second one when both x are equal).
            if (lines.freeX1 < lines.freeX2)
                l = Line{lines.freeX1, lines.freeY1, lines.freeX2, lines.freeY2};
            else
                l = Line{lines.freeX2, lines.freeY2, lines.freeX1, lines.freeY1};
            if (std::abs(l.y1 - l.y0) < std::abs(l.x1 - l.x0)) {
                l.y0 += d;
                l.y1 += d;
            } else {
                l.x0 += d;
                l.x1 += d;
            }
            if (l.x0 >= width) {
                --l.x0;
                --l.x1;
            }
            if (l.y0 >= height) {
                --l.y0;
                --l.y1;
            }
        }
        return l;
    };
    // Only offsets whose line can meet the image add samples; the others are all "no sample",
    // so they are skipped, whatever the line count. The last line is always sampled: the profile
    // takes its length and orientation.
    const Line centre = lineAt(0);
    const bool acrossY =
        kind == kLineHorizontal ||
        (kind == kLineFree && std::abs(centre.y1 - centre.y0) < std::abs(centre.x1 - centre.x0));
    const int64_t maxAcross = acrossY ? std::max(centre.y0, centre.y1) : std::max(centre.x0, centre.x1);
    const int64_t minAcross = acrossY ? std::min(centre.y0, centre.y1) : std::min(centre.x0, centre.x1);
    const int64_t size = acrossY ? height : width;
    const int64_t dFrom = std::max<int64_t>(-(count / 2), -maxAcross - 1);
    const int64_t dTo = std::min<int64_t>(count - 1 - count / 2, size - minAcross + 1);
    const int lastD = count - 1 - count / 2;
    const size_t length =
        static_cast<size_t>(std::max(std::abs(centre.x1 - centre.x0), std::abs(centre.y1 - centre.y0))) + 1;
    try {
        std::vector<int> line(length);
        std::vector<int64_t> sum(length, 0);
        std::vector<int> taken(length, 0);
        auto sample = [&](int d) {
            const Line l = lineAt(d);
            std::fill(line.begin(), line.end(), kNoSample);
            int hi = 0, lo = 0;
            SampleLine(image, heightType, l.x0, l.y0, l.x1, l.y1, line.data(), static_cast<int>(length),
                       &profile->first, &profile->last, &profile->orientation, &hi, &lo);
            for (size_t i = 0; i < length; ++i)
                if (line[i] >= 0) {
                    sum[i] += line[i];
                    ++taken[i];
                }
        };
        for (int64_t d = dFrom; d <= dTo; ++d)
            if (d != lastD)
                sample(static_cast<int>(d));
        sample(lastD);
        profile->samples.assign(length, 0);
        int hi = 0;
        int lo = INT_MAX;
        for (size_t i = 0; i < length; ++i) {
            const int mean = taken[i] > 0 ? static_cast<int>(sum[i] / taken[i]) : 0;
            profile->samples[i] = mean;
            hi = std::max(hi, mean);
            lo = std::min(lo, mean);
        }
        profile->largest = hi;
        profile->smallest = lo;
    } catch (const std::bad_alloc&) {
        *profile = LineProfile{};
    }
}

} // namespace v3d
