#include "imaging/compose/FocusComp.h"

#include "imaging/bitmaps/DibConvert.h"
#include "imaging/bitmaps/DibFilter.h"

#include "ComposeTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace composetest;

namespace {

struct Options {
    int p = 0, type = 0, bandChoice = 0, bandPos = 0, align = 0, match = 0, coarse = 0, coarseWidth = 0;
    bool prepare = false; // the buffers readied before the first image
};

// The engine with the steps of its start reachable one by one.
class SteppedFocusComp : public CFocusComp {
public:
    using CFocusComp::AllocMaps;
    using CFocusComp::ClearIndexMap;
    using CFocusComp::ClearMaxMap;
    using CFocusComp::ClearWeightMap;
    using CFocusComp::Setup;
};

// An engine started and fed the images; ASSERTs that every image is taken.
std::unique_ptr<CFocusComp> Compose(const std::vector<HDIB>& images, const Options& o) {
    auto fc = std::make_unique<CFocusComp>();
    FocusCompSettings s{.width = Width(images[0]), .height = Height(images[0]), .sizeParam = o.p};
    s.scope = static_cast<FocusScope>(o.type);
    s.band = {o.bandChoice == 1, o.bandPos};
    s.alignment = {o.align != 0, o.match, kPatternPoints};
    s.coarse = {o.coarse != 0, o.coarseWidth};
    EXPECT_TRUE(fc->StartSeries(s));
    if (o.prepare) {
        EXPECT_TRUE(fc->PrepareImages());
    }
    for (HDIB im : images)
        EXPECT_EQ(fc->AddImage(im), 1);
    return fc;
}

std::vector<HDIB> Raw(const std::vector<Dib>& v) {
    std::vector<HDIB> r;
    for (const Dib& d : v)
        r.push_back(d.get());
    return r;
}

} // namespace

TEST(FocusCompSetup, WindowsGridsBandsAndAlignmentFollowTheArguments) {
    const POINT pts[4] = {};
    SteppedFocusComp a;
    a.Setup(3, 8, 0, 0, 0, 2048, 1536, 1, 1, pts, 0, 0);
    EXPECT_EQ(a.WeightWindow(), 21);
    EXPECT_EQ(a.AlignOn(), 1);
    EXPECT_EQ(a.PatternCount(), 3);
    SteppedFocusComp b;
    b.Setup(3, 8, 0, 0, 0, 640, 480, 1, 0, nullptr, 1, 160); // no points: alignment stays off
    EXPECT_EQ(b.AlignOn(), 0);
    EXPECT_EQ(b.CoarseMode(), 1);
    EXPECT_EQ(b.MapWidth(), 160);
    EXPECT_EQ(b.MapHeight(), 120);
    EXPECT_EQ(b.WeightWindow(), 3);
    SteppedFocusComp c;
    c.Setup(3, 8, 0, 0, 0, 100, 3, 0, 0, nullptr, 1, 20); // coarse height rounds to 0
    EXPECT_EQ(c.CoarseMode(), 0);
    EXPECT_EQ(c.MapHeight(), 3);
    EXPECT_EQ(c.WeightWindow(), 9);
    SteppedFocusComp s;
    s.Setup(3, 8, 1, 1, 2, 400, 300, 1, 2, pts, 0, 0);
    EXPECT_EQ(s.AlignOn(), 0);
    EXPECT_EQ(s.BandMode(), 2);
    EXPECT_DOUBLE_EQ(s.BandFraction(), 0.75);
    SteppedFocusComp t;
    t.Setup(3, 8, 1, 0, 1, 400, 300, 0, 0, nullptr, 0, 0);
    EXPECT_EQ(t.BandMode(), 3);
    EXPECT_DOUBLE_EQ(t.BandFraction(), 0.0);
    SteppedFocusComp k;
    k.Setup(3, 8, 2, 0, 0, 400, 300, 1, 0, pts, 0, 0);
    EXPECT_EQ(k.AlignOn(), 0);
}

