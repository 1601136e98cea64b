#include "viewer3d/core/files/Vv3Data.h"

#include "platform/File.h"
#include "platform/WinTypes.h"
#include "viewer3d/core/bitmaps/Dib.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace v3d {

namespace {

float getF32(const uint8_t* p) {
    const uint32_t u = le::get32(p);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

bool readAll(CFile* file, uint8_t* out, uint64_t count) {
    while (count > 0) {
        const UINT chunk = static_cast<UINT>(std::min<uint64_t>(count, 1u << 30));
        if (file->Read(out, chunk) != chunk)
            return false;
        out += chunk;
        count -= chunk;
    }
    return true;
}

double pitchOr1(double v) {
    return std::isfinite(v) && v > 0.0 ? v : 1.0;
}

// Fills a 24-bit bitmap from pixel records in memory order.
void fillTexture(HDIB dib, const uint8_t* records, int w, int h) {
    GlobalLockGuard lock(dib);
    BYTE* bits = DibGetBits(lock.get());
    const uint64_t stride = DibStride(w, 24);
    for (int y = 0; y < h; ++y) {
        BYTE* row = bits + uint64_t(y) * stride;
        for (int x = 0; x < w; ++x, records += 4) {
            row[3 * x] = records[2];
            row[3 * x + 1] = records[1];
            row[3 * x + 2] = records[0];
        }
    }
}

void fillLevels(HDIB dib, const uint16_t* levels, int w, int h) {
    GlobalLockGuard lock(dib);
    BYTE* bits = DibGetBits(lock.get());
    const uint64_t stride = DibStride(w, 16);
    for (int y = 0; y < h; ++y) {
        BYTE* row = bits + uint64_t(y) * stride;
        for (int x = 0; x < w; ++x)
            le::put16(row + 2 * x, *levels++);
    }
}

// The height plane from f32 heights in memory order; null when memory is refused.
HDIB heightPlane(const uint8_t* raw, int w, int h, const InvalidHeightRule& rule, HeightSetInfo* info) {
    const uint64_t count = uint64_t(w) * uint64_t(h);
    std::vector<float> heights;
    std::vector<uint16_t> levels;
    try {
        heights.resize(count);
        levels.resize(count);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    for (uint64_t i = 0; i < count; ++i)
        heights[i] = getF32(raw + 4 * i);
    const double zScale = HeightsToLevels(heights.data(), count, w, rule, levels.data());
    HDIB dib = DibCreate(w, h, kKindGrey16);
    if (!dib)
        return nullptr;
    fillLevels(dib, levels.data(), w, h);
    if (info) {
        info->zScale = zScale;
        info->maxValue = 65535;
    }
    return dib;
}

} // namespace

double HeightsToLevels(const float* heights, uint64_t count, int width, const InvalidHeightRule& rule,
                       uint16_t* levels) {
    auto valid = [&](float v) { return std::isfinite(v) && !(rule.on && v >= rule.threshold); };
    double lo = 0.0, hi = 0.0;
    bool any = false;
    for (uint64_t i = 0; i < count; ++i) {
        const float v = heights[i];
        if (!valid(v))
            continue;
        if (!any)
            lo = hi = v, any = true;
        lo = std::min<double>(lo, v);
        hi = std::max<double>(hi, v);
    }
    const double range = hi - lo;
    const double factor = range > 0.0 ? 65535.0 / range : 0.0;
    auto level = [&](float v) -> uint16_t {
        if (factor == 0.0)
            return 0;
        const double l = std::trunc(factor * (double(v) - lo));
        return static_cast<uint16_t>(std::clamp(l, 0.0, 65535.0));
    };
    if (width <= 0)
        return 1.0;
    for (uint64_t start = 0; start < count; start += uint64_t(width)) {
        const uint64_t end = std::min<uint64_t>(start + uint64_t(width), count);
        // The next valid height to the right is searched once per run of invalid ones.
        uint64_t j = start;
        for (uint64_t i = start; i < end; ++i) {
            if (valid(heights[i])) {
                levels[i] = level(heights[i]);
                continue;
            }
            if (j <= i) {
                j = i + 1;
                while (j < end && !valid(heights[j]))
                    ++j;
            }
            const bool hasLeft = i > start, hasRight = j < end;
            const int left = hasLeft ? levels[i - 1] : 0;
            const int right = hasRight ? level(heights[j]) : 0;
            if (hasLeft && hasRight)
                levels[i] = static_cast<uint16_t>((left + right) / 2);
            else if (hasLeft)
                levels[i] = static_cast<uint16_t>(left);
            else
                levels[i] = static_cast<uint16_t>(right);
        }
    }
    return range > 0.0 ? range / 65535.0 : 1.0;
}

HDIB ReadVv3File(CFile* file, const InvalidHeightRule& rule, HDIB* height, HeightSetInfo* info) {
    if (height)
        *height = nullptr;
    if (!file)
        return nullptr;
    uint8_t header[kVv3HeaderBytes];
    if (file->Read(header, sizeof header) != sizeof header)
        return nullptr;
    const int w = le::getS32(header), h = le::getS32(header + 4);
    if (w <= 0 || h <= 0)
        return nullptr;
    if (info)
        info->pitch = pitchOr1(le::getDouble(header + kVv3PitchOffset));
    const uint64_t block = 4 * uint64_t(w) * uint64_t(h);
    const uint64_t length = file->GetLength(), pos = file->GetPosition();
    if (pos > length || length - pos < block)
        return nullptr;
    std::vector<uint8_t> raw;
    try {
        raw.resize(block);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (!readAll(file, raw.data(), block))
        return nullptr;
    HDIB texture = DibCreate(w, h, kKindRgb24);
    if (!texture)
        return nullptr;
    const uint64_t rest = length - file->GetPosition();
    if (rest > 0 && rest < block) {
        // The file ends inside its heights: cut short, not a texture without heights.
        GlobalFree(texture);
        return nullptr;
    }
    fillTexture(texture, raw.data(), w, h);
    if (rest == 0)
        return texture; // no heights: the texture alone
    if (!readAll(file, raw.data(), block)) {
        GlobalFree(texture);
        return nullptr;
    }
    HDIB heights = heightPlane(raw.data(), w, h, rule, info);
    if (height)
        *height = heights;
    else if (heights)
        GlobalFree(heights);
    return texture;
}

bool ReadVv3Size(CFile* file, int* width, int* height) {
    if (!file)
        return false;
    const uint64_t start = file->GetPosition();
    uint8_t header[8];
    const bool read = file->Read(header, sizeof header) == sizeof header;
    file->Seek(int64_t(start), CFile::begin);
    if (!read || le::getS32(header) <= 0 || le::getS32(header + 4) <= 0)
        return false;
    *width = le::getS32(header);
    *height = le::getS32(header + 4);
    return true;
}

bool CheckHeightRecord(const void* data, uint64_t length, int* width, int* height) {
    if (!data || length < kRecordHeaderBytes)
        return false;
    const auto* p = static_cast<const uint8_t*>(data);
    const int32_t w = le::getS32(p), h = le::getS32(p + 4);
    if (w <= 0 || h <= 0)
        return false;
    const uint64_t need = kRecordHeaderBytes + 8 * uint64_t(w) * uint64_t(h);
    if (need != length)
        return false;
    if (width)
        *width = w;
    if (height)
        *height = h;
    return true;
}

HDIB LoadHeightRecord(const void* data, uint64_t length, HDIB* height, HeightSetInfo* info) {
    if (height)
        *height = nullptr;
    int w = 0, h = 0;
    if (!CheckHeightRecord(data, length, &w, &h))
        return nullptr;
    const auto* p = static_cast<const uint8_t*>(data);
    if (info)
        info->pitch = pitchOr1(le::getDouble(p + 8));
    HDIB texture = DibCreate(w, h, kKindRgb24);
    if (!texture)
        return nullptr;
    fillTexture(texture, p + kRecordHeaderBytes, w, h);
    HDIB heights =
        heightPlane(p + kRecordHeaderBytes + 4 * uint64_t(w) * uint64_t(h), w, h, InvalidHeightRule{}, info);
    if (height)
        *height = heights;
    else if (heights)
        GlobalFree(heights);
    return texture;
}

} // namespace v3d
