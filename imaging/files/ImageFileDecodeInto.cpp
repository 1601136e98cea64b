// Image files decoded into a bitmap the caller reuses for the files of a series.
#include "imaging/files/ImageFileDecodeInto.h"

#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "imaging/files/ImageFileMemory.h"
#include "imaging/files/SECDib.h"
#include "imaging/files/SECJpeg.h"
#include "imaging/files/SECJpegCodec.h"
#include "imaging/files/Tiff16.h"
#include "platform/File.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

namespace {

// Makes *bitmap a bitmap of the size and kind: the one given when it has them, else a new
// one (the old one is freed first, so that two frames are never held for one). Read when the
// bitmap is ready; NoMemory when the platform does not have the memory for it, unless a bitmap
// of another size was given: an image that differs from the series and does not fit either is
// taken as unreadable, not as a lack of memory for the series.
// The memory a new bitmap and the decoder's own working bytes need is asked for first, as every
// reader does, so that a header declaring a huge image is refused before anything is allocated;
// the grant is held in *grant until the caller has filled the rows.
ImageFileRead FitBitmap(HDIB* bitmap, int width, int height, int kind, int bitCount, ImageMemoryGrant* grant,
                        uint64_t workingBytes = 0) {
    const bool given = *bitmap != nullptr;
    bool reuse = false;
    if (given) {
        GlobalLockGuard g(*bitmap);
        reuse = g && DibGetWidth(g.get()) == width && DibGetHeight(g.get()) == height &&
                DibGetBitCount(g.get()) == bitCount && DibHeaderSize(g.get()) == BITMAPINFOHEADER::kSize;
    }
    const uint64_t imageBytes =
        static_cast<uint64_t>(DibStride(width, bitCount)) * static_cast<uint64_t>(height);
    // Beyond the size the image-file classes take the file is refused, as they refuse it.
    if (!reuse && imageBytes > SECImage::MaxImageBytes())
        return ImageFileRead::Unreadable;
    const uint64_t need = (reuse ? 0 : imageBytes + BITMAPINFOHEADER::kSize + 256 * 4) + workingBytes;
    if (need) {
        *grant = ReserveImageMemory(need);
        // A bitmap of the series that only lacks the decoder's working memory is short of memory.
        if (!*grant)
            return given && !reuse ? ImageFileRead::Unreadable : ImageFileRead::NoMemory;
    }
    if (reuse)
        return ImageFileRead::Read;
    if (*bitmap)
        GlobalFree(*bitmap);
    *bitmap = DibCreateOfKind(width, height, kind);
    if (*bitmap)
        return ImageFileRead::Read;
    return given ? ImageFileRead::Unreadable : ImageFileRead::NoMemory;
}

// ---- BMP ------------------------------------------------------------------------------------

ImageFileRead ReadBmp(CFile& file, HDIB* bitmap) {
    const uint64_t length = file.GetLength();
    thread_local std::vector<BYTE> table;
    BmpLayout layout;
    const BmpByteSource source = BmpFileSource(&file);
    // The bitmap's memory is asked for below, only when the given bitmap cannot be reused.
    if (!ReadBmpHeaders(source, length, kBmpDepths8And24, layout, table, false))
        return ImageFileRead::Unreadable;
    const int w = layout.header.biWidth, h = layout.header.biHeight, bc = layout.header.biBitCount;
    ImageMemoryGrant grant;
    if (const ImageFileRead fit =
            FitBitmap(bitmap, w, h, bc == 8 ? DIB_KIND_GREY8 : DIB_KIND_RGB24, bc, &grant);
        fit != ImageFileRead::Read)
        return fit;
    GlobalLockGuard g(*bitmap);
    BYTE* block = g.get();
    if (layout.stride != DibStride(w, bc))
        return ImageFileRead::Unreadable;
    if (bc == 8) {
        // The file's entries; a shorter table leaves the rest black, as an index beyond the
        // file's table shows nothing else.
        BYTE* t = block + BITMAPINFOHEADER::kSize;
        std::memset(t, 0, 256 * 4);
        std::memcpy(t, table.data(), std::min<size_t>(table.size(), 256 * 4));
    }
    BYTE* rows = DibGetBits(block);
    if (source(rows, layout.imageBytes) != layout.imageBytes)
        return ImageFileRead::Unreadable;
    if (layout.topDown)
        FlipBmpRows(rows, layout.stride, static_cast<uint64_t>(h));
    return ImageFileRead::Read;
}

// ---- JPEG -----------------------------------------------------------------------------------

// Progressive files may hold any number of scans; more than this is no photograph but a way to
// keep the decoder busy.
constexpr int kMaxScans = 1000;

void CheckScans(j_common_ptr cinfo) {
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        ERREXIT(cinfo, JERR_BAD_SCAN_SCRIPT);
}

// Everything the codec needs outlives the jump back from its error exit.
struct JpegJob {
    jpeg_decompress_struct cinfo;
    SECJpegError err;
    jpeg_progress_mgr progress;
    bool created = false;
    HDIB locked = nullptr;  // the bitmap whose rows are being written, unlocked by the caller
    ImageMemoryGrant grant; // the rows and the decoder's working memory, held while decoding
    ImageFileRead result = ImageFileRead::Unreadable;
};

// Decodes into the bitmap's rows, bottom row last in the file and first in memory.
void DecodeJpeg(JpegJob& job, CFile* file, HDIB* bitmap) {
    jpeg_decompress_struct& cinfo = job.cinfo;
    if (setjmp(job.err.jump))
        return;
    jpeg_create_decompress(&cinfo);
    job.created = true;
    job.progress.progress_monitor = &CheckScans;
    cinfo.progress = &job.progress;
    SECJpeg::SetCFileSource(&cinfo, file);
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
        return;
    bool cmyk = false;
    int bitCount = 24;
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo.out_color_space = JCS_GRAYSCALE;
        bitCount = 8;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo.out_color_space = JCS_CMYK; // four inks are turned into blue, green, red below
        cmyk = true;
        break;
    default:
        cinfo.out_color_space = JCS_EXT_BGR;
        break;
    }
    const JDIMENSION w = cinfo.image_width, h = cinfo.image_height;
    if (w == 0 || h == 0 || w > 0x7FFFFFFF || h > 0x7FFFFFFF)
        return;
    const ImageFileRead fit = FitBitmap(bitmap, static_cast<int>(w), static_cast<int>(h),
                                        bitCount == 8 ? DIB_KIND_GREY8 : DIB_KIND_RGB24, bitCount, &job.grant,
                                        SECJpeg::DecoderWorkingBytes(&cinfo));
    if (fit != ImageFileRead::Read) {
        job.result = fit;
        return;
    }
    BYTE* block = static_cast<BYTE*>(GlobalLock(*bitmap));
    if (!block)
        return;
    job.locked = *bitmap;
    BYTE* bits = DibGetBits(block);
    const size_t stride = DibStride(w, bitCount);
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_width != w || cinfo.output_height != h)
        return;
    JSAMPARRAY inks = nullptr;
    if (cmyk)
        inks = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, w * 4, 1);
    // Row pointers into the bitmap for as many rows as the decoder gives at once.
    JSAMPROW rows[16];
    const int batch = std::clamp(cinfo.rec_outbuf_height, 1, 16);
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION y = cinfo.output_scanline;
        if (cmyk) {
            if (jpeg_read_scanlines(&cinfo, inks, 1) != 1)
                return;
            CmykRowToBgr(inks[0], bits + (h - 1 - y) * stride, w, cinfo.saw_Adobe_marker);
            continue;
        }
        const int n = static_cast<int>(std::min<JDIMENSION>(static_cast<JDIMENSION>(batch), h - y));
        for (int i = 0; i < n; ++i)
            rows[i] = bits + (h - 1 - (y + i)) * stride;
        if (jpeg_read_scanlines(&cinfo, rows, static_cast<JDIMENSION>(n)) == 0)
            return;
    }
    jpeg_finish_decompress(&cinfo);
    job.result = ImageFileRead::Read;
}

