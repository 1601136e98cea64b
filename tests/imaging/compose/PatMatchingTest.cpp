#include "imaging/compose/PatMatching.h"

#include "ComposeTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace composetest;

namespace {
// Detail at every scale the coarse levels sample, without repeating itself.
int Smooth(int x, int y) {
    return static_cast<int>(128 + 50 * std::sin(x / 9.0) * std::sin(y / 7.0 + x / 23.0) +
                            40 * std::cos(x / 17.0 - y / 13.0) + (Noise(x, y, 3) - 128) / 16);
}
} // namespace

TEST(CPatMatching, FindsACutOutTemplateAtItsPlaceAtEveryStep) {
    Dib img = Make(240, 180, 24, [](int x, int y, int p) { return p == 1 ? Smooth(x, y) : 0; });
    for (int step : {1, 2, 4, 8, 16, 32}) {
        SCOPED_TRACE(step);
        CPatMatching m;
        ASSERT_EQ(m.SetStep(step), 1);
        ASSERT_EQ(m.SetSearchImage(img.get(), RECT{20, 10, 220, 170}), 1);
        ASSERT_EQ(m.SetPattern(img.get(), RECT{101, 77, 151, 117}), 1);
        POINT p{};
        const double score = m.Search(&p);
        EXPECT_NEAR(score, 1.0, 1e-9);
        EXPECT_EQ(p.x, 101);
        EXPECT_EQ(p.y, 77);
    }
}

TEST(CPatMatching, TemplateAtTheEdgeOfTheSearchRangeStaysInsideIt) {
    Dib img = Make(64, 48, 8, [](int x, int y, int) { return Smooth(x, y); });
    CPatMatching m;
    m.SetStep(1);
    m.SetSearchImage(img.get(), RECT{0, 0, 64, 48});
    m.SetPattern(img.get(), RECT{44, 30, 64, 48}); // bottom-right corner
    POINT p{};
    EXPECT_NEAR(m.Search(&p), 1.0, 1e-9);
    EXPECT_EQ(p.x, 44);
    EXPECT_EQ(p.y, 30);
    // Coarse to fine: wherever the levels lead, the position stays inside the search bounds.
    for (int step : {2, 4, 8, 16}) {
        m.SetStep(step);
        m.Search(&p);
        EXPECT_GE(p.x, 0);
        EXPECT_GE(p.y, 0);
        EXPECT_LE(p.x, 44);
        EXPECT_LE(p.y, 30);
    }
    // A rectangle reaching past the bitmap is clipped to it.
    ASSERT_EQ(m.SetSearchImage(img.get(), RECT{-10, 40, 20, 90}), 1);
    EXPECT_EQ(m.SearchWidth(), 20);
    EXPECT_EQ(m.SearchHeight(), 8);
    EXPECT_EQ(m.SetSearchImage(img.get(), RECT{70, 0, 90, 10}), 0);
}

TEST(CPatMatching, FlatPatchesScoreZeroAndBadStepsAreRefused) {
    Dib flat = Make(40, 40, 8, [](int, int, int) { return 90; });
    CPatMatching m;
    EXPECT_EQ(m.SetStep(3), 0);
    EXPECT_EQ(m.SetStep(6), 0);
    EXPECT_EQ(m.SetStep(64), 0);
    EXPECT_EQ(m.SetStep(4), 1);
    m.SetSearchImage(flat.get(), RECT{5, 5, 35, 35});
    m.SetPattern(flat.get(), RECT{10, 10, 20, 20});
    POINT p{};
    EXPECT_EQ(m.Search(&p), 0.0);
    EXPECT_EQ(p.x, 5);
    EXPECT_EQ(p.y, 5);
    // A template larger than the search image does not fit.
    m.SetPattern(flat.get(), RECT{0, 0, 40, 40});
    EXPECT_EQ(m.Search(&p), 0.0);
    EXPECT_EQ(m.SetPattern(nullptr, RECT{0, 0, 4, 4}), 0);
}

