// JPEG member of the image-file classes: decodes a JPEG stream from an open file into the
// bitmap and encodes the bitmap into an open file, through libjpeg with source and
// destination managers on the file and an error manager that ends only the operation.
#pragma once

#include "imaging/files/SECImage.h"

struct jpeg_compress_struct;
struct jpeg_decompress_struct;
struct jpeg_error_mgr;

class SECJpeg : public SECImage {
    DECLARE_DYNCREATE(SECJpeg)

public:
    SECJpeg() = default;
    ~SECJpeg() override = default;

    // 1 on success; 0 when the stream is not a JPEG the class can hold (the previous image
    // stays). A file exception raised while reading passes to the caller.
    BOOL ReadBody(CFile* file) override;
    // 1 on success; 0 for depths that cannot be encoded (16, 32, 48 bits) or a codec error.
    BOOL WriteBody(CFile* file) override;

    // Codec hookups on an open file: the source and destination managers use 4096-byte
    // buffers and turn file exceptions into codec errors.
    static void SetCFileSource(jpeg_decompress_struct* cinfo, CFile* file);
    static void SetCFileDestination(jpeg_compress_struct* cinfo, CFile* file);
    // Fills the error record; the error exit of a codec object set up with it unwinds to the
    // operation that started the codec.
    static jpeg_error_mgr* InitErrorManager(jpeg_error_mgr* err);
    // Bytes the decoder keeps for the whole image beside the rows, once the header is read:
    // the coefficients of a file of several scans; 0 for a single-scan file. A reader asks
    // for them with the rows (ReserveImageMemory).
    static uint64_t DecoderWorkingBytes(jpeg_decompress_struct* cinfo);

    uint64_t m_decodedSize = 0; // bytes of the bits block made for a decoded image
    int m_quality = 75;
    int m_colorMode = -1;
};
