// In-memory operations of the image-file base class: blocks, row layout, header, palette.
#include "imaging/files/SECImage.h"

#include "imaging/bitmaps/Dib.h"

#include <algorithm>
#include <cstring>

namespace {

ScreenCaps DefaultScreenCaps() { return ScreenCaps{}; }

ScreenCapsFunction g_screenCaps = &DefaultScreenCaps;

uint64_t g_maxImageBytes = kGlobalMaxBlock;

} // namespace

ScreenCapsFunction SetScreenCapsFunction(ScreenCapsFunction fn) {
    ScreenCapsFunction old = g_screenCaps;
    g_screenCaps = fn ? fn : &DefaultScreenCaps;
    return old;
}

ScreenCaps GetScreenCaps() { return g_screenCaps(); }

void SECImage::SetMaxImageBytes(uint64_t bytes) { g_maxImageBytes = bytes ? bytes : kGlobalMaxBlock; }

uint64_t SECImage::MaxImageBytes() { return g_maxImageBytes; }

BYTE* SECImage::AllocBlock(uint64_t bytes) {
    if (bytes == 0 || bytes > g_maxImageBytes || bytes > GlobalAvailableBytes())
        return nullptr;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(bytes));
    if (!h)
        return nullptr;
    auto* p = static_cast<BYTE*>(GlobalLock(h));
    if (!p)
        GlobalFree(h);
    return p;
}

void SECImage::FreeBlock(BYTE* p) {
    if (!p)
        return;
    HGLOBAL h = GlobalHandle(p);
    if (!h)
        return;
    GlobalUnlock(h);
    GlobalFree(h);
}

uint64_t SECImage::PackedRowBytes(int bitsPerPixel, uint64_t width) {
    if (bitsPerPixel <= 0)
        return 0;
    return (static_cast<uint64_t>(bitsPerPixel) * width + 7) / 8;
}

uint64_t SECImage::PaddedRowBytes(int bitsPerPixel, uint64_t width) {
    return (PackedRowBytes(bitsPerPixel, width) + 3) & ~uint64_t(3);
}

BITMAPINFOHEADER SECImage::InfoHeader() const {
    if (!m_info)
        return BITMAPINFOHEADER{};
    return BITMAPINFOHEADER::Read(m_info);
}

void SECImage::StoreInfoHeader(const BITMAPINFOHEADER& h) {
    if (m_info)
        h.Write(m_info);
}

void SECImage::StoreRgbInfoHeader(uint64_t width, uint64_t height, int planes, int bitsPerPixel,
                                  DWORD sizeImage) {
    BITMAPINFOHEADER h;
    h.biSize = 40;
    h.biWidth = static_cast<LONG>(width);
    h.biHeight = static_cast<LONG>(height);
    h.biPlanes = static_cast<WORD>(planes);
    h.biBitCount = static_cast<WORD>(bitsPerPixel);
    h.biCompression = BI_RGB;
    h.biSizeImage = sizeImage;
    StoreInfoHeader(h);
}

WORD SECImage::ColorCountFromHeader() const {
    return DibTableEntriesForBitCount(InfoHeader().biBitCount);
}

BOOL SECImage::FreeImage() {
    FreeBlock(m_info);
    FreeBlock(m_bits);
    m_info = m_bits = m_colorTable = nullptr;
    m_palette.reset();
    m_width = m_height = m_rowWidth = 0;
    m_bitsPerPixel = 0;
    m_colorCount = 0;
    m_rowsPadded = FALSE;
    return TRUE;
}

BOOL SECImage::PadRows() {
    if (m_rowsPadded)
        return TRUE;
    const uint64_t packed = PackedRowBytes(m_bitsPerPixel, m_width);
    const uint64_t padded = PaddedRowBytes(m_bitsPerPixel, m_width);
    if (packed == padded)
        return TRUE;
    if (!m_bits)
        return FALSE;
    // Later rows move further, so going from the last row down never overwrites a row
    // that has not been moved yet.
    for (uint64_t y = m_height; y-- > 1;) {
        std::memmove(m_bits + y * padded, m_bits + y * packed, packed);
        std::memset(m_bits + y * padded + packed, 0, padded - packed);
    }
    if (m_height)
        std::memset(m_bits + packed, 0, padded - packed);
    m_rowsPadded = TRUE;
    return TRUE;
}

