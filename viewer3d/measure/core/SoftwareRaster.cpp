#include "viewer3d/measure/core/SoftwareRaster.h"

#include <algorithm>

namespace v3d::image {

RgbBuffer::RgbBuffer(int w, int h, COLORREF fill) : width(std::max(w, 0)), height(std::max(h, 0)) {
    rgb.resize(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < rgb.size(); i += 3)
        rgb[i] = GetRValue(fill), rgb[i + 1] = GetGValue(fill), rgb[i + 2] = GetBValue(fill);
}

COLORREF RgbBuffer::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return RGB(p[0], p[1], p[2]);
}

void RgbBuffer::Set(int x, int y, COLORREF c) {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    p[0] = GetRValue(c), p[1] = GetGValue(c), p[2] = GetBValue(c);
}

uint8_t PatternRow(int k, int r) {
    uint8_t bits = 0;
    for (int c = 0; c < 3; ++c) {
        const int column = (((c - r - k) % 8) + 8) % 8;
        bits |= static_cast<uint8_t>(0x80 >> column);
    }
    return bits;
}

namespace {

// Calls f(x, y) once for every pixel of the outline ring of the given thickness.
template <class F> void outline(const RECT& r, int thickness, F f) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const bool edge = x - r.left < thickness || r.right - 1 - x < thickness ||
                              y - r.top < thickness || r.bottom - 1 - y < thickness;
            if (edge)
                f(x, y);
        }
}

} // namespace

void XorFrame(RgbBuffer& buffer, const RECT& r) {
    outline(r, 1, [&](int x, int y) { buffer.Set(x, y, buffer.At(x, y) ^ 0xFFFFFF); });
}

void PatternFrame(RgbBuffer& buffer, const RECT& r, int thickness, int phase, COLORREF text, COLORREF back) {
    outline(r, std::max(thickness, 1), [&](int x, int y) {
        const bool set = (PatternRow(phase & 7, ((y % 8) + 8) % 8) & (0x80 >> (((x % 8) + 8) % 8))) != 0;
        buffer.Set(x, y, set ? back : text);
    });
}

void MergeCopyRed(RgbBuffer& buffer, const RECT& r, const RgbBuffer& picture) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0 || picture.width <= 0 || picture.height <= 0)
        return;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const COLORREF s = picture.At(static_cast<int>(static_cast<int64_t>(x) * picture.width / w),
                                          static_cast<int>(static_cast<int64_t>(y) * picture.height / h));
            buffer.Set(r.left + x, r.top + y, s & RGB(255, 0, 0));
        }
}

} // namespace v3d::image
