// Base of the image-file classes: one object holds one device-independent bitmap (a
// 40-byte info header with its colour table, and the pixel rows, each in a locked global
// block), the palette made from its colour table, and the files it opened by path.
// Derived classes read and write only the body of their format.
#pragma once

#include "platform/GlobalMemory.h"
#include "platform/Object.h"
#include "platform/Palette.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CFile;

// Depth and plane count of the screen the images are shown on. Everything in the image
// classes that depends on the screen asks this one function; tests replace it to reach the
// paths of palette screens.
struct ScreenCaps {
    int bitsPixel = 24;
    int planes = 1;
};
using ScreenCapsFunction = ScreenCaps (*)();
// Installs the function that reports the screen; null restores the default (24 bits, 1
// plane). Returns the function that was installed before.
ScreenCapsFunction SetScreenCapsFunction(ScreenCapsFunction fn);
ScreenCaps GetScreenCaps();

class SECImage : public CObject {
public:
    SECImage();
    ~SECImage() override;
    SECImage(const SECImage&) = delete;
    SECImage& operator=(const SECImage&) = delete;

    // ---- virtual operations ----
    // Stores or loads the image in BMP file layout.
    void Serialize(CArchive& ar) override;
    virtual BOOL MakePalette();
    virtual BOOL ReadFromPath(const char* path);
    virtual BOOL ReadFromFile(CFile* file);
    virtual BOOL WriteToPath(const char* path);
    virtual BOOL WriteToFile(CFile* file);
    virtual BOOL FreeImage();
    virtual BOOL BuildInfoHeader();
    virtual BOOL BeforeWrite();
    virtual BOOL AfterWrite();
    virtual BOOL WriteBody(CFile* file) = 0;
    virtual BOOL ReadBody(CFile* file) = 0;
    virtual void CloseOwnedFiles();

    // ---- access ----
    DWORD GetWidth() const { return m_width; }
    DWORD GetHeight() const { return m_height; }
    BOOL FlipRows();
    BOOL PadRows();
    BOOL UnpadRows();
    BOOL TakeOver(SECImage& source);
    WORD ColorCountFromHeader() const;

    // The palette made by MakePalette: null when the image has none (24 bits or empty).
    const CPalette* GetPalette() const { return m_palette.get(); }
    // The info block: 40-byte header and colour table; null when empty.
    BITMAPINFOHEADER InfoHeader() const;
    void StoreInfoHeader(const BITMAPINFOHEADER& h);
    // Stores a 40-byte header of uncompressed rows with these sizes (the other fields 0).
    void StoreRgbInfoHeader(uint64_t width, uint64_t height, int planes, int bitsPerPixel, DWORD sizeImage);

    static uint64_t PackedRowBytes(int bitsPerPixel, uint64_t width);
    static uint64_t PaddedRowBytes(int bitsPerPixel, uint64_t width);

    // Largest bits block any reader may allocate. Readers of untrusted files refuse larger
    // images before they allocate; the fuzz targets lower it to stay inside their budget.
    static void SetMaxImageBytes(uint64_t bytes);
    static uint64_t MaxImageBytes();

    // Global blocks of the object, allocated zero-filled, moveable and kept locked.
    static BYTE* AllocBlock(uint64_t bytes);
    static void FreeBlock(BYTE* p);

    // ---- fields ----
    int m_bitsPerPixel = 0;
    int m_screenBitsPerPixel = 0;
    int m_planes = 1;
    BOOL m_rowsPadded = FALSE;
    DWORD m_rowWidth = 0;
    DWORD m_width = 0;
    DWORD m_height = 0;
    WORD m_colorCount = 0;
    WORD m_screenColorCount = 0;
    std::unique_ptr<CPalette> m_palette;
    CFile* m_currentFile = nullptr;
    BYTE* m_bits = nullptr;
    BYTE* m_info = nullptr;
    BYTE* m_colorTable = nullptr;
    BOOL m_depthDiffers = FALSE;
    int m_bitPosition = 0;
    int m_pixelCounter = 0;
    int m_bitOrder = 1;
    // Set when a record was loaded from an archive or made from an open file.
    BOOL m_loaded = FALSE;
    std::vector<std::unique_ptr<CFile>> m_ownedFiles;

protected:
    // Opens the remembered file, or a new owned one, on the path; null when that fails.
    CFile* FileForPath(const char* path, bool forWriting);
    // Whether bits, size and info describe an image.
    bool HoldsImage() const { return m_bits && m_width && m_height && m_info; }
    // Bytes of the bits block (the padded rows).
    uint64_t PaddedImageBytes() const { return PaddedRowBytes(m_bitsPerPixel, m_width) * m_height; }
};
