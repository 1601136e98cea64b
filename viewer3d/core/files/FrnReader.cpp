// Height files (.frn) of interferometer-style instruments, and the unit texts of calibrations.
//
// The 512-byte header is text at fixed offsets whose layout grows with the version named in the
// first word ("INDEX<version>-..."). Every field is parsed from a zero-ended copy of its own
// bytes, up to the next field's offset, so that no field runs into the next one or past the
// header. Binary numbers (version 4 and later) are little-endian.
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/files/ImageReaders.h"
#include "viewer3d/core/data/SlotImageType.h"

#include "imaging/files/SECImage.h"
#include "platform/Encoding.h"
#include "platform/File.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace v3d {

namespace {

constexpr size_t kHeaderBytes = 512;
constexpr size_t kHeaderlessStart = 10;

// The header with a zero after it; fields are cut from it.
class Header {
public:
    explicit Header(const BYTE* bytes) { std::memcpy(text_, bytes, kHeaderBytes); }

    // The text of [from, to), ending at its first zero byte.
    std::string field(size_t from, size_t to) const {
        std::string s(reinterpret_cast<const char*>(text_) + from, to - from);
        const size_t nul = s.find('\0');
        if (nul != std::string::npos)
            s.resize(nul);
        return s;
    }
    // The first whitespace-delimited word of [from, to) ("%s").
    std::string word(size_t from, size_t to) const {
        const std::string s = field(from, to);
        const char* ws = " \t\r\n\v\f";
        const size_t a = s.find_first_not_of(ws);
        if (a == std::string::npos)
            return {};
        const size_t b = s.find_first_of(ws, a);
        return s.substr(a, b == std::string::npos ? std::string::npos : b - a);
    }
    // Up to two integers of [from, to) by a scanf format; missing ones keep their values.
    void ints(size_t from, size_t to, const char* format, int* a, int* b = nullptr) const {
        const std::string s = field(from, to);
        int x = *a, y = b ? *b : 0;
        const int n = b ? std::sscanf(s.c_str(), format, &x, &y) : std::sscanf(s.c_str(), format, &x);
        if (n >= 1)
            *a = x;
        if (b && n >= 2)
            *b = y;
    }
    // A number of at most 21 characters ("%21le") at the start of [from, to).
    double number(size_t from, size_t to, double fallback) const {
        const std::string s = field(from, to);
        double v = fallback;
        if (std::sscanf(s.c_str(), "%21le", &v) != 1)
            return fallback;
        return v;
    }
    // The word after the number of [from, to) ("%21le %s").
    std::string wordAfterNumber(size_t from, size_t to) const {
        const std::string s = field(from, to);
        int used = 0;
        double v = 0;
        if (std::sscanf(s.c_str(), "%21le%n", &v, &used) < 1)
            return {};
        return word(from + static_cast<size_t>(used), to);
    }
    double binaryDouble(size_t at) const { return le::getDouble(text_ + at); }
    const BYTE* bytes() const { return text_; }

private:
    BYTE text_[kHeaderBytes + 1] = {};
};

// The version of the first word: the text from byte 5 up to a '-' among the first 16 bytes;
// 1.0 without a '-' or without a number there.
double versionOf(const Header& h) {
    const std::string first = h.field(0, 16);
    const size_t dash = first.find('-');
    if (dash == std::string::npos || dash <= 5)
        return 1.0;
    double v = 1.0;
    if (std::sscanf(first.substr(5, dash - 5).c_str(), "%lf", &v) != 1 || !std::isfinite(v))
        return 1.0;
    return v;
}

double positiveOrOne(double v) {
    return std::isfinite(v) && v > 0 ? v : 1.0;
}

struct Parsed {
    int width = 0;
    int height = 0;
    uint64_t dataStart = kHeaderBytes;
    FrnInfo info;
    bool hasCalibration = false;
    double pitch = 1.0;
    double zScale = 1.0;
    std::string xyUnit, zUnit;
};

Parsed parseHeader(const Header& h) {
    Parsed p;
    const double v = versionOf(h);
    p.hasCalibration = true;
    h.ints(16, 32, v >= 4 ? "%5d %5d" : "%4d %4d", &p.width, &p.height);
    if (v >= 4) {
        p.pitch = h.binaryDouble(32);
        p.xyUnit = h.word(41, 80);
        p.zScale = h.binaryDouble(80);
        p.zUnit = h.word(89, 128);
    } else {
        const size_t scaleAt = v < 2 ? 72 : 80;
        const size_t scaleEnd = v < 2 ? kHeaderBytes : 128;
        p.pitch = h.number(32, scaleAt, 1.0);
        p.xyUnit = h.wordAfterNumber(32, scaleAt);
        p.zScale = h.number(scaleAt, scaleEnd, 1.0);
        p.zUnit = h.wordAfterNumber(scaleAt, scaleEnd);
    }
    p.pitch = positiveOrOne(p.pitch);
    p.zScale = positiveOrOne(p.zScale);
    if (v >= 3)
        h.ints(416, 420, "%2d", &p.info.type);
    if (v >= 4)
        h.ints(424, 440, "%5d %5d", &p.info.windowStart, &p.info.windowEnd);
    if (v >= 5)
        h.ints(460, 468, "%5d", &p.info.largest);
    return p;
}

// Sample layout of a bitmap kind: bytes a sample, planes.
struct SampleLayout {
    int kind;
    int bytes;
    int planes;
};

SampleLayout layoutFor(int kind) {
    const bool deep = kind == kKindGrey16 || kind == kKindRgb48;
    const bool colour = kind == kKindRgb24 || kind == kKindRgb48;
    return {kind, deep ? 2 : 1, colour ? 3 : 1};
}

// File row i (from the top) into bitmap row i from the top; plane k of three into the red (0),
// green (1) or blue (2) sample; 16-bit samples held to the largest value.
void copySamples(BYTE* block, const BYTE* data, const SampleLayout& s, int width, int height, int largest) {
    BYTE* rows = DibGetBits(block);
    const int bits = s.kind == kKindGrey8 ? 8 : s.kind == kKindRgb24 ? 24 : s.kind == kKindGrey16 ? 16 : 48;
    const uint64_t stride = DibStride(width, bits);
    const uint64_t planeBytes = uint64_t(width) * height * s.bytes;
    const uint16_t limit = static_cast<uint16_t>(largest);
    for (int y = 0; y < height; ++y) {
        BYTE* out = rows + uint64_t(height - 1 - y) * stride;
        for (int k = 0; k < s.planes; ++k) {
            const BYTE* in = data + k * planeBytes + uint64_t(y) * width * s.bytes;
            const int offset = s.planes == 3 ? 2 - k : 0; // sample index in the pixel
            if (s.bytes == 1) {
                for (int x = 0; x < width; ++x)
                    out[uint64_t(x) * s.planes + offset] = in[x];
            } else {
                for (int x = 0; x < width; ++x)
                    le::put16(out + 2 * (uint64_t(x) * s.planes + offset),
                              std::min(le::get16(in + 2 * x), limit));
            }
        }
    }
}

} // namespace

