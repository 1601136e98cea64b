// The capture positions of the automatic panel: the equal-interval range (start, end and interval
// in µm → the count of pictures and their positions), the checks before a series starts, the
// number text of a list cell, and the settings the panel and its list editor write.
#pragma once

#include "platform/WinTypes.h"

#include <string>
#include <vector>

// A coordinate the panel and the editor take lies within ±999999 µm (and is finite).
constexpr double kCaptureCoordinateLimit = 999999.0;
// A series holds at most this many pictures (the focus image box's limit).
constexpr int kMaxSeriesPictures = 256;
// A range that would give more pictures than this keeps its count but lists no positions (a
// series refuses it anyway); the arithmetic never allocates for a runaway interval.
constexpr int kMaxRangePositions = 10000;

bool IsCaptureCoordinate(double value);

struct EqualIntervalRange {
    // Pictures of the range; -1 when the interval is 0 (shown as "-"); 0 when start, end or
    // interval lies outside the coordinate range.
    int count = 0;
    // The positions from start towards end, each cut to three decimals; empty when count is not
    // between 1 and kMaxRangePositions.
    std::vector<double> positions;
};

// The range steps from start towards end by |interval|, whatever the interval's sign; the last
// step is shortened to land on end. A span that is a whole number of steps up to rounding (0 to
// 0.9 by 0.3) counts that many steps, with no extra position just short of end.
EqualIntervalRange ComputeEqualIntervalRange(double start, double end, double interval);

// The count as its static shows it: "%d", "-" for -1.
std::string RangeCountText(int count);

// The message that refuses a series start, 0 when it may start.
//   equal-interval mode: count ≤ 0 or above 256 → vtid::str::RangeCountNotSet;
//   list mode: no positions → NoPictures, above 256 → TooManyPictures.
UINT CheckSeriesStart(bool listMode, int count, size_t listedPositions);

// The number at the start of a cell text as the list reads it: leading blanks, an optional sign
// and the decimal number that follows ("12.5abc" → 12.5); 0 when there is none. Independent of
// the C locale.
double ParseCellNumber(const std::string& text);

// The text of the LIST key: each position by FormatDoubleText followed by "|", then "~".
std::string FormatPositionList(const std::vector<double>& positions);
