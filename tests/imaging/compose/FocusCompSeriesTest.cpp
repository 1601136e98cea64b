// The composer on synthetic focus series with known texture and height.
#include "imaging/compose/FocusComp.h"

#include "tools/seriesmaker/SeriesMaker.h"

#include "ComposeTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace composetest;
using seriesmaker::SeriesMaker;
using seriesmaker::SeriesParams;

namespace {

struct Composed {
    std::unique_ptr<CFocusComp> fc;
    std::vector<double> z;
};

Composed ComposeSeries(const SeriesMaker& maker, int p, int type, int align, int coarseWidth = 0) {
    const SeriesParams& s = maker.Params();
    Composed r;
    r.fc = std::make_unique<CFocusComp>();
    FocusCompSettings settings{.width = s.width, .height = s.height, .sizeParam = p};
    settings.scope = static_cast<FocusScope>(type);
    settings.alignment = {align != 0, 2, kPatternPoints};
    settings.coarse = {coarseWidth > 0, coarseWidth};
    EXPECT_TRUE(r.fc->StartSeries(settings));
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
    SeriesParams params;
    params.width = 240;
    params.height = 180;
    params.frames = 7;
    params.flatFraction = 0.15;
    const SeriesMaker maker(params);
    Composed r = ComposeSeries(maker, 1, 0, 0);
    const int margin = r.fc->WeightWindow(); // the border band keeps the first frame
    const double composite = TextureError(r.fc->GetComposite(), maker, margin);
    for (int k = 0; k < params.frames; ++k) {
        Dib frame(maker.Frame(k));
        const double e = TextureError(frame.get(), maker, margin);
        EXPECT_LT(composite, e) << "frame " << k;
    }
    // Height error where the texture has contrast.
    double sum = 0.0;
    long n = 0, within = 0;
    for (int y = margin; y < params.height - margin; ++y)
        for (int x = margin; x < params.width - margin; ++x) {
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
    SeriesParams params;
    params.width = 240;
    params.height = 160;
    params.frames = 6;
    params.driftPerFrame = 3.0;
    const SeriesMaker maker(params);
    Composed r = ComposeSeries(maker, 3, 1, 0);
    // Frame k shows the scene moved right by 3k: the correction moves it back.
    EXPECT_NEAR(r.fc->CumulativeShift(), -3.0 * (params.frames - 1), 1.0);
    EXPECT_NEAR(r.fc->OutputWidth(), params.width - 3.0 * (params.frames - 1), 1.0);
}

TEST(FocusCompSeries, ShiftedAndScaledSeriesIsRegisteredToWithinOnePixel) {
    SeriesParams params;
    params.width = 320;
    params.height = 240;
    params.frames = 5;
    params.scalePerFrame = 0.01;
    params.shiftXPerFrame = 2.0;
    params.shiftYPerFrame = -1.0;
    params.blurPerStep = 0.6;
    params.fineDetail = 0.15; // patches sampled every 8 pixels need structure at that scale
    const SeriesMaker maker(params);
    Composed r = ComposeSeries(maker, 3, 0, 1);
    const AlignTransform& t = r.fc->LastTransform();
    const int last = params.frames - 1;
    // The last frame's point (x, y) shows the scene point that frame 0 has at its inverse map.
    for (int y : {60, 120, 180})
        for (int x : {80, 160, 240}) {
            // The fitted map before its result is cut to whole pixels.
            const double qx = t.xShift + params.width / 2 + t.xScale * (x - params.width / 2);
            const double qy = t.yShift + params.height / 2 + t.yScale * (y - params.height / 2);
            const double s = 1.0 + last * params.scalePerFrame;
            const double sx = (x - params.width / 2 - last * params.shiftXPerFrame) / s + params.width / 2;
            const double sy = (y - params.height / 2 - last * params.shiftYPerFrame) / s + params.height / 2;
            EXPECT_NEAR(qx, sx, 1.0) << x << "," << y;
            EXPECT_NEAR(qy, sy, 1.0) << x << "," << y;
        }
    EXPECT_LT(r.fc->OutputWidth(), params.width);
}

// Aligns a series frame by frame and returns, for every frame, the largest distance at the
// image corners between where the map puts a pixel and where the series maker says its
// content belongs.
std::vector<double> AlignmentErrors(const SeriesMaker& maker, std::vector<AlignTransform>* maps) {
    const SeriesParams& s = maker.Params();
    CFocusComp fc;
    FocusCompSettings settings{.width = s.width, .height = s.height, .sizeParam = 3};
    settings.alignment = {true, 2, kPatternPoints};
    EXPECT_TRUE(fc.StartSeries(settings));
    std::vector<double> errors;
    const double cx = s.width / 2, cy = s.height / 2;
    for (int k = 0; k < s.frames; ++k) {
        Dib frame(maker.Frame(k));
        EXPECT_EQ(fc.AddImage(frame.get()), 1);
        const AlignTransform& t = fc.LastTransform();
        if (maps)
            maps->push_back(t);
        double worst = 0.0;
        for (int y : {0, s.height - 1})
            for (int x : {0, s.width - 1}) {
                // Output pixel (x, y) shows the frame's point (u, v), which is scene point
                // (u - k drift, v) of frame 0.
                const double u = (x - cx - t.xShift) / t.xScale + cx - k * s.driftPerFrame;
                const double v = (y - cy - t.yShift) / t.yScale + cy;
                worst = std::max(worst, std::hypot(u - x, v - y));
            }
        errors.push_back(worst);
    }
    return errors;
}

TEST(FocusCompSeries, AlignmentLeavesAMotionFreeSeriesOfFineTextureUnmoved) {
    SeriesParams params;
    params.width = 480;
    params.height = 360;
    params.frames = 7;
    params.fineDetail = 0.85; // mostly 3-pixel detail: the coarse levels see little of it
    for (double blur : {1.2, 3.0}) {
        params.blurPerStep = blur;
        const SeriesMaker maker(params);
        std::vector<AlignTransform> maps;
        AlignmentErrors(maker, &maps);
        for (size_t k = 0; k < maps.size(); ++k) {
            EXPECT_EQ(maps[k].xShift, 0) << blur << " frame " << k;
            EXPECT_EQ(maps[k].yShift, 0) << blur << " frame " << k;
            EXPECT_EQ(maps[k].xScale, 1.0) << blur << " frame " << k;
        }
    }
}

TEST(FocusCompSeries, AlignmentRegistersASteadyDriftToHalfAPixel) {
    SeriesParams params;
    params.width = 480;
    params.height = 360;
    params.frames = 7;
    params.fineDetail = 0.85;
    params.blurPerStep = 1.2;
    params.driftPerFrame = 1.5;
    const SeriesMaker maker(params);
    const std::vector<double> errors = AlignmentErrors(maker, nullptr);
    // Whole-pixel shifts cannot do better than half a pixel on a drift of 1.5 per frame.
    for (size_t k = 0; k < errors.size(); ++k)
        EXPECT_LE(errors[k], 0.5 + 1e-9) << "frame " << k;
}