TEST(AlignFit, ScaleFromDistancesShiftFromUnroundedMeans) {
    const AlignPoint src[2] = {{40, 50}, {60, 50}};
    const AlignPoint dst[2] = {{30, 52}, {70, 52}};
    const AlignFit t = FitAlignPoints(src, dst, 2, 100, 100);
    EXPECT_DOUBLE_EQ(t.scale, 2.0);
    EXPECT_DOUBLE_EQ(t.xShift, 0.0); // mapped sources (30, 50) and (70, 50)
    EXPECT_DOUBLE_EQ(t.yShift, 2.0);
    // Coincident sources: scale 1, the mean movement as it is, not rounded.
    const AlignPoint same[2] = {{40, 50}, {40, 50}};
    const AlignPoint moved[2] = {{42.5, 49}, {43.5, 49}};
    const AlignFit u = FitAlignPoints(same, moved, 2, 100, 100);
    EXPECT_DOUBLE_EQ(u.scale, 1.0);
    EXPECT_DOUBLE_EQ(u.xShift, 3.0);
    EXPECT_DOUBLE_EQ(u.yShift, -1.0);
    // Scaled by 1 % about (300, 300) and moved by 2 pixels: the mapped sources are not cut to
    // whole pixels, so the shift comes out exact.
    const AlignPoint four[4] = {{300, 200}, {400, 300}, {300, 400}, {200, 300}};
    AlignPoint grown[4];
    for (int i = 0; i < 4; ++i)
        grown[i] = AlignPoint{300 + 1.01 * (four[i].x - 300) + 2, 300 + 1.01 * (four[i].y - 300)};
    const AlignFit g = FitAlignPoints(four, grown, 4, 600, 600);
    EXPECT_NEAR(g.scale, 1.01, 1e-12);
    EXPECT_NEAR(g.xShift, 2.0, 1e-9);
    EXPECT_NEAR(g.yShift, 0.0, 1e-9);
    const POINT q = MapAlignPoint(POINT{10, 90}, AlignTransform{}, 101, 99);
    EXPECT_EQ(q.x, 10);
    EXPECT_EQ(q.y, 90);
}

TEST(CPatMatching, FullScoresAndTheirPeakToAFractionOfAPixel) {
    // A smooth bump whose peak lies at x = 30.3: the refined peak of a template cut around
    // the whole-pixel place is within a tenth of a pixel of it.
    auto bump = [](double x, double y) {
        return 40 + 180 * std::exp(-((x - 30.3) * (x - 30.3) + (y - 20) * (y - 20)) / 60.0);
    };
    Dib search = Make(60, 40, 8, [&](int x, int y, int) { return static_cast<int>(bump(x, y)); });
    Dib pattern = Make(60, 40, 8, [&](int x, int y, int) { return static_cast<int>(bump(x + 0.3, y)); });
    CPatMatching m;
    m.SetStep(1);
    ASSERT_EQ(m.SetSearchImage(search.get(), RECT{0, 0, 60, 40}), 1);
    ASSERT_EQ(m.SetPattern(pattern.get(), RECT{20, 10, 40, 30}), 1);
    double at = 0.0, beside = 0.0;
    ASSERT_TRUE(m.ScoreAt(20, 10, &at));
    ASSERT_TRUE(m.ScoreAt(23, 10, &beside));
    EXPECT_GT(at, 0.99);
    EXPECT_LT(beside, at);
    EXPECT_FALSE(m.ScoreAt(41, 10, nullptr)); // the template would leave the search image
    double x = 0.0, y = 0.0;
    m.RefinePeak(POINT{20, 10}, &x, &y);
    EXPECT_NEAR(x, 20.3, 0.1);
    EXPECT_NEAR(y, 10.0, 0.05);
    m.RefinePeak(POINT{22, 10}, &x, &y); // no peak there: the whole pixel stays
    EXPECT_EQ(x, 22.0);
}

TEST(DibTransformPlanes, IdentityKeepsSamplesBelowTheClampAndOutsideIsBlack) {
    Dib img = Make(9, 7, 24, [](int x, int y, int p) { return p == 0 ? 255 : 20 * x + y + p; });
    DibSelectPlane(2);
    Dib same(DibTransformPlanes(img.get(), AlignTransform{}));
    EXPECT_EQ(DibGetSelectedPlane(), 0);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) {
            EXPECT_EQ(At(same.get(), x, y, 0), 254); // 8-bit samples are held at 254
            EXPECT_EQ(At(same.get(), x, y, 1), 20 * x + y + 1);
            EXPECT_EQ(At(same.get(), x, y, 2), 20 * x + y + 2);
        }
    AlignTransform shift;
    shift.xShift = 3;
    Dib moved(DibTransformPlanes(img.get(), shift));
    EXPECT_EQ(At(moved.get(), 5, 2, 1), 20 * 2 + 2 + 1);
    // Output column 0 reads source column -3: outside, black.
    EXPECT_EQ(At(moved.get(), 0, 2, 1), 0);
    // Half-pixel shift at 16 bits: the mean of two neighbours.
    Dib deep = Make(8, 3, 16, [](int x, int, int) { return 1000 * x; });
    AlignTransform half;
    half.xScale = half.yScale = 1.0;
    Dib grown(DibTransformPlanes(deep.get(), AlignTransform{2.0, 2.0, 0, 0}));
    EXPECT_EQ(At(grown.get(), 5, 1), 4500); // source x = (5 - 4) / 2 + 4 = 4.5
}
