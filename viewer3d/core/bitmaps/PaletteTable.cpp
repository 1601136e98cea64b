#include "viewer3d/core/bitmaps/PaletteTable.h"

#include "ui/resources/ResourceRegistry.h"

namespace v3d {

int LoadPaletteTable(RgbEntry* table, int index) {
    if (!table)
        return 0;
    if (index < 0) {
        for (int i = 0; i < 256; ++i) {
            const BYTE v = static_cast<BYTE>(i);
            table[i] = RgbEntry{v, v, v, 0};
        }
        return 1;
    }
    if (index > 0xFFFF)
        return 0;
    const std::vector<BYTE>* data = ui::Resources().FindData(kPaletteTableBaseId + index);
    if (!data || data->size() != static_cast<size_t>(kPaletteTableBytes))
        return 0;
    const BYTE* p = data->data();
    for (int i = 0; i < 256; ++i, p += 8) {
        // The low byte of each 16-bit little-endian value.
        table[i] = RgbEntry{p[0], p[2], p[4], p[6]};
    }
    return 1;
}

} // namespace v3d
