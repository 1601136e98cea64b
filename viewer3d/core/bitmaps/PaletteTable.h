// The 256-entry colour tables of the pseudo-colour displays.
#pragma once

#include "ids/BrelvoxaIds.h"
#include "viewer3d/core/bitmaps/Dib.h"

namespace v3d {

// Resource id of colour table 0; table i is the data block kPaletteTableBaseId + i.
constexpr int kPaletteTableBaseId = bxid::data::PaletteRainbow;
// Bytes of a colour table block: 256 entries of four signed 16-bit little-endian values
// (red, green, blue, reserved), of which the low bytes are taken.
constexpr int kPaletteTableBytes = 2048;

// Fills table (256 entries, as DibSetColorTable takes them) with colour table index: index < 0 gives the grey
// ramp (i, i, i, 0); otherwise the data block kPaletteTableBaseId + index of the program's resources (a
// language bundle's block takes the place of the program's own). 1 when filled; 0 when the block is missing
// or not exactly 2048 bytes, and the table is left as it was.
int LoadPaletteTable(RgbEntry* table, int index);

} // namespace v3d
