// Palettes computed from bitmaps: the table palette and the palette for 8-bit screens.
#include "imaging/bitmaps/Dib.h"
#include "platform/Palette.h"

#include <algorithm>

namespace {

constexpr int kDisplayEntries = 256;

// Colours of a bitmap's table (four-byte entries after an info header, three after a core
// one). A 16-bit bitmap without a table holds grey samples, so it reads as the grey ramp.
class TableColours {
public:
    TableColours(const BYTE* block, SIZE_T blockSize) {
        count_ = DibColorCount(block);
        entrySize_ = count_ ? DibColorTableSize(block) / count_ : 4;
        table_ = block + DibHeaderSize(block);
        fits_ = uint64_t(DibHeaderSize(block)) + DibColorTableSize(block) <= blockSize;
        if (count_ == 0 && DibGetBitCount(block) == 16)
            greyRamp_ = true;
    }
    WORD count() const { return count_; }
    bool fits() const { return fits_; }
    PALETTEENTRY entry(int i, BYTE flags) const {
        if (greyRamp_) {
            BYTE g = static_cast<BYTE>(i);
            return PALETTEENTRY{g, g, g, flags};
        }
        const BYTE* e = table_ + size_t(i) * entrySize_;
        return PALETTEENTRY{e[2], e[1], e[0], flags};
    }

private:
    const BYTE* table_ = nullptr;
    WORD count_ = 0;
    DWORD entrySize_ = 4;
    bool fits_ = false;
    bool greyRamp_ = false;
};

PALETTEENTRY grey(int v, BYTE flags) {
    BYTE g = static_cast<BYTE>(v);
    return PALETTEENTRY{g, g, g, flags};
}

} // namespace

BOOL DibCreateTablePalette(HDIB bitmap, CPalette* palette) {
    GlobalLockGuard lock(bitmap);
    if (!lock || !palette)
        return 0;
    const BYTE* p = lock.get();
    WORD n = DibColorCount(p);
    TableColours colours(p, GlobalSize(bitmap));
    if (n == 0 || !colours.fits())
        return 0;
    LOGPALETTE lp;
    lp.palPalEntry.resize(n);
    for (int i = 0; i < n; ++i)
        lp.palPalEntry[i] = colours.entry(i, 0);
    return palette->CreatePalette(&lp);
}

// Entry count: the table's, or 256 for 16-, 24- and 48-bit bitmaps without one.
// - A count other than 256: the first entries take the table colours, flags 0.
// - 256 colours of an 8-bit (or 16-bit) table: every table entry i with i mod 8 == 2 is left
//   out, the other 224 fill entries 0..223; then the greys 20, 40, ..., 240 and white.
// - 24 and 48 bits with mode -1: the 6 x 6 x 6 colour cube, the greys 12, 24, ..., 240 and
//   white. Any other mode leaves the entries black with flags 0.
// Apart from the first case every entry carries the given flags.
BOOL DibCreateDisplayPalette(HDIB bitmap, CPalette* palette, BYTE entryFlags, int mode) {
    GlobalLockGuard lock(bitmap);
    if (!lock || !palette)
        return 0;
    const BYTE* p = lock.get();
    WORD bits = DibGetBitCount(p);
    TableColours colours(p, GlobalSize(bitmap));
    int count = colours.count();
    bool direct = bits == 16 || bits == 24 || bits == 48;
    if (count == 0 && direct)
        count = kDisplayEntries;
    if (count == 0 || !colours.fits())
        return 0;

    LOGPALETTE lp;
    lp.palPalEntry.assign(kDisplayEntries, PALETTEENTRY{});
    std::vector<PALETTEENTRY>& e = lp.palPalEntry;
    if (count != kDisplayEntries) {
        for (int i = 0; i < std::min(count, kDisplayEntries); ++i)
            e[i] = colours.entry(i, 0);
    } else if (bits != 24 && bits != 48) {
        int j = 0;
        for (int i = 0; i < kDisplayEntries; ++i)
            if (i % 8 != 2)
                e[j++] = colours.entry(i, entryFlags);
        for (int k = 0; k < 12; ++k)
            e[224 + k] = grey(20 * (k + 1), entryFlags);
        for (int i = 236; i < kDisplayEntries; ++i)
            e[i] = grey(255, entryFlags);
    } else if (mode == -1) {
        for (int i = 0; i < 216; ++i)
            e[i] = PALETTEENTRY{static_cast<BYTE>((i / 36) * 51), static_cast<BYTE>(((i % 36) / 6) * 51),
                                static_cast<BYTE>((i % 6) * 51), entryFlags};
        for (int k = 0; k < 20; ++k)
            e[216 + k] = grey(12 * (k + 1), entryFlags);
        for (int i = 236; i < kDisplayEntries; ++i)
            e[i] = grey(255, entryFlags);
    }
    return palette->CreatePalette(&lp);
}
