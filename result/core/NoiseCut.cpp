#include "result/core/NoiseCut.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

int NoiseThreshold(int amount) {
    return static_cast<int>(amount / 100.0 * 255);
}

long long SelectNoise(const HeightRows& heights, const FocusRows& focus, int threshold, MaskRows& mask,
                      HeightRows& cut) {
    cut.Free();
    mask.Free();
    if (heights.Empty() || focus.Width() != heights.Width() || focus.Height() != heights.Height())
        return -1;
    if (!cut.CopyFrom(heights) || !mask.Allocate(heights.Width(), heights.Height())) {
        cut.Free();
        mask.Free();
        return -1;
    }
    long long count = 0;
    const int* f = focus.Data();
    double* c = cut.Data();
    int* m = mask.Data();
    for (size_t i = 0, n = cut.Count(); i < n; ++i) {
        if (f[i] < threshold) {
            c[i] = -100.0;
            m[i] = 0;
            ++count;
        } else {
            m[i] = 1;
        }
    }
    return count;
}

namespace {

// Mean of the valid neighbours of (i, j) in the state before the pass, summed in window order.
bool WindowMean(const MaskRows& mask, const HeightRows& cut, int i, int j, int half, double* mean) {
    const int w = cut.Width(), h = cut.Height();
    double sum = 0.0;
    int count = 0;
    for (int y = std::max(0, i - half); y <= std::min(h - 1, i + half); ++y) {
        const int* m = mask[y];
        const double* c = cut[y];
        for (int x = std::max(0, j - half); x <= std::min(w - 1, j + half); ++x) {
            if (m[x] == 1) {
                sum += c[x];
                ++count;
            }
        }
    }
    if (count == 0)
        return false;
    *mean = sum / count;
    return true;
}

struct Fill {
    size_t index;
    double value;
};

} // namespace

long long InterpolatePass(MaskRows& mask, HeightRows& cut, int window) {
    const int half = window / 2;
    MaskRows newMask;
    HeightRows newCut;
    if (!newMask.CopyFrom(mask) || !newCut.CopyFrom(cut))
        return 0;
    long long filled = 0;
    for (int i = 0; i < cut.Height(); ++i) {
        for (int j = 0; j < cut.Width(); ++j) {
            double mean;
            if (mask[i][j] == 0 && WindowMean(mask, cut, i, j, half, &mean)) {
                newCut[i][j] = mean;
                newMask[i][j] = 1;
                ++filled;
            }
        }
    }
    mask.Swap(newMask);
    cut.Swap(newCut);
    return filled;
}

bool InterpolateAll(MaskRows& mask, HeightRows& cut, const std::function<void(long long)>& progress,
                    const std::function<bool()>& cancelled, int window) {
    const int w = cut.Width(), h = cut.Height();
    const int half = window / 2;
    std::vector<size_t> open; // flagged pixels in row order
    for (size_t i = 0; i < mask.Count(); ++i)
        if (mask.Data()[i] == 0)
            open.push_back(i);
    // Count of valid pixels in every window, from a summed-area table rebuilt each pass, so that
    // pixels deep inside a noise area cost one look-up instead of a window scan.
    std::vector<uint32_t> area(size_t(w + 1) * size_t(h + 1));
    std::vector<Fill> fills;
    long long total = 0;
    if (open.empty()) { // nothing flagged: one pass that fills nothing
        if (progress)
            progress(0);
        return true;
    }
    for (;;) {
        for (int y = 0; y < h; ++y) {
            uint32_t run = 0;
            const int* m = mask[y];
            for (int x = 0; x < w; ++x) {
                run += m[x] == 1;
                area[size_t(y + 1) * size_t(w + 1) + size_t(x + 1)] =
                    area[size_t(y) * size_t(w + 1) + size_t(x + 1)] + run;
            }
        }
        fills.clear();
        std::vector<size_t> still;
        still.reserve(open.size());
        for (size_t idx : open) {
            const int i = int(idx / size_t(w)), j = int(idx % size_t(w));
            const int y0 = std::max(0, i - half), y1 = std::min(h - 1, i + half) + 1;
            const int x0 = std::max(0, j - half), x1 = std::min(w - 1, j + half) + 1;
            const uint32_t valid = area[size_t(y1) * size_t(w + 1) + size_t(x1)] -
                                   area[size_t(y0) * size_t(w + 1) + size_t(x1)] -
                                   area[size_t(y1) * size_t(w + 1) + size_t(x0)] +
                                   area[size_t(y0) * size_t(w + 1) + size_t(x0)];
            double mean;
            if (valid > 0 && WindowMean(mask, cut, i, j, half, &mean))
                fills.push_back({idx, mean});
            else
                still.push_back(idx);
        }
        for (const Fill& f : fills) {
            cut.Data()[f.index] = f.value;
            mask.Data()[f.index] = 1;
        }
        open.swap(still);
        total += static_cast<long long>(fills.size());
        if (progress)
            progress(total);
        if (fills.empty())
            return true;
        if (cancelled && cancelled())
            return false;
    }
}

