// High-bit-depth TIFF: opening and classifying, reading into 16- and 48-bit bitmaps and
// writing bitmaps of every image type as uncompressed single-strip files.
#include "imaging/files/Tiff16.h"

#include "imaging/bitmaps/Dib.h"
#include "platform/File.h"
#include "platform/MessageSink.h"

#include <tiffio.h>

#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

// Message shown when the row buffer cannot be had.
constexpr UINT kMsgOutOfMemory = 876;

void QuietHandler(const char*, const char*, va_list) {}

// Single allocations libtiff may make for one file (strip offset arrays, strip buffers).
constexpr tmsize_t kTiffMaxSingleAlloc = tmsize_t(1) << 30;

class BitWriter {
public:
    explicit BitWriter(BYTE* out) : out_(out) {}
    void Put(uint32_t value, int bits) {
        for (int b = bits - 1; b >= 0; --b) {
            acc_ = static_cast<BYTE>((acc_ << 1) | ((value >> b) & 1u));
            if (++n_ == 8) {
                *out_++ = acc_;
                acc_ = 0;
                n_ = 0;
            }
        }
    }
    void Finish() {
        if (n_)
            *out_++ = static_cast<BYTE>(acc_ << (8 - n_));
        n_ = 0;
        acc_ = 0;
    }

private:
    BYTE* out_;
    BYTE acc_ = 0;
    int n_ = 0;
};

class BitReader {
public:
    explicit BitReader(const BYTE* in) : in_(in) {}
    uint32_t Get(int bits) {
        uint32_t v = 0;
        for (int b = 0; b < bits; ++b) {
            const int bit = (in_[pos_ >> 3] >> (7 - (pos_ & 7))) & 1;
            v = (v << 1) | static_cast<uint32_t>(bit);
            ++pos_;
        }
        return v;
    }

private:
    const BYTE* in_;
    uint64_t pos_ = 0;
};

uint16_t Native16(const BYTE* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

void StoreNative16(BYTE* p, uint16_t v) { std::memcpy(p, &v, 2); }

// Bit count of the bitmap that holds an image type, 0 for types that are not written.
int DepthOfType(int type) {
    switch (type) {
    case 0:
        return 8;
    case 3:
        return 24;
    case 4:
    case 5:
    case 6:
        return 16;
    case 7:
    case 8:
    case 9:
        return 48;
    default:
        return 0;
    }
}

int BitsOfType(int type) {
    switch (type) {
    case 4:
    case 7:
        return 10;
    case 5:
    case 8:
        return 12;
    case 6:
    case 9:
        return 16;
    default:
        return 8;
    }
}

} // namespace

TIFF* TiffOpenQuiet(const char* path, const char* mode) {
    static const bool handlersSet = [] {
        TIFFSetErrorHandler(&QuietHandler);
        TIFFSetWarningHandler(&QuietHandler);
        return true;
    }();
    (void)handlersSet;
    TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
    if (!opts)
        return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(opts, kTiffMaxSingleAlloc);
    // The library is handed a descriptor of a regular file, so that a FIFO or a device named as
    // a picture is refused instead of blocking the open. The TIFF owns the descriptor.
    const bool reading = mode[0] == 'r' && !std::strchr(mode, '+');
    const int fd = OpenRegularFile(path, reading          ? O_RDONLY
                                         : mode[0] == 'w' ? O_RDWR | O_CREAT | O_TRUNC
                                                          : O_RDWR);
    TIFF* tif = fd < 0 ? nullptr : TIFFFdOpenExt(fd, path, mode, opts);
    if (fd >= 0 && !tif)
        ::close(fd);
    TIFFOpenOptionsFree(opts);
    return tif;
}