// Each field of the settings reaches the engine as the steps' arguments did: the microscope
// type as it is (also one the engine does not know, which aligns as the ordinary microscope
// does), the band and the alignment only where they apply, the grid only when it is on.
TEST(FocusCompStartSeries, EachFieldOfTheSettingsReachesTheEngine) {
    CFocusComp fc;
    FocusCompSettings s{.width = 400, .height = 300, .sizeParam = 5, .scope = FocusScope::Stereo};
    s.band = {true, 2};
    s.alignment = {true, 1, {}};
    s.coarse = {false, 100};
    ASSERT_TRUE(fc.StartSeries(s));
    EXPECT_EQ(fc.ScopeType(), FOCUS_SCOPE_STEREO);
    EXPECT_EQ(fc.SizeParam(), 5);
    EXPECT_EQ(fc.BandMode(), 2);
    EXPECT_EQ(fc.AlignOn(), 0);
    EXPECT_EQ(fc.CoarseMode(), 0);
    EXPECT_EQ(fc.MapWidth(), 400);
    s.band.manual = false;
    ASSERT_TRUE(fc.StartSeries(s));
    EXPECT_EQ(fc.BandMode(), 3);
    s.scope = static_cast<FocusScope>(7);
    s.coarse.on = true;
    ASSERT_TRUE(fc.StartSeries(s));
    EXPECT_EQ(fc.ScopeType(), 7);
    EXPECT_EQ(fc.AlignOn(), 1);
    EXPECT_EQ(fc.PatternCount(), 3);
    EXPECT_EQ(fc.CoarseMode(), 1);
    EXPECT_EQ(fc.MapWidth(), 100);
    EXPECT_EQ(fc.MapHeight(), 75);
    EXPECT_EQ(fc.Width(), 400);
    EXPECT_EQ(fc.Height(), 300);
}

// A start frees what the earlier series left in the maps. One that finds memory short for
// its maps says so and keeps none, so that no image is taken; the next start works again.
TEST(FocusCompStartSeries, AStartShortOfMemoryKeepsNoMapAndTheNextOneWorks) {
    Dib small = Make(30, 20, 24, [](int x, int y, int p) { return Noise(x, y, p); });
    Dib large = Make(40, 30, 24, [](int x, int y, int p) { return Noise(x, y, p, 3); });
    CFocusComp fc;
    ASSERT_TRUE(fc.StartSeries({.width = 30, .height = 20, .sizeParam = 0}));
    ASSERT_EQ(fc.AddImage(small.get()), 1);
    ASSERT_EQ(fc.AddImage(small.get()), 1);
    const FocusCompSettings next{.width = 40, .height = 30, .sizeParam = 0};
    CFocusComp::FailAllocationsForTesting(static_cast<unsigned>(FocusCompStore::Maps));
    const bool started = fc.StartSeries(next);
    CFocusComp::FailAllocationsForTesting(0);
    EXPECT_FALSE(started);
    EXPECT_EQ(fc.LastError(), FocusCompError::NoMemory);
    EXPECT_EQ(fc.GetMaxRows(), nullptr);
    EXPECT_EQ(fc.GetIndexRows(), nullptr);
    EXPECT_EQ(fc.GetWeightRows(), nullptr);
    EXPECT_EQ(fc.ImagesAdded(), 0);
    EXPECT_EQ(fc.AddImage(large.get()), 0);
    EXPECT_EQ(fc.LastError(), FocusCompError::NotReady);

    ASSERT_TRUE(fc.StartSeries(next));
    EXPECT_EQ(fc.LastError(), FocusCompError::None);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_TRUE(fc.GetMaxRows()[y][x] == 0 && fc.GetIndexRows()[y][x] == 0) << x << "," << y;
    ASSERT_EQ(fc.AddImage(large.get()), 1);
    EXPECT_EQ(Rows(fc.GetComposite()), Rows(large.get())); // the first series' composite is gone
}

