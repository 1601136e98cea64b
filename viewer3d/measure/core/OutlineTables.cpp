#include "viewer3d/measure/core/OutlineTables.h"

#include "ids/BrelvoxaIds.h"
#include "ui/resources/ResourceRegistry.h"

#include <cstdint>

namespace v3d {

int LoadRcDataTable(int* table, int resourceId, int entries) {
    if (!table || entries <= 0)
        return 0;
    const std::vector<BYTE>* data = ui::Resources().FindData(resourceId);
    if (!data || data->size() != static_cast<size_t>(entries) * 2)
        return 0;
    const BYTE* p = data->data();
    for (int i = 0; i < entries; ++i, p += 2)
        table[i] = static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
    return 1;
}

int LoadOutlineTables(OutlineTableSet* tables) {
    if (!tables)
        return 0;
    OutlineTableSet t;
    if (!LoadRcDataTable(t.dx, bxid::data::OutlineDx, 16) ||
        !LoadRcDataTable(t.dy, bxid::data::OutlineDy, 16) ||
        !LoadRcDataTable(t.searchStart, bxid::data::OutlineSearchStart, 8) ||
        !LoadRcDataTable(t.stepClass, bxid::data::OutlineStepClass, 64))
        return 0;
    *tables = t;
    return 1;
}

} // namespace v3d
