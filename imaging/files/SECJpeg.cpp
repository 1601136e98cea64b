// Decoding and encoding of the JPEG image class.
#include "imaging/files/SECJpeg.h"
#include "imaging/files/ImageFileMemory.h"
#include "imaging/files/SECJpegCodec.h"

#include "platform/File.h"

#include <algorithm>
#include <cstring>

namespace {

// Progressive files may hold any number of scans; more than this is no photograph but a
// way to keep the decoder busy.
constexpr int kMaxScans = 1000;

struct ScanLimit {
    jpeg_progress_mgr pub;
};

void CheckScans(j_common_ptr cinfo) {
    if (cinfo->is_decompressor) {
        auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
        if (d->input_scan_number > kMaxScans)
            ERREXIT(cinfo, JERR_BAD_SCAN_SCRIPT);
    }
}

struct DecodeJob {
    jpeg_decompress_struct cinfo;
    SECJpegError err;
    ScanLimit progress;
    bool created = false;
    BYTE* info = nullptr;
    BYTE* bits = nullptr;
    uint64_t bitsBytes = 0;
    int bitCount = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    WORD colorCount = 0;
    ImageMemoryGrant memory;
};

// Everything between the jump target and the codec calls lives in the job, so that an
// error exit skips no destructor.
int Decode(DecodeJob& job, CFile* file, WORD screenColorCount) {
    jpeg_decompress_struct& cinfo = job.cinfo;
    if (setjmp(job.err.jump))
        return 0;
    jpeg_create_decompress(&cinfo);
    job.created = true;
    job.progress.pub.progress_monitor = &CheckScans;
    cinfo.progress = &job.progress.pub;
    SECJpeg::SetCFileSource(&cinfo, file);
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
        return 0;

    bool cmyk = false;
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo.out_color_space = JCS_GRAYSCALE;
        job.bitCount = 8;
        job.colorCount = 256;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        // Four-ink files are turned into blue, green, red here.
        cinfo.out_color_space = JCS_CMYK;
        cmyk = true;
        job.bitCount = 24;
        job.colorCount = screenColorCount;
        break;
    default:
        cinfo.out_color_space = JCS_EXT_BGR;
        job.bitCount = 24;
        job.colorCount = screenColorCount;
        break;
    }
    if (job.colorCount != 0 && job.colorCount < 256)
        job.colorCount = 256;
    job.width = cinfo.image_width;
    job.height = cinfo.image_height;
    const uint64_t stride = SECImage::PaddedRowBytes(job.bitCount, job.width);
    job.bitsBytes = stride * job.height;
    if (job.width == 0 || job.height == 0)
        return 0;
    job.memory = ReserveImageMemory(job.bitsBytes + SECJpeg::DecoderWorkingBytes(&cinfo));
    if (!job.memory)
        return 0;
    job.info = SECImage::AllocBlock(BITMAPINFOHEADER::kSize + 4ull * job.colorCount);
    job.bits = SECImage::AllocBlock(job.bitsBytes);
    if (!job.info || !job.bits)
        return 0;

    jpeg_start_decompress(&cinfo);
    const JDIMENSION rowLen = cinfo.output_width * static_cast<JDIMENSION>(cinfo.output_components);
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, rowLen, 1);
    const uint64_t packed = SECImage::PackedRowBytes(job.bitCount, job.width);
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION y = cinfo.output_scanline;
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1)
            break;
        if (y >= job.height)
            break;
        BYTE* dst = job.bits + static_cast<uint64_t>(y) * stride;
        if (!cmyk) {
            std::memcpy(dst, row[0], std::min<uint64_t>(packed, rowLen));
            continue;
        }
        CmykRowToBgr(row[0], dst, job.width, cinfo.saw_Adobe_marker);
    }
    if (job.bitCount == 8) {
        BYTE* table = job.info + BITMAPINFOHEADER::kSize;
        for (unsigned i = 0; i < 256; ++i)
            table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = static_cast<BYTE>(i);
    }
    jpeg_finish_decompress(&cinfo);
    return 1;
}

struct EncodeJob {
    jpeg_compress_struct cinfo;
    SECJpegError err;
    bool created = false;
};

// Grey level of a colour-table entry (blue, green, red, reserved).
inline BYTE Luma(const BYTE* entry) {
    return static_cast<BYTE>((entry[2] * 299u + entry[1] * 587u + entry[0] * 114u + 500u) / 1000u);
}

