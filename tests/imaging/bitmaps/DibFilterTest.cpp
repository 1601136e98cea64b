#include "imaging/bitmaps/DibFilter.h"

#include "imaging/compose/PlaneSmoothing.h"

#include "ComposeTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

using namespace composetest;

TEST(DibEdgeFilter, UniformIsZeroAndAStepIsCappedBelowTheDepthMaximum) {
    Dib flat = Make(8, 6, 8, [](int, int, int) { return 77; });
    Dib e(DibEdgeFilter(flat.get()));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(At(e.get(), x, y), 0);
    // Step from 0 to 200 between columns 4 and 5: |Gx| = 800 -> 254 next to the step.
    Dib step = Make(10, 5, 8, [](int x, int, int) { return x < 5 ? 0 : 200; });
    Dib s(DibEdgeFilter(step.get()));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(At(s.get(), x, y), (x == 4 || x == 5) ? 254 : 0) << x << "," << y;
    // 16 bits: capped at 65534.
    Dib deep = Make(6, 4, 16, [](int x, int, int) { return x < 3 ? 0 : 60000; });
    Dib d(DibEdgeFilter(deep.get()));
    EXPECT_EQ(At(d.get(), 2, 1), 65534);
}

TEST(DibEdgeFilter, BorderColumnsAndRowsCopyTheirInnerNeighbours) {
    // A ramp has the same measure everywhere inside: |Gx| = 4 * 2 * 10, |Gy| = 4 * 2 * 3.
    Dib ramp = Make(7, 6, 24, [](int x, int y, int p) { return 10 * x + 3 * y + p; });
    Dib e(DibEdgeFilter(ramp.get()));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x)
            for (int p = 0; p < 3; ++p)
                EXPECT_EQ(At(e.get(), x, y, p), 104);
    EXPECT_EQ(DibGetSelectedPlane(), 0);
    // Column w-2 takes column w-3 (not its own value), row h-1 takes row h-2.
    Dib spot = Make(6, 5, 8, [](int x, int y, int) { return (x == 5 && y == 2) ? 100 : 0; });
    Dib s(DibEdgeFilter(spot.get()));
    EXPECT_EQ(At(s.get(), 4, 2), At(s.get(), 3, 2));
    EXPECT_EQ(At(s.get(), 5, 2), At(s.get(), 3, 2));
    EXPECT_EQ(At(s.get(), 3, 2), 0);
    EXPECT_EQ(At(s.get(), 0, 3), At(s.get(), 1, 3));
    EXPECT_EQ(At(s.get(), 2, 4), At(s.get(), 2, 3));
    EXPECT_EQ(At(s.get(), 2, 0), At(s.get(), 2, 1));
}

TEST(DibEdgeFilter, ImagesNarrowerOrShorterThanThreeAreCopiedThrough) {
    for (auto [w, h] : {std::pair{2, 5}, std::pair{5, 2}, std::pair{1, 1}}) {
        Dib small = Make(w, h, 8, [](int x, int y, int) { return 9 * x + 40 * y + 1; });
        Dib e(DibEdgeFilter(small.get()));
        ASSERT_TRUE(e);
        EXPECT_EQ(Rows(e.get()), Rows(small.get()));
    }
}

TEST(DibMaxFilter, WindowOfOneIsACopyAndBordersKeepTheirValues) {
    Dib src = Make(12, 10, 8, [](int x, int y, int) {
        return (x == 6 && y == 5) ? 90 : (x == 1 && y == 1) ? 200 : 0;
    });
    Dib one(DibMaxFilter(src.get(), 1, 5));
    EXPECT_EQ(Rows(one.get()), Rows(src.get()));
    Dib m(DibMaxFilter(src.get(), 5, 5));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) {
            int want;
            if (x < 2 || x > 9 || y < 2 || y > 7)
                want = At(src.get(), x, y); // the border band keeps the source
            else if (x <= 3 && y <= 3)
                want = 200; // the bright pixel at (1, 1) reaches into the inner region
            else if (std::abs(x - 6) <= 2 && std::abs(y - 5) <= 2)
                want = 90;
            else
                want = 0;
            EXPECT_EQ(At(m.get(), x, y), want) << x << "," << y;
        }
}

