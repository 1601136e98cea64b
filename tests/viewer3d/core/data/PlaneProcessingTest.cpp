// Plane processing: sizes of the levelled and OpenGL images, smoothing, level stretching,
// scene values taken from the global parameters, and the state repair after a load.
#include "ReaderTestSupport.h"

#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/data/PlaneImages.h"
#include "viewer3d/core/data/View3dData.h"

#include <gtest/gtest.h>

using namespace v3d;
using v3dtest::Height;
using v3dtest::Sample;
using v3dtest::Width;

namespace {
HDIB filled(int w, int h, int kind, int value) {
    HDIB d = v3d::DibCreate(w, h, kind);
    GlobalLockGuard lock(d);
    std::vector<int> row(size_t(w), value);
    for (int y = 0; y < h; ++y)
        v3d::DibWriteRow(row.data(), lock.get(), 0, y, w);
    return d;
}
struct Quiet : View3dData {
    std::vector<unsigned> messages;
    std::vector<int> profiles; // the line kinds profiles were taken along, in order
    int prepared = 0;
    void ExtractProfile(v3d::LineKind kind) override { profiles.push_back(kind); }
    void ShowProcessingMessage(unsigned id) override { messages.push_back(id); }
    void OnScenePrepared() override { ++prepared; }
};
} // namespace

TEST(PlaneProcessingTest, TextureAndLevelledSizes) {
    Quiet d;
    d.SetPlanes(filled(100, 50, kKindRgb24, 90), nullptr);
    ASSERT_EQ(d.ProcessPlanes(3, -1), 1);
    EXPECT_EQ(Width(d.glTexture), 512);
    EXPECT_EQ(Height(d.glTexture), 512);
    EXPECT_EQ(Width(d.levelledHeight), 512);
    EXPECT_EQ(Height(d.levelledHeight), 256);
    EXPECT_EQ(d.TextureType(), 3);
    EXPECT_EQ(d.HeightType(), 0); // derived 8-bit grey height plane
    EXPECT_EQ(d.prepared, 1);
    EXPECT_TRUE(d.messages.empty());

    Quiet e;
    e.SetPlanes(filled(600, 400, kKindGrey8, 3), nullptr);
    ASSERT_EQ(e.ProcessPlanes(3, -1), 1);
    EXPECT_EQ(Width(e.glTexture), 1024);
    EXPECT_EQ(Height(e.glTexture), 512);
    EXPECT_EQ(Sample(e.glTexture, 0, 511, 1), 3);
}

TEST(PlaneProcessingTest, EqualLevelsGiveZerosAndRangesStretch) {
    HDIB flat = filled(4, 3, kKindGrey16, 777);
    int lo = 0, hi = 0;
    HDIB lev = BuildLevelledImage(flat, &lo, &hi);
    ASSERT_NE(lev, nullptr);
    EXPECT_EQ(lo, 777);
    EXPECT_EQ(hi, 777);
    EXPECT_EQ(Sample(lev, 100, 100), 0);
    GlobalFree(lev);
    {
        GlobalLockGuard lock(flat);
        int v = 1777;
        v3d::DibWriteRow(&v, lock.get(), 3, 2, 1);
    }
    lev = BuildLevelledImage(flat, &lo, &hi);
    EXPECT_EQ(hi, 1777);
    EXPECT_EQ(Sample(lev, 511, 383), 255); // the bottom-right pixel is the maximum
    EXPECT_EQ(Sample(lev, 0, 0), 0);
    GlobalFree(lev);
    GlobalFree(flat);
}

