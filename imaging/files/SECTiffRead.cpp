// Reading TIFF files into the TIFF image class.
#include "imaging/files/SECTiff.h"

#include "imaging/files/ImageFileMemory.h"
#include "imaging/files/Tiff16.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <vector>

struct SECTiff::ReadState {
    uint32_t width = 0;
    uint32_t height = 0;
    BYTE* bits = nullptr;     // top-down rows at the padded stride
    uint64_t stride = 0;      // padded row size of the output rows
    int outBytes = 1;         // 1 (8-bit output) or 3 (blue, green, red)
    bool bottomOrigin = false;
    int bps = 8;
    int spp = 1;
    bool separate = false;
    // Value stored for each sample value; identity when the file's values are kept.
    std::array<BYTE, 256> lut{};

    BYTE* Row(uint32_t fileRow) const {
        const uint64_t y = bottomOrigin ? height - 1 - fileRow : fileRow;
        return bits + y * stride;
    }
};

namespace {

// Sample value x of a row of `bps`-bit samples, most significant bits first.
inline unsigned SampleAt(const BYTE* src, uint64_t index, int bps) {
    if (bps == 8)
        return src[index];
    const uint64_t bit = index * static_cast<uint64_t>(bps);
    const unsigned byte = src[bit >> 3];
    const int shift = 8 - bps - static_cast<int>(bit & 7);
    return (byte >> shift) & ((1u << bps) - 1);
}

// Stores `count` pixels of contiguous samples, starting at output column x0.
void PutContig(const SECTiff::ReadState& st, BYTE* dst, uint64_t x0, const BYTE* src, uint64_t count) {
    if (st.outBytes == 3) {
        BYTE* d = dst + 3 * x0;
        for (uint64_t x = 0; x < count; ++x, d += 3, src += 3) {
            d[0] = st.lut[src[2]];
            d[1] = st.lut[src[1]];
            d[2] = st.lut[src[0]];
        }
        return;
    }
    for (uint64_t x = 0; x < count; ++x)
        dst[x0 + x] = st.lut[SampleAt(src, x, st.bps)];
}

// Stores one plane q of `count` pixels of a three-sample image: red, green, blue planes go
// to bytes 2, 1, 0 of the pixel.
void PutPlane(const SECTiff::ReadState& st, BYTE* dst, uint64_t x0, const BYTE* src, uint64_t count, int q) {
    BYTE* d = dst + 3 * x0 + (2 - q);
    for (uint64_t x = 0; x < count; ++x, d += 3)
        *d = st.lut[src[x]];
}

} // namespace

bool SECTiff::ReadStrips(ReadState& st) {
    const tmsize_t scan = TIFFScanlineSize(m_tiff);
    const uint64_t rowSamples = st.separate ? 1 : static_cast<uint64_t>(st.spp);
    const uint64_t needed = (rowSamples * st.width * static_cast<uint64_t>(st.bps) + 7) / 8;
    if (scan <= 0 || static_cast<uint64_t>(scan) < needed)
        return false;
    std::vector<BYTE> buf(static_cast<size_t>(scan));
    if (st.separate) {
        // Plane by plane, so that each strip is decoded once.
        for (int q = 0; q < st.spp; ++q) {
            for (uint32_t row = 0; row < st.height; ++row) {
                if (TIFFReadScanline(m_tiff, buf.data(), row, static_cast<uint16_t>(q)) < 1)
                    return false;
                PutPlane(st, st.Row(row), 0, buf.data(), st.width, q);
            }
        }
        return true;
    }
    for (uint32_t row = 0; row < st.height; ++row) {
        if (TIFFReadScanline(m_tiff, buf.data(), row, 0) < 1)
            return false;
        PutContig(st, st.Row(row), 0, buf.data(), st.width);
    }
    return true;
}

bool SECTiff::ReadTiles(ReadState& st) {
    uint32_t tw = 0, tl = 0;
    if (!TIFFGetField(m_tiff, TIFFTAG_TILEWIDTH, &tw) || !TIFFGetField(m_tiff, TIFFTAG_TILELENGTH, &tl) || tw == 0 ||
        tl == 0)
        return false;
    const tmsize_t tileSize = TIFFTileSize(m_tiff);
    const uint64_t rowSamples = st.separate ? 1 : static_cast<uint64_t>(st.spp);
    const uint64_t tileRow = (rowSamples * tw * static_cast<uint64_t>(st.bps) + 7) / 8;
    if (tileSize <= 0 || static_cast<uint64_t>(tileSize) / tl < tileRow)
        return false;
    std::vector<BYTE> buf(static_cast<size_t>(tileSize));
    const int planes = st.separate ? st.spp : 1;
    for (uint32_t ty = 0; ty < st.height; ty += tl) {
        const uint32_t rows = std::min(tl, st.height - ty);
        for (uint32_t tx = 0; tx < st.width; tx += tw) {
            const uint32_t cols = std::min(tw, st.width - tx);
            for (int q = 0; q < planes; ++q) {
                // A tile that cannot be decoded is handed on as zeros, never as the
                // previous tile's pixels.
                if (TIFFReadTile(m_tiff, buf.data(), tx, ty, 0, static_cast<uint16_t>(q)) < 0)
                    std::fill(buf.begin(), buf.end(), BYTE(0));
                for (uint32_t r = 0; r < rows; ++r) {
                    const BYTE* src = buf.data() + static_cast<uint64_t>(r) * tileRow;
                    if (st.separate)
                        PutPlane(st, st.Row(ty + r), tx, src, cols, q);
                    else
                        PutContig(st, st.Row(ty + r), tx, src, cols);
                }
            }
        }
    }
    return true;
}