TEST(FocusComp, OneImageSeriesAndTheHeightMapRefusals) {
    Dib img = Make(30, 20, 24, [](int x, int y, int p) { return Noise(x, y, p); });
    auto fc = Compose({img.get()}, Options{});
    EXPECT_FALSE(fc->BuildHeightMap()); // no Z values
    EXPECT_EQ(fc->LastError(), FocusCompError::NoZValues);
    const double z[1] = {12.5};
    fc->SetZValues(z, 0);
    EXPECT_FALSE(fc->BuildHeightMap()); // fewer than the images added
    fc->SetZValues(z, 1);
    ASSERT_TRUE(fc->BuildHeightMap());
    ASSERT_TRUE(fc->Compose());
    EXPECT_EQ(Rows(fc->GetComposite()), Rows(img.get()));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            ASSERT_EQ(fc->GetIndexRows()[y][x], 0);
            ASSERT_EQ(fc->GetHeightRows()[y][x], 12.5);
        }
    fc->FreeAll();
    fc->FreeWorkMaps(1);
    EXPECT_EQ(fc->GetHeightRows(), nullptr);
}

TEST(FocusComp, ImagesOfAnotherSizeOrDepthOrNoImageAreRefused) {
    Dib first = Make(30, 20, 24, [](int x, int y, int p) { return Noise(x, y, p); });
    Dib wide = Make(31, 20, 24, [](int, int, int) { return 1; });
    Dib grey = Make(30, 20, 8, [](int, int, int) { return 1; });
    SteppedFocusComp fc;
    fc.Setup(3, 0, 0, 0, 0, 30, 20, 0, 0, nullptr, 0, 0);
    EXPECT_EQ(fc.AddImage(first.get()), 0); // before the maps exist
    EXPECT_EQ(fc.LastError(), FocusCompError::NotReady);
    EXPECT_FALSE(fc.PrepareImages());
    EXPECT_EQ(fc.LastError(), FocusCompError::NotReady);
    ASSERT_TRUE(fc.AllocMaps());
    fc.ClearMaxMap();
    fc.ClearIndexMap();
    fc.ClearWeightMap();
    // Without memory for the buffers the first image meets the shortage again.
    CFocusComp::FailAllocationsForTesting(static_cast<unsigned>(FocusCompStore::WorkBuffers));
    EXPECT_FALSE(fc.PrepareImages());
    EXPECT_EQ(fc.LastError(), FocusCompError::NoMemory);
    EXPECT_EQ(fc.AddImage(first.get()), 0);
    EXPECT_EQ(fc.LastError(), FocusCompError::NoMemory);
    CFocusComp::FailAllocationsForTesting(0);
    EXPECT_EQ(fc.AddImage(nullptr), 0);
    EXPECT_EQ(fc.AddImage(wide.get()), 0);
    EXPECT_EQ(fc.ImagesAdded(), 0);
    EXPECT_EQ(fc.AddImage(first.get()), 1);
    EXPECT_TRUE(fc.PrepareImages()); // nothing left to ready
    EXPECT_EQ(fc.AddImage(grey.get()), 0);
    EXPECT_EQ(fc.LastError(), FocusCompError::BadImage);
    EXPECT_EQ(fc.AddImage(wide.get()), 0);
    EXPECT_EQ(fc.ImagesAdded(), 1);
}

TEST(FocusComp, MeasureIsTheChainOfPublicFiltersForEveryDepth) {
    for (int bits : {8, 24, 48}) {
        for (int p : {0, 10}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, p " << p);
            const int scale = bits == 48 ? 200 : 1;
            Dib img = Make(60, 40, bits, [&](int x, int y, int c) { return Noise(x / 2, y, c) * scale; });
            auto fc = Compose({img.get()}, Options{p});
            Dib light(DibToLightness(img.get()));
            Dib edge(DibEdgeFilter(light.get()));
            Dib mx(DibMaxFilter(edge.get(), 5, 5));
            Dib sm(DibSmooth(mx.get(), p * 60 / 200, p * 60 / 200, 1.0));
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 60; ++x)
                    ASSERT_EQ(fc->GetMaxRows()[y][x], At(sm.get(), x, y)) << x << "," << y;
        }
    }
}

