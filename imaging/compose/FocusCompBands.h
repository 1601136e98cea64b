// The bands of rows the focus composer runs its per-image chain over, and the buffers each
// thread keeps for them.
//
// A band is a run of rows of the focus map. The chain of a band (focus plane, edge filter,
// moving maximum, row smoothing) reads a few rows above and below it, its halo: those rows are
// computed again by the neighbouring band, so bands are independent and small enough for their
// rows to stay in a core's cache from one pass to the next.
#pragma once

#include <cstdint>
#include <vector>

// Rows [lo, hi) of one plane of the chain.
struct FocusRowRange {
    int lo = 0, hi = 0;
    int count() const { return hi - lo; }
};

// What the chain of the band of map rows [rows.lo, rows.hi) reads.
struct FocusBandRows {
    FocusRowRange rows;  // the band: moving maximum and row smoothing
    FocusRowRange edge;  // edge-filter rows the moving maximum reads
    FocusRowRange light; // focus-plane rows at map resolution the edge filter reads
    FocusRowRange full;  // full-resolution focus-plane rows the coarse grid averages
};

// Buffers of one thread, allocated with the first image and reused for every later one.
struct FocusBandBuffers {
    std::vector<uint16_t> full;   // full-resolution focus-plane rows (coarse grid)
    std::vector<uint16_t> light;  // focus-plane rows at map resolution
    std::vector<uint16_t> edge;   // edge-filter rows
    std::vector<uint16_t> peak;   // moving-maximum rows of the band
    std::vector<uint16_t> colMax; // scratch of the moving maximum
    std::vector<uint16_t> rowMax;
    std::vector<double> solve;  // smoother runs, interleaved
    std::vector<int> counts;    // column counts of the weight box
    std::vector<double> weight; // weights of one map row
};