BOOL SECImage::UnpadRows() {
    if (!m_rowsPadded)
        return TRUE;
    const uint64_t packed = PackedRowBytes(m_bitsPerPixel, m_width);
    const uint64_t padded = PaddedRowBytes(m_bitsPerPixel, m_width);
    if (m_bits && packed != padded) {
        for (uint64_t y = 1; y < m_height; ++y)
            std::memmove(m_bits + y * packed, m_bits + y * padded, packed);
    }
    m_rowsPadded = FALSE;
    return TRUE;
}

BOOL SECImage::FlipRows() {
    if (!m_bits)
        return FALSE;
    if (!m_rowsPadded)
        PadRows();
    const uint64_t padded = PaddedRowBytes(m_bitsPerPixel, m_width);
    if (padded == 0 || m_height < 2)
        return TRUE;
    std::vector<BYTE> row;
    try {
        row.resize(padded);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    for (uint64_t top = 0, bottom = m_height - 1; top < bottom; ++top, --bottom) {
        BYTE* a = m_bits + top * padded;
        BYTE* b = m_bits + bottom * padded;
        std::memcpy(row.data(), a, padded);
        std::memcpy(a, b, padded);
        std::memcpy(b, row.data(), padded);
    }
    return TRUE;
}

BOOL SECImage::MakePalette() {
    m_palette.reset();
    if (!m_info)
        return FALSE;
    const BITMAPINFOHEADER h = InfoHeader();
    if (m_bitsPerPixel == 24)
        return TRUE;
    // Entries that really lie in the info block behind the header; a header that claims
    // more is not believed.
    const SIZE_T blockSize = GlobalSize(GlobalHandle(m_info));
    const uint64_t inBlock = blockSize > BITMAPINFOHEADER::kSize ? (blockSize - BITMAPINFOHEADER::kSize) / 4 : 0;
    uint64_t n = h.biClrUsed ? h.biClrUsed : m_colorCount;
    const uint64_t total = std::min<uint64_t>(std::max<uint64_t>(h.biClrUsed, m_colorCount), 256);
    n = std::min({n, total, inBlock});
    if (total == 0 || !m_colorTable)
        return FALSE;
    LOGPALETTE log;
    log.palVersion = kLogPaletteVersion;
    log.palPalEntry.resize(total);
    for (uint64_t i = 0; i < n; ++i) {
        const BYTE* q = m_colorTable + i * 4;
        log.palPalEntry[i] = PALETTEENTRY{q[2], q[1], q[0], 0};
    }
    auto pal = std::make_unique<CPalette>();
    if (!pal->CreatePalette(&log))
        return FALSE;
    m_palette = std::move(pal);
    return TRUE;
}

BOOL SECImage::BuildInfoHeader() {
    MakePalette();
    m_rowWidth = (m_width + 3) & ~DWORD(3);
    PadRows();
    if (m_screenBitsPerPixel != 0 && m_screenBitsPerPixel != m_bitsPerPixel)
        m_depthDiffers = TRUE;
    if (m_info)
        return TRUE;
    m_info = AllocBlock(BITMAPINFOHEADER::kSize + 4ull * m_colorCount);
    if (!m_info)
        return FALSE;
    m_colorTable = m_info + BITMAPINFOHEADER::kSize;
    const uint64_t bitsPerRow = static_cast<uint64_t>(m_bitsPerPixel) * m_width;
    const uint64_t rowBytes = bitsPerRow % 32 ? bitsPerRow / 32 * 4 + 4 : bitsPerRow / 8;
    StoreRgbInfoHeader(m_width, m_height, m_planes, m_bitsPerPixel, static_cast<DWORD>(rowBytes * m_height));
    return TRUE;
}

BOOL SECImage::BeforeWrite() { return TRUE; }

BOOL SECImage::AfterWrite() { return TRUE; }

BOOL SECImage::TakeOver(SECImage& source) {
    if (&source == this)
        return TRUE;
    FreeBlock(m_bits);
    FreeBlock(m_info);
    m_bits = source.m_bits;
    m_info = source.m_info;
    m_colorTable = source.m_colorTable;
    m_palette = std::move(source.m_palette);
    m_bitsPerPixel = source.m_bitsPerPixel;
    m_rowsPadded = source.m_rowsPadded;
    m_rowWidth = source.m_rowWidth;
    m_width = source.m_width;
    m_height = source.m_height;
    m_colorCount = source.m_colorCount;
    m_depthDiffers = source.m_depthDiffers;
    m_loaded = source.m_loaded;
    source.m_bits = source.m_info = source.m_colorTable = nullptr;
    source.m_palette.reset();
    source.m_width = source.m_height = source.m_rowWidth = 0;
    source.m_bitsPerPixel = 0;
    source.m_colorCount = 0;
    return TRUE;
}
