// Logical palettes: a list of colour entries that a bitmap is shown with on a palette screen.
// The window layer maps a palette onto its drawing surface; the core only computes them.
#pragma once

#include "platform/WinTypes.h"

#include <vector>

constexpr WORD kLogPaletteVersion = 0x300;

// Palette entry flags.
constexpr BYTE PC_RESERVED = 0x01;
constexpr BYTE PC_EXPLICIT = 0x02;
constexpr BYTE PC_NOCOLLAPSE = 0x04;

// Description a palette is created from: a version (0x300) and its entries.
struct LOGPALETTE {
    WORD palVersion = kLogPaletteVersion;
    std::vector<PALETTEENTRY> palPalEntry;
};

class CPalette {
public:
    CPalette() = default;
    CPalette(const CPalette&) = delete;
    CPalette& operator=(const CPalette&) = delete;

    // Takes the entries of the description, replacing any earlier ones. FALSE for a null
    // description, another version, no entries or more than 65535.
    BOOL CreatePalette(const LOGPALETTE* logPalette);
    // Entries held; 0 before creation and after DeleteObject.
    UINT GetEntryCount() const;
    // Copies up to count entries from index start; returns the number copied. With a null
    // destination returns the entry count.
    UINT GetPaletteEntries(UINT start, UINT count, PALETTEENTRY* entries) const;
    // Drops the entries; TRUE when there were any.
    BOOL DeleteObject();
    bool IsCreated() const { return created_; }

private:
    std::vector<PALETTEENTRY> entries_;
    bool created_ = false;
};
