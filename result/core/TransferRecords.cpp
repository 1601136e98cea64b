#include "result/core/TransferRecords.h"

#include "imaging/bitmaps/Dib.h"
#include "platform/File.h"

#include <cstring>
#include <new>

namespace {

void PutU32(BYTE* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = BYTE(v >> (8 * i));
}

void PutF64(BYTE* p, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i)
        p[i] = BYTE(bits >> (8 * i));
}

void PutF32(BYTE* p, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    PutU32(p, bits);
}

bool SizesMatch(const ResultPixels& r) {
    if (!r.picture || !r.heights || r.heights->Empty())
        return false;
    const void* block = GlobalLock(r.picture);
    const bool ok = DibGetWidth(block) == r.heights->Width() && DibGetHeight(block) == r.heights->Height() &&
                    (DibGetBitCount(block) == 8 || DibGetBitCount(block) == 24);
    GlobalUnlock(r.picture);
    return ok;
}

bool TryResize(std::vector<BYTE>& v, uint64_t bytes) {
    if (bytes > uint64_t(SIZE_MAX))
        return false;
    try {
        v.assign(static_cast<size_t>(bytes), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

} // namespace

bool IsColourImageType(int typeCode) {
    return typeCode == 2 || typeCode == 3 || typeCode == 7 || typeCode == 8 || typeCode == 9;
}

uint64_t Vv3FileBytes(int width, int height) {
    return kVv3HeaderBytes + 12ull * uint64_t(width) * uint64_t(height);
}

uint64_t HeightTransferBytes(int width, int height) {
    return 16ull + 8ull * uint64_t(width) * uint64_t(height);
}

bool FillPixelBlock(const ResultPixels& r, BYTE* out) {
    if (!SizesMatch(r))
        return false;
    const int w = r.heights->Width(), h = r.heights->Height();
    const void* block = GlobalLock(r.picture);
    const bool colour = IsColourImageType(r.typeCode) && DibGetBitCount(block) == 24;
    std::vector<int> planes[3];
    for (auto& p : planes)
        p.resize(size_t(w));
    const int previous = DibGetSelectedPlane();
    BYTE* q = out;
    for (int y = h - 1; y >= 0; --y) {
        if (colour) {
            for (int p = 0; p < 3; ++p) {
                DibSelectPlane(p);
                DibReadRow(planes[p].data(), block, 0, y, w);
            }
            for (int x = 0; x < w; ++x, q += 4) {
                const int r0 = planes[0][size_t(x)] & 0xFF, g = planes[1][size_t(x)] & 0xFF,
                          b = planes[2][size_t(x)] & 0xFF;
                q[0] = BYTE(r0);
                q[1] = BYTE(g);
                q[2] = BYTE(b);
                q[3] = BYTE((3 * r0 + 6 * g + b) / 10);
            }
        } else {
            DibSelectPlane(0);
            DibReadRow(planes[0].data(), block, 0, y, w);
            for (int x = 0; x < w; ++x, q += 4)
                q[0] = q[1] = q[2] = q[3] = BYTE(planes[0][size_t(x)] & 0xFF);
        }
    }
    DibSelectPlane(previous);
    GlobalUnlock(r.picture);
    return true;
}

void FillHeightBlock(const ResultPixels& r, BYTE* out) {
    const int w = r.heights->Width(), h = r.heights->Height();
    BYTE* q = out;
    for (int y = h - 1; y >= 0; --y) {
        const double* row = (*r.heights)[y];
        for (int x = 0; x < w; ++x, q += 4)
            PutF32(q, static_cast<float>(row[x] - r.minimum));
    }
}

bool BuildHeightTransferBlock(const ResultPixels& r, std::vector<BYTE>& out) {
    if (!SizesMatch(r))
        return false;
    const int w = r.heights->Width(), h = r.heights->Height();
    const uint64_t total = HeightTransferBytes(w, h);
    if (total > 0xFFFFFFFFull || !TryResize(out, total))
        return false;
    PutU32(out.data(), uint32_t(w));
    PutU32(out.data() + 4, uint32_t(h));
    PutF64(out.data() + 8, r.pitch);
    const uint64_t n = 4ull * uint64_t(w) * uint64_t(h);
    FillPixelBlock(r, out.data() + 16);
    FillHeightBlock(r, out.data() + 16 + n);
    return true;
}

BOOL WriteVv3File(const std::string& path, const ResultPixels& r) {
    if (!SizesMatch(r))
        return FALSE;
    const int w = r.heights->Width(), h = r.heights->Height();
    const uint64_t n = 4ull * uint64_t(w) * uint64_t(h);
    std::vector<BYTE> header(kVv3HeaderBytes, 0), pixels, heights;
    if (!TryResize(pixels, n) || !TryResize(heights, n))
        return FALSE;
    PutU32(header.data(), uint32_t(w));
    PutU32(header.data() + 4, uint32_t(h));
    PutF64(header.data() + 848, r.pitch);
    FillPixelBlock(r, pixels.data());
    FillHeightBlock(r, heights.data());
    AtomicFileWriter writer(path);
    if (!writer.Open())
        return FALSE;
    try {
        auto put = [&](const std::vector<BYTE>& v) {
            for (uint64_t off = 0; off < v.size();) {
                const UINT chunk = UINT(std::min<uint64_t>(v.size() - off, 1u << 30));
                writer.File().Write(v.data() + off, chunk);
                off += chunk;
            }
        };
        put(header);
        put(pixels);
        put(heights);
        put(heights);
    } catch (const CFileException&) {
        writer.Abort();
        return FALSE;
    }
    return writer.Commit() ? TRUE : FALSE;
}

uint64_t PackedDibBytes(HDIB dib) {
    if (!dib)
        return 0;
    const void* block = GlobalLock(dib);
    const uint64_t bytes =
        uint64_t(DibHeaderSize(block)) + DibColorTableSize(block) +
        uint64_t(DibStride(DibGetWidth(block), DibGetBitCount(block))) *
            uint64_t(DibGetHeight(block) < 0 ? -int64_t(DibGetHeight(block)) : int64_t(DibGetHeight(block)));
    GlobalUnlock(dib);
    return std::min<uint64_t>(bytes, GlobalSize(dib));
}

bool BuildImageTransferRecord(double pitch, double stepPerLevel, const char* kind, HDIB dib,
                              std::vector<BYTE>& out) {
    const uint64_t n = PackedDibBytes(dib);
    if (n == 0 || kImageTransferHeaderBytes + n > 0xFFFFFFFFull ||
        !TryResize(out, kImageTransferHeaderBytes + n))
        return false;
    BYTE* p = out.data();
    PutF64(p, pitch);
    std::memcpy(p + 8, "um", 2);
    PutF64(p + 30, stepPerLevel);
    std::memcpy(p + 38, "um", 2);
    std::memcpy(p + 59, kind, std::min<size_t>(std::strlen(kind), 32));
    const void* block = GlobalLock(dib);
    std::memcpy(p + kImageTransferHeaderBytes, block, static_cast<size_t>(n));
    GlobalUnlock(dib);
    return true;
}
