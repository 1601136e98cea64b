// TIFF member of the image-file classes: reads 8-bit and 24-bit TIFF files (grey, palette,
// RGB, YCbCr; strips or tiles; contiguous or separate planes) and writes the bitmap as a
// single-strip TIFF, by path only.
#pragma once

#include "imaging/files/SECImage.h"

#include <array>
#include <cstdint>

typedef struct tiff TIFF;

class SECTiff : public SECImage {
    DECLARE_DYNCREATE(SECTiff)

public:
    SECTiff() = default;
    ~SECTiff() override = default;

    BOOL ReadFromPath(const char* path) override;
    BOOL WriteToPath(const char* path) override;
    // Files and archives cannot carry this format: both fail.
    BOOL ReadBody(CFile* file) override;
    BOOL WriteBody(CFile* file) override;

    DWORD m_compression = 1;
    int m_8bitWriteMode = 0;

    // Tags of the file being read.
    TIFF* m_tiff = nullptr;
    WORD m_orientation = 1;
    WORD m_planarConfig = 1;
    WORD m_bitsPerSample = 8;
    WORD m_samplesPerPixel = 1;
    WORD m_photometric = 1;
    WORD m_samplesPerPixelStep = 1;

    struct ReadState;

private:
    bool LoadOpenFile(SECTiff& into);
    bool ReadImage(ReadState& st);
    bool ReadStrips(ReadState& st);
    bool ReadTiles(ReadState& st);
    bool ReadThroughRgba(ReadState& st);
};