// The maps are cleared when they are read before the first image, and the first image sets
// every cell of both, whatever the memory of the maps held (here an earlier series' wins).
TEST(FocusComp, ClearedMapsReadZeroAndTheFirstImageSetsEveryCell) {
    Dib dark = Make(30, 20, 24, [](int x, int y, int p) { return Noise(x, y, p) / 8; });
    Dib bright = Make(30, 20, 24, [](int x, int y, int p) { return Noise(x, y, p); });
    SteppedFocusComp fc;
    for (int series = 0; series < 3; ++series) {
        SCOPED_TRACE(series);
        ASSERT_TRUE(fc.StartSeries({.width = 30, .height = 20, .sizeParam = 0}));
        if (series == 0) {
            for (int y = 0; y < 20; ++y)
                for (int x = 0; x < 30; ++x)
                    ASSERT_TRUE(fc.GetMaxRows()[y][x] == 0 && fc.GetIndexRows()[y][x] == 0) << x << "," << y;
        }
        ASSERT_EQ(fc.AddImage(dark.get()), 1);
        int** index = fc.GetIndexRows();
        int nonzero = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x)
                nonzero += index[y][x] != 0;
        EXPECT_EQ(nonzero, 0);
        ASSERT_EQ(fc.AddImage(bright.get()), 1);
        ASSERT_EQ(fc.AddImage(bright.get()), 1);
        if (series == 2) {
            // Cleared after images: at once.
            fc.ClearIndexMap();
            EXPECT_EQ(fc.GetIndexRows()[10][10], 0);
        }
    }
}

TEST(FocusComp, TiesKeepTheEarlierImageAndTheBorderBandShowsTheFirst) {
    const int W = 40, H = 30;
    Dib flat = Make(W, H, 24, [](int, int, int) { return 100; });
    Dib sharp = Make(W, H, 24, [](int x, int y, int c) { return Noise(x, y, c); });
    Dib same = Make(W, H, 24, [](int x, int y, int c) { return Noise(x, y, c); });
    auto fc = Compose({flat.get(), sharp.get(), same.get()}, Options{});
    const int n = fc->WeightWindow(), h = n / 2;
    ASSERT_EQ(n, 9);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            // The third image equals the second: the tie keeps index 1, and its weights are 0.
            ASSERT_EQ(fc->GetIndexRows()[y][x], 1) << x << "," << y;
            ASSERT_EQ(fc->GetWeightRows()[y][x], 0.0);
            const bool band = y < h || x < h || y > H - h - 2 || x > W - h - 2;
            for (int c = 0; c < 3; ++c) {
                const int v = At(fc->GetComposite(), x, y, c);
                if (band) {
                    ASSERT_EQ(v, 100) << x << "," << y; // the first image
                } else {
                    ASSERT_EQ(v, Noise(x, y, c)); // every cell of the box won: weight 1
                }
            }
        }
    // Where the wins of an image sharp only in its right half are averaged, a weight strictly
    // between 0 and 1 gives trunc(100 (1 - w) + new w).
    Dib half = Make(W, H, 24, [](int x, int y, int c) { return x >= 20 ? Noise(x, y, c) : 100; });
    auto fc2 = Compose({flat.get(), half.get()}, Options{});
    int checked = 0;
    for (int x = h; x < W - h - 1; ++x) {
        const double w = fc2->GetWeightRows()[15][x];
        if (w > 0.0 && w < 1.0) {
            ++checked;
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(At(fc2->GetComposite(), x, 15, c),
                          static_cast<int>(100 * (1.0 - w) + At(half.get(), x, 15, c) * w));
        }
    }
    EXPECT_GT(checked, 3);
}

TEST(FocusComp, CoarseGridGivesABlockyHeightMap) {
    const int W = 64, H = 48;
    std::vector<Dib> imgs;
    for (int k = 0; k < 3; ++k)
        imgs.push_back(Make(
            W, H, 8, [&](int x, int y, int) { return ((x / 16 + y / 12) % 3 == k) ? Noise(x, y, k) : 90; }));
    Options o;
    o.coarse = 1;
    o.coarseWidth = W / 4;
    auto fc = Compose(Raw(imgs), o);
    EXPECT_EQ(fc->MapHeight(), H / 4);
    const double z[3] = {0.0, 10.0, 20.0};
    fc->SetZValues(z, 3);
    ASSERT_TRUE(fc->BuildHeightMap());
    double** hr = fc->GetHeightRows();
    int distinct = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            ASSERT_EQ(hr[y][x], hr[y / 4 * 4][x / 4 * 4]) << x << "," << y;
            ASSERT_EQ(fc->GetMaxRows()[y][x], fc->GetMaxRows()[y / 4 * 4][x / 4 * 4]);
            distinct += hr[y][x] != hr[0][0];
        }
    EXPECT_GT(distinct, 0);
}

