// The 3D document's data: accessor ranges and their rebuild hooks, cursor geometry, pitch and
// units, display-list deletion, and loading every format by its extension.
#include "ReaderTestSupport.h"

#include "ids/BrelvoxaIds.h"
#include "platform/File.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/data/View3dData.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace v3d;

namespace {

struct Recorder : View3dData {
    int contours = 0, binaries = 0, profiles = 0, roughness = 0;
    std::vector<int> released;
    int BuildContourImage(const RECT*) override { return ++contours, 1; }
    int BuildBinaryImage(const RECT*) override { return ++binaries, 1; }
    void ExtractProfile(v3d::LineKind) override { ++profiles; }
    void ComputeRoughness() override { ++roughness; }
    void ReleaseGlLists(int32_t first, int32_t count) override {
        for (int i = 0; i < count; ++i)
            released.push_back(first + i);
    }
};

void installUnitStrings() {
    static const std::map<unsigned, std::string> strings = {
        {bxid::str::UnitPixel, "pixel"}, {bxid::str::UnitNm, "ｎｍ"},         {bxid::str::UnitUm, "μｍ"},
        {bxid::str::UnitMm, "ｍｍ"},     {bxid::str::AreaUnitPixel, "pixel"}, {bxid::str::AreaUnitNm, "ｎ㎡"},
        {bxid::str::AreaUnitUm, "μ㎡"},  {bxid::str::AreaUnitMm, "ｍ㎡"},
    };
    View3dData::SetStringLoader([](unsigned id) {
        auto it = strings.find(id);
        return it == strings.end() ? std::string() : it->second;
    });
}

} // namespace

TEST(View3dDataTest, SettersRefuseOutOfRangeAndRebuildOnlyOnChange) {
    Recorder d;
    EXPECT_EQ(d.SetContourCount(0), 0);
    EXPECT_EQ(d.SetContourCount(257), 0);
    EXPECT_EQ(d.SetContourCount(8), 1); // the stored value: nothing rebuilt
    EXPECT_EQ(d.contours, 0);
    EXPECT_EQ(d.SetContourCount(9), 1);
    EXPECT_EQ(d.contours, 1);
    EXPECT_EQ(d.SetSliceLevel(-0.1), 0);
    EXPECT_EQ(d.SetSliceLevel(1.0), 1);
    EXPECT_EQ(d.binaries, 0);
    EXPECT_EQ(d.SetSliceLevel(2.0), 1);
    EXPECT_EQ(d.binaries, 1);
    EXPECT_EQ(d.SetLineCount(2), 0);
    EXPECT_EQ(d.SetLineCount(3), 1);
    EXPECT_EQ(d.SetLineCount(-1), 1);
    EXPECT_EQ(d.GetLineCount(), -1);
    EXPECT_EQ(d.SetPaletteIndex(10), 0);
    EXPECT_EQ(d.SetWireframeDivisions(9), 0);
    EXPECT_EQ(d.SetSmoothingWidth(4), 0);
    EXPECT_EQ(d.SetZoom(-1), 0);
    EXPECT_EQ(d.SetLinePosition(3, 5), 0);
    EXPECT_EQ(d.SetLinePosition(0x10001, 5), 1); // kinds are taken as 16-bit: 0x10001 is 1
    EXPECT_EQ(d.GetMeasureState()->linePosition[1], 5);
    EXPECT_EQ(d.profiles, 1);
    EXPECT_EQ(d.roughness, 1);
    EXPECT_EQ(d.SetMeasuredValue(4, 1.0), 0);
    EXPECT_EQ(d.SetMeasuredValue(2, 7.5), 1);
    EXPECT_EQ(d.GetMeasureState()->measured[2], 7.5);
    d.SetZScaleFreeOn(1);
    d.SetZScaleFree(4);
    EXPECT_EQ(d.GetZScaleFactor(), 4.0);
    d.SetZScaleFreeOn(0);
    EXPECT_EQ(d.GetZScaleFactor(), 1.0);
}