int CTiff16::TypeFromSamples(int bitsPerSample, int samplesPerPixel, int photometric) {
    if (samplesPerPixel == 1) {
        switch (bitsPerSample) {
        case 8:
            return photometric == PHOTOMETRIC_PALETTE ? 1 : 0;
        case 10:
            return 4;
        case 12:
            return 5;
        case 16:
            return photometric == PHOTOMETRIC_PALETTE ? 12 : 6;
        default:
            return -1;
        }
    }
    if (samplesPerPixel == 3) {
        switch (bitsPerSample) {
        case 8:
            return 3;
        case 10:
            return 7;
        case 12:
            return 8;
        case 16:
            return 9;
        default:
            return -1;
        }
    }
    return -1;
}

CTiff16::~CTiff16() { Close(); }

void CTiff16::ReadTags() {
    uint32_t u32 = 0;
    uint16_t u16 = 0;
    auto get32 = [&](ttag_t tag, uint32_t dflt) -> uint32_t {
        uint32_t v = dflt;
        if (!TIFFGetField(m_tiff, tag, &v) && !TIFFGetFieldDefaulted(m_tiff, tag, &v))
            v = dflt;
        return v;
    };
    auto get16 = [&](ttag_t tag, uint16_t dflt) -> uint16_t {
        uint16_t v = dflt;
        if (!TIFFGetField(m_tiff, tag, &v) && !TIFFGetFieldDefaulted(m_tiff, tag, &v))
            v = dflt;
        return v;
    };
    (void)u32;
    (void)u16;
    m_width = get32(TIFFTAG_IMAGEWIDTH, 0);
    m_height = get32(TIFFTAG_IMAGELENGTH, 0);
    m_bitsPerSample = get16(TIFFTAG_BITSPERSAMPLE, 1);
    m_rowsPerStrip = static_cast<int>(get32(TIFFTAG_ROWSPERSTRIP, m_height));
    m_photometric = get16(TIFFTAG_PHOTOMETRIC, 1);
    m_samplesPerPixelRead = get16(TIFFTAG_SAMPLESPERPIXEL, 1);
    m_samplesPerPixel = m_samplesPerPixelRead;
    m_minSampleValue = get16(TIFFTAG_MINSAMPLEVALUE, 0);
    m_maxSampleValue = get16(TIFFTAG_MAXSAMPLEVALUE, 0);
    m_planarConfig = get16(TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    const tmsize_t scan = TIFFScanlineSize(m_tiff);
    m_scanlineSize = scan > 0 && scan < INT32_MAX ? static_cast<int>(scan) : 0;
    m_totalBits = static_cast<WORD>(m_bitsPerSample * m_samplesPerPixel);
    m_imageType = TypeFromSamples(m_bitsPerSample, m_samplesPerPixel, m_photometric);
}

BOOL CTiff16::Open(const char* path, const char* mode) {
    Close();
    m_tiff = TiffOpenQuiet(path, mode);
    if (!m_tiff)
        return FALSE;
    ReadTags();
    return TRUE;
}

BOOL CTiff16::IsHighBitDepth() {
    m_totalBits = static_cast<WORD>(m_bitsPerSample * m_samplesPerPixel);
    // The pair of sample size and sample count decides, not their product: two 8-bit
    // samples (grey and alpha) are no 16-bit grey image.
    switch (m_imageType) {
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 12:
        return TRUE;
    default:
        return FALSE;
    }
}

void CTiff16::PackGreyRow(BYTE* out, const BYTE* row16, DWORD width, int bits) {
    BitWriter w(out);
    const uint32_t mask = (1u << bits) - 1;
    for (DWORD x = 0; x < width; ++x)
        w.Put(le::get16(row16 + 2 * x) & mask, bits);
    w.Finish();
}

void CTiff16::PackRgbRow(BYTE* out, const BYTE* row48, DWORD width, int bits) {
    BitWriter w(out);
    const uint32_t mask = (1u << bits) - 1;
    for (DWORD x = 0; x < width; ++x) {
        const BYTE* p = row48 + 6 * static_cast<uint64_t>(x);
        w.Put(le::get16(p + 4) & mask, bits); // red
        w.Put(le::get16(p + 2) & mask, bits); // green
        w.Put(le::get16(p) & mask, bits);     // blue
    }
    w.Finish();
}

void CTiff16::UnpackGreyRow(BYTE* row16, const BYTE* in, DWORD width, int bits) {
    BitReader r(in);
    for (DWORD x = 0; x < width; ++x)
        le::put16(row16 + 2 * static_cast<uint64_t>(x), static_cast<uint16_t>(r.Get(bits)));
}

void CTiff16::UnpackRgbRow(BYTE* row48, const BYTE* in, DWORD width, int bits) {
    BitReader r(in);
    for (DWORD x = 0; x < width; ++x) {
        BYTE* p = row48 + 6 * static_cast<uint64_t>(x);
        le::put16(p + 4, static_cast<uint16_t>(r.Get(bits)));
        le::put16(p + 2, static_cast<uint16_t>(r.Get(bits)));
        le::put16(p, static_cast<uint16_t>(r.Get(bits)));
    }
}

bool CTiff16::ReadContiguous(BYTE* bits, uint64_t stride, BYTE* buffer, uint64_t bufferBytes) {
    (void)bufferBytes;
    const int spp = m_samplesPerPixel;
    const int bps = m_bitsPerSample;
    for (DWORD row = 0; row < m_height; ++row) {
        if (TIFFReadScanline(m_tiff, buffer, row, 0) < 1)
            return false;
        BYTE* dst = bits + (static_cast<uint64_t>(m_height) - 1 - row) * stride;
        if (bps == 8) {
            if (spp == 3)
                for (DWORD x = 0; x < m_width; ++x) {
                    dst[3 * x] = buffer[3 * x + 2];
                    dst[3 * x + 1] = buffer[3 * x + 1];
                    dst[3 * x + 2] = buffer[3 * x];
                }
            else
                std::memcpy(dst, buffer, m_width);
        } else if (spp == 3) {
            if (bps == 16) {
                for (DWORD x = 0; x < m_width; ++x) {
                    const BYTE* s = buffer + 6 * static_cast<uint64_t>(x);
                    BYTE* d = dst + 6 * static_cast<uint64_t>(x);
                    le::put16(d, Native16(s + 4));
                    le::put16(d + 2, Native16(s + 2));
                    le::put16(d + 4, Native16(s));
                }
            } else {
                UnpackRgbRow(dst, buffer, m_width, bps);
            }
        } else if (bps == 16) {
            for (DWORD x = 0; x < m_width; ++x)
                le::put16(dst + 2 * static_cast<uint64_t>(x), Native16(buffer + 2 * static_cast<uint64_t>(x)));
        } else {
            UnpackGreyRow(dst, buffer, m_width, bps);
        }
    }
    return true;
}

bool CTiff16::ReadSeparate(BYTE* bits, uint64_t stride, BYTE* buffer, uint64_t bufferBytes) {
    (void)bufferBytes;
    const int spp = m_samplesPerPixel;
    const int bps = m_bitsPerSample;
    const uint64_t pixelBytes = 2ull * static_cast<uint64_t>(spp);
    std::vector<BYTE> plane16;
    plane16.resize(2ull * m_width);
    // Plane by plane: all strips of one plane are decoded in order before the next plane
    // starts, so no strip is decoded twice.
    for (int q = 0; q < spp; ++q) {
        const uint64_t offset = spp == 3 ? 2ull * static_cast<uint64_t>(2 - q) : 0;
        for (DWORD row = 0; row < m_height; ++row) {
            if (TIFFReadScanline(m_tiff, buffer, row, static_cast<uint16_t>(q)) < 1)
                return false;
            BYTE* dst = bits + (static_cast<uint64_t>(m_height) - 1 - row) * stride;
            if (bps == 8) {
                for (DWORD x = 0; x < m_width; ++x)
                    dst[3ull * x + (2 - q)] = buffer[x];
            } else if (bps == 16) {
                for (DWORD x = 0; x < m_width; ++x)
                    le::put16(dst + x * pixelBytes + offset, Native16(buffer + 2 * static_cast<uint64_t>(x)));
            } else {
                UnpackGreyRow(plane16.data(), buffer, m_width, bps);
                for (DWORD x = 0; x < m_width; ++x)
                    std::memcpy(dst + x * pixelBytes + offset, plane16.data() + 2 * static_cast<uint64_t>(x), 2);
            }
        }
    }
    return true;
}

HDIB CTiff16::Read(HDIB dib) {
    if (!dib)
        return nullptr;
    // Deep types, and 8-bit grey and colour for thumbnails.
    bool ok = m_tiff && (m_imageType == 0 || m_imageType == 3 || (m_imageType >= 4 && m_imageType <= 9));
    if (ok) {
        // The lock ends before the bitmap may be freed.
        GlobalLockGuard lock(dib);
        ok = ReadLocked(lock.get());
    }
    if (!ok) {
        GlobalFree(dib);
        return nullptr;
    }
    return dib;
}

bool CTiff16::ReadLocked(BYTE* block) {
    if (!block)
        return false;
    const int bps = m_bitsPerSample;
    const int spp = m_samplesPerPixel;
    const int wantDepth = (spp == 3 ? 3 : 1) * (bps == 8 ? 8 : 16);
    if (static_cast<DWORD>(DibGetWidth(block)) != m_width || static_cast<DWORD>(DibGetHeight(block)) != m_height ||
        DibGetBitCount(block) != wantDepth)
        return false;
    const uint64_t stride = DibStride(m_width, wantDepth);
    const uint64_t rowSamples = m_planarConfig == PLANARCONFIG_SEPARATE ? 1 : static_cast<uint64_t>(spp);
    const uint64_t needed = (rowSamples * m_width * static_cast<uint64_t>(bps) + 7) / 8;
    const tmsize_t scan = TIFFScanlineSize(m_tiff);
    if (scan <= 0 || static_cast<uint64_t>(scan) < needed)
        return false;
    HGLOBAL hbuf = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(scan));
    if (!hbuf) {
        ShowMessage(kMsgOutOfMemory, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    bool ok;
    {
        GlobalLockGuard buf(hbuf);
        BYTE* bits = DibGetBits(block);
        ok = buf && (m_planarConfig == PLANARCONFIG_SEPARATE && spp > 1
                         ? ReadSeparate(bits, stride, buf.get(), static_cast<uint64_t>(scan))
                         : ReadContiguous(bits, stride, buf.get(), static_cast<uint64_t>(scan)));
    }
    GlobalFree(hbuf);
    return ok;
}

BOOL CTiff16::OpenForWrite(const char* path, const char* mode) {
    Close();
    if (!path || !*path)
        return FALSE;
    auto writer = std::make_unique<AtomicFileWriter>(path);
    if (!writer->Open())
        return FALSE;
    m_tiff = TiffOpenQuiet(writer->TempPath().c_str(), mode);
    if (!m_tiff) {
        writer->Abort();
        return FALSE;
    }
    m_writer = std::move(writer);
    m_writeOk = false;
    return TRUE;
}

BOOL CTiff16::Write(HDIB dib) {
    m_writeOk = false;
    if (!m_tiff || !dib)
        return FALSE;
    GlobalLockGuard lock(dib);
    if (!lock)
        return FALSE;
    const BYTE* block = lock.get();
    const int bitCount = DibGetBitCount(block);
    const LONG w = DibGetWidth(block);
    const LONG h = DibGetHeight(block);
    // The type names the layout of the rows: a type that does not match the bitmap's depth
    // would read past its rows.
    if (DepthOfType(m_imageType) == 0 || DepthOfType(m_imageType) != bitCount || w <= 0 || h <= 0)
        return FALSE;
    const int type = m_imageType;
    const int spp = (type == 3 || type >= 7) ? 3 : 1;
    const int bps = BitsOfType(type);
    m_bitsPerSample = static_cast<WORD>(bps);
    m_samplesPerPixel = static_cast<WORD>(spp);
    m_photometric = spp == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    m_totalBits = static_cast<WORD>(bitCount);
    m_width = static_cast<DWORD>(w);
    m_height = static_cast<DWORD>(h);
    m_rowsPerStrip = h;

    const uint64_t rowBytes = (static_cast<uint64_t>(spp) * m_width * static_cast<uint64_t>(bps) + 7) / 8;
    std::vector<BYTE> row;
    try {
        row.resize(rowBytes + 8);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    TIFFSetField(m_tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(m_width));
    TIFFSetField(m_tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(m_height));
    TIFFSetField(m_tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(m_tiff, TIFFTAG_BITSPERSAMPLE, bps);
    TIFFSetField(m_tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(m_tiff, TIFFTAG_PHOTOMETRIC, m_photometric);
    TIFFSetField(m_tiff, TIFFTAG_SAMPLESPERPIXEL, spp);
    TIFFSetField(m_tiff, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(m_height));
    TIFFSetField(m_tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_NONE);
    TIFFSetField(m_tiff, TIFFTAG_XRESOLUTION, 72.0f);
    TIFFSetField(m_tiff, TIFFTAG_YRESOLUTION, 72.0f);
    TIFFSetField(m_tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(m_tiff, TIFFTAG_ARTIST, "");
    TIFFSetField(m_tiff, TIFFTAG_IMAGEDESCRIPTION, "");
    TIFFSetField(m_tiff, TIFFTAG_SOFTWARE, "");

    const BYTE* bits = DibGetBits(block);
    const uint64_t stride = DibStride(m_width, bitCount);
    for (DWORD r = 0; r < m_height; ++r) {
        const BYTE* src = bits + (static_cast<uint64_t>(m_height) - 1 - r) * stride;
        BYTE* out = row.data();
        if (spp == 3 && bps == 8) {
            for (DWORD x = 0; x < m_width; ++x) {
                out[3 * x] = src[3 * x + 2];
                out[3 * x + 1] = src[3 * x + 1];
                out[3 * x + 2] = src[3 * x];
            }
        } else if (spp == 3 && bps == 16) {
            for (DWORD x = 0; x < m_width; ++x) {
                const BYTE* p = src + 6 * static_cast<uint64_t>(x);
                StoreNative16(out + 6 * static_cast<uint64_t>(x), le::get16(p + 4));
                StoreNative16(out + 6 * static_cast<uint64_t>(x) + 2, le::get16(p + 2));
                StoreNative16(out + 6 * static_cast<uint64_t>(x) + 4, le::get16(p));
            }
        } else if (spp == 3) {
            PackRgbRow(out, src, m_width, bps);
        } else if (bps == 8) {
            std::memcpy(out, src, m_width);
        } else if (bps == 16) {
            for (DWORD x = 0; x < m_width; ++x)
                StoreNative16(out + 2 * static_cast<uint64_t>(x), le::get16(src + 2 * static_cast<uint64_t>(x)));
        } else {
            PackGreyRow(out, src, m_width, bps);
        }
        if (TIFFWriteScanline(m_tiff, out, r, 0) < 0)
            return FALSE;
    }
    if (!TIFFFlushData(m_tiff) || !TIFFFlush(m_tiff))
        return FALSE;
    m_writeOk = true;
    return TRUE;
}

BOOL CTiff16::Close() {
    BOOL result = TRUE;
    if (m_tiff) {
        TIFFClose(m_tiff);
        m_tiff = nullptr;
    }
    if (m_writer) {
        // The target is replaced only by a file whose rows and directory were all written.
        if (m_writeOk)
            result = m_writer->Commit();
        else {
            m_writer->Abort();
            result = FALSE;
        }
        m_writer.reset();
        m_writeOk = false;
    }
    return result;
}