TEST(FocusCompStereo, DriftIsFollowedClampedAndTheOutputNarrowed) {
    const int W = 80, H = 40, D = 6;
    // Image k shows the scene moved right by k * D.
    std::vector<Dib> imgs;
    for (int k = 0; k < 4; ++k)
        imgs.push_back(Make(W, H, 24, [&](int x, int y, int c) { return Noise(x - k * D + 100, y / 3, c); }));
    Options o;
    o.type = 1;
    o.bandChoice = 1;
    o.bandPos = 1;
    auto fc = Compose(Raw(imgs), o);
    // Shifts -6, -12, -18 would follow; the cumulative shift is held at -W/4 = -20 beyond that.
    EXPECT_EQ(fc->CumulativeShift(), -18);
    EXPECT_EQ(fc->SmallestShift(), -18);
    EXPECT_EQ(fc->LargestShift(), 0);
    // The columns no image left out are cleared in the composite.
    for (int y = 0; y < H; ++y)
        for (int x = W - 18; x < W; ++x)
            ASSERT_EQ(At(fc->GetComposite(), x, y, 0), 0);
    ASSERT_TRUE(fc->Compose());
    EXPECT_EQ(fc->OutputWidth(), W - 18);
    EXPECT_EQ(Width(fc->GetComposite()), W - 18);

    std::vector<Dib> far;
    for (int k = 0; k < 5; ++k)
        far.push_back(Make(W, H, 24, [&](int x, int y, int c) { return Noise(x - k * 10 + 100, y / 3, c); }));
    auto ff = Compose(Raw(far), o);
    EXPECT_EQ(ff->CumulativeShift(), -W / 4);
    ASSERT_TRUE(ff->Compose());
    EXPECT_EQ(ff->OutputWidth(), W - W / 4);
}

TEST(FocusComp, ResultsAreCutOnceAndTheSeriesEndsThere) {
    const int W = 80, H = 40;
    std::vector<Dib> imgs;
    for (int k = 0; k < 3; ++k)
        imgs.push_back(Make(W, H, 24, [&](int x, int y, int c) { return Noise(x - k * 6 + 100, y / 3, c); }));
    Options o;
    o.type = 1;
    o.bandChoice = 1;
    o.bandPos = 1;
    auto fc = Compose(Raw(imgs), o);
    const std::vector<double> z{1.0, 2.0, 3.0};
    fc->SetZValues(z.data(), 3);
    ASSERT_TRUE(fc->BuildHeightMap());
    ASSERT_TRUE(fc->Compose());
    ASSERT_EQ(fc->OutputWidth(), W - 12);
    const HDIB cut = fc->GetComposite();
    const std::vector<BYTE> rows = Rows(cut);
    double** heights = fc->GetHeightRows();
    // Once cut, the composite is narrower than the series: a second cut, another image or a
    // new height map would read or write it with the series' width. Each is refused and
    // leaves the results as they are.
    EXPECT_FALSE(fc->Compose());
    EXPECT_EQ(fc->LastError(), FocusCompError::NotReady);
    EXPECT_EQ(fc->AddImage(imgs[0].get()), 0);
    EXPECT_FALSE(fc->BuildHeightMap());
    EXPECT_EQ(fc->GetComposite(), cut);
    EXPECT_EQ(Rows(cut), rows);
    EXPECT_EQ(fc->GetHeightRows(), heights);
    EXPECT_EQ(fc->OutputWidth(), W - 12);
    EXPECT_EQ(fc->ImagesAdded(), 3);
    // StartSeries starts a new series on the same engine.
    GlobalFree(fc->TakeComposite());
    fc->FreeWorkMaps(1);
    ASSERT_TRUE(fc->StartSeries({.width = 30, .height = 20, .sizeParam = 0}));
    Dib small = Make(30, 20, 8, [](int x, int y, int) { return Noise(x, y, 0); });
    EXPECT_EQ(fc->AddImage(small.get()), 1);
    EXPECT_EQ(fc->ImagesAdded(), 1);
    EXPECT_TRUE(fc->Compose());
}

