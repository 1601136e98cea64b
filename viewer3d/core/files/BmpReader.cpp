// Windows bitmap files for the 3D viewer.
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/files/ImageReaders.h"

#include "imaging/files/SECImage.h"
#include "platform/File.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace v3d {

namespace {

bool acceptedHeaderSize(DWORD size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

int kindForBits(int bits) {
    switch (bits) {
    case 8:
        return kKindGrey8;
    case 16:
        return kKindGrey16;
    case 24:
    case 32:
        return kKindRgb24;
    case 48:
        return kKindRgb48;
    default:
        return -1;
    }
}

// Puts the table and the rows of the file into a bitmap made for them.
bool readRows(CFile* file, uint64_t offBits, BYTE* block, const std::vector<BYTE>& table, int bits,
              int64_t width, uint64_t height, bool topDown) {
    if (bits == 8)
        std::memset(block + 40, 0, 1024);
    if (!table.empty())
        std::memcpy(block + 40, table.data(), table.size());
    BYTE* rows = DibGetBits(block);
    const uint64_t stride = DibStride(width, bits);
    const uint64_t outStride = DibStride(width, bits == 32 ? 24 : bits);
    file->Seek(static_cast<int64_t>(offBits), CFile::begin);
    std::vector<BYTE> in(bits == 32 ? stride : 0);
    for (uint64_t r = 0; r < height; ++r) {
        // File row r is image row r from the top in top-down files, else from the bottom.
        BYTE* out = rows + (topDown ? height - 1 - r : r) * outStride;
        if (bits != 32) {
            if (!ReadExact(*file, out, stride))
                return false;
            continue;
        }
        if (!ReadExact(*file, in.data(), stride))
            return false;
        for (int64_t x = 0; x < width; ++x)
            std::memcpy(out + 3 * x, in.data() + 4 * x, 3);
    }
    return true;
}

} // namespace

HDIB ReadBmpFile(CFile* file) {
    if (!file)
        return nullptr;
    const uint64_t base = file->GetPosition();
    const uint64_t fileLength = file->GetLength();
    if (base >= fileLength)
        return nullptr;
    const uint64_t length = fileLength - base;

    BYTE fh[BITMAPFILEHEADER::kSize];
    if (!ReadExact(*file, fh, sizeof fh))
        return nullptr;
    const BITMAPFILEHEADER fileHeader = BITMAPFILEHEADER::Read(fh);
    if (fileHeader.bfType != kBitmapFileType)
        return nullptr;
    BYTE hs[4];
    if (!ReadExact(*file, hs, 4))
        return nullptr;
    const DWORD headerSize = le::get32(hs);
    if (!acceptedHeaderSize(headerSize))
        return nullptr;
    std::vector<BYTE> header(headerSize);
    std::memcpy(header.data(), hs, 4);
    if (!ReadExact(*file, header.data() + 4, headerSize - 4))
        return nullptr;
    const BITMAPINFOHEADER h = BITMAPINFOHEADER::Read(header.data());
    const int bits = h.biBitCount;
    const int kind = kindForBits(bits);
    if (kind < 0 || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT_MIN)
        return nullptr;

    // Colour masks of bit-field files: after a 40-byte header, inside the larger ones. Only
    // 32-bit pixels whose masks put blue, green and red in the first three bytes are read.
    uint64_t tableStart = BITMAPFILEHEADER::kSize + headerSize;
    if (h.biCompression == BI_BITFIELDS) {
        BYTE masks[12];
        if (headerSize >= 52) {
            std::memcpy(masks, header.data() + 40, 12);
        } else {
            if (!ReadExact(*file, masks, 12))
                return nullptr;
            tableStart += 12;
        }
        if (bits != 32 || le::get32(masks) != 0x00FF0000u || le::get32(masks + 4) != 0x0000FF00u ||
            le::get32(masks + 8) != 0x000000FFu)
            return nullptr;
    } else if (h.biCompression != BI_RGB) {
        return nullptr; // run-length and other coded files
    }

    const uint64_t offBits = fileHeader.bfOffBits;
    if (offBits < tableStart || offBits > length)
        return nullptr;
    const bool topDown = h.biHeight < 0;
    const uint64_t height = topDown ? uint64_t(-int64_t(h.biHeight)) : uint64_t(h.biHeight);
    const uint64_t stride = DibStride(h.biWidth, bits);
    if (stride == 0 || height > (length - offBits) / stride || stride * height > SECImage::MaxImageBytes())
        return nullptr;

    // The table the bitmap keeps: 8-bit files must hold all their entries; a 16-bit file may
    // hold fewer (or none), and the missing ones are the grey ramp.
    uint64_t entries = 0;
    if (bits == 8 || bits == 16) {
        entries = h.biClrUsed ? h.biClrUsed : 256;
        if (entries > 256)
            return nullptr;
        const uint64_t present = (offBits - tableStart) / 4;
        if (bits == 8 && present < entries)
            return nullptr;
        entries = std::min(entries, present);
    }
    std::vector<BYTE> table(entries * 4);
    if (!ReadExact(*file, table.data(), table.size()))
        return nullptr;

    HDIB dib = DibCreate(h.biWidth, static_cast<int>(height), kind);
    if (!dib)
        return nullptr;
    bool ok = false;
    try {
        ok = readRows(file, base + offBits, static_cast<BYTE*>(GlobalLock(dib)), table, bits, h.biWidth,
                      height, topDown);
    } catch (...) {
        GlobalUnlock(dib);
        GlobalFree(dib);
        throw;
    }
    GlobalUnlock(dib);
    if (!ok) {
        GlobalFree(dib);
        return nullptr;
    }
    return dib;
}

} // namespace v3d
