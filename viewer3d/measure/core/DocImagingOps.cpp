// Rectangles, binarisation, level tables, boundaries and masks of the document's image toolkit.
#include "viewer3d/measure/core/DocImaging.h"

#include "viewer3d/core/data/SlotImageType.h"

#include <algorithm>
#include <cmath>

namespace v3d {

namespace {

bool isGreyOrEightBit(int type) {
    return type == 0 || type == 1 || (type >= 4 && type <= 6) || (type >= 10 && type <= 12);
}

} // namespace

int DocImaging::DrawSlotRect(int slot, int x0, int y0, int x1, int y1, int value) {
    if (value < 0 || value > 255)
        return 0;
    const int type = GetSlotAttributes(slot).type;
    if (type != 0 && type != 1 && type != 6 && type != 2 && type != 3)
        return 0;
    return perPlane(type, [&] {
        FillRowSegment(slot, x0, y0, x1 - x0 + 1, value);
        if (y1 != y0)
            FillRowSegment(slot, x0, y1, x1 - x0 + 1, value);
        if (y1 - y0 > 1) {
            FillColumnSegment(slot, x0, y0 + 1, y1 - y0 - 1, value);
            FillColumnSegment(slot, x1, y0 + 1, y1 - y0 - 1, value);
        }
        return 1;
    });
}

int DocImaging::CopySlotRect(int source, int target, int x0, int y0, int x1, int y1) {
    const int type = GetSlotAttributes(source).type;
    if (type < 0 || type != GetSlotAttributes(target).type || x0 > x1 || y0 > y1)
        return 0;
    return perPlane(type, [&] {
        for (int y = y0; y <= y1; ++y)
            CopySlotRow(source, target, x0, y, x1 - x0 + 1);
        return 1;
    });
}

int DocImaging::BinarizeSlot(int source, int target, int x0, int y0, int x1, int y1, int threshold,
                             int mode) {
    const int type = GetSlotAttributes(source).type;
    if (type != GetSlotAttributes(target).type || !isGreyOrEightBit(type) || (mode != 0 && mode != 1))
        return 0;
    if (threshold < 0 || threshold >= GetSlotLevelCount(source) || x0 > x1 || y0 > y1)
        return 0;
    plane_ = 0;
    const View s = view(source);
    const View t = view(target);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            write(t, x, y, read(s, x, y) < threshold ? 0 : 255);
    return 1;
}

int DocImaging::ApplyLevelTable(int source, int target, int x0, int y0, int x1, int y1, const int* table) {
    const int type = GetSlotAttributes(source).type;
    if (!table || type < 0 || type > 12 || type != GetSlotAttributes(target).type || x0 > x1 || y0 > y1)
        return 0;
    // A sample beyond the type's levels (a 10-bit image holds 16-bit words) takes the last entry.
    const int last = SlotTypeLevels(type) - 1;
    return perPlane(type, [&] {
        const View s = view(source);
        const View t = view(target);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                write(t, x, y, table[std::min(read(s, x, y), last)]);
        return 1;
    });
}

int DocImaging::MapSlotLevels(int source, int target, int x0, int y0, int x1, int y1, int start, int end,
                              int low, int high, int mode) {
    const int type = GetSlotAttributes(source).type;
    if (type < 0 || type > 12 || type != GetSlotAttributes(target).type)
        return 0;
    const int levels = GetSlotLevelCount(source);
    if (mode < 0 || mode > 2 || start < 0 || start > end || end >= levels || low < 0 || low > high ||
        high >= levels)
        return 0;
    std::vector<int> table(static_cast<size_t>(levels));
    const int below = mode == 0 ? low : mode == 1 ? 0 : levels - 1;
    const int above = mode == 0 ? high : mode == 1 ? 0 : levels - 1;
    for (int i = 0; i < start; ++i)
        table[i] = below;
    for (int i = end + 1; i < levels; ++i)
        table[i] = above;
    if (start == end) {
        table[start] = low;
    } else {
        // The slope in real arithmetic: a narrower output range than input range keeps its ramp.
        const double slope = static_cast<double>(high - low) / (end - start);
        for (int i = start; i <= end; ++i)
            table[i] = static_cast<int>(low + slope * (i - start));
    }
    return ApplyLevelTable(source, target, x0, y0, x1, y1, table.data());
}

int DocImaging::RelabelValue(int source, int target, int x0, int y0, int x1, int y1, int from, int to) {
    std::vector<int> table(static_cast<size_t>(std::max(256, GetSlotLevelCount(source))));
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<int>(i);
    if (from >= 0 && from < static_cast<int>(table.size()))
        table[from] = to;
    return ApplyLevelTable(source, target, x0, y0, x1, y1, table.data());
}

int DocImaging::ExtractSlotBoundary(int source, int target, int x0, int y0, int x1, int y1,
                                    int connectivity) {
    if (connectivity != 4 && connectivity != 8)
        return 0;
    const int type = GetSlotAttributes(source).type;
    if (type != GetSlotAttributes(target).type)
        return 0;
    if (type != 0 && type != 1 && type != 6 && type != 2 && type != 3)
        return connectivity;
    if (x0 > x1 || y0 > y1)
        return 0;
    return perPlane(type, [&] { return boundaryOnce(source, target, x0, y0, x1, y1, connectivity); });
}

int DocImaging::boundaryOnce(int source, int target, int x0, int y0, int x1, int y1, int connectivity) {
    if (source != target) {
        const View s = view(source);
        const View t = view(target);
        if (!s || !t)
            return 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                write(t, x, y, read(s, x, y));
    }
    const View t = view(target);
    if (!t)
        return 0;
    for (int x = x0; x <= x1; ++x) {
        write(t, x, y0, 0);
        write(t, x, y1, 0);
    }
    for (int y = y0; y <= y1; ++y) {
        write(t, x0, y, 0);
        write(t, x1, y, 0);
    }
    // Three rows of the values as they were before this run, rolled down the rectangle.
    const int w = x1 - x0 + 1;
    std::vector<int> above(w), current(w), below(w), result(w);
    auto load = [&](std::vector<int>& row, int y) {
        for (int i = 0; i < w; ++i)
            row[i] = read(t, x0 + i, y);
    };
    load(above, y0);
    load(current, y0 + 1);
    for (int y = y0 + 1; y <= y1 - 1; ++y) {
        load(below, y + 1);
        for (int i = 1; i < w - 1; ++i) {
            int r = 0;
            if (current[i] == 255) {
                bool edge = above[i] == 0 || current[i - 1] == 0 || current[i + 1] == 0 || below[i] == 0;
                if (connectivity == 8)
                    edge = edge || above[i - 1] == 0 || above[i + 1] == 0 || below[i - 1] == 0 ||
                           below[i + 1] == 0;
                r = edge ? 255 : 0;
            }
            result[i] = r;
        }
        for (int i = 1; i < w - 1; ++i)
            write(t, x0 + i, y, result[i]);
        std::swap(above, current);
        std::swap(current, below);
    }
    return 1;
}

int DocImaging::CreateMaskBitmap(int slot) {
    mask_ = MaskBitmap{};
    const View v = view(slot);
    if (!v)
        return 0;
    mask_.width = v.width;
    mask_.height = v.height;
    mask_.stride = ((v.width + 15) / 16) * 2;
    mask_.bits.assign(static_cast<size_t>(mask_.stride) * v.height, 0);
    return 1;
}

int DocImaging::BuildMaskBitmap(int slot, int sourceSlot) {
    if (!CreateMaskBitmap(slot))
        return 0;
    plane_ = 0;
    const View s = view(sourceSlot);
    for (int y = 0; y < mask_.height; ++y) {
        BYTE* row = mask_.bits.data() + static_cast<size_t>(y) * mask_.stride;
        for (int x = 0; x < mask_.width; ++x)
            if (read(s, x, y) == 255)
                row[x / 8] = static_cast<BYTE>(row[x / 8] | (0x80 >> (x % 8)));
    }
    return 1;
}

int DocImaging::FindFirstPixel(int slot, int x0, int y0, int x1, int y1, int value, int* outX,
                               int* outY) const {
    if (outX)
        *outX = -1;
    if (outY)
        *outY = -1;
    const View v = view(slot);
    if (!v)
        return 0;
    for (int y = std::max(y0, 0); y <= std::min(y1, v.height - 1); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, v.width - 1); ++x)
            if (read(v, x, y) == value) {
                if (outX)
                    *outX = x;
                if (outY)
                    *outY = y;
                return 1;
            }
    return 0;
}

} // namespace v3d
