// Line profiles of the document's image toolkit: Bresenham sampling and band averaging.
#include "viewer3d/measure/DocImaging.h"

#include "viewer3d/core/Dib.h"

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

void DocImaging::ExtractProfile(int mode, int lineCount, HDIB image, int heightType,
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
    try {
        std::vector<std::vector<int>> buffers;
        buffers.reserve(static_cast<size_t>(count));
        for (int k = 0; k < count; ++k) {
            const int d = k - count / 2;
            int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
            if (mode == 0) {
                int y = lines.row + d;
                if (y >= height)
                    --y;
                x0 = 0;
                x1 = width - 1;
                y0 = y1 = y;
            } else if (mode == 1) {
                int x = lines.column + d;
                if (x >= width)
                    --x;
                y0 = 0;
                y1 = height - 1;
                x0 = x1 = x;
            } else {
                // From the end with the smaller x (the second one when both x are equal).
                if (lines.freeX1 < lines.freeX2) {
                    x0 = lines.freeX1, y0 = lines.freeY1, x1 = lines.freeX2, y1 = lines.freeY2;
                } else {
                    x0 = lines.freeX2, y0 = lines.freeY2, x1 = lines.freeX1, y1 = lines.freeY1;
                }
                if (std::abs(y1 - y0) < std::abs(x1 - x0)) {
                    y0 += d;
                    y1 += d;
                } else {
                    x0 += d;
                    x1 += d;
                }
                if (x0 >= width) {
                    --x0;
                    --x1;
                }
                if (y0 >= height) {
                    --y0;
                    --y1;
                }
            }
            const int length = std::max(std::abs(x1 - x0), std::abs(y1 - y0)) + 1;
            buffers.emplace_back(static_cast<size_t>(length), kNoSample);
            int hi = 0, lo = 0;
            SampleLine(image, heightType, x0, y0, x1, y1, buffers.back().data(), length, &profile->first,
                       &profile->last, &profile->orientation, &hi, &lo);
        }
        const std::vector<int>& lastLine = buffers.back();
        profile->samples.assign(lastLine.size(), 0);
        int hi = 0;
        int lo = INT_MAX;
        for (size_t i = 0; i < lastLine.size(); ++i) {
            int64_t sum = 0;
            int taken = 0;
            for (const std::vector<int>& line : buffers)
                if (i < line.size() && line[i] >= 0) {
                    sum += line[i];
                    ++taken;
                }
            const int mean = taken > 0 ? static_cast<int>(sum / taken) : 0;
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
