#include "viewer3d/core/files/HiBitTiffReader.h"

#include "ids/BrelvoxaIds.h"
#include "imaging/files/SECImage.h"
#include "imaging/files/Tiff16.h"
#include "platform/MessageSink.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/files/ImageReaders.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace v3d {

namespace {

uint64_t g_rowBufferLimit = 0;

// A read buffer within the limit; false when refused.
bool allocate(std::vector<BYTE>& buffer, uint64_t bytes) {
    if (bytes > SECImage::MaxImageBytes() || (g_rowBufferLimit && bytes > g_rowBufferLimit))
        return false;
    try {
        buffer.resize(static_cast<size_t>(bytes));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

} // namespace

CHiBitTiffReader::~CHiBitTiffReader() {
    Close();
}

void CHiBitTiffReader::SetRowBufferLimit(uint64_t bytes) {
    g_rowBufferLimit = bytes;
}

void CHiBitTiffReader::Close() {
    if (m_tiff)
        TIFFClose(m_tiff);
    m_tiff = nullptr;
}

bool CHiBitTiffReader::Open(const std::string& path) {
    Close();
    m_type = -1;
    m_tiff = TiffOpenQuiet(path.c_str(), "r");
    if (!m_tiff)
        return false;
    uint32_t w = 0, h = 0, rps = 0;
    uint16_t bps = 1, spp = 1, photometric = 0, planar = PLANARCONFIG_CONTIG, format = SAMPLEFORMAT_UINT;
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_BITSPERSAMPLE, &bps);
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_ROWSPERSTRIP, &rps);
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_SAMPLESPERPIXEL, &spp);
    if (!TIFFGetField(m_tiff, TIFFTAG_PHOTOMETRIC, &photometric))
        photometric = spp == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_SAMPLEFORMAT, &format);
    m_width = w;
    m_height = h;
    m_rowsPerStrip = rps;
    m_bitsPerSample = bps;
    m_samplesPerPixel = spp;
    m_photometric = photometric;
    m_planarConfig = planar;
    m_sampleFormat = format;

    const bool deep = bps == 10 || bps == 12 || bps == 16;
    const bool grey =
        spp == 1 && (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE ||
                     photometric == PHOTOMETRIC_PALETTE);
    const bool colour = spp == 3 && photometric == PHOTOMETRIC_RGB;
    if (deep && format == SAMPLEFORMAT_UINT && (grey || colour) && w > 0 && h > 0 && w <= 0x7FFFFFFF &&
        h <= 0x7FFFFFFF) {
        const int base = bps == 10 ? 0 : bps == 12 ? 1 : 2;
        m_type = (colour ? 7 : 4) + base;
        if (m_type == 6 && photometric == PHOTOMETRIC_PALETTE)
            m_type = 12;
    }
    return true;
}

