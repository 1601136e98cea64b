// Source, destination and error managers that connect libjpeg to the framework's files, and the
// conversion of four-ink rows that both decoders use.
#include "imaging/files/SECJpeg.h"
#include "imaging/files/SECJpegCodec.h"

#include "platform/File.h"

#include <cstring>

namespace {

constexpr size_t kBufferSize = 4096;

inline BYTE Mul255(unsigned a, unsigned b) {
    return static_cast<BYTE>((a * b + 127) / 255);
}

struct FileSource {
    jpeg_source_mgr pub;
    CFile* file;
    JOCTET* buffer;
    boolean startOfFile;
    boolean atEnd; // the file ended; the buffer holds the supplied end-of-image marker
};

struct FileDestination {
    jpeg_destination_mgr pub;
    CFile* file;
    JOCTET* buffer;
};

// Runs a file call inside a codec callback: a file exception is kept for the operation and
// ends the codec through its error exit, so no exception crosses the C library.
template <class F>
void GuardedFileCall(j_common_ptr cinfo, F&& call) {
    auto* err = reinterpret_cast<SECJpegError*>(cinfo->err);
    bool failed = false;
    try {
        call();
    } catch (...) {
        if (err->pending && !*err->pending)
            *err->pending = std::current_exception();
        failed = true;
    }
    if (failed)
        ERREXIT(cinfo, JERR_FILE_READ);
}

void InitSource(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    src->startOfFile = TRUE;
    src->atEnd = FALSE;
}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    UINT got = 0;
    GuardedFileCall(reinterpret_cast<j_common_ptr>(cinfo), [&] { got = src->file->Read(src->buffer, kBufferSize); });
    if (got == 0) {
        if (src->startOfFile)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        // An end-of-image marker lets the decoder finish what it has.
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        got = 2;
        src->atEnd = TRUE;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = got;
    src->startOfFile = FALSE;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    if (count <= 0)
        return;
    while (count > static_cast<long>(src->pub.bytes_in_buffer)) {
        count -= static_cast<long>(src->pub.bytes_in_buffer);
        FillInputBuffer(cinfo);
        if (src->atEnd)
            return; // nothing left to skip: the decoder meets the end-of-image marker
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

void InitDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<FileDestination*>(cinfo->dest);
    dest->buffer = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kBufferSize));
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<FileDestination*>(cinfo->dest);
    GuardedFileCall(reinterpret_cast<j_common_ptr>(cinfo), [&] { dest->file->Write(dest->buffer, kBufferSize); });
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kBufferSize;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<FileDestination*>(cinfo->dest);
    const size_t used = kBufferSize - dest->pub.free_in_buffer;
    GuardedFileCall(reinterpret_cast<j_common_ptr>(cinfo), [&] {
        if (used)
            dest->file->Write(dest->buffer, static_cast<UINT>(used));
        dest->file->Flush();
    });
}

void ErrorExit(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text); // formatted and dropped: nothing is shown
    auto* err = reinterpret_cast<SECJpegError*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

void OutputMessage(j_common_ptr cinfo) {
    char text[200 > JMSG_LENGTH_MAX ? 200 : JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
}

} // namespace

void SECJpeg::SetCFileSource(jpeg_decompress_struct* cinfo, CFile* file) {
    if (!cinfo->src) {
        auto* src = static_cast<FileSource*>((*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo),
                                                                        JPOOL_PERMANENT, sizeof(FileSource)));
        src->buffer = static_cast<JOCTET*>(
            (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kBufferSize));
        cinfo->src = &src->pub;
    }
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    src->pub.init_source = &InitSource;
    src->pub.fill_input_buffer = &FillInputBuffer;
    src->pub.skip_input_data = &SkipInputData;
    src->pub.resync_to_restart = &jpeg_resync_to_restart;
    src->pub.term_source = &TermSource;
    src->file = file;
    src->startOfFile = TRUE;
    src->atEnd = FALSE;
    src->pub.bytes_in_buffer = 0;
    src->pub.next_input_byte = nullptr;
}

void SECJpeg::SetCFileDestination(jpeg_compress_struct* cinfo, CFile* file) {
    if (!cinfo->dest) {
        cinfo->dest = static_cast<jpeg_destination_mgr*>((*cinfo->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(FileDestination)));
    }
    auto* dest = reinterpret_cast<FileDestination*>(cinfo->dest);
    dest->pub.init_destination = &InitDestination;
    dest->pub.empty_output_buffer = &EmptyOutputBuffer;
    dest->pub.term_destination = &TermDestination;
    dest->file = file;
}

jpeg_error_mgr* SECJpeg::InitErrorManager(jpeg_error_mgr* err) {
    jpeg_std_error(err);
    err->error_exit = &ErrorExit;
    err->output_message = &OutputMessage;
    return err;
}

void CmykRowToBgr(const JSAMPLE* inks, BYTE* bgr, JDIMENSION width, bool sawAdobeMarker) {
    for (JDIMENSION x = 0; x < width; ++x, inks += 4, bgr += 3) {
        unsigned c = inks[0], m = inks[1], ye = inks[2], k = inks[3];
        if (!sawAdobeMarker) {
            c = 255 - c;
            m = 255 - m;
            ye = 255 - ye;
            k = 255 - k;
        }
        bgr[0] = Mul255(ye, k);
        bgr[1] = Mul255(m, k);
        bgr[2] = Mul255(c, k);
    }
}