TEST(View3dDataTest, CursorsFixedViewPitchAndUnits) {
    installUnitStrings();
    Recorder d;
    EXPECT_EQ(d.GetLineCoord(0, 3), -1.0);
    EXPECT_EQ(d.GetLineCoord(4, 0), 0.0);
    EXPECT_EQ(d.GetLineCoord(2, 0), -1.0);   // C and D start unset
    EXPECT_EQ(d.SetLineCoord(9, 0, 5.0), 1); // stores nothing, still 1
    EXPECT_EQ(d.SetLineCoord(0, 5, 5.0), 0);
    d.SetZoom(0.5);
    d.ApplyFixedView();
    EXPECT_EQ(d.zoomFactor, -2.0f);
    d.SetZoom(2.5);
    d.ApplyFixedView();
    EXPECT_EQ(d.zoomFactor, 2.5f);
    d.SetZoom(0);
    d.ApplyFixedView();
    EXPECT_EQ(d.zoomFactor, 0.0f);
    EXPECT_EQ(d.GetPitch(0), 1.0);
    EXPECT_EQ(d.GetPitch(1), 1.0);
    EXPECT_EQ(d.GetPitch(2), 1.0);
    EXPECT_EQ(d.GetPitch(3), -1.0);
    d.SetPitch(0, 0.25);
    EXPECT_EQ(d.GetMeasureState()->yPitch, 0.25);
    d.SetPitch(1, 0.0); // would be divided by: not taken
    EXPECT_EQ(d.GetPitch(0), 0.25);
    std::string label = "unchanged";
    d.GetUnitLabel(&label, 0);
    EXPECT_EQ(label, "μ㎡");
    EXPECT_EQ(d.SetUnitText("ｍｍ", 2), 5);
    d.GetUnitLabel(&label, 2);
    EXPECT_EQ(label, "ｍ㎡");
    EXPECT_EQ(d.SetUnitText("x", 7), 7);
    // A unit longer than the field is cut on a character boundary (20 CP932 bytes = 10 kana).
    EXPECT_EQ(d.SetUnitText("ｍｍｍｍｍｍｍｍｍｍｍ", 0), 21);
    std::string unit;
    d.GetUnitText(0, &unit);
    EXPECT_EQ(unit, "ｍｍｍｍｍｍｍｍｍｍ");
    View3dData::SetStringLoader(nullptr);
}

TEST(View3dDataTest, PitchInTheUnitOfHeightsAndOfTheCutOff) {
    installUnitStrings();
    View3dData d;
    // 0.0001 mm is 0.1 µm to the last bit (a product with 1000 in binary is not).
    d.SetPitch(0, 0.0001);
    d.SetUnitText("ｍｍ", 0);
    EXPECT_EQ(d.XyPitchInZUnit(), 0.1);
    EXPECT_EQ(d.XyPitchInMicrometres(), 0.1);
    d.SetUnitText("nm", 2); // heights in plain nm
    EXPECT_EQ(d.XyPitchInZUnit(), 100.0);
    d.SetPitch(0, 300.0);
    d.SetUnitText("ｎｍ", 0);
    EXPECT_EQ(d.XyPitchInZUnit(), 300.0);
    EXPECT_EQ(d.XyPitchInMicrometres(), 0.3);
    d.SetUnitText("inch", 0);
    EXPECT_EQ(d.XyPitchInMicrometres(), 300 * 25400.0);
    // No length: the pitch as it is.
    for (const char* unit : {"pixel", "", "ｱ"}) {
        d.SetUnitText(unit, 0);
        EXPECT_EQ(d.XyPitchInZUnit(), 300.0) << unit;
        EXPECT_EQ(d.XyPitchInMicrometres(), 300.0) << unit;
    }
    View3dData::SetStringLoader(nullptr);
}

TEST(View3dDataTest, ProjectionAndDefaultCursorLines) {
    POINT p{0, 0};
    View3dData::ProjectOnLine(RECT{0, 0, 10, 10}, 10, 0, &p); // foot of the perpendicular
    EXPECT_EQ(p.x, 5);
    EXPECT_EQ(p.y, 5);
    p = POINT{-1, 0}; // cross line through the line's point at x = 4, evaluated at y = 0
    View3dData::ProjectOnLine(RECT{0, 0, 10, 10}, 4, -1, &p);
    EXPECT_EQ(p.x, 8);
    p = POINT{0, -1};
    View3dData::ProjectOnLine(RECT{0, 0, 10, 10}, -1, 4, &p);
    EXPECT_EQ(p.y, 8);

    Recorder d;
    EXPECT_EQ(d.ResetLinePositions(-1), 0); // no image
    d.SetPlanes(v3d::DibCreate(40, 20, kKindGrey8), nullptr);
    ASSERT_EQ(d.ResetLinePositions(-1), 1);
    EXPECT_EQ(d.GetLineCoord(0, 0), 10.0);
    EXPECT_EQ(d.GetLineCoord(1, 0), 30.0);
    EXPECT_EQ(d.GetLineCoord(0, 1), 5.0);
    EXPECT_EQ(d.GetLineCoord(1, 1), 15.0);
    RECT roi;
    d.GetRoiRect(&roi);
    EXPECT_EQ(roi.right, 39);
    EXPECT_EQ(roi.bottom, 19);
    EXPECT_EQ(d.GetLineCoord(0, 2), 9.0); // a quarter of the region's width 39
    RECT a, b;
    d.GetLineRects(&a, &b);
    EXPECT_EQ(a.top, 0);
    EXPECT_EQ(a.bottom, 20);
    EXPECT_GT(b.left, a.left);
    // A horizontal free line stays horizontal; only one without length becomes the diagonal.
    d.SetRoiRect(RECT{4, 7, 30, 7});
    ASSERT_EQ(d.ResetLinePositions(-1), 1);
    d.GetRoiRect(&roi);
    EXPECT_EQ(roi.top, 7);
    EXPECT_EQ(roi.bottom, 7);
    EXPECT_EQ(roi.right, 30);
    EXPECT_EQ(d.GetLineCoord(0, 2), 26 / 4);
    d.SetRoiRect(RECT{5, 5, 5, 5});
    ASSERT_EQ(d.ResetLinePositions(2), 1);
    d.GetRoiRect(&roi);
    EXPECT_EQ(roi.right, 39);
}

