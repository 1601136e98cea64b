// The BMP body of the image-file classes: reading with every declared size checked against
// what is present, and writing in the BMP file layout.
#include "imaging/files/SECDib.h"

#include "platform/File.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace {

bool AcceptedHeaderSize(DWORD size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// Reads and drops `count` bytes; false when the source ends first.
bool Skip(const BmpByteSource& source, uint64_t count) {
    BYTE buf[4096];
    while (count) {
        const uint64_t n = std::min<uint64_t>(count, sizeof buf);
        if (source(buf, n) != n)
            return false;
        count -= n;
    }
    return true;
}

} // namespace

IMPLEMENT_DYNCREATE(SECDib, CObject)

BmpByteSource BmpFileSource(CFile* file) {
    return [file](void* buffer, uint64_t count) -> uint64_t {
        auto* p = static_cast<BYTE*>(buffer);
        uint64_t done = 0;
        while (done < count) {
            const UINT chunk = static_cast<UINT>(std::min<uint64_t>(count - done, 1u << 30));
            const UINT got = file->Read(p + done, chunk);
            done += got;
            if (got < chunk)
                break;
        }
        return done;
    };
}

bool ReadBmpHeaders(const BmpByteSource& source, uint64_t length, uint64_t depths, BmpLayout& layout,
                    std::vector<BYTE>& table, bool reserve) {
    BYTE fh[BITMAPFILEHEADER::kSize];
    if (source(fh, sizeof fh) != sizeof fh)
        return false;
    const BITMAPFILEHEADER file = BITMAPFILEHEADER::Read(fh);
    if (file.bfType != kBitmapFileType)
        return false;
    const uint64_t offBits = file.bfOffBits;
    if (length && offBits > length)
        return false;

    BYTE sizeBytes[4];
    if (source(sizeBytes, 4) != 4)
        return false;
    const DWORD headerSize = le::get32(sizeBytes);
    if (!AcceptedHeaderSize(headerSize))
        return false;
    std::vector<BYTE> header(headerSize);
    std::memcpy(header.data(), sizeBytes, 4);
    if (source(header.data() + 4, headerSize - 4) != headerSize - 4)
        return false;
    BITMAPINFOHEADER h = BITMAPINFOHEADER::Read(header.data());
    if (h.biCompression != BI_RGB)
        return false; // run-length and bit-field files are not read
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN)
        return false;
    const int bitCount = h.biBitCount;
    if (bitCount <= 0 || bitCount > 32 || !((depths >> bitCount) & 1))
        return false;
    layout.topDown = h.biHeight < 0;
    const uint64_t width = static_cast<uint64_t>(h.biWidth);
    const uint64_t height = layout.topDown ? static_cast<uint64_t>(-static_cast<int64_t>(h.biHeight))
                                           : static_cast<uint64_t>(h.biHeight);
    const uint64_t maxEntries = bitCount <= 8 ? (1ull << bitCount) : 0;
    const uint64_t entries = h.biClrUsed ? h.biClrUsed : maxEntries;
    if (bitCount <= 8 && entries > maxEntries)
        return false;
    const uint64_t tableEnd = BITMAPFILEHEADER::kSize + headerSize + 4 * entries;
    if (offBits < tableEnd)
        return false;

    layout.stride = SECImage::PaddedRowBytes(bitCount, width);
    if (layout.stride == 0 || layout.stride > UINT64_MAX / height)
        return false;
    layout.imageBytes = layout.stride * height;
    if (length && layout.imageBytes > length - offBits)
        return false; // the rows the header promises are not in the file
    // Header, a full colour table and the rows: what either BMP reader allocates.
    if (reserve) {
        layout.memory = ReserveImageMemory(BITMAPINFOHEADER::kSize + 256 * 4 + layout.imageBytes);
        if (!layout.memory)
            return false;
    }

    if (bitCount > 8) {
        if (!Skip(source, 4 * entries)) // a table that only suggests display colours
            return false;
        layout.entries = 0;
        table.clear();
    } else {
        table.assign(4 * entries, 0);
        if (source(table.data(), table.size()) != table.size())
            return false;
        layout.entries = entries;
    }
    if (!Skip(source, offBits - tableEnd))
        return false;
    h.biSize = 40;
    h.biHeight = static_cast<LONG>(height);
    h.biClrUsed = static_cast<DWORD>(layout.entries == maxEntries ? 0 : layout.entries);
    h.biClrImportant = 0;
    h.biSizeImage = static_cast<DWORD>(std::min<uint64_t>(layout.imageBytes, UINT32_MAX));
    layout.header = h;
    return true;
}

