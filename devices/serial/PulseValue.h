// The focus drive's micrometres per pulse as the settings keep it: cut (not rounded) to four
// decimals.
#pragma once

// Cuts a value to four decimals towards zero. A product value*10000 that lies within a few units
// in the last place of a whole number counts as that number, so a value typed exactly (0.0003,
// 0.0058) keeps its fourth decimal instead of losing it to binary representation; 0.12346 still
// gives 0.1234. Non-finite values come back unchanged.
double TruncatePulseValue(double value);