TEST(PlaneProcessingTest, SmoothingKeepsConstantsAndBorders) {
    for (int method : {0, 1})
        for (int index : {0, 3}) {
            HDIB d = filled(30, 30, kKindGrey16, 1000);
            {
                GlobalLockGuard lock(d);
                int v = 5000; // a corner pixel: within the border, kept
                v3d::DibWriteRow(&v, lock.get(), 0, 0, 1);
            }
            ASSERT_TRUE(SmoothHeightImage(d, method, index));
            EXPECT_EQ(Sample(d, 15, 15), 1000) << method << index;
            EXPECT_EQ(Sample(d, 0, 0), 5000);
            GlobalFree(d);
        }
    // A single spike is spread by the plain mean of the 9-point cross (half-width 2).
    HDIB spike = filled(9, 9, kKindGrey8, 0);
    {
        GlobalLockGuard lock(spike);
        int v = 90;
        v3d::DibWriteRow(&v, lock.get(), 4, 4, 1);
    }
    ASSERT_TRUE(SmoothHeightImage(spike, 0, 0));
    EXPECT_EQ(Sample(spike, 4, 4), 10);
    EXPECT_EQ(Sample(spike, 2, 4), 10);
    EXPECT_EQ(Sample(spike, 3, 3), 0);
    EXPECT_FALSE(SmoothHeightImage(spike, 0, 4));
    GlobalFree(spike);
}

TEST(PlaneProcessingTest, LoadCentresLinesRepairsStateAndTakesParameters) {
    GlobalProcParams() = ProcParams();
    GlobalProcParams().zoom = 2.5;
    GlobalProcParams().contourCount = 12;
    Quiet d;
    d.GetMeasureState()->lineCount = 20;
    d.GetMeasureState()->lineMode = 5;
    HDIB height = filled(40, 20, kKindGrey16, 100);
    {
        GlobalLockGuard lock(height);
        int v = 300;
        v3d::DibWriteRow(&v, lock.get(), 5, 5, 1);
    }
    d.SetPlanes(filled(40, 20, kKindRgb24, 50), height);
    d.SetPitch(2, 0.5);
    ASSERT_EQ(d.ProcessPlanes(-1, -1), 1);
    EXPECT_EQ(d.GetMeasureState()->linePosition[0], 10);
    EXPECT_EQ(d.GetMeasureState()->linePosition[1], 20);
    EXPECT_EQ(d.GetMeasureState()->lineCount, 1);
    EXPECT_EQ(d.GetMeasureState()->lineMode, 0);
    EXPECT_EQ(d.minLevel, 100);
    EXPECT_EQ(d.maxLevel, 300);
    EXPECT_DOUBLE_EQ(d.GetViewState()->sliceLevel, 0.5 * 200 * 0.5);
    EXPECT_EQ(d.GetViewState()->zoom, 2.5);
    EXPECT_EQ(d.GetViewState()->contourCount, 12);
    EXPECT_EQ(d.HeightType(), 6);
    EXPECT_EQ(d.extentTexts[0], "40.00 μｍ"); // no unit strings installed: the unit itself
    EXPECT_EQ(d.extentTexts[2], "100.00 μｍ");
    // A document file keeps its stored positions and slice level.
    Quiet f;
    f.GetMeasureState()->linePosition[0] = 3;
    f.GetViewState()->sliceLevel = 7;
    f.SetParamSource(0);
    f.SetPlanes(filled(40, 20, kKindGrey8, 5), nullptr);
    ASSERT_EQ(f.ProcessPlanes(6, -1), 1);
    EXPECT_EQ(f.GetMeasureState()->linePosition[0], 3);
    EXPECT_EQ(f.GetViewState()->sliceLevel, 7.0);
    EXPECT_EQ(f.GetViewState()->zoom, 1.0); // parameter source 0: the file's values stand
    // The profile is the current line's in the end, also for a document file.
    ASSERT_FALSE(d.profiles.empty());
    EXPECT_EQ(d.profiles.back(), 0);
    EXPECT_EQ(f.profiles, std::vector<int>{0});
    Quiet g;
    g.SetLineKind(kLineVertical);
    g.SetPlanes(filled(40, 20, kKindGrey8, 5), nullptr);
    ASSERT_EQ(g.ProcessPlanes(3, -1), 1);
    EXPECT_EQ(g.profiles.back(), 1);
    g.SetScreenMode(kScreenMeasure);
    g.SetLineKind(kLineHorizontal);
    g.profiles.clear();
    ASSERT_EQ(g.ApplyRoi(0, RECT{2, 2, 30, 12}), 1);
    EXPECT_EQ(g.profiles.back(), 0);
    GlobalProcParams() = ProcParams();
}
