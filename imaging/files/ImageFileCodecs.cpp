// TIFF and JPEG files as bitmaps: copies between bitmaps and the image-file classes.
#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "imaging/files/ImageFileMemory.h"
#include "imaging/files/SECJpeg.h"
#include "imaging/files/SECTiff.h"
#include "imaging/files/Tiff16.h"
#include "platform/File.h"

#include <cstring>
#include <memory>

namespace {

// A new bitmap of the image's size (kind 0 for 8 bits, 1 for 24) holding its header,
// colour table and rows; null for other depths or when memory is short.
HDIB DibFromImage(const SECImage& image) {
    if (!image.m_bits || !image.m_info || (image.m_bitsPerPixel != 8 && image.m_bitsPerPixel != 24))
        return nullptr;
    const int kind = image.m_bitsPerPixel == 8 ? DIB_KIND_GREY8 : DIB_KIND_RGB24;
    // The copy is a second image of the same size, held until its rows are written.
    const ImageMemoryGrant memory = ReserveImageMemory(
        BITMAPINFOHEADER::kSize + 256 * 4 +
        static_cast<uint64_t>(DibStride(image.m_width, image.m_bitsPerPixel)) * image.m_height);
    if (!memory)
        return nullptr;
    HDIB dib = DibCreateOfKind(static_cast<int>(image.m_width), static_cast<int>(image.m_height), kind);
    if (!dib)
        return nullptr;
    GlobalLockGuard lock(dib);
    BYTE* block = lock.get();
    BITMAPINFOHEADER h = image.InfoHeader();
    h.biSize = 40;
    h.biClrUsed = 0;
    h.biClrImportant = 0;
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(DibStride(image.m_width, image.m_bitsPerPixel) * image.m_height);
    h.Write(block);
    if (image.m_bitsPerPixel == 8 && image.m_colorTable)
        std::memcpy(block + BITMAPINFOHEADER::kSize, image.m_colorTable, 256 * 4);
    // Rows of the object are padded and bottom-up at rest, the layout of the bitmap.
    const uint64_t rows = static_cast<uint64_t>(DibStride(image.m_width, image.m_bitsPerPixel)) * image.m_height;
    std::memcpy(DibGetBits(block), image.m_bits, rows);
    return dib;
}

// Copies a bitmap (8 or 24 bits) into a new image object: header and colour table in one
// block, padded rows in another.
template <class T>
std::unique_ptr<T> ImageFromDib(HDIB dib) {
    if (!dib)
        return nullptr;
    GlobalLockGuard lock(dib);
    if (!lock)
        return nullptr;
    const BYTE* block = lock.get();
    const int bitCount = DibGetBitCount(block);
    const LONG w = DibGetWidth(block);
    const LONG h = DibGetHeight(block);
    if ((bitCount != 8 && bitCount != 24) || w <= 0 || h <= 0 || DibHeaderSize(block) < 40)
        return nullptr;
    const WORD colors = bitCount == 8 ? DibColorCount(block) : 0;
    const uint64_t stride = DibStride(w, bitCount);
    const uint64_t needed = DibHeaderSize(block) + DibColorTableSize(block) + stride * static_cast<uint64_t>(h);
    if (needed > GlobalSize(dib))
        return nullptr;
    auto image = std::make_unique<T>();
    image->m_info = SECImage::AllocBlock(BITMAPINFOHEADER::kSize + 4ull * colors);
    image->m_bits = SECImage::AllocBlock(stride * static_cast<uint64_t>(h));
    if (!image->m_info || !image->m_bits)
        return nullptr;
    BITMAPINFOHEADER header = BITMAPINFOHEADER::Read(block);
    header.biSize = 40;
    header.Write(image->m_info);
    image->m_colorTable = image->m_info + BITMAPINFOHEADER::kSize;
    if (colors)
        std::memcpy(image->m_colorTable, block + DibHeaderSize(block), 4ull * colors);
    std::memcpy(image->m_bits, DibGetBits(block), stride * static_cast<uint64_t>(h));
    image->m_bitsPerPixel = bitCount;
    image->m_planes = header.biPlanes;
    image->m_width = static_cast<DWORD>(w);
    image->m_height = static_cast<DWORD>(h);
    image->m_rowWidth = (image->m_width + 3) & ~DWORD(3);
    image->m_colorCount = colors;
    image->m_rowsPadded = TRUE;
    return image;
}

bool IsGreyRamp(const BYTE* table) {
    for (unsigned i = 0; i < 256; ++i)
        if (table[4 * i] != i || table[4 * i + 1] != i || table[4 * i + 2] != i)
            return false;
    return true;
}

} // namespace

