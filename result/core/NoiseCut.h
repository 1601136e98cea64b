// Height-noise removal on row sets: flag the pixels whose focus value lies below a threshold,
// refill them (mean of valid neighbours, pass by pass; or the lowest or highest valid height) and
// smooth the map with a second-difference penalised least-squares smoother along rows, then
// columns.
#pragma once

#include "result/core/HeightRows.h"

#include <functional>

// Threshold of an amount in percent of 255: trunc(amount / 100.0 x 255).
int NoiseThreshold(int amount);

// Copies the heights into cut and flags every pixel whose focus value is below the threshold:
// height -100.0 and mask 0; all others mask 1. Returns the count flagged, or -1 when the rows
// cannot be allocated.
long long SelectNoise(const HeightRows& heights, const FocusRows& focus, int threshold, MaskRows& mask,
                      HeightRows& cut);

// One pass of the mean fill with a window of `window` pixels (half-width window / 2): every
// flagged pixel with at least one valid pixel in its window, as the mask was before the pass, takes
// their mean (summed row by row, left to right) and becomes valid. Returns the count filled.
long long InterpolatePass(MaskRows& mask, HeightRows& cut, int window = 9);

// Repeats the pass until one fills nothing or `cancelled` answers true after a pass; after each
// pass progress(total filled so far) runs. Gives bit for bit the heights of repeated
// InterpolatePass calls and the same progress sequence, but visits only the flagged pixels.
// Returns false when it stopped on a cancel.
bool InterpolateAll(MaskRows& mask, HeightRows& cut, const std::function<void(long long)>& progress,
                    const std::function<bool()>& cancelled, int window = 9);

// Every flagged pixel takes the lowest (highest) valid height, 0 when no pixel is valid.
void FillNoiseWithLowest(MaskRows& mask, HeightRows& cut);
void FillNoiseWithHighest(MaskRows& mask, HeightRows& cut);

// lambda = (0.5 / sin(pi / P))^4.
double SmoothingLambda(double period);

// Solves (w I + lambda D'D) z = w y in place for one line of n samples (D the second-difference
// operator) and stores (w / 100 + z) / w. Lines of 1 or 2 samples stay unchanged. Where lambda or
// a result would not be finite the period is raised step by step just until they are; a finite
// result is left as it is. Returns the period used.
double SmoothLine(double* y, int n, double period, double weight = 1.0);

// Rows first, then columns, of the whole set with period P.
void SmoothHeights(HeightRows& cut, double period);