TEST(FocusCompStereo, AutomaticBandsWithFlatBandsGiveNoShift) {
    std::vector<Dib> imgs;
    for (int k = 0; k < 3; ++k)
        imgs.push_back(Make(50, 40, 24, [&](int, int, int) { return 60 + 40 * k; }));
    Options o;
    o.type = 1;
    auto fc = Compose(Raw(imgs), o);
    EXPECT_EQ(fc->BandMode(), 3);
    EXPECT_EQ(fc->CumulativeShift(), 0);
    // Equal variances keep the lower band first.
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(fc->BandOrder()[i], i);
    ASSERT_TRUE(fc->Compose());
    EXPECT_EQ(fc->OutputWidth(), 50);
    // Automatic bands follow a real drift.
    std::vector<Dib> moving;
    for (int k = 0; k < 3; ++k)
        moving.push_back(Make(80, 40, 8, [&](int x, int y, int) { return Noise(x + 3 * k + 50, y / 4, 0); }));
    auto fm = Compose(Raw(moving), o);
    EXPECT_EQ(fm->CumulativeShift(), 6);
}

TEST(FocusCompStereo, ProfilesAndScores) {
    const int a[4] = {1, 2, 3, 4}, b[4] = {2, 4, 6, 8};
    // Products 4.5, 0.5, 0.5, 4.5 are cut to 4, 0, 0, 4: 8 / (sqrt(5) sqrt(20)).
    EXPECT_DOUBLE_EQ(CFocusComp::ProfileScore(a, 0, b, 0, 4), 0.8);
    const int flat[4] = {7, 7, 7, 7};
    EXPECT_EQ(CFocusComp::ProfileScore(a, 0, flat, 0, 4), 0.0);
    // 16-bit profiles: sums far beyond 32 bits.
    std::vector<int> big(600);
    for (int i = 0; i < 600; ++i)
        big[i] = (i % 2) ? 65535 : 0;
    EXPECT_NEAR(CFocusComp::ProfileScore(big.data(), 0, big.data(), 0, 600), 1.0, 1e-9);
    // A band of 5 rows centred on row 3 of a 4-row plane uses all four rows.
    const uint16_t plane[4 * 2] = {10, 1, 20, 1, 30, 1, 41, 2};
    int profile[2];
    CFocusComp::BandProfile(plane, 2, 4, 3, 5, profile);
    EXPECT_EQ(profile[0], 25); // 101 / 4
    EXPECT_EQ(profile[1], 1);
}