HDIB ReadFrnFile(CFile* file, FrnInfo* info, double* pitch, CalibRecord* calib) {
    if (!file)
        return nullptr;
    const uint64_t base = file->GetPosition();
    const uint64_t length = file->GetLength();
    if (base >= length)
        return nullptr;
    BYTE raw[kHeaderBytes] = {};
    const UINT got = file->Read(raw, static_cast<UINT>(std::min<uint64_t>(kHeaderBytes, length - base)));
    const Header header(raw);
    Parsed p;
    if (got >= 5 && std::memcmp(raw, "INDEX", 5) == 0) {
        if (got < kHeaderBytes)
            return nullptr;
        p = parseHeader(header);
    } else {
        // Without a header: "width height" and the samples from byte 10.
        if (got < kHeaderlessStart)
            return nullptr;
        header.ints(0, kHeaderlessStart, "%d %d", &p.width, &p.height);
        p.dataStart = kHeaderlessStart;
    }
    if (p.info.type == SLOT_TYPE_FRN_DOUBLE || p.width <= 0 || p.height <= 0)
        return nullptr;
    // A type no bitmap holds (two-byte colour pixels, a negative code) would be read as bytes
    // under a type that says otherwise: such a file is not read at all.
    const int kind = SlotTypeDibKind(p.info.type);
    if (kind < 0)
        return nullptr;
    const SampleLayout s = layoutFor(kind);
    const uint64_t dataBytes = uint64_t(s.bytes) * s.planes * uint64_t(p.width) * uint64_t(p.height);
    if (p.dataStart > length - base || dataBytes > length - base - p.dataStart ||
        dataBytes > SECImage::MaxImageBytes())
        return nullptr;

    std::vector<BYTE> data;
    try {
        data.resize(static_cast<size_t>(dataBytes));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    file->Seek(static_cast<int64_t>(base + p.dataStart), CFile::begin);
    if (!ReadExact(*file, data.data(), dataBytes))
        return nullptr;
    HDIB dib = DibCreate(p.width, p.height, s.kind);
    if (!dib)
        return nullptr;
    int largest = p.info.largest;
    if (largest < 0 || largest > SlotTypeMaxValue(p.info.type))
        largest = SlotTypeMaxValue(p.info.type);
    copySamples(static_cast<BYTE*>(GlobalLock(dib)), data.data(), s, p.width, p.height, largest);
    GlobalUnlock(dib);

    if (info)
        *info = p.info;
    if (p.hasCalibration) {
        if (pitch)
            *pitch = p.pitch;
        if (calib) {
            calib->xyUnit = UnitTextFromCp932(p.xyUnit);
            calib->zScale = p.zScale;
            calib->zUnit = UnitTextFromCp932(p.zUnit);
        }
    }
    return dib;
}

} // namespace v3d
