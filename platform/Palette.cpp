#include "platform/Palette.h"

#include <algorithm>

BOOL CPalette::CreatePalette(const LOGPALETTE* logPalette) {
    if (!logPalette || logPalette->palVersion != kLogPaletteVersion || logPalette->palPalEntry.empty() ||
        logPalette->palPalEntry.size() > 0xFFFF)
        return FALSE;
    entries_ = logPalette->palPalEntry;
    created_ = true;
    return TRUE;
}

UINT CPalette::GetEntryCount() const { return static_cast<UINT>(entries_.size()); }

UINT CPalette::GetPaletteEntries(UINT start, UINT count, PALETTEENTRY* entries) const {
    if (!entries)
        return GetEntryCount();
    if (start >= entries_.size())
        return 0;
    UINT n = std::min<UINT>(count, static_cast<UINT>(entries_.size()) - start);
    std::copy_n(entries_.begin() + start, n, entries);
    return n;
}

BOOL CPalette::DeleteObject() {
    if (!created_)
        return FALSE;
    entries_.clear();
    created_ = false;
    return TRUE;
}
