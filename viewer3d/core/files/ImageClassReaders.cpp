// TIFF and JPEG files for the 3D viewer: deep TIFF through CHiBitTiffReader, everything else
// through the image-file classes, copied into the viewer's own bitmaps.
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/files/HiBitTiffReader.h"
#include "viewer3d/core/files/ImageReaders.h"
#include "viewer3d/core/data/SlotImageType.h"

#include "imaging/files/SECJpeg.h"
#include "imaging/files/SECTiff.h"
#include "platform/File.h"

#include <algorithm>
#include <cstring>

namespace v3d {

namespace {

// A viewer bitmap with the pixels and table of a loaded 8- or 24-bit image; null for other
// depths or when memory is refused. The bitmap keeps its own header (a 256-entry table for 8
// bits) and takes the image's table entries.
HDIB copyFromImage(SECImage& image) {
    const int bits = image.m_bitsPerPixel;
    if ((bits != 8 && bits != 24) || !image.m_bits || image.m_width == 0 || image.m_height == 0 ||
        image.m_width > 0x7FFFFFFF || image.m_height > 0x7FFFFFFF)
        return nullptr;
    if (!image.PadRows())
        return nullptr;
    HDIB dib = DibCreate(static_cast<int>(image.m_width), static_cast<int>(image.m_height),
                         bits == 8 ? kKindGrey8 : kKindRgb24);
    if (!dib)
        return nullptr;
    BYTE* block = static_cast<BYTE*>(GlobalLock(dib));
    if (bits == 8 && image.m_colorTable) {
        const size_t n = std::min<size_t>(image.m_colorCount ? image.m_colorCount : 256, 256);
        std::memcpy(block + 40, image.m_colorTable, n * 4);
    }
    const uint64_t stride = DibStride(image.m_width, bits);
    std::memcpy(DibGetBits(block), image.m_bits, static_cast<size_t>(stride * image.m_height));
    GlobalUnlock(dib);
    return dib;
}

int typeOf(HDIB dib) {
    GlobalLockGuard lock(dib);
    return lock ? SlotTypeFromDib(lock.get(), GlobalSize(dib)) : SLOT_TYPE_NONE;
}

} // namespace

HDIB ReadTifFile(CFile* file, int* type) {
    if (type)
        *type = SLOT_TYPE_NONE;
    if (!file || file->GetFilePath().empty())
        return nullptr;
    const std::string path = file->GetFilePath();
    CHiBitTiffReader deep;
    if (!deep.Open(path))
        return nullptr;
    const int deepType = deep.GetImageType();
    if (deepType >= 0) {
        const int kind = SlotTypeDibKind(deepType);
        const uint64_t bytes =
            ::DibCreateBlockSize(static_cast<int>(deep.GetWidth()), static_cast<int>(deep.GetHeight()), kind);
        if (bytes == 0 || bytes > SECImage::MaxImageBytes())
            return nullptr;
        HDIB dib =
            deep.Read(DibCreate(static_cast<int>(deep.GetWidth()), static_cast<int>(deep.GetHeight()), kind));
        if (dib && type)
            *type = deepType;
        return dib;
    }
    deep.Close();
    SECTiff image;
    if (image.ReadFromPath(path.c_str()) != TRUE)
        return nullptr;
    HDIB dib = copyFromImage(image);
    if (dib && type)
        *type = typeOf(dib);
    return dib;
}

HDIB ReadJpgFile(CFile* file) {
    if (!file)
        return nullptr;
    file->SeekToBegin();
    SECJpeg image;
    if (image.ReadFromFile(file) != TRUE)
        return nullptr;
    return copyFromImage(image);
}

} // namespace v3d
