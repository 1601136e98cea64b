// The composer on synthetic focus series with known texture and height.
#include "imaging/FocusComp.h"

#include "tools/seriesmaker/SeriesMaker.h"

#include "ComposeTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace composetest;
using seriesmaker::SeriesMaker;
using seriesmaker::SeriesSpec;

namespace {

struct Composed {
    std::unique_ptr<CFocusComp> fc;
    std::vector<double> z;
};

Composed ComposeSeries(const SeriesMaker& maker, int p, int type, int align, int coarseWidth = 0) {
    const SeriesSpec& s = maker.Spec();
    Composed r;
    r.fc = std::make_unique<CFocusComp>();
    static const POINT pts[4] = {{50, 25}, {75, 50}, {50, 75}, {25, 50}};
    r.fc->Setup(3, p, type, 0, 0, s.width, s.height, align, 2, pts, coarseWidth > 0, coarseWidth);
    EXPECT_TRUE(r.fc->AllocMaps());
    r.fc->ClearMaxMap();
    r.fc->ClearIndexMap();
    r.fc->ClearWeightMap();
    for (int k = 0; k < s.frames; ++k) {
        Dib frame(maker.Frame(k));
        EXPECT_EQ(r.fc->AddImage(frame.get()), 1);
        r.z.push_back(k);
    }
    r.fc->SetZValues(r.z.data(), static_cast<int>(r.z.size()));
    EXPECT_TRUE(r.fc->BuildHeightMap());
    EXPECT_TRUE(r.fc->Compose());
    return r;
}

// Mean absolute difference to the texture over the pixels at least `margin` from the border.
double TextureError(HDIB img, const SeriesMaker& m, int margin) {
    double sum = 0.0;
    long n = 0;
    const int w = Width(img), h = Height(img);
    const std::vector<BYTE> rows = Rows(img);
    const size_t stride = DibStride(w, 24);
    for (int y = margin; y < h - margin; ++y) {
        const BYTE* row = rows.data() + (h - 1 - y) * stride;
        for (int x = margin; x < w - margin; ++x)
            for (int c = 0; c < 3; ++c) {
                sum += std::abs(row[3 * x + 2 - c] - m.Texture(x, y, c));
                ++n;
            }
    }
    return sum / n;
}

} // namespace

TEST(FocusCompSeries, CompositeBeatsEveryFrameAndHeightsAreWithinOneStep) {
    SeriesSpec spec;
    spec.width = 240;
    spec.height = 180;
    spec.frames = 7;
    spec.flatFraction = 0.15;
    const SeriesMaker maker(spec);
    Composed r = ComposeSeries(maker, 1, 0, 0);
    const int margin = r.fc->WeightWindow(); // the border band keeps the first frame
    const double composite = TextureError(r.fc->GetComposite(), maker, margin);
    for (int k = 0; k < spec.frames; ++k) {
        Dib frame(maker.Frame(k));
        const double e = TextureError(frame.get(), maker, margin);
        EXPECT_LT(composite, e) << "frame " << k;
    }
    // Height error where the texture has contrast.
    double sum = 0.0;
    long n = 0, within = 0;
    for (int y = margin; y < spec.height - margin; ++y)
        for (int x = margin; x < spec.width - margin; ++x) {
            if (maker.Contrast(x, y) < 20.0)
                continue;
            const double e = std::fabs(r.fc->GetHeightRows()[y][x] - maker.Height(x, y));
            sum += e;
            within += e < 1.0;
            ++n;
        }
    ASSERT_GT(n, 1000);
    EXPECT_LT(sum / n, 1.0);
    EXPECT_GT(static_cast<double>(within) / n, 0.9);
    RecordProperty("composite_mae", std::to_string(composite));
    RecordProperty("height_mae", std::to_string(sum / n));
}

TEST(FocusCompSeries, StereoDriftIsCorrectedToWithinOnePixel) {
    SeriesSpec spec;
    spec.width = 240;
    spec.height = 160;
    spec.frames = 6;
    spec.driftPerFrame = 3.0;
    const SeriesMaker maker(spec);
    Composed r = ComposeSeries(maker, 3, 1, 0);
    // Frame k shows the scene moved right by 3k: the correction moves it back.
    EXPECT_NEAR(r.fc->CumulativeShift(), -3.0 * (spec.frames - 1), 1.0);
    EXPECT_NEAR(r.fc->OutputWidth(), spec.width - 3.0 * (spec.frames - 1), 1.0);
}

TEST(FocusCompSeries, ShiftedAndScaledSeriesIsRegisteredToWithinOnePixel) {
    SeriesSpec spec;
    spec.width = 320;
    spec.height = 240;
    spec.frames = 5;
    spec.scalePerFrame = 0.01;
    spec.shiftXPerFrame = 2.0;
    spec.shiftYPerFrame = -1.0;
    spec.blurPerStep = 0.6;
    spec.fineDetail = 0.15; // patches sampled every 8 pixels need structure at that scale
    const SeriesMaker maker(spec);
    Composed r = ComposeSeries(maker, 3, 0, 1);
    const AlignTransform& t = r.fc->LastTransform();
    const int last = spec.frames - 1;
    // The last frame's point (x, y) shows the scene point that frame 0 has at its inverse map.
    for (int y : {60, 120, 180})
        for (int x : {80, 160, 240}) {
            // The fitted map before its result is cut to whole pixels.
            const double qx = t.xShift + spec.width / 2 + t.xScale * (x - spec.width / 2);
            const double qy = t.yShift + spec.height / 2 + t.yScale * (y - spec.height / 2);
            const double s = 1.0 + last * spec.scalePerFrame;
            const double sx = (x - spec.width / 2 - last * spec.shiftXPerFrame) / s + spec.width / 2;
            const double sy = (y - spec.height / 2 - last * spec.shiftYPerFrame) / s + spec.height / 2;
            EXPECT_NEAR(qx, sx, 1.0) << x << "," << y;
            EXPECT_NEAR(qy, sy, 1.0) << x << "," << y;
        }
    EXPECT_LT(r.fc->OutputWidth(), spec.width);
}

TEST(FocusCompSeries, SameResultWithOneAndEightThreads) {
    SeriesSpec spec;
    spec.width = 200;
    spec.height = 150;
    spec.frames = 4;
    const SeriesMaker maker(spec);
    for (int coarse : {0, 50}) {
        std::vector<BYTE> comp[2];
        std::vector<double> height[2];
        for (int i = 0; i < 2; ++i) {
            planes::SetThreadCount(i == 0 ? 1 : 8);
            Composed r = ComposeSeries(maker, 8, 0, 0, coarse);
            comp[i] = Rows(r.fc->GetComposite());
            for (int y = 0; y < r.fc->OutputHeight(); ++y)
                height[i].insert(height[i].end(), r.fc->GetHeightRows()[y],
                                 r.fc->GetHeightRows()[y] + r.fc->OutputWidth());
        }
        planes::SetThreadCount(0);
        EXPECT_EQ(comp[0], comp[1]) << coarse;
        EXPECT_EQ(height[0], height[1]) << coarse;
    }
}
