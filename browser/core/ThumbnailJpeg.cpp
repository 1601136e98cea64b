#include "browser/core/ThumbnailJpeg.h"

#include "imaging/bitmaps/Dib.h"
#include "platform/File.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void ErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void Silent(j_common_ptr) {}

// Only trivially destructible objects live between setjmp and a longjmp to it.
HDIB Decode(FILE* file, int maxSide, int& width, int& height) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = &ErrorExit;
    err.pub.output_message = &Silent;
    HDIB volatile dib = nullptr;
    void* volatile block = nullptr;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        if (block)
            GlobalUnlock(dib);
        if (dib)
            GlobalFree(dib);
        return nullptr;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    const bool grey = cinfo.num_components == 1;
    if (!grey && cinfo.jpeg_color_space != JCS_YCbCr && cinfo.jpeg_color_space != JCS_RGB) {
        jpeg_destroy_decompress(&cinfo);
        return nullptr;
    }
    cinfo.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    const unsigned longer = cinfo.image_width > cinfo.image_height ? cinfo.image_width : cinfo.image_height;
    unsigned denom = 8;
    while (denom > 1 && (longer + denom - 1) / denom < unsigned(maxSide))
        denom /= 2;
    cinfo.scale_num = 1;
    cinfo.scale_denom = denom;
    jpeg_start_decompress(&cinfo);
    const int ow = int(cinfo.output_width), oh = int(cinfo.output_height);
    dib = DibCreate(ow, oh, grey ? DIB_KIND_GREY8 : DIB_KIND_RGB24);
    if (!dib) {
        jpeg_destroy_decompress(&cinfo);
        return nullptr;
    }
    block = GlobalLock(dib);
    BYTE* bits = DibGetBits(block);
    const size_t stride = DibStride(ow, grey ? 8 : 24);
    while (cinfo.output_scanline < cinfo.output_height) {
        BYTE* row = bits + stride * size_t(oh - 1 - int(cinfo.output_scanline));
        JSAMPROW rows[1] = {row};
        jpeg_read_scanlines(&cinfo, rows, 1);
        if (!grey)
            for (int x = 0; x < ow; ++x)
                std::swap(row[3 * x], row[3 * x + 2]); // RGB to the bitmap's BGR
    }
    jpeg_finish_decompress(&cinfo);
    const bool whole = err.pub.num_warnings == 0;
    width = int(cinfo.image_width);
    height = int(cinfo.image_height);
    jpeg_destroy_decompress(&cinfo);
    GlobalUnlock(dib);
    if (!whole) {
        GlobalFree(dib);
        return nullptr;
    }
    return dib;
}

} // namespace

HDIB ReadJpegForThumbnail(const std::string& path, int maxSide, int& width, int& height) {
    FILE* file = OpenRegularStream(path, "rb");
    if (!file)
        return nullptr;
    HDIB dib = Decode(file, maxSide, width, height);
    std::fclose(file);
    return dib;
}
