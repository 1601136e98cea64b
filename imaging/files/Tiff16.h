// TIFF files of 10-, 12- and 16-bit samples, grey or colour, held in 16- and 48-bit
// bitmaps; also writes 8- and 24-bit bitmaps and makes thumbnails of its open file.
#pragma once

#include "platform/GlobalMemory.h"
#include "platform/WinTypes.h"

#include <memory>
#include <string>

class AtomicFileWriter;
typedef struct tiff TIFF;
class CMyThumbnl;

// Moves a colour's value (its largest channel) along a sine contrast curve by `amount`
// (-1 flattens, +1 steepens), keeping hue and saturation; used on thumbnail palettes.
COLORREF AdjustValueContrast(double amount, COLORREF pixel);

// Opens a TIFF file with libtiff's diagnostics silenced and its single allocations capped,
// so that a crafted file fails instead of taking the machine's memory.
TIFF* TiffOpenQuiet(const char* path, const char* mode);

class CTiff16 {
public:
    CTiff16() = default;
    virtual ~CTiff16();
    CTiff16(const CTiff16&) = delete;
    CTiff16& operator=(const CTiff16&) = delete;

    BOOL Open(const char* path, const char* mode);
    BOOL IsHighBitDepth();
    DWORD GetWidth() const { return m_width; }
    DWORD GetHeight() const { return m_height; }
    int GetImageType() const { return m_imageType; }
    void SetImageType(int type) { m_imageType = type; }
    // Bytes of one scanline of the open file (of one plane when planes are separate), the
    // buffer Read takes beside the bitmap; 0 when unknown.
    uint64_t ScanlineBytes() const { return m_scanlineSize > 0 ? static_cast<uint64_t>(m_scanlineSize) : 0; }

    // Fills a bitmap made by the caller for the file's size (16 bits for grey, 48 for
    // colour); returns it, or frees it and returns null when the file cannot be read.
    HDIB Read(HDIB dib);

    // Creates a temporary file beside the path; Close renames it onto the path when every
    // row and the directory were written.
    BOOL OpenForWrite(const char* path, const char* mode);
    BOOL Write(HDIB dib);
    // Closes the file; for a file opened for writing, the result tells whether the target
    // now holds the complete file.
    BOOL Close();

    // A new thumbnail of the open file whose longer side has `size` pixels (the owner is the
    // caller); null for size 0 or below, palette and unsupported types, or failures.
    CMyThumbnl* MakeThumbnail(int size);

    // Row packing of 10- and 12-bit samples: the low `bits` bits of each sample, most
    // significant first, in one continuous bit stream; unused low bits of the last byte 0.
    static void PackGreyRow(BYTE* out, const BYTE* row16, DWORD width, int bits);
    static void PackRgbRow(BYTE* out, const BYTE* row48, DWORD width, int bits);
    static void UnpackGreyRow(BYTE* row16, const BYTE* in, DWORD width, int bits);
    static void UnpackRgbRow(BYTE* row48, const BYTE* in, DWORD width, int bits);

    // Classification of a file's samples: the image type code, or -1 when not handled.
    static int TypeFromSamples(int bitsPerSample, int samplesPerPixel, int photometric);

private:
    void ReadTags();
    bool ReadLocked(BYTE* block);
    bool ReadContiguous(BYTE* bits, uint64_t stride, BYTE* buffer, uint64_t bufferBytes);
    bool ReadSeparate(BYTE* bits, uint64_t stride, BYTE* buffer, uint64_t bufferBytes);

    TIFF* m_tiff = nullptr;
    int m_imageType = -1;
    DWORD m_height = 0;
    DWORD m_width = 0;
    int m_scanlineSize = 0;
    int m_rowsPerStrip = 0;
    WORD m_bitsPerSample = 0;
    WORD m_photometric = 0;
    WORD m_totalBits = 0;
    WORD m_samplesPerPixel = 0;
    WORD m_samplesPerPixelRead = 0;
    WORD m_minSampleValue = 0;
    WORD m_maxSampleValue = 0;
    WORD m_planarConfig = 1;

    // Writing: the temporary file beside the target; whether every step so far succeeded.
    std::unique_ptr<AtomicFileWriter> m_writer;
    bool m_writeOk = false;
};