namespace {

void FillWith(MaskRows& mask, HeightRows& cut, bool lowest) {
    double best = lowest ? std::numeric_limits<double>::infinity() : -std::numeric_limits<double>::infinity();
    bool any = false;
    for (size_t i = 0; i < cut.Count(); ++i) {
        if (mask.Data()[i] == 1) {
            any = true;
            best = lowest ? std::min(best, cut.Data()[i]) : std::max(best, cut.Data()[i]);
        }
    }
    if (!any)
        best = 0.0;
    for (size_t i = 0; i < cut.Count(); ++i) {
        if (mask.Data()[i] == 0) {
            cut.Data()[i] = best;
            mask.Data()[i] = 1;
        }
    }
}

// Banded solve of (w I + lambda D'D) z = w y; false when a result is not finite.
bool SolveLine(const double* y, double* z, int n, double lambda, double w) {
    // D'D of the second difference, built from D itself so that short lines are right too. Row k
    // of the band: l2 (column k-2), l1 (k-1), a (k), u1 (k+1), u2 (k+2).
    std::vector<double> l2(size_t(n), 0.0), l1(size_t(n), 0.0), a(size_t(n), w), u1(size_t(n), 0.0),
        u2(size_t(n), 0.0), r(static_cast<size_t>(n));
    for (int k = 0; k + 2 < n; ++k) { // row k of D: +1 at k, -2 at k+1, +1 at k+2
        a[size_t(k)] += lambda;
        a[size_t(k + 1)] += 4 * lambda;
        a[size_t(k + 2)] += lambda;
        u1[size_t(k)] += -2 * lambda;
        u1[size_t(k + 1)] += -2 * lambda;
        u2[size_t(k)] += lambda;
    }
    for (int k = 0; k + 1 < n; ++k)
        l1[size_t(k + 1)] = u1[size_t(k)];
    for (int k = 0; k + 2 < n; ++k)
        l2[size_t(k + 2)] = u2[size_t(k)];
    for (int k = 0; k < n; ++k)
        r[size_t(k)] = w * y[k];
    // Gaussian elimination down the band without pivoting.
    for (int k = 0; k + 1 < n; ++k) {
        const double piv = a[size_t(k)];
        double f = l1[size_t(k + 1)] / piv;
        a[size_t(k + 1)] -= f * u1[size_t(k)];
        u1[size_t(k + 1)] -= f * u2[size_t(k)];
        r[size_t(k + 1)] -= f * r[size_t(k)];
        if (k + 2 < n) {
            f = l2[size_t(k + 2)] / piv;
            l1[size_t(k + 2)] -= f * u1[size_t(k)];
            a[size_t(k + 2)] -= f * u2[size_t(k)];
            r[size_t(k + 2)] -= f * r[size_t(k)];
        }
    }
    for (int k = n - 1; k >= 0; --k) {
        double s = r[size_t(k)];
        if (k + 1 < n)
            s -= u1[size_t(k)] * z[k + 1];
        if (k + 2 < n)
            s -= u2[size_t(k)] * z[k + 2];
        z[k] = s / a[size_t(k)];
        if (!std::isfinite(z[k]))
            return false;
    }
    return true;
}

} // namespace

void FillNoiseWithLowest(MaskRows& mask, HeightRows& cut) {
    FillWith(mask, cut, true);
}

void FillNoiseWithHighest(MaskRows& mask, HeightRows& cut) {
    FillWith(mask, cut, false);
}

double SmoothingLambda(double period) {
    return std::pow(0.5 / std::sin(M_PI / period), 4.0);
}

double SmoothLine(double* y, int n, double period, double weight) {
    if (n <= 2)
        return period;
    std::vector<double> z(static_cast<size_t>(n));
    double p = period;
    for (int attempt = 0; attempt < 4000; ++attempt) {
        const double lambda = SmoothingLambda(p);
        bool finite = std::isfinite(lambda) && SolveLine(y, z.data(), n, lambda, weight);
        if (finite) {
            for (int k = 0; k < n; ++k) {
                const double v = (weight / 100 + z[size_t(k)]) / weight;
                if (!std::isfinite(v))
                    finite = false;
            }
        }
        if (finite) {
            for (int k = 0; k < n; ++k)
                y[k] = (weight / 100 + z[size_t(k)]) / weight;
            return p;
        }
        p = std::max(p, 1.0) * 1.0625;
    }
    return p; // no finite period found: the line stays as it was
}

void SmoothHeights(HeightRows& cut, double period) {
    // Every line is solved on its own, so lines run in parallel with the same results.
    const int w = cut.Width(), h = cut.Height();
#pragma omp parallel for schedule(static)
    for (int y = 0; y < h; ++y)
        SmoothLine(cut[y], w, period);
#pragma omp parallel
    {
        std::vector<double> col(static_cast<size_t>(h));
#pragma omp for schedule(static)
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h; ++y)
                col[size_t(y)] = cut[y][x];
            SmoothLine(col.data(), h, period);
            for (int y = 0; y < h; ++y)
                cut[y][x] = col[size_t(y)];
        }
    }
}
