// Reader of TIFF files of 10-, 12- and 16-bit samples (one grey or three colour samples) into
// the 3D viewer's 16- and 48-bit bitmaps, on libtiff. Strips and tiles, contiguous and
// separate planes, any codec libtiff reads; palette images bring their colour map.
#pragma once

#include "platform/GlobalMemory.h"
#include "platform/WinTypes.h"

#include <string>

typedef struct tiff TIFF;

namespace v3d {

class CHiBitTiffReader {
public:
    CHiBitTiffReader() = default;
    ~CHiBitTiffReader();
    CHiBitTiffReader(const CHiBitTiffReader&) = delete;
    CHiBitTiffReader& operator=(const CHiBitTiffReader&) = delete;

    // Opens the file and reads its tags; false when libtiff cannot open it.
    bool Open(const std::string& path);
    void Close();

    // The slot image type of the file when this reader handles it: 10, 12 or 16 unsigned bits
    // with one sample (4, 5, 6; 12 for a 16-bit palette image) or three (7, 8, 9); else -1.
    // The pair decides, not the product: 8-bit grey with alpha or six 8-bit samples are no
    // deep image.
    int GetImageType() const { return m_type; }
    DWORD GetWidth() const { return m_width; }
    DWORD GetHeight() const { return m_height; }

    // Reads the image into a bitmap made for its type and size (16 bits for one sample, 48
    // for three). Returns it, or frees it and returns null when the file cannot be read; a
    // refused row buffer also shows message 9201.
    HDIB Read(HDIB dib);

    // Largest row or tile buffer the reader takes; 0 (the default) means the readers' limit
    // SECImage::MaxImageBytes. Lets tests reach the refused-buffer path with a small file.
    static void SetRowBufferLimit(uint64_t bytes);

private:
    bool readPalette(BYTE* block);
    bool readRows(BYTE* block);
    void storeRow(BYTE* out, const BYTE* in, int plane) const;

    TIFF* m_tiff = nullptr;
    int m_type = -1;
    DWORD m_width = 0;
    DWORD m_height = 0;
    WORD m_bitsPerSample = 0;
    WORD m_samplesPerPixel = 0;
    WORD m_photometric = 0;
    WORD m_planarConfig = 1;
    WORD m_sampleFormat = 1;
    DWORD m_rowsPerStrip = 0;
};

} // namespace v3d