bool SECTiff::ReadThroughRgba(ReadState& st) {
    char emsg[1024] = {0};
    if (!TIFFRGBAImageOK(m_tiff, emsg))
        return false;
    // The raster was counted in the memory granted for the load.
    const uint64_t pixels = static_cast<uint64_t>(st.width) * st.height;
    std::vector<uint32_t> raster;
    try {
        raster.resize(pixels);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!TIFFReadRGBAImageOriented(m_tiff, st.width, st.height, raster.data(), ORIENTATION_TOPLEFT, 0))
        return false;
    for (uint32_t y = 0; y < st.height; ++y) {
        BYTE* d = st.bits + static_cast<uint64_t>(y) * st.stride;
        const uint32_t* s = raster.data() + static_cast<uint64_t>(y) * st.width;
        for (uint32_t x = 0; x < st.width; ++x, d += 3) {
            d[0] = static_cast<BYTE>(TIFFGetB(s[x]));
            d[1] = static_cast<BYTE>(TIFFGetG(s[x]));
            d[2] = static_cast<BYTE>(TIFFGetR(s[x]));
        }
    }
    return true;
}

bool SECTiff::ReadImage(ReadState& st) {
    const int bps = m_bitsPerSample;
    const int spp = m_samplesPerPixel;
    uint16_t photometric = 0;
    if (!TIFFGetField(m_tiff, TIFFTAG_PHOTOMETRIC, &photometric))
        photometric = spp == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB;
    m_photometric = photometric;

    // Sample range from the file, kept inside what the samples can hold, and never empty.
    const unsigned full = (1u << bps) - 1;
    uint16_t minV = 0, maxV = static_cast<uint16_t>(full);
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_MINSAMPLEVALUE, &minV);
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_MAXSAMPLEVALUE, &maxV);
    unsigned hi = std::min<unsigned>(maxV, full);
    unsigned lo = std::min<unsigned>(minV, full);
    if (hi <= lo) {
        lo = 0;
        hi = full;
    }
    const unsigned r = hi - lo;

    std::array<BYTE, 256> greyMap{};
    for (unsigned i = 0; i < 256; ++i) {
        const unsigned v = std::min(i, r);
        greyMap[i] = static_cast<BYTE>(v * 255 / r);
    }
    for (unsigned i = 0; i < 256; ++i)
        st.lut[i] = static_cast<BYTE>(i);

    BYTE* table = m_colorTable;
    switch (photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK: {
        if (spp != 1)
            return false;
        if (photometric == PHOTOMETRIC_MINISWHITE)
            for (unsigned i = 0; i < 256; ++i)
                greyMap[i] = static_cast<BYTE>(255 - greyMap[i]);
        if (bps == 8) {
            // The pixels keep the file's values; the colour table shows them.
            for (unsigned i = 0; i < 256; ++i)
                table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = greyMap[i];
            m_colorCount = static_cast<WORD>(r + 1);
        } else {
            // Fewer bits than a byte: the pixels become grey levels under a grey ramp.
            st.lut = greyMap;
            for (unsigned i = 0; i < 256; ++i)
                table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = static_cast<BYTE>(i);
            m_colorCount = 256;
        }
        break;
    }
    case PHOTOMETRIC_RGB:
        if (spp != 3 || bps != 8)
            return false;
        m_samplesPerPixelStep = 3;
        if (!(lo == 0 && hi == 255))
            st.lut = greyMap;
        m_colorCount = 0;
        break;
    case PHOTOMETRIC_PALETTE: {
        if (spp != 1)
            return false;
        uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (!TIFFGetField(m_tiff, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue)
            return false;
        const unsigned n = 1u << bps;
        bool wide = false;
        for (unsigned i = 0; i < n; ++i)
            wide = wide || red[i] >= 256 || green[i] >= 256 || blue[i] >= 256;
        for (unsigned i = 0; i < n; ++i) {
            auto conv = [&](uint16_t v) { return static_cast<BYTE>(wide ? v * 255u / 65535u : v); };
            table[4 * i] = conv(blue[i]);
            table[4 * i + 1] = conv(green[i]);
            table[4 * i + 2] = conv(red[i]);
        }
        m_colorCount = static_cast<WORD>(n);
        break;
    }
    case PHOTOMETRIC_YCBCR:
        if (spp != 3 || bps != 8)
            return false;
        m_samplesPerPixelStep = 3;
        m_colorCount = 0;
        return ReadThroughRgba(st);
    default:
        return false;
    }
    if (st.separate && spp == 1)
        st.separate = false;
    return TIFFIsTiled(m_tiff) ? ReadTiles(st) : ReadStrips(st);
}

