// Noise selection, the fills and the smoother.
#include "result/core/NoiseCut.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace {

struct Map {
    HeightRows heights;
    FocusRows focus;
    Map(int w, int h, unsigned seed, double noiseShare) {
        heights.Allocate(w, h);
        focus.Allocate(w, h);
        std::mt19937 rng(seed);
        std::uniform_real_distribution<double> u(0.0, 1.0);
        for (size_t i = 0; i < heights.Count(); ++i) {
            heights.Data()[i] = 50.0 * u(rng);
            focus.Data()[i] = u(rng) < noiseShare ? 0 : 255;
        }
    }
};

} // namespace

TEST(NoiseCutTest, Thresholds) {
    EXPECT_EQ(NoiseThreshold(0), 0);
    EXPECT_EQ(NoiseThreshold(1), 2);
    EXPECT_EQ(NoiseThreshold(10), 25);
    EXPECT_EQ(NoiseThreshold(50), 127);
    EXPECT_EQ(NoiseThreshold(99), 252);
}

TEST(NoiseCutTest, AmountZeroFlagsNothingAndAllFlaggedStaysUnfilled) {
    Map m(6, 5, 1, 0.3);
    MaskRows mask;
    HeightRows cut;
    EXPECT_EQ(SelectNoise(m.heights, m.focus, NoiseThreshold(0), mask, cut), 0);
    EXPECT_EQ(InterpolatePass(mask, cut), 0);
    EXPECT_EQ(0, std::memcmp(cut.Data(), m.heights.Data(), cut.Count() * sizeof(double)));

    std::fill(m.focus.Data(), m.focus.Data() + m.focus.Count(), 0);
    EXPECT_EQ(SelectNoise(m.heights, m.focus, 2, mask, cut), 30);
    std::vector<long long> seen;
    EXPECT_TRUE(InterpolateAll(
        mask, cut, [&](long long t) { seen.push_back(t); }, nullptr));
    EXPECT_EQ(seen, std::vector<long long>{0});
    for (size_t i = 0; i < cut.Count(); ++i)
        EXPECT_EQ(cut.Data()[i], -100.0);
    FillNoiseWithLowest(mask, cut);
    EXPECT_EQ(cut.Data()[7], 0.0);
    SelectNoise(m.heights, m.focus, 2, mask, cut);
    FillNoiseWithHighest(mask, cut);
    EXPECT_EQ(cut.Data()[7], 0.0);
}

TEST(NoiseCutTest, LowestAndHighestTakeTheValidExtremes) {
    Map m(4, 4, 2, 0.5);
    MaskRows mask;
    HeightRows cut;
    const long long n = SelectNoise(m.heights, m.focus, 100, mask, cut);
    ASSERT_GT(n, 0);
    double lo = 1e9, hi = -1e9;
    for (size_t i = 0; i < cut.Count(); ++i)
        if (mask.Data()[i]) {
            lo = std::min(lo, cut.Data()[i]);
            hi = std::max(hi, cut.Data()[i]);
        }
    MaskRows mask2 = mask;
    HeightRows cut2 = cut;
    FillNoiseWithLowest(mask, cut);
    FillNoiseWithHighest(mask2, cut2);
    for (size_t i = 0; i < cut.Count(); ++i)
        if (m.focus.Data()[i] == 0) {
            EXPECT_EQ(cut.Data()[i], lo);
            EXPECT_EQ(cut2.Data()[i], hi);
        }
}

// The fast fill against the pass-by-pass rule: same heights bit for bit, same progress sequence,
// on random masks of several densities, including large holes that take many passes.
TEST(NoiseCutTest, FastInterpolationIsBitIdenticalToPassByPass) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        Map m(37 + int(seed), 29, seed, 0.15 * seed);
        if (seed % 2 == 0) // a large hole
            for (int y = 3; y < 25; ++y)
                for (int x = 4; x < 30; ++x)
                    m.focus[y][x] = 0;
        MaskRows ma, mb;
        HeightRows ca, cb;
        const long long n = SelectNoise(m.heights, m.focus, 25, ma, ca);
        SelectNoise(m.heights, m.focus, 25, mb, cb);
        std::vector<long long> slow, fast;
        long long total = 0;
        for (;;) {
            const long long f = InterpolatePass(ma, ca);
            total += f;
            slow.push_back(total);
            if (f == 0)
                break;
        }
        ASSERT_TRUE(InterpolateAll(
            mb, cb, [&](long long t) { fast.push_back(t); }, nullptr));
        EXPECT_EQ(slow, fast) << "seed " << seed;
        EXPECT_EQ(0, std::memcmp(ca.Data(), cb.Data(), ca.Count() * sizeof(double))) << "seed " << seed;
        EXPECT_EQ(0, std::memcmp(ma.Data(), mb.Data(), ma.Count() * sizeof(int)));
        if (seed < 6) {
            EXPECT_EQ(slow.back(), n) << "every pixel is reached";
        }
    }
    // A cancel after the first pass stops there.
    Map m(40, 40, 9, 0.0);
    for (int y = 0; y < 40; ++y)
        for (int x = 10; x < 40; ++x)
            m.focus[y][x] = 0;
    MaskRows mask;
    HeightRows cut;
    SelectNoise(m.heights, m.focus, 25, mask, cut);
    int passes = 0;
    EXPECT_FALSE(InterpolateAll(
        mask, cut, [&](long long) { ++passes; }, [] { return true; }));
    EXPECT_EQ(passes, 1);
    EXPECT_EQ(cut[0][39], -100.0);
}