void FlipBmpRows(BYTE* rows, uint64_t stride, uint64_t height) {
    std::vector<BYTE> tmp(stride);
    for (uint64_t a = 0, b = height ? height - 1 : 0; a < b; ++a, --b) {
        std::memcpy(tmp.data(), rows + a * stride, stride);
        std::memcpy(rows + a * stride, rows + b * stride, stride);
        std::memcpy(rows + b * stride, tmp.data(), stride);
    }
}

bool ReadBmpInto(SECImage& image, const BmpByteSource& source, uint64_t length) {
    BmpLayout layout;
    std::vector<BYTE> table;
    if (!ReadBmpHeaders(source, length, kBmpDepthsImageClass, layout, table))
        return false;
    BITMAPINFOHEADER h = layout.header;
    const int bitCount = h.biBitCount;
    // The class keeps a full 256-entry table for 8-bit images whatever the file holds.
    BYTE* info = SECImage::AllocBlock(BITMAPINFOHEADER::kSize + (bitCount == 8 ? 256 * 4 : 0));
    BYTE* bits = info ? SECImage::AllocBlock(layout.imageBytes) : nullptr;
    if (!info || !bits || source(bits, layout.imageBytes) != layout.imageBytes) {
        SECImage::FreeBlock(info);
        SECImage::FreeBlock(bits);
        return false;
    }
    if (bitCount == 8)
        std::memcpy(info + BITMAPINFOHEADER::kSize, table.data(), std::min<size_t>(table.size(), 1024));
    if (layout.topDown)
        FlipBmpRows(bits, layout.stride, h.biHeight);
    h.biClrUsed = 0;

    image.FreeImage();
    image.m_info = info;
    image.m_colorTable = info + BITMAPINFOHEADER::kSize;
    image.m_bits = bits;
    image.StoreInfoHeader(h);
    image.m_bitsPerPixel = bitCount;
    image.m_width = static_cast<DWORD>(h.biWidth);
    image.m_height = static_cast<DWORD>(h.biHeight);
    image.m_rowWidth = (image.m_width + 3) & ~DWORD(3);
    image.m_colorCount = bitCount == 8 ? 256 : 0;
    image.m_rowsPadded = TRUE;
    return true;
}

void WriteBmpFrom(SECImage& image, const BmpByteSink& sink, bool clearSizeImage) {
    image.PadRows();
    BITMAPINFOHEADER h = image.InfoHeader();
    if (clearSizeImage) {
        h.biSizeImage = 0;
        image.StoreInfoHeader(h);
    }
    h.biSize = 40;
    const uint64_t k = image.ColorCountFromHeader();
    const uint64_t offBits = BITMAPFILEHEADER::kSize + BITMAPINFOHEADER::kSize + 4 * k;
    const uint64_t imageBytes =
        SECImage::PaddedRowBytes(image.m_bitsPerPixel, image.m_width) * image.m_height;
    BITMAPFILEHEADER file;
    file.bfType = kBitmapFileType;
    file.bfSize = static_cast<DWORD>(std::min<uint64_t>(offBits + imageBytes, UINT32_MAX));
    file.bfOffBits = static_cast<DWORD>(offBits);

    std::vector<BYTE> head(offBits, 0);
    file.Write(head.data());
    h.Write(head.data() + BITMAPFILEHEADER::kSize);
    if (image.m_info && image.m_colorTable && k) {
        const SIZE_T infoSize = GlobalSize(GlobalHandle(image.m_info));
        const uint64_t held =
            infoSize > BITMAPINFOHEADER::kSize ? (infoSize - BITMAPINFOHEADER::kSize) / 4 : 0;
        std::memcpy(head.data() + BITMAPFILEHEADER::kSize + BITMAPINFOHEADER::kSize, image.m_colorTable,
                    4 * std::min(k, held));
    }
    sink(head.data(), head.size());
    if (imageBytes && image.m_bits)
        sink(image.m_bits, imageBytes);
}

BOOL SECDib::ReadBody(CFile* file) {
    if (!file)
        return FALSE;
    const uint64_t len = file->GetLength();
    const uint64_t pos = file->GetPosition();
    if (pos >= len)
        return FALSE;
    SECDib loaded;
    if (!ReadBmpInto(loaded, BmpFileSource(file), len - pos))
        return FALSE;
    TakeOver(loaded);
    return TRUE;
}

BOOL SECDib::WriteBody(CFile* file) {
    if (!file || !HoldsImage())
        return FALSE;
    WriteBmpFrom(
        *this,
        [file](const void* p, uint64_t n) {
            const auto* b = static_cast<const BYTE*>(p);
            while (n) {
                const UINT chunk = static_cast<UINT>(std::min<uint64_t>(n, 1u << 30));
                file->Write(b, chunk);
                b += chunk;
                n -= chunk;
            }
        },
        true);
    return TRUE;
}