TEST(FocusCompAlign, IdenticalImagesMapWithIdentityAndAFortyEightBitCompositeIsCutWhole) {
    Dib img = Make(200, 150, 48, [](int x, int y, int c) {
        return static_cast<int>(30000 + 12000 * std::sin(x / 9.0 + c) * std::sin(y / 7.0 + x / 23.0) +
                                9000 * std::cos(x / 17.0 - y / 13.0)) +
               Noise(x, y, c);
    });
    Options o;
    o.align = 1;
    o.match = 2;
    auto fc = Compose({img.get(), img.get()}, o);
    EXPECT_DOUBLE_EQ(fc->LastTransform().xScale, 1.0);
    EXPECT_EQ(fc->LastTransform().xShift, 0);
    EXPECT_EQ(fc->LastTransform().yShift, 0);
    const RECT v = fc->ValidRect();
    EXPECT_EQ(v.left, 0);
    EXPECT_EQ(v.top, 0);
    EXPECT_EQ(v.right, 199);
    EXPECT_EQ(v.bottom, 149);
    ASSERT_TRUE(fc->Compose());
    HDIB out = fc->GetComposite();
    EXPECT_EQ(Width(out), 199);
    EXPECT_EQ(Height(out), 149);
    EXPECT_EQ(Bits(out), 48);
    for (int y = 0; y < 149; ++y)
        for (int x = 0; x < 199; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(At(out, x, y, c), At(img.get(), x, y, c));
}

TEST(FocusCompAlign, FlatImagesAndPointsAtTheBorderFallBackToIdentity) {
    Dib flat = Make(60, 40, 24, [](int, int, int) { return 80; });
    auto fc = std::make_unique<CFocusComp>();
    FocusCompSettings s{.width = 60, .height = 40, .sizeParam = 0};
    s.alignment = {true, 2, {{{-1, -1}, {-1, -1}, {100, 100}, {0, 0}}}}; // at the border
    ASSERT_TRUE(fc->StartSeries(s));
    EXPECT_EQ(fc->AddImage(flat.get()), 1);
    EXPECT_EQ(fc->AddImage(flat.get()), 1);
    EXPECT_DOUBLE_EQ(fc->LastTransform().xScale, 1.0);
    EXPECT_EQ(fc->LastTransform().xShift, 0);
    HDIB aligned = fc->AlignImage(flat.get());
    ASSERT_NE(aligned, nullptr);
    EXPECT_EQ(At(aligned, 30, 20, 1), 80);
    GlobalFree(aligned);
    EXPECT_EQ(DibGetSelectedPlane(), 0);
}

TEST(FocusComp, ResultsDoNotDependOnTheNumberOfThreads) {
    std::vector<Dib> imgs;
    for (int k = 0; k < 4; ++k)
        imgs.push_back(Make(150, 100, 24, [&](int x, int y, int c) {
            const bool sharp = ((x / 25 + y / 20 + k) % 4) == 0;
            return sharp ? Noise(x + 2 * k, y, c) : 120 + (Noise(x / 8, y / 8, c) >> 3);
        }));
    for (int variant = 0; variant < 4; ++variant) {
        SCOPED_TRACE(variant);
        Options o;
        o.p = 8;
        if (variant == 1) {
            o.coarse = 1;
            o.coarseWidth = 70;
        } else if (variant == 2) {
            o.type = 1;
        } else if (variant == 3) {
            o.align = 1;
            o.match = 2;
        }
        std::vector<std::vector<BYTE>> comp;
        std::vector<std::vector<double>> heights;
        // One thread, eight, and eight with the buffers readied before the first image.
        for (int run = 0; run < 3; ++run) {
            planes::SetThreadCount(run == 0 ? 1 : 8);
            o.prepare = run == 2;
            auto fc = Compose(Raw(imgs), o);
            const double z[4] = {0, 1.5, 3, 4.5};
            fc->SetZValues(z, 4);
            ASSERT_TRUE(fc->BuildHeightMap());
            ASSERT_TRUE(fc->Compose());
            comp.push_back(Rows(fc->GetComposite()));
            std::vector<double> hv;
            for (int y = 0; y < fc->OutputHeight(); ++y)
                for (int x = 0; x < fc->OutputWidth(); ++x)
                    hv.push_back(fc->GetHeightRows()[y][x] + 1000.0 * fc->GetMaxRows()[y][x]);
            heights.push_back(hv);
        }
        planes::SetThreadCount(0);
        EXPECT_EQ(comp[0], comp[1]);
        EXPECT_EQ(heights[0], heights[1]);
        EXPECT_EQ(comp[0], comp[2]);
        EXPECT_EQ(heights[0], heights[2]);
    }
}

TEST(FocusComp, AnImageAfterTheHeightMapIsComposedAsIfNoneHadBeenBuilt) {
    const int W = 60, H = 40;
    std::vector<Dib> imgs;
    for (int k = 0; k < 3; ++k)
        imgs.push_back(Make(
            W, H, 24, [&](int x, int y, int c) { return (x / 20 == k) ? Noise(x, y, c + k) : 100 + k; }));
    const Options o{10};
    auto a = Compose({imgs[0].get(), imgs[1].get()}, o);
    const double z[3] = {0.0, 1.0, 2.0};
    a->SetZValues(z, 3);
    ASSERT_TRUE(a->BuildHeightMap());
    // The heights took the weight rows' memory; the next image has weight rows again.
    EXPECT_EQ(a->GetWeightRows(), nullptr);
    ASSERT_EQ(a->AddImage(imgs[2].get()), 1);
    auto b = Compose(Raw(imgs), o);
    ASSERT_NE(a->GetWeightRows(), nullptr);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            ASSERT_EQ(a->GetWeightRows()[y][x], b->GetWeightRows()[y][x]) << x << "," << y;
    ASSERT_TRUE(a->BuildHeightMap());
    b->SetZValues(z, 3);
    ASSERT_TRUE(b->BuildHeightMap());
    EXPECT_EQ(Rows(a->GetComposite()), Rows(b->GetComposite()));
    int taken = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            ASSERT_EQ(a->GetHeightRows()[y][x], b->GetHeightRows()[y][x]) << x << "," << y;
            ASSERT_EQ(a->GetMaxRows()[y][x], b->GetMaxRows()[y][x]) << x << "," << y;
            taken += a->GetHeightRows()[y][x] == 2.0;
        }
    EXPECT_GT(taken, 0); // the third image took cells
}