HDIB DibReadTiffFile(CFile* file, int* imageType) {
    if (!file)
        return nullptr;
    const std::string path = file->GetFilePath();
    CTiff16 tiff;
    if (!tiff.Open(path.c_str(), "r"))
        return nullptr;
    if (tiff.IsHighBitDepth()) {
        const int type = tiff.GetImageType();
        int kind;
        if (type >= 4 && type <= 6)
            kind = DIB_KIND_GREY16;
        else if (type >= 7 && type <= 9)
            kind = DIB_KIND_RGB48;
        else
            return nullptr; // 16-bit palette files are not shown
        if (imageType)
            *imageType = type;
        // The bitmap with the spare bytes of its kind, and one scanline of the file.
        const uint64_t bytes = static_cast<uint64_t>(DibStride(tiff.GetWidth(), kind == DIB_KIND_GREY16 ? 16 : 48)) *
                               tiff.GetHeight();
        const ImageMemoryGrant memory =
            ReserveImageMemory(BITMAPINFOHEADER::kSize + 256 * 4 + bytes + tiff.ScanlineBytes());
        if (!memory)
            return nullptr;
        HDIB dib = DibCreateOfKind(static_cast<int>(tiff.GetWidth()), static_cast<int>(tiff.GetHeight()), kind);
        if (!dib)
            return nullptr;
        HDIB result = tiff.Read(dib);
        tiff.Close();
        return result;
    }
    tiff.Close();
    SECTiff image;
    if (!image.ReadFromPath(path.c_str()))
        return nullptr;
    HDIB dib = DibFromImage(image);
    if (dib && imageType) {
        if (image.m_bitsPerPixel == 24)
            *imageType = 3;
        else
            *imageType = image.m_colorTable && IsGreyRamp(image.m_colorTable) ? 0 : 1;
    }
    return dib;
}

HDIB DibReadJpegFile(CFile* file) {
    if (!file)
        return nullptr;
    const std::string path = file->GetFilePath();
    file->Close();
    CFile own(path, CFile::modeRead | CFile::shareDenyWrite);
    SECJpeg image;
    if (!image.ReadFromFile(&own))
        return nullptr;
    own.Abort();
    return DibFromImage(image);
}

BOOL SaveDibAsTiffPath(HDIB dib, const std::string& path, int imageType) {
    if (!dib || path.empty())
        return FALSE;
    if (imageType == 0 || imageType == 1 || imageType == 3) {
        auto image = ImageFromDib<SECTiff>(dib);
        if (!image || image->m_bitsPerPixel != (imageType == 3 ? 24 : 8))
            return FALSE;
        image->m_8bitWriteMode = imageType;
        return image->WriteToPath(path.c_str());
    }
    CTiff16 tiff;
    tiff.SetImageType(imageType);
    if (!tiff.OpenForWrite(path.c_str(), "w"))
        return FALSE;
    const BOOL written = tiff.Write(dib);
    const BOOL closed = tiff.Close();
    return written && closed;
}

BOOL SaveDibAsJpegPath(HDIB dib, const std::string& path, int imageType, int quality) {
    auto image = ImageFromDib<SECJpeg>(dib);
    if (!image)
        return FALSE; // only 8- and 24-bit bitmaps have a JPEG form
    image->m_quality = quality;
    image->m_colorMode = imageType;
    try {
        return image->WriteToPath(path.c_str());
    } catch (const CFileException&) {
        return FALSE;
    }
}