int Encode(EncodeJob& job, SECJpeg& image, CFile* file) {
    jpeg_compress_struct& cinfo = job.cinfo;
    if (setjmp(job.err.jump))
        return 0;
    jpeg_create_compress(&cinfo);
    job.created = true;
    SECJpeg::SetCFileDestination(&cinfo, file);
    const int bpp = image.m_bitsPerPixel;
    const bool grey = bpp <= 8 && image.m_colorMode != 1;
    cinfo.image_width = image.m_width;
    cinfo.image_height = image.m_height;
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, image.m_quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);

    const uint64_t w = image.m_width;
    const uint64_t h = image.m_height;
    const uint64_t stride = image.m_rowsPadded ? SECImage::PaddedRowBytes(bpp, w) : SECImage::PackedRowBytes(bpp, w);
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                static_cast<JDIMENSION>(w * (grey ? 1 : 3)), 1);
    // Entries of the colour table that the info block really holds.
    uint64_t entries = 0;
    if (image.m_colorTable) {
        const SIZE_T infoSize = GlobalSize(GlobalHandle(image.m_info));
        entries = infoSize > BITMAPINFOHEADER::kSize ? (infoSize - BITMAPINFOHEADER::kSize) / 4 : 0;
    }
    static const BYTE kBlack[4] = {0, 0, 0, 0};
    auto entry = [&](unsigned index) -> const BYTE* {
        return index < entries ? image.m_colorTable + 4ull * index : kBlack;
    };
    for (uint64_t r = 0; r < h; ++r) {
        const BYTE* src = image.m_bits + (h - 1 - r) * stride;
        BYTE* out = row[0];
        if (bpp == 24) {
            std::memcpy(out, src, 3 * w);
        } else {
            for (uint64_t x = 0; x < w; ++x) {
                unsigned index;
                if (bpp == 8) {
                    index = src[x];
                } else if (bpp == 4) {
                    index = (x & 1) ? (src[x / 2] & 0x0F) : (src[x / 2] >> 4);
                } else {
                    const int bit = image.m_bitOrder == 1 ? 7 - static_cast<int>(x & 7) : static_cast<int>(x & 7);
                    index = (src[x / 8] >> bit) & 1u;
                }
                if (!grey) {
                    const BYTE* e = entry(index);
                    out[3 * x] = e[0];
                    out[3 * x + 1] = e[1];
                    out[3 * x + 2] = e[2];
                } else {
                    // 8-bit values are grey levels as they stand; 1- and 4-bit indices
                    // become the grey of their table colour.
                    out[x] = bpp == 8 ? static_cast<BYTE>(index) : Luma(entry(index));
                }
            }
        }
        jpeg_write_scanlines(&cinfo, row, 1);
    }
    jpeg_finish_compress(&cinfo);
    return 1;
}

} // namespace

IMPLEMENT_DYNCREATE(SECJpeg, CObject)

uint64_t SECJpeg::DecoderWorkingBytes(jpeg_decompress_struct* cinfo) {
    // Files of several scans (progressive ones above all) are gathered as coefficients, 64
    // two-byte values per 8 x 8 block of each component, before any row comes out.
    if (!jpeg_has_multiple_scans(cinfo))
        return 0;
    uint64_t bytes = 0;
    for (int c = 0; c < cinfo->num_components; ++c) {
        const jpeg_component_info& comp = cinfo->comp_info[c];
        const uint64_t h = comp.h_samp_factor > 0 ? static_cast<uint64_t>(comp.h_samp_factor) : 1;
        const uint64_t v = comp.v_samp_factor > 0 ? static_cast<uint64_t>(comp.v_samp_factor) : 1;
        const uint64_t across = (comp.width_in_blocks + h - 1) / h * h;
        const uint64_t down = (comp.height_in_blocks + v - 1) / v * v;
        bytes += across * down * sizeof(JBLOCK);
    }
    return bytes;
}

BOOL SECJpeg::ReadBody(CFile* file) {
    if (!file)
        return FALSE;
    DecodeJob job;
    std::exception_ptr pending;
    job.err.pending = &pending;
    job.cinfo.err = InitErrorManager(&job.err.pub);
    const int ok = Decode(job, file, m_screenColorCount);
    if (job.created)
        jpeg_destroy_decompress(&job.cinfo);
    if (!ok) {
        FreeBlock(job.info);
        FreeBlock(job.bits);
        if (pending)
            std::rethrow_exception(pending);
        return FALSE;
    }
    FreeImage();
    m_info = job.info;
    m_colorTable = job.info + BITMAPINFOHEADER::kSize;
    m_bits = job.bits;
    m_decodedSize = job.bitsBytes;
    m_bitsPerPixel = job.bitCount;
    m_width = job.width;
    m_height = job.height;
    m_colorCount = job.colorCount;
    StoreRgbInfoHeader(job.width, job.height, 1, job.bitCount, 0);
    // Rows were stored top row first at the padded size: turn them bottom-up.
    m_rowsPadded = TRUE;
    return FlipRows();
}

BOOL SECJpeg::WriteBody(CFile* file) {
    if (!file || !HoldsImage())
        return FALSE;
    const int bpp = m_bitsPerPixel;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24)
        return FALSE; // 16-, 32- and 48-bit rows have no JPEG form here
    EncodeJob job;
    std::exception_ptr pending;
    job.err.pending = &pending;
    job.cinfo.err = InitErrorManager(&job.err.pub);
    const int ok = Encode(job, *this, file);
    if (job.created)
        jpeg_destroy_compress(&job.cinfo);
    if (pending)
        std::rethrow_exception(pending);
    return ok ? TRUE : FALSE;
}
