#include "viewer3d/core/files/TdvFile.h"

#include "platform/Encoding.h"
#include "platform/File.h"
#include "platform/WinTypes.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/data/SlotImageType.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace v3d {

namespace {

constexpr size_t kPaletteBytes = 768;
constexpr size_t kUnitField = 21;

bool hasTable(int type) {
    return type == 1 || (type >= 10 && type <= 12);
}

void putUnit(uint8_t* out, const std::string& utf8) {
    const std::string cp = Utf8ToCp932Cut(utf8, kCalibUnitBytes);
    std::memset(out, 0, kUnitField);
    std::memcpy(out, cp.data(), cp.size());
}

std::string getUnit(const uint8_t* in) {
    return UnitTextFromCp932(std::string(reinterpret_cast<const char*>(in),
                                         strnlen(reinterpret_cast<const char*>(in), kUnitField)));
}

double positiveOr1(double v) {
    return std::isfinite(v) && v > 0.0 ? v : 1.0;
}

// Reads exactly count bytes in pieces small enough for CFile::Read.
bool readAll(CFile* file, uint8_t* out, uint64_t count) {
    while (count > 0) {
        const UINT chunk = static_cast<UINT>(std::min<uint64_t>(count, 1u << 30));
        const UINT got = file->Read(out, chunk);
        if (got != chunk)
            return false;
        out += got;
        count -= got;
    }
    return true;
}

void writeAll(CFile* file, const uint8_t* data, uint64_t count) {
    while (count > 0) {
        const UINT chunk = static_cast<UINT>(std::min<uint64_t>(count, 1u << 30));
        file->Write(data, chunk);
        data += chunk;
        count -= chunk;
    }
}

uint64_t planeBytes(int width, int height, const TdvPlaneLayout& l) {
    return uint64_t(width) * uint64_t(height) * uint64_t(l.bytesPerSample) * uint64_t(l.samplesPerPixel);
}

// Sample s (0 red, 1 green, 2 blue) of pixel x in a stored row of the given depth.
inline int sampleAt(const BYTE* row, int bitCount, int x, int s) {
    switch (bitCount) {
    case 8:
        return row[x];
    case 16:
        return le::get16(row + 2 * x);
    case 24:
        return row[3 * x + (2 - s)];
    default:
        return le::get16(row + 6 * x + 2 * (2 - s));
    }
}

inline void setSample(BYTE* row, int bitCount, int x, int s, int v) {
    switch (bitCount) {
    case 8:
        row[x] = static_cast<BYTE>(v);
        break;
    case 16:
        le::put16(row + 2 * x, static_cast<uint16_t>(v));
        break;
    case 24:
        row[3 * x + (2 - s)] = static_cast<BYTE>(v);
        break;
    default:
        le::put16(row + 6 * x + 2 * (2 - s), static_cast<uint16_t>(v));
        break;
    }
}

int writePlane(CFile* file, HDIB dib, int type) {
    TdvPlaneLayout l{};
    if (!dib || !TdvLayoutOfType(type, &l))
        return 0;
    GlobalLockGuard lock(dib);
    if (!lock)
        return 0;
    const BYTE* block = lock.get();
    if (le::get32(block) != 40 || DibGetBitCount(block) != l.bitCount)
        return 0;
    const int w = DibGetWidth(block), h = DibGetHeight(block);
    if (w <= 0 || h <= 0)
        return 0;
    std::vector<uint8_t> out;
    try {
        out.assign(planeBytes(w, h, l), 0);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    const BYTE* bits = DibGetBits(block);
    const uint64_t stride = DibStride(w, l.bitCount);
    const int sampleBytes = type == 17 ? 1 : l.bytesPerSample; // a type-17 plane holds the 8-bit rows first
    uint8_t* p = out.data();
    for (int s = 0; s < l.samplesPerPixel; ++s)
        for (int y = 0; y < h; ++y) {
            const BYTE* row = bits + uint64_t(h - 1 - y) * stride;
            for (int x = 0; x < w; ++x) {
                const int v = sampleAt(row, l.bitCount, x, s);
                if (sampleBytes == 1)
                    *p++ = static_cast<uint8_t>(v);
                else {
                    le::put16(p, static_cast<uint16_t>(v));
                    p += 2;
                }
            }
        }
    writeAll(file, out.data(), out.size());
    if (hasTable(type)) {
        RgbEntry table[256];
        uint8_t rgb[kPaletteBytes] = {};
        if (DibGetColorTable(dib, table))
            for (int i = 0; i < 256; ++i) {
                rgb[3 * i] = table[i].red;
                rgb[3 * i + 1] = table[i].green;
                rgb[3 * i + 2] = table[i].blue;
            }
        writeAll(file, rgb, kPaletteBytes);
    }
    return 1;
}

HDIB readPlane(CFile* file, int width, int height, int type, int maxValue) {
    TdvPlaneLayout l{};
    if (!TdvLayoutOfType(type, &l) || width <= 0 || height <= 0)
        return nullptr;
    const uint64_t bytes = planeBytes(width, height, l);
    const uint64_t pos = file->GetPosition(), length = file->GetLength();
    if (pos > length || bytes > length - pos)
        return nullptr; // the plane does not fit in the rest of the file
    std::vector<uint8_t> in;
    try {
        in.resize(bytes);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (!readAll(file, in.data(), bytes))
        return nullptr;
    const int kind = SlotTypeDibKind(type);
    HDIB dib = DibCreate(width, height, kind);
    if (!dib)
        return nullptr;
    {
        GlobalLockGuard lock(dib);
        BYTE* bits = DibGetBits(lock.get());
        const uint64_t stride = DibStride(width, l.bitCount);
        const int limit = maxValue < 0 ? SlotTypeMaxValue(type) : maxValue;
        const uint8_t* p = in.data();
        const int samples = type == 17 ? 1 : l.samplesPerPixel;
        const int sampleBytes = type == 17 ? 1 : l.bytesPerSample;
        for (int s = 0; s < samples; ++s)
            for (int y = 0; y < height; ++y) {
                BYTE* row = bits + uint64_t(height - 1 - y) * stride;
                for (int x = 0; x < width; ++x) {
                    int v;
                    if (sampleBytes == 1)
                        v = *p++;
                    else {
                        v = std::min<int>(le::get16(p), limit);
                        p += 2;
                    }
                    setSample(row, l.bitCount, x, s, v);
                }
            }
    }
    if (hasTable(type)) {
        uint8_t rgb[kPaletteBytes];
        if (file->Read(rgb, kPaletteBytes) == kPaletteBytes) {
            RgbEntry table[256];
            for (int i = 0; i < 256; ++i)
                table[i] = RgbEntry{rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2], 0};
            DibSetColorTable(dib, table);
        }
    }
    return dib;
}

void convertTdv2(const uint8_t* block, ViewState* view) {
    uint8_t full[ViewState::kBytes];
    ViewState().Encode(full);
    std::memcpy(full, block, 372);
    *view = ViewState::Decode(full);
    view->backgroundColor = le::get32(block + 376);
    DecodeOldDisplayCode(le::getS32(block + 372), view);
    view->wireframeDivisions = 80;
}

void convertTdv1(const uint8_t* b, ViewState* v) {
    ViewState s;
    s.contourCount = le::getS16(b + 0);
    s.sliceLevel = le::getDouble(b + 2);
    s.zAxisLength = le::getDouble(b + 10);
    s.zAxisFixed = le::getS32(b + 18);
    s.scaleLinesShown = 1;
    s.zScalePreset = le::getDouble(b + 22);
    s.zScaleFixed = le::getS32(b + 30);
    s.zScaleFreeOn = 0;
    s.zScaleFree = 1.0;
    s.rotationFixed = le::getS32(b + 34);
    s.rotationX = le::getDouble(b + 38);
    s.rotationY = le::getDouble(b + 46);
    s.rotationZ = le::getDouble(b + 54);
    s.zoom = le::getDouble(b + 62);
    s.sliceArea = le::getDouble(b + 70);
    s.slicePerimeter = le::getDouble(b + 78);
    s.smoothingOn = le::getS32(b + 86);
    s.smoothingMethod = le::getS32(b + 90);
    s.smoothingWidth = le::getS32(b + 94);
    std::memcpy(s.comment.data(), b + 98, s.comment.size());
    DecodeOldDisplayCode(le::getS32(b + 356), &s);
    s.backgroundColor = le::get32(b + 360);
    s.wireframeDivisions = 80;
    *v = s;
}

} // namespace

bool TdvLayoutOfType(int type, TdvPlaneLayout* layout) {
    TdvPlaneLayout l{};
    if (type == 0 || type == 1)
        l = {8, 1, 1};
    else if (type == 3)
        l = {24, 1, 3};
    else if ((type >= 4 && type <= 6) || (type >= 10 && type <= 12))
        l = {16, 2, 1};
    else if (type >= 7 && type <= 9)
        l = {48, 2, 3};
    else if (type == 17)
        l = {8, 8, 1};
    else
        return false;
    if (layout)
        *layout = l;
    return true;
}

void EncodeTdvHeader(const TdvFields& f, uint8_t* out) {
    std::memset(out, 0, kTdv3HeaderBytes);
    std::memcpy(out, "TDV003", 6);
    f.view.Encode(out + 6);
    f.measure.Encode(out + 394);
    le::put32(out + 494, static_cast<uint32_t>(f.width));
    le::put32(out + 498, static_cast<uint32_t>(f.height));
    le::put32(out + 502, static_cast<uint32_t>(f.textureType));
    le::put32(out + 506, static_cast<uint32_t>(f.heightType));
    le::putDouble(out + 510, f.pitch);
    putUnit(out + 518, f.calib.xyUnit);
    le::putDouble(out + 539, f.calib.zScale);
    putUnit(out + 547, f.calib.zUnit);
    le::put32(out + 568, static_cast<uint32_t>(f.maxValue));
    le::putDouble(out + 572, f.baseOffset);
}

int WriteTdvFile(CFile* file, const TdvFields& fields, HDIB texture, HDIB height) {
    if (!file || !texture)
        return 0;
    TdvFields f = fields;
    {
        GlobalLockGuard lock(texture);
        if (!lock)
            return 0;
        f.width = DibGetWidth(lock.get());
        f.height = DibGetHeight(lock.get());
    }
    uint8_t header[kTdv3HeaderBytes];
    EncodeTdvHeader(f, header);
    writeAll(file, header, sizeof header);
    if (!writePlane(file, texture, f.textureType))
        return 0;
    return writePlane(file, height, f.heightType);
}

int SaveTdvFile(const std::string& path, const TdvFields& fields, HDIB texture, HDIB height,
                CFileException* error) {
    AtomicFileWriter writer(path);
    if (!writer.Open(error))
        return -1;
    try {
        if (!WriteTdvFile(&writer.File(), fields, texture, height)) {
            writer.Abort();
            return 0;
        }
        if (!writer.Commit(error))
            return -2;
    } catch (const CFileException& e) {
        writer.Abort();
        if (error)
            *error = e;
        return -2;
    }
    return 1;
}

HDIB ReadTdvFile(CFile* file, TdvFields* fields, HDIB* height, int* version) {
    if (version)
        *version = 0;
    if (height)
        *height = nullptr;
    if (!file || !fields)
        return nullptr;
    uint8_t h[kTdv3HeaderBytes] = {};
    if (file->Read(h, 6) != 6)
        return nullptr;
    int v = 0;
    size_t size = 0;
    if (std::memcmp(h, "TDV003", 6) == 0)
        v = 3, size = kTdv3HeaderBytes;
    else if (std::memcmp(h, "TDV002", 6) == 0)
        v = 2, size = kTdv2HeaderBytes;
    else if (std::memcmp(h, "TDV001", 6) == 0)
        v = 1, size = kTdv1HeaderBytes;
    else
        return nullptr;
    if (version)
        *version = v;
    if (!readAll(file, h + 6, size - 6))
        return nullptr;
    // Offsets of the fields after the state blocks, by version.
    size_t geometry = 0;
    if (v == 3) {
        fields->view = ViewState::Decode(h + 6);
        fields->measure = MeasureState::Decode(h + 394);
        geometry = 494;
    } else if (v == 2) {
        convertTdv2(h + 6, &fields->view);
        fields->measure = MeasureState::Decode(h + 386);
        geometry = 486;
    } else {
        convertTdv1(h + 6, &fields->view);
        MeasureState m;
        m.DecodePrefix(h + 370, 92);
        m.lineMode = 0;
        m.lineCount = 1;
        fields->measure = m;
        geometry = 462;
    }
    const uint8_t* g = h + geometry;
    fields->width = le::getS32(g + 0);
    fields->height = le::getS32(g + 4);
    fields->textureType = le::getS32(g + 8);
    fields->heightType = le::getS32(g + 12);
    fields->pitch = positiveOr1(le::getDouble(g + 16));
    fields->calib.xyUnit = getUnit(g + 24);
    fields->calib.zScale = positiveOr1(le::getDouble(g + 45));
    fields->calib.zUnit = getUnit(g + 53);
    fields->maxValue = le::getS32(g + 74);
    if (fields->maxValue < -1 || fields->maxValue > 65535)
        fields->maxValue = -1;
    fields->baseOffset = v == 3 ? le::getDouble(g + 78) : 0.0;
    if (!std::isfinite(fields->baseOffset))
        fields->baseOffset = 0.0;
    fields->view.Sanitize();
    fields->measure.Sanitize();

    HDIB texture = readPlane(file, fields->width, fields->height, fields->textureType, -1);
    if (!texture)
        return nullptr;
    HDIB heights = readPlane(file, fields->width, fields->height, fields->heightType, fields->maxValue);
    if (!heights) {
        GlobalFree(texture);
        return nullptr;
    }
    if (height)
        *height = heights;
    else
        GlobalFree(heights);
    return texture;
}

} // namespace v3d