// A dense solve of (I + lambda D'D) z = y for comparison.
static std::vector<double> DenseSolve(const std::vector<double>& y, double lambda) {
    const int n = int(y.size());
    std::vector<std::vector<double>> A(size_t(n), std::vector<double>(size_t(n), 0.0));
    for (int i = 0; i < n; ++i)
        A[size_t(i)][size_t(i)] = 1.0;
    for (int k = 0; k + 2 < n; ++k) {
        const int idx[3] = {k, k + 1, k + 2};
        const double d[3] = {1, -2, 1};
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b)
                A[size_t(idx[a])][size_t(idx[b])] += lambda * d[a] * d[b];
    }
    std::vector<double> r = y;
    for (int c = 0; c < n; ++c)
        for (int row = c + 1; row < n; ++row) {
            const double f = A[size_t(row)][size_t(c)] / A[size_t(c)][size_t(c)];
            for (int k = c; k < n; ++k)
                A[size_t(row)][size_t(k)] -= f * A[size_t(c)][size_t(k)];
            r[size_t(row)] -= f * r[size_t(c)];
        }
    std::vector<double> z(static_cast<size_t>(n));
    for (int i = n - 1; i >= 0; --i) {
        double s = r[size_t(i)];
        for (int k = i + 1; k < n; ++k)
            s -= A[size_t(i)][size_t(k)] * z[size_t(k)];
        z[size_t(i)] = s / A[size_t(i)][size_t(i)];
    }
    return z;
}

TEST(NoiseCutTest, SmootherSolvesTheSystemAndAddsTheOffset) {
    for (int n : {3, 4, 5, 12}) {
        std::vector<double> y(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            y[size_t(i)] = std::sin(i * 0.7) * 10 + i;
        const double P = 6.4;
        const std::vector<double> z = DenseSolve(y, SmoothingLambda(P));
        std::vector<double> got = y;
        EXPECT_EQ(SmoothLine(got.data(), n, P), P);
        for (int i = 0; i < n; ++i)
            EXPECT_NEAR(got[size_t(i)], z[size_t(i)] + 0.01, 1e-9) << "n " << n;
    }
    // Lines of one or two samples stay as they are.
    double two[2] = {1.0, 3.0};
    SmoothLine(two, 2, 5.0);
    EXPECT_EQ(two[0], 1.0);
    EXPECT_EQ(two[1], 3.0);
    // A constant map comes back 0.02 higher after rows and columns.
    HeightRows cut;
    cut.Allocate(8, 6);
    std::fill(cut.Data(), cut.Data() + cut.Count(), 4.0);
    SmoothHeights(cut, 640 / 100.0 * 10);
    for (size_t i = 0; i < cut.Count(); ++i)
        EXPECT_NEAR(cut.Data()[i], 4.02, 1e-9);
}

TEST(NoiseCutTest, SmallPeriodsStayFiniteAndFiniteResultsStayAsTheyAre) {
    // P = 1 (a 100-pixel image with filter size 1): lambda near 1e62 without the guard.
    EXPECT_GT(SmoothingLambda(1.0), 1e60);
    Map m(100, 7, 3, 0.0);
    HeightRows cut = m.heights;
    SmoothHeights(cut, 1.0);
    for (size_t i = 0; i < cut.Count(); ++i)
        ASSERT_TRUE(std::isfinite(cut.Data()[i]));
    std::vector<double> y(50);
    for (size_t i = 0; i < y.size(); ++i)
        y[i] = double(i % 7);
    for (double P : {0.5, 0.75, 1.0, 1.5}) {
        std::vector<double> a = y;
        SmoothLine(a.data(), 50, P);
        for (double v : a)
            ASSERT_TRUE(std::isfinite(v)) << P;
    }
    // Heights whose solution overflows at P = 1: the period is raised until it does not.
    std::vector<double> big(50);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = (i % 2 ? 1e300 : -1e300);
    const double used = SmoothLine(big.data(), 50, 1.0);
    EXPECT_GT(used, 1.0);
    for (double v : big)
        EXPECT_TRUE(std::isfinite(v));
    // A period that already gives finite results is not changed.
    std::vector<double> b = y;
    EXPECT_EQ(SmoothLine(b.data(), 50, 20.0), 20.0);
}