TEST(View3dDataTest, GlListsAreDeletedInOrderAndZeroed) {
    Recorder d;
    GlListBlock* g = d.GetGlLists();
    g->surface = 1;
    g->frameBox = 3;
    g->axisFirst = {10, 20, 30};
    g->axisLength = {1, 2, 0};
    g->rangeFirst = 40;
    g->rangeLength = 2;
    g->baseFirst = 50;
    g->baseLength = 1;
    d.DeleteGlLists();
    EXPECT_EQ(d.released, (std::vector<int>{1, 3, 10, 20, 21, 40, 41, 50}));
    EXPECT_EQ(g->surface, 0);
    EXPECT_EQ(g->axisFirst[1], 0);
    EXPECT_EQ(g->rangeLength, 0);
}

TEST(View3dDataTest, FormatsByExtensionAndDocumentRoundTrip) {
    EXPECT_EQ(View3dData::FormatIndexOfPath("/a/b.TDV"), 6);
    EXPECT_EQ(View3dData::FormatIndexOfPath("/a.b/c.Vv3"), 1);
    EXPECT_EQ(View3dData::FormatIndexOfPath("/a.tdv/noext"), -1); // a dot in a folder is no extension
    EXPECT_EQ(View3dData::FormatIndexOfPath("x.raw"), -1);

    v3dtest::ScratchDir dir;
    const std::string bmp = dir.Path("in.bmp");
    ASSERT_EQ(v3dtest::Shell("printf 'P2 3 2 255\\n0 128 255\\n10 20 30\\n' > " + dir.Path("in.pgm")), 0);
    const std::string magick = v3dtest::ImageMagick();
    if (magick.empty())
        GTEST_SKIP() << "no image converter";
    ASSERT_EQ(v3dtest::Shell(magick + " " + dir.Path("in.pgm") + " -type truecolor BMP3:" + bmp), 0);
    Recorder d;
    CFile in(bmp, CFile::modeRead);
    int type = 99;
    ASSERT_TRUE(d.ReadFileOfFormat(&in, 3, &type));
    EXPECT_EQ(type, -1);
    ASSERT_NE(d.TexturePlane(), nullptr);
    EXPECT_EQ(v3dtest::Sample(d.TexturePlane(), 1, 0, 0), 128);

    // A document with a height plane saves and reads back as a .tdv.
    HDIB height = v3d::DibCreate(3, 2, kKindGrey16);
    d.SetPlanes(v3d::DibCreate(3, 2, kKindRgb24), height);
    d.SetTypes(3, 6);
    d.SetZoom(2.5);
    d.SetPitch(0, 0.5);
    ASSERT_EQ(d.SaveTdv(dir.Path("doc.tdv")), 1);
    GlobalProcParams() = ProcParams();
    Recorder e;
    CFile tdv(dir.Path("doc.tdv"), CFile::modeRead);
    ASSERT_TRUE(e.ReadFileOfFormat(&tdv, 6, &type));
    EXPECT_EQ(type, 3);
    EXPECT_EQ(e.GetViewState()->zoom, 2.5);
    EXPECT_EQ(e.GetPitch(0), 0.5);
    EXPECT_EQ(e.ParamSource(), 0);
    EXPECT_EQ(GlobalProcParams().zoom, 2.5); // the file's display values become the global ones
    GlobalProcParams() = ProcParams();
}