bool SECTiff::LoadOpenFile(SECTiff& into) {
    uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_ORIENTATION, &orientation);
    // Only the origin row is honoured: top-origin files are stored top row first.
    const bool bottomOrigin = orientation == 3 || orientation == 4 || orientation == 7 || orientation == 8;
    m_orientation = bottomOrigin ? 1 : 4;

    uint32_t width = 0, height = 0;
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetField(m_tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(m_tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_BITSPERSAMPLE, &m_bitsPerSample);
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_SAMPLESPERPIXEL, &m_samplesPerPixel);
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_PLANARCONFIG, &m_planarConfig);
    m_compression = compression;
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return false;

    const int bps = m_bitsPerSample;
    const int spp = m_samplesPerPixel;
    int outBits;
    if (spp == 1 && (bps == 1 || bps == 2 || bps == 4 || bps == 8))
        outBits = 8;
    else if (spp == 3 && bps == 8)
        outBits = 24;
    else
        return false; // 16-bit and 48-bit files belong to the high-bit-depth reader

    // The rows, one scanline or tile of the file, and for YCbCr files the colour raster the
    // library converts into.
    const uint64_t stride = PaddedRowBytes(outBits, width);
    const tmsize_t unit = TIFFIsTiled(m_tiff) ? TIFFTileSize(m_tiff) : TIFFScanlineSize(m_tiff);
    uint64_t working = unit > 0 ? static_cast<uint64_t>(unit) : 0;
    uint16_t photometric = 0;
    if (TIFFGetField(m_tiff, TIFFTAG_PHOTOMETRIC, &photometric) && photometric == PHOTOMETRIC_YCBCR)
        working += 4ull * width * height;
    const ImageMemoryGrant memory = ReserveImageMemory(stride * height + working);
    if (!memory)
        return false;

    into.m_info = AllocBlock(BITMAPINFOHEADER::kSize + (outBits == 8 ? 256 * 4 : 0));
    if (!into.m_info)
        return false;
    into.m_colorTable = outBits == 8 ? into.m_info + BITMAPINFOHEADER::kSize : nullptr;
    into.m_bits = AllocBlock(stride * height);
    if (!into.m_bits)
        return false;
    into.m_bitsPerPixel = outBits;
    into.m_width = width;
    into.m_height = height;
    into.m_rowWidth = static_cast<DWORD>(stride);
    into.m_rowsPadded = TRUE;

    ReadState st;
    st.width = width;
    st.height = height;
    st.bits = into.m_bits;
    st.stride = stride;
    st.outBytes = outBits / 8;
    st.bottomOrigin = bottomOrigin;
    st.bps = bps;
    st.spp = spp;
    st.separate = m_planarConfig == PLANARCONFIG_SEPARATE;
    m_colorTable = into.m_colorTable;
    const bool ok = ReadImage(st);
    m_colorTable = nullptr;
    into.m_colorCount = m_colorCount;
    m_colorCount = 0;
    if (!ok)
        return false;

    into.StoreRgbInfoHeader(width, height, m_planes, outBits,
                            static_cast<DWORD>(std::min<uint64_t>(stride * height, 0xFFFFFFFFu)));
    return into.FlipRows() && into.BuildInfoHeader();
}

BOOL SECTiff::ReadFromPath(const char* path) {
    if (!path)
        return FALSE;
    m_tiff = TiffOpenQuiet(path, "r");
    if (!m_tiff)
        return FALSE;
    SECTiff loaded;
    const bool ok = LoadOpenFile(loaded);
    TIFFClose(m_tiff);
    m_tiff = nullptr;
    // A later save writes with the default codec, never with the loaded file's one, which
    // may be a codec that can only be read.
    m_compression = COMPRESSION_NONE;
    if (!ok)
        return FALSE;
    FreeImage();
    TakeOver(loaded);
    return TRUE;
}

BOOL SECTiff::ReadBody(CFile*) { return FALSE; }

BOOL SECTiff::WriteBody(CFile*) { return FALSE; }