bool CHiBitTiffReader::readPalette(BYTE* block) {
    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (!TIFFGetField(m_tiff, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue)
        return false;
    const uint32_t n = 1u << m_bitsPerSample;
    // A map whose entries all stay below 256 holds 8-bit colours; otherwise 16-bit ones.
    bool wide = false;
    for (uint32_t i = 0; i < n && !wide; ++i)
        wide = red[i] >= 256 || green[i] >= 256 || blue[i] >= 256;
    auto conv = [wide](uint16_t v) {
        return static_cast<BYTE>(wide ? uint32_t(v) * 255u / 65535u : v & 0xFF);
    };
    // The bitmap's table holds the first 256 entries of the map.
    BYTE* t = block + DibHeaderSize(block);
    for (uint32_t i = 0; i < 256 && i < n; ++i) {
        t[4 * i] = conv(blue[i]);
        t[4 * i + 1] = conv(green[i]);
        t[4 * i + 2] = conv(red[i]);
        t[4 * i + 3] = 0;
    }
    return true;
}

// One row of one plane (plane -1: all samples interleaved) into the bitmap row.
void CHiBitTiffReader::storeRow(BYTE* out, const BYTE* in, int plane) const {
    const int bps = m_bitsPerSample;
    const DWORD w = m_width;
    if (m_samplesPerPixel == 1) {
        if (bps == 16)
            for (DWORD x = 0; x < w; ++x) {
                uint16_t v;
                std::memcpy(&v, in + 2 * uint64_t(x), 2);
                le::put16(out + 2 * uint64_t(x), v);
            }
        else
            CTiff16::UnpackGreyRow(out, in, w, bps);
        return;
    }
    if (plane < 0) {
        if (bps == 16)
            for (DWORD x = 0; x < w; ++x) {
                uint16_t rgb[3];
                std::memcpy(rgb, in + 6 * uint64_t(x), 6);
                BYTE* p = out + 6 * uint64_t(x);
                le::put16(p, rgb[2]); // the bitmap keeps blue, green, red
                le::put16(p + 2, rgb[1]);
                le::put16(p + 4, rgb[0]);
            }
        else
            CTiff16::UnpackRgbRow(out, in, w, bps);
        return;
    }
    // Plane 0 (red) goes to the pixel's third word, 1 to the second, 2 to the first.
    const uint64_t offset = 2 * uint64_t(2 - plane);
    std::vector<BYTE> words;
    const BYTE* src = in;
    if (bps != 16) {
        words.resize(2 * uint64_t(w));
        CTiff16::UnpackGreyRow(words.data(), in, w, bps);
        src = words.data();
    }
    for (DWORD x = 0; x < w; ++x) {
        uint16_t v; // native order from libtiff, little-endian from the unpacking
        if (bps == 16)
            std::memcpy(&v, src + 2 * uint64_t(x), 2);
        else
            v = le::get16(src + 2 * uint64_t(x));
        le::put16(out + 6 * uint64_t(x) + offset, v);
    }
}

bool CHiBitTiffReader::readRows(BYTE* block) {
    const bool separate = m_planarConfig == PLANARCONFIG_SEPARATE && m_samplesPerPixel == 3;
    const int planes = separate ? 3 : 1;
    const tmsize_t scan = TIFFScanlineSize(m_tiff);
    const uint64_t needed = (uint64_t(separate ? 1 : m_samplesPerPixel) * m_width * m_bitsPerSample + 7) / 8;
    if (scan <= 0 || uint64_t(scan) < needed)
        return false;
    BYTE* rows = DibGetBits(block);
    const uint64_t stride = DibStride(m_width, m_samplesPerPixel == 3 ? 48 : 16);
    auto outRow = [&](uint32_t row) { return rows + uint64_t(m_height - 1 - row) * stride; };

    if (!TIFFIsTiled(m_tiff)) {
        // One strip's worth of rows is the buffer the file needs to be read row by row.
        const tmsize_t stripBytes = TIFFStripSize(m_tiff);
        std::vector<BYTE> buffer;
        if (stripBytes <= 0 || !allocate(buffer, std::max<uint64_t>(uint64_t(stripBytes), uint64_t(scan)))) {
            ShowMessage(bxid::str::NotEnoughMemory, MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        // Plane by plane, so that every strip is decoded once.
        for (int q = 0; q < planes; ++q)
            for (uint32_t row = 0; row < m_height; ++row) {
                if (TIFFReadScanline(m_tiff, buffer.data(), row, static_cast<uint16_t>(q)) != 1)
                    return false;
                storeRow(outRow(row), buffer.data(), separate ? q : -1);
            }
        return true;
    }

    // Tiles: a band of one tile row is decoded tile by tile into scanlines.
    uint32_t tw = 0, th = 0;
    TIFFGetField(m_tiff, TIFFTAG_TILEWIDTH, &tw);
    TIFFGetField(m_tiff, TIFFTAG_TILELENGTH, &th);
    const tmsize_t tileBytes = TIFFTileSize(m_tiff);
    const tmsize_t tileRow = TIFFTileRowSize(m_tiff);
    if (tw == 0 || th == 0 || tileBytes <= 0 || tileRow <= 0)
        return false;
    const uint64_t bandBytes = uint64_t(scan) * th;
    std::vector<BYTE> tile, band;
    if (!allocate(tile, uint64_t(tileBytes)) || !allocate(band, bandBytes)) {
        ShowMessage(bxid::str::NotEnoughMemory, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    const uint64_t pixelBits = uint64_t(separate ? 1 : m_samplesPerPixel) * m_bitsPerSample;
    for (int q = 0; q < planes; ++q)
        for (uint32_t y0 = 0; y0 < m_height; y0 += th) {
            for (uint32_t x0 = 0; x0 < m_width; x0 += tw) {
                if (TIFFReadTile(m_tiff, tile.data(), x0, y0, 0, static_cast<uint16_t>(q)) < 0)
                    return false;
                // Tile columns [x0, x0 + tw) of each row, bit-exact for packed samples.
                const uint32_t cols = std::min(tw, m_width - x0);
                const uint64_t bitStart = uint64_t(x0) * pixelBits, bitCount = uint64_t(cols) * pixelBits;
                for (uint32_t r = 0; r < th; ++r) {
                    const BYTE* in = tile.data() + uint64_t(r) * tileRow;
                    BYTE* out = band.data() + uint64_t(r) * scan;
                    if (bitStart % 8 == 0) {
                        std::memcpy(out + bitStart / 8, in, static_cast<size_t>((bitCount + 7) / 8));
                        continue;
                    }
                    for (uint64_t b = 0; b < bitCount; ++b) {
                        const uint64_t d = bitStart + b;
                        const int bit = (in[b / 8] >> (7 - b % 8)) & 1;
                        out[d / 8] =
                            static_cast<BYTE>((out[d / 8] & ~(0x80 >> (d % 8))) | (bit << (7 - d % 8)));
                    }
                }
            }
            for (uint32_t r = 0; r < th && y0 + r < m_height; ++r)
                storeRow(outRow(y0 + r), band.data() + uint64_t(r) * scan, separate ? q : -1);
        }
    return true;
}

HDIB CHiBitTiffReader::Read(HDIB dib) {
    if (!dib)
        return nullptr;
    bool ok = m_tiff && m_type >= 0;
    BYTE* block = ok ? static_cast<BYTE*>(GlobalLock(dib)) : nullptr;
    if (block) {
        const bool fits = DibGetWidth(block) == LONG(m_width) && DibGetHeight(block) == LONG(m_height) &&
                          DibGetBitCount(block) == (m_samplesPerPixel == 3 ? 48 : 16);
        ok = fits;
        if (ok && m_photometric == PHOTOMETRIC_PALETTE)
            ok = readPalette(block);
        if (ok)
            ok = readRows(block);
        GlobalUnlock(dib);
    }
    if (!ok) {
        GlobalFree(dib);
        return nullptr;
    }
    return dib;
}

} // namespace v3d