TEST(BandSmoother, MatchesADenseSolveOfTheDifferenceSystemForEverySize) {
    const double lambda = planes::BandSmoother::LambdaForPeriod(6);
    for (int n : {1, 2, 3, 4, 5, 9}) {
        SCOPED_TRACE(n);
        // Dense I + lambda D'D from the second-difference rows.
        std::vector<std::vector<double>> a(n, std::vector<double>(n, 0.0));
        for (int i = 0; i < n; ++i)
            a[i][i] = 1.0;
        const double d[3] = {1, -2, 1};
        for (int r = 0; r + 2 < n; ++r)
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j)
                    a[r + i][r + j] += lambda * d[i] * d[j];
        std::vector<double> b(n), z(n);
        for (int i = 0; i < n; ++i)
            b[i] = z[i] = Noise(i, 0, 0);
        // Gauss-Jordan on the copy.
        for (int c = 0; c < n; ++c)
            for (int r = 0; r < n; ++r)
                if (r != c) {
                    const double f = a[r][c] / a[c][c];
                    for (int k = 0; k < n; ++k)
                        a[r][k] -= f * a[c][k];
                    b[r] -= f * b[c];
                }
        planes::BandSmoother sm(n, lambda);
        sm.Solve(z.data());
        for (int i = 0; i < n; ++i)
            EXPECT_NEAR(z[i], b[i] / a[i][i], 1e-9);
    }
}

TEST(BandSmoother, InterleavedRunsGiveExactlyTheSingleRunResult) {
    const planes::BandSmoother sm(37, planes::BandSmoother::LambdaForPeriod(14));
    std::vector<double> one(37), many(37 * 3);
    for (int k = 0; k < 37; ++k) {
        one[k] = Noise(k, 1, 0);
        for (int c = 0; c < 3; ++c)
            many[k * 3 + c] = Noise(k, 1, c);
    }
    sm.Solve(one.data());
    sm.SolveMany(many.data(), 3);
    for (int k = 0; k < 37; ++k)
        EXPECT_EQ(one[k], many[k * 3]);
}

// Rows of 16-bit samples through the row smoother, in blocks of every height from 1 to 16 and
// runs whose length leaves every remainder by four, at scale 1 and another: each sample as
// Solve and SmoothOutput give it one row at a time, extremes and clamps included.
TEST(BandSmoother, RowBlocksGiveExactlyTheOneRowResult) {
    for (int w : {3, 4, 5, 6, 7, 13, 66}) {
        const planes::BandSmoother sm(w, planes::BandSmoother::LambdaForPeriod(6));
        for (double scale : {1.0, 3.0}) {
            SCOPED_TRACE(testing::Message() << "width " << w << " scale " << scale);
            constexpr int kRows = 16, kMax = 65535;
            std::vector<uint16_t> src(static_cast<size_t>(w) * kRows), dst(src.size());
            for (int y = 0; y < kRows; ++y)
                for (int x = 0; x < w; ++x)
                    src[y * w + x] =
                        y % 5 == 0 ? ((x + y) % 2 ? kMax : 0) : static_cast<uint16_t>(Noise(x, y, 7) * 257);
            std::vector<double> b(static_cast<size_t>(w) * kRows);
            const auto plane = [&](std::vector<uint16_t>& v) {
                return planes::BufferPlane(v.data(), w, kRows);
            };
            for (int cnt = 1; cnt <= kRows; ++cnt) {
                std::fill(dst.begin(), dst.end(), 1);
                planes::SmoothRowBlockOf(plane(src), plane(dst), sm, scale, kMax, 0, cnt, b.data(),
                                         planes::HasWideVectors());
                for (int y = 0; y < cnt; ++y) {
                    std::vector<double> z(w);
                    for (int x = 0; x < w; ++x)
                        z[x] = scale * src[y * w + x];
                    sm.Solve(z.data());
                    for (int x = 0; x < w; ++x)
                        ASSERT_EQ(dst[y * w + x], planes::SmoothOutput(z[x], scale, kMax))
                            << "rows " << cnt << " row " << y << " column " << x;
                }
            }
        }
    }
}