ImageFileRead ReadJpeg(CFile& file, HDIB* bitmap) {
    JpegJob job;
    std::exception_ptr pending;
    job.err.pending = &pending;
    job.cinfo.err = SECJpeg::InitErrorManager(&job.err.pub);
    DecodeJpeg(job, &file, bitmap);
    if (job.locked)
        GlobalUnlock(job.locked);
    if (job.created)
        jpeg_destroy_decompress(&job.cinfo);
    if (pending)
        std::rethrow_exception(pending);
    return job.result;
}

// ---- TIFF -----------------------------------------------------------------------------------

ImageFileRead ReadTiff(CFile& file, HDIB* bitmap, int* imageType) {
    const std::string path = file.GetFilePath();
    {
        CTiff16 tiff;
        if (!tiff.Open(path.c_str(), "r"))
            return ImageFileRead::Unreadable;
        if (tiff.IsHighBitDepth()) {
            const int type = tiff.GetImageType();
            if (type < 4 || type > 9)
                return ImageFileRead::Unreadable; // 16-bit palette files are not shown
            const bool grey = type <= 6;
            const int w = static_cast<int>(tiff.GetWidth()), h = static_cast<int>(tiff.GetHeight());
            ImageMemoryGrant grant;
            if (const ImageFileRead fit =
                    FitBitmap(bitmap, w, h, grey ? DIB_KIND_GREY16 : DIB_KIND_RGB48, grey ? 16 : 48, &grant);
                fit != ImageFileRead::Read)
                return fit;
            grant.Release(); // the reader asks again for the buffers it fills
            // The reader frees the bitmap when it fails.
            *bitmap = tiff.Read(*bitmap);
            if (!*bitmap)
                return ImageFileRead::Unreadable;
            if (imageType)
                *imageType = type;
            return ImageFileRead::Read;
        }
    }
    // 8- and 24-bit files come through the TIFF image class as a bitmap of their own.
    HDIB read = DibReadTiffFile(&file, imageType);
    if (!read)
        return ImageFileRead::Unreadable;
    HDIB kept = DibCopyInto(read, *bitmap);
    GlobalFree(read);
    *bitmap = kept;
    return kept ? ImageFileRead::Read : ImageFileRead::NoMemory;
}

} // namespace

ImageFileRead ReadImageFileInto(const std::string& path, HDIB* bitmap, int* imageType) {
    const int index = ImageFileFormatIndex(path);
    if (index < 0)
        return ImageFileRead::Unreadable;
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite))
        return ImageFileRead::CannotOpen;
    try {
        ImageFileRead r;
        if (index <= 1)
            r = ReadBmp(file, bitmap);
        else if (index == 2)
            r = ReadTiff(file, bitmap, imageType);
        else
            r = ReadJpeg(file, bitmap);
        file.Abort();
        return r;
    } catch (const CFileException&) {
        file.Abort();
        return ImageFileRead::FileError;
    } catch (const std::exception&) {
        file.Abort();
        return ImageFileRead::Unreadable;
    }
}