// Every cell of a series wider than one run of the selection and not a whole number of its
// vector steps: the best-focus and index maps follow "strictly greater takes the image" on the
// measures of the public filters, the newest image's weights are the box means of its wins, and
// every sample of the composite is trunc(old (1 - w) + new w) with them, whether the weight is
// 0, 1 or in between.
TEST(FocusComp, SelectionAndBlendOfEveryCellFollowThePlainRules) {
    const int W = 75, H = 30, p = 10;
    std::vector<Dib> imgs;
    for (int k = 0; k < 3; ++k)
        imgs.push_back(Make(W, H, 24, [&](int x, int y, int c) {
            return ((x + y) / 25 % 3 == k) ? Noise(x + k, y, c) : 90 + Noise(x, y + k, c) / 32;
        }));
    auto two = Compose({imgs[0].get(), imgs[1].get()}, Options{p});
    auto three = Compose(Raw(imgs), Options{p});
    std::vector<Dib> measures;
    for (const Dib& im : imgs) {
        Dib light(DibToLightness(im.get()));
        Dib edge(DibEdgeFilter(light.get()));
        Dib mx(DibMaxFilter(edge.get(), 5, 5));
        measures.emplace_back(DibSmooth(mx.get(), p * W / 200, p * W / 200, 1.0));
    }
    // The last image's wins, and the weights as the mean of the wins in the n x n box about
    // each cell (0 in the border band).
    std::vector<int> wins(W * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            wins[y * W + x] = At(measures[2].get(), x, y) >
                              std::max(At(measures[0].get(), x, y), At(measures[1].get(), x, y));
    const int n = three->WeightWindow(), h = n / 2;
    auto weight = [&](int x, int y) {
        if (y < h || x < h || y > H - h - 2 || x > W - h - 2)
            return 0.0;
        int sum = 0;
        for (int v = y - h; v <= y + h; ++v)
            for (int u = x - h; u <= x + h; ++u)
                sum += wins[v * W + u];
        return sum / static_cast<double>(n * n);
    };
    int zeros = 0, ones = 0, mixed = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            int best = At(measures[0].get(), x, y), index = 0;
            for (int k = 1; k < 3; ++k)
                if (At(measures[k].get(), x, y) > best) {
                    best = At(measures[k].get(), x, y);
                    index = k;
                }
            ASSERT_EQ(three->GetMaxRows()[y][x], best) << x << "," << y;
            ASSERT_EQ(three->GetIndexRows()[y][x], index) << x << "," << y;
            const double w = three->GetWeightRows()[y][x];
            ASSERT_EQ(w, weight(x, y)) << x << "," << y;
            (w == 0.0 ? zeros : w == 1.0 ? ones : mixed)++;
            for (int c = 0; c < 3; ++c) {
                const int old = At(two->GetComposite(), x, y, c), fresh = At(imgs[2].get(), x, y, c);
                ASSERT_EQ(At(three->GetComposite(), x, y, c), static_cast<int>(old * (1.0 - w) + fresh * w))
                    << x << "," << y << " plane " << c;
            }
        }
    EXPECT_GT(zeros, 0);
    EXPECT_GT(ones, 0);
    EXPECT_GT(mixed, 0);
}