// The same for strips of 11, 16 and 32 columns smoothed in place, as the focus composer does.
TEST(BandSmoother, ColumnStripsGiveExactlyTheOneColumnResult) {
    constexpr int kCols = 32, kMax = 65535;
    for (int h : {3, 4, 13, 66}) {
        const planes::BandSmoother sm(h, planes::BandSmoother::LambdaForPeriod(6));
        for (double scale : {1.0, 3.0}) {
            std::vector<uint16_t> src(static_cast<size_t>(kCols) * h);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < kCols; ++x)
                    src[y * kCols + x] =
                        x % 5 == 0 ? ((x + y) % 2 ? kMax : 0) : static_cast<uint16_t>(Noise(x, y, 9) * 257);
            std::vector<double> b(static_cast<size_t>(kCols) * h);
            for (int cnt : {11, 16, 32}) {
                SCOPED_TRACE(testing::Message()
                             << "height " << h << " scale " << scale << " columns " << cnt);
                std::vector<uint16_t> plane = src;
                const auto p = planes::BufferPlane(plane.data(), kCols, h);
                planes::SmoothColumnBlockOf(p, p, sm, scale, kMax, 0, cnt, b.data(),
                                            planes::HasWideVectors());
                for (int x = 0; x < kCols; ++x) {
                    std::vector<double> z(h);
                    for (int y = 0; y < h; ++y)
                        z[y] = scale * src[y * kCols + x];
                    sm.Solve(z.data());
                    for (int y = 0; y < h; ++y)
                        ASSERT_EQ(plane[y * kCols + x],
                                  x < cnt ? planes::SmoothOutput(z[y], scale, kMax) : src[y * kCols + x])
                            << "column " << x << " row " << y;
                }
            }
        }
    }
}

TEST(DibSmooth, HalfGainAtThePeriodAndLinesPassUnchanged) {
    // A sinusoid of period 2 * px along the rows keeps half its amplitude away from the ends.
    const int px = 10, w = 200;
    Dib wave = Make(w, 3, 8, [](int x, int, int) {
        return static_cast<int>(std::lround(128 + 100 * std::sin(2 * std::numbers::pi * x / 20.0)));
    });
    Dib s(DibSmooth(wave.get(), px, 0, 1.0));
    int lo = 255, hi = 0;
    for (int x = 60; x < 140; ++x) {
        lo = std::min(lo, At(s.get(), x, 1));
        hi = std::max(hi, At(s.get(), x, 1));
    }
    EXPECT_NEAR((hi - lo) / 2.0, 50.0, 2.0);
    // A straight line has no second difference: unchanged (the 1/100 offset absorbs rounding).
    Dib line = Make(40, 30, 16, [](int x, int y, int) { return 1000 + 37 * x + 11 * y; });
    Dib l(DibSmooth(line.get(), 4, 3, 1.0));
    EXPECT_EQ(Rows(l.get()), Rows(line.get()));
}

TEST(DibSmooth, ZeroHalfPeriodsLeaveTheirDirectionAlone) {
    Dib img = Make(30, 20, 8, [](int x, int y, int) { return Noise(x, y, 0); });
    Dib none(DibSmooth(img.get(), 0, 0, 1.0));
    EXPECT_EQ(Rows(none.get()), Rows(img.get()));
    // Columns only: an image constant down every column is unchanged, one varying down the
    // columns is not.
    Dib cols = Make(30, 20, 8, [](int x, int, int) { return Noise(x, 0, 0); });
    Dib c(DibSmooth(cols.get(), 0, 3, 1.0));
    EXPECT_EQ(Rows(c.get()), Rows(cols.get()));
    Dib rows = Make(30, 20, 8, [](int, int y, int) { return Noise(0, y, 0); });
    Dib r(DibSmooth(rows.get(), 0, 3, 1.0));
    EXPECT_NE(Rows(r.get()), Rows(rows.get()));
    // Output clamp: M - 1 at the top.
    Dib white = Make(12, 12, 8, [](int, int, int) { return 255; });
    Dib w(DibSmooth(white.get(), 2, 2, 1.0));
    EXPECT_EQ(At(w.get(), 5, 5), 254);
}

TEST(DibAbsDifference, DifferencesOfBothDepthsAndTheHighPass) {
    Dib a = Make(2, 1, 16, [](int x, int, int) { return x ? 100 : 60000; });
    Dib b = Make(2, 1, 16, [](int x, int, int) { return x ? 60000 : 100; });
    Dib out = Make(2, 1, 16, [](int, int, int) { return 0; });
    DibAbsDifference(a.get(), b.get(), out.get());
    EXPECT_EQ(At(out.get(), 0, 0), 59900);
    EXPECT_EQ(At(out.get(), 1, 0), 59900);
    Dib c = Make(1, 1, 24, [](int, int, int p) { return p == 1 ? 10 : 0; });
    Dib d = Make(1, 1, 24, [](int, int, int p) { return p == 1 ? 250 : 0; });
    Dib o = Make(1, 1, 24, [](int, int, int) { return 0; });
    DibSelectPlane(1);
    DibAbsDifference(c.get(), d.get(), o.get());
    DibSelectPlane(0);
    EXPECT_EQ(At(o.get(), 0, 0, 1), 240);
    EXPECT_EQ(At(o.get(), 0, 0, 0), 0);
    // High pass of a smooth ramp is 0; of an isolated spike it is not.
    Dib ramp = Make(20, 20, 8, [](int x, int y, int) { return 5 * x + 2 * y; });
    Dib hp(DibHighPass(ramp.get(), 3, 3, 1.0));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(At(hp.get(), x, y), 0);
    Dib spike = Make(20, 20, 8, [](int x, int y, int) { return (x == 10 && y == 10) ? 200 : 0; });
    Dib hs(DibHighPass(spike.get(), 3, 3, 1.0));
    EXPECT_GT(At(hs.get(), 10, 10), 100);
}

