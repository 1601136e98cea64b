// The 8-bit pseudo-colour picture of a height map: each height becomes an index of the height
// colour scale, blue (lowest) through green to red (highest). Index 255 (black) is left for the
// noise preview and never comes from a height.
#pragma once

#include "platform/GlobalMemory.h"
#include "result/core/HeightRows.h"

struct HeightRange {
    double min = 0.0;
    double max = 0.0;
};

// Scans the rows once, top row first, left to right, max starting at -2147483648.0 and min at
// 2147483647.0.
HeightRange ScanHeightRange(const HeightRows& rows);

// Index of a height: (h - min) / step truncated, at most 254. A step of 0 (all heights equal) and a
// height that does not give a finite positive quotient give index 0.
int HeightIndex(double h, double min, double step);

// A new 8-bit bitmap with the height colour table, or null when it cannot be made. minOut and
// stepOut (may be null) receive the minimum and the step (max - min) / 255.
HDIB BuildHeightPicture(const HeightRows& rows, double* minOut, double* stepOut);
