// The four tables of outline tracing, kept as data blocks of the program's resources: the
// direction steps dx and dy (16 entries each: the eight directions twice, so that a search may run
// past direction 7), the search start for each previous direction (8 entries) and the step class
// of each pair of previous and new direction (8 x 8). Directions, with y growing downwards:
// 0 up, 1 up-left, 2 left, 3 down-left, 4 down, 5 down-right, 6 right, 7 up-right.
#pragma once

namespace v3d {

struct OutlineTableSet {
    int dx[16];
    int dy[16];
    int searchStart[8];
    int stepClass[64]; // [previous * 8 + new]
};

// Reads a data block of signed 16-bit little-endian entries into ints. 1 when the block exists
// and holds exactly entries x 2 bytes; 0 otherwise, and the array is left as it was.
int LoadRcDataTable(int* table, int resourceId, int entries);
// The four tables; 1 when all loaded.
int LoadOutlineTables(OutlineTableSet* tables);

} // namespace v3d
