// Writing the TIFF image class: one directory, one strip, into a temporary file beside
// the target that replaces the target only when the whole file was written.
#include "imaging/files/SECTiff.h"

#include "imaging/files/Tiff16.h"
#include "platform/File.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <vector>

IMPLEMENT_DYNCREATE(SECTiff, CObject)


BOOL SECTiff::WriteToPath(const char* path) {
    if (!path || !*path || !HoldsImage())
        return FALSE;
    if (!BeforeWrite())
        return FALSE;
    const int bpp = m_bitsPerPixel;
    if (bpp != 1 && bpp != 8 && bpp != 24)
        return FALSE;
    const uint64_t width = m_width;
    const uint64_t height = m_height;
    const uint64_t outRow = bpp == 24 ? 3 * width : bpp == 8 ? width : (width + 7) / 8;
    const uint64_t memStride = PaddedRowBytes(bpp, width);
    const uint64_t memPacked = PackedRowBytes(bpp, width);
    const uint64_t stripBytes = outRow * height;
    std::vector<BYTE> strip;
    try {
        strip.resize(stripBytes);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    // The strip is built from the object's rows, top row first; the rows themselves stay
    // as they are (padded, bottom-up, blue-green-red).
    for (uint64_t r = 0; r < height; ++r) {
        const uint64_t memRow = height - 1 - r;
        const BYTE* src = m_rowsPadded ? m_bits + memRow * memStride : m_bits + memRow * memPacked;
        BYTE* dst = strip.data() + r * outRow;
        if (bpp == 24) {
            for (uint64_t x = 0; x < width; ++x) {
                dst[3 * x] = src[3 * x + 2];
                dst[3 * x + 1] = src[3 * x + 1];
                dst[3 * x + 2] = src[3 * x];
            }
        } else if (bpp == 8) {
            std::memcpy(dst, src, outRow);
        } else {
            for (uint64_t i = 0; i < outRow; ++i)
                dst[i] = static_cast<BYTE>(~src[i]);
        }
    }

    AtomicFileWriter writer(path);
    if (!writer.Open())
        return FALSE;
    TIFF* tif = TiffOpenQuiet(writer.TempPath().c_str(), "w");
    if (!tif) {
        writer.Abort();
        return FALSE;
    }
    bool ok = true;
    ok = ok && TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width));
    ok = ok && TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height));
    ok = ok && TIFFSetField(tif, TIFFTAG_COMPRESSION, static_cast<uint16_t>(m_compression));
    if (ok && m_compression == COMPRESSION_CCITTFAX3)
        ok = TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, static_cast<uint32_t>(5));
    ok = ok && TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    ok = ok && TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    ok = ok && TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    ok = ok && TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(height));
    if (ok && bpp == 24) {
        ok = TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3) && TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) &&
             TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    } else if (ok && bpp == 8 && m_8bitWriteMode == 1) {
        // Always a full 256-entry map: readers index it with any 8-bit value.
        std::vector<uint16_t> red(256, 0), green(256, 0), blue(256, 0);
        const SIZE_T infoSize = GlobalSize(GlobalHandle(m_info));
        const uint64_t inBlock = infoSize > 40 ? (infoSize - 40) / 4 : 0;
        const uint64_t n = std::min<uint64_t>({m_colorCount ? uint64_t(m_colorCount) : uint64_t(256), uint64_t(256), inBlock});
        for (uint64_t i = 0; i < n && m_colorTable; ++i) {
            blue[i] = static_cast<uint16_t>(m_colorTable[4 * i] * 65535u / 255u);
            green[i] = static_cast<uint16_t>(m_colorTable[4 * i + 1] * 65535u / 255u);
            red[i] = static_cast<uint16_t>(m_colorTable[4 * i + 2] * 65535u / 255u);
        }
        ok = TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) && TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE) &&
             TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
    } else if (ok && bpp == 8) {
        ok = TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) && TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    } else if (ok) {
        ok = TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1) && TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    }
    ok = ok && TIFFWriteEncodedStrip(tif, 0, strip.data(), static_cast<tmsize_t>(stripBytes)) >= 0;
    ok = ok && TIFFWriteDirectory(tif);
    TIFFClose(tif);
    if (!ok) {
        writer.Abort();
        return FALSE;
    }
    if (!writer.Commit())
        return FALSE;
    return AfterWrite();
}