TEST(DibDarkenHighlights, EightBitSamplesAboveFiftyOnly) {
    Dib g = Make(4, 1, 24, [](int x, int, int) { return x == 0 ? 50 : x == 1 ? 100 : x == 2 ? 200 : 255; });
    EXPECT_EQ(DibDarkenHighlights(g.get(), nullptr), 1);
    EXPECT_EQ(At(g.get(), 0, 0, 1), 50);
    EXPECT_EQ(At(g.get(), 1, 0, 2), 75); // 100 * (1 - 50 / 205)
    EXPECT_EQ(At(g.get(), 2, 0, 0), 53); // 200 * (1 - 150 / 205)
    EXPECT_EQ(At(g.get(), 3, 0, 0), 0);
    Dib deep = Make(2, 1, 16, [](int, int, int) { return 1000; });
    EXPECT_EQ(DibDarkenHighlights(deep.get(), nullptr), 0);
    EXPECT_EQ(At(deep.get(), 1, 0), 1000);
}

// The fast rows of the focus measure (16-bit lanes for samples up to 4095, byte shuffles for
// 24-bit pixels) against the plain formulas, for every width up to past four vectors, both
// sides of the lane limit, and rows that reach 0 and the maximum.
TEST(PlaneRows, EdgeAndLightnessRowsMatchThePlainFormulas) {
    std::mt19937 rng(5);
    for (int maxValue : {255, 4095, 4096, 65535}) {
        for (int w = 3; w <= 70; ++w) {
            SCOPED_TRACE(testing::Message() << "maximum " << maxValue << " width " << w);
            std::vector<uint16_t> rows(3 * static_cast<size_t>(w)), d(w, 1);
            for (size_t i = 0; i < rows.size(); ++i)
                rows[i] = i % 7 == 0 ? (i % 2 ? maxValue : 0) : static_cast<uint16_t>(rng() % (maxValue + 1));
            const uint16_t *a = rows.data(), *c = a + w, *b = c + w;
            planes::EdgeRow(a, c, b, d.data(), w, 1, 1, maxValue, planes::HasWideVectors());
            auto expected = [&](int j) {
                // Columns 1 .. w - 3 are computed (column 1 alone at width 3), the others copy one.
                j = std::clamp(j, 1, std::max(1, w - 3));
                const int gx = (a[j + 1] + 2 * c[j + 1] + b[j + 1]) - (a[j - 1] + 2 * c[j - 1] + b[j - 1]);
                const int gy = (b[j - 1] + 2 * b[j] + b[j + 1]) - (a[j - 1] + 2 * a[j] + a[j + 1]);
                return std::min(std::abs(gx) + std::abs(gy), maxValue - 1);
            };
            for (int j = 0; j < w; ++j)
                ASSERT_EQ(d[j], expected(j)) << "column " << j;
        }
    }
    for (int w = 1; w <= 70; ++w) {
        std::vector<uint8_t> pixels(3 * static_cast<size_t>(w));
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = i % 5 == 0 ? (i % 2 ? 255 : 0) : static_cast<uint8_t>(rng());
        // Every order of the three planes over the same samples.
        int order[3] = {0, 1, 2};
        do {
            auto plane = [&](int k) {
                return planes::PlaneRef<uint8_t>{pixels.data() + order[k], 3 * w, 3, w, 1};
            };
            std::vector<uint16_t> d(w, 1);
            planes::LightnessRow(plane(0), plane(1), plane(2), 0, d.data(), w, 1, planes::HasWideVectors());
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = &pixels[3 * x];
                const int mx = std::max({p[0], p[1], p[2]}), mn = std::min({p[0], p[1], p[2]});
                ASSERT_EQ(d[x], (mx + mn) >> 1) << "width " << w << " pixel " << x;
            }
        } while (std::next_permutation(order, order + 3));
    }
}
