// Bicubic resampling of a slot into the next slot.
#include "viewer3d/measure/core/DocImaging.h"

#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/data/SlotImageType.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace v3d {

namespace {

// The cubic through four neighbours at fraction t between p1 and p2.
float cubic(float p0, float p1, float p2, float p3, float t) {
    const float t2 = t * t;
    const float t3 = t2 * t;
    return p1 + (2 * p0 - 2 * p1 + p2 - p3) * t2 + (p3 + p1 - p0 - p2) * t3 + (p2 - p0) * t;
}

// The integer part of a source coordinate (r truncated above 0, r - 1 truncated otherwise) and
// its fraction.
void splitCoordinate(double r, int* whole, float* fraction) {
    *whole = r > 0 ? static_cast<int>(r) : static_cast<int>(r - 1);
    *fraction = static_cast<float>(r - *whole);
}

} // namespace

HDIB DocImaging::ResizeSlotImage(int n, int width, int height) {
    if (n < 0 || n + 1 >= kSlotCount || width < 1 || height < 1)
        return nullptr;
    const int type = GetSlotAttributes(n).type;
    if (type < 0 || type > 12 || type == 2)
        return nullptr;
    const int kind = SlotTypeDibKind(type);
    const View source = view(n);
    if (!source || kind < 0)
        return nullptr;
    HDIB dib = DibCreateOfKind(width, height, kind);
    if (!dib)
        return nullptr;
    SetSlotImage(dib, n + 1, type);
    const int w = source.width;
    const int h = source.height;
    const int top = SlotTypeLevels(type) - 1;
    // Scale ratios in real arithmetic: a target smaller than its source has a ratio below 1.
    const double rowRatio = static_cast<double>(height) / h;
    const double colRatio = static_cast<double>(width) / w;
    std::vector<int> row;
    try {
        row.resize(static_cast<size_t>(width));
    } catch (const std::bad_alloc&) {
        SetSlotImage(nullptr, n + 1);
        GlobalFree(dib);
        return nullptr;
    }
    perPlane(type, [&] {
        const View s = view(n);
        for (int ty = -height / 2; ty <= height - height / 2 - 1; ++ty) {
            int r0 = 0;
            float fr = 0;
            splitCoordinate(ty / rowRatio, &r0, &fr);
            const bool rowInside = r0 >= -h / 2 - 1 && r0 <= h - h / 2;
            for (int tx = -width / 2; tx <= width - width / 2 - 1; ++tx) {
                int c0 = 0;
                float fc = 0;
                splitCoordinate(tx / colRatio, &c0, &fc);
                int value = 0;
                if (rowInside && c0 >= -w / 2 - 1 && c0 <= w - w / 2) {
                    float rows[4];
                    for (int k = 0; k < 4; ++k) {
                        const int sy = std::clamp(r0 + h / 2 - 1 + k, 0, h - 1);
                        float p[4];
                        for (int m = 0; m < 4; ++m)
                            p[m] = static_cast<float>(read(s, std::clamp(c0 + w / 2 - 1 + m, 0, w - 1), sy));
                        rows[k] =
                            std::clamp(cubic(p[0], p[1], p[2], p[3], fc), 0.0f, static_cast<float>(top));
                    }
                    value = static_cast<int>(std::clamp(cubic(rows[0], rows[1], rows[2], rows[3], fr), 0.0f,
                                                        static_cast<float>(top)));
                }
                row[static_cast<size_t>(tx + width / 2)] = value;
            }
            WriteSlotRow(n + 1, row.data(), 0, ty + height / 2, width);
        }
        return 1;
    });
    return dib;
}

} // namespace v3d
