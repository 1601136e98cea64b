// The window document's measurement on synthetic height images (no window is opened): the area
// results of the height display image, profiles along the measuring lines and their roughness.
#include "ViewerTestSupport.h"

#include "ids/BrelvoxaIds.h"
#include "platform/ScriptedMessageSink.h"
#include "ui/TemplateWindow.h"
#include "ui/testing/GuiTest.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"
#include "viewer3d/measure/core/MeasuredText.h"

#include "ui/resources/ResourceRegistry.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/data/ProcParams.h"

#include <gtest/gtest.h>

#include <wx/listbox.h>

#include <cmath>
#include <numbers>
#include <vector>

using brx::CView3dDoc;

namespace {

constexpr double kRoot2 = 1.4142135623730950;

class View3dDocMeasureTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(ui::LoadProgramResources("brelvoxa", &error)) << error; // the outline tables
        saved_ = v3d::GlobalProcParams();
        CView3dDoc::SetMeasureFlagSource([this] { return flag_; });
    }
    void TearDown() override {
        CView3dDoc::SetMeasureFlagSource(nullptr);
        v3d::GlobalProcParams() = saved_;
        ui::Resources().Clear();
    }
    // A grey 8-bit image filled row by row (y from the top) through the document's slot 0.
    HDIB grey(CView3dDoc& doc, int w, int h, const std::function<int(int, int)>& level) {
        HDIB dib = v3d::DibCreateOfKind(w, h, v3d::kKindGrey8);
        doc.SetSlotImage(dib, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                doc.SetSlotPixel(0, x, y, level(x, y));
        doc.SetSlotImage(nullptr, 0);
        return dib;
    }
    bool flag_ = true;
    v3d::ProcParams saved_;
};

} // namespace

TEST_F(View3dDocMeasureTest, HistogramAndPerimeterCurveOfTheHeightDisplayImage) {
    CView3dDoc doc;
    // Rows 0-1 at level 3, rows 2-3 at level 7: 32 pixels at 3 or above, 16 at 7.
    doc.heightDisplay = grey(doc, 8, 4, [](int, int y) { return y < 2 ? 3 : 7; });

    // Without the measure flag only the level range is taken; the per-level array is sized.
    flag_ = false;
    EXPECT_EQ(doc.EnsureHistogram(), 1);
    EXPECT_EQ(doc.GetHistogram(), nullptr);
    EXPECT_EQ(doc.areaData, 0);
    EXPECT_EQ(doc.maxLevel, 7);
    EXPECT_EQ(doc.minLevel, 3);
    EXPECT_EQ(doc.GetAreaData().perimeter.size(), 8u);

    flag_ = true;
    ASSERT_EQ(doc.EnsureHistogram(), 1);
    const double* hist = doc.GetHistogram();
    ASSERT_NE(hist, nullptr);
    ASSERT_EQ(doc.GetAreaData().histogram.size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(hist[i], i <= 3 ? 32.0 : 16.0) << i;
    EXPECT_EQ(doc.GetHistogramSum(), 32.0);
    EXPECT_EQ(doc.areaData, 1);
    ASSERT_NE(doc.GetPerimeterArray(), nullptr);
    for (double p : doc.GetAreaData().perimeter)
        EXPECT_EQ(p, 0.0);
    EXPECT_EQ(doc.EnsureHistogram(), 0); // built once
    doc.SetPerimeterValue(7, 2.5);
    doc.SetPerimeterValue(8, 9.0); // beyond the array: ignored
    EXPECT_EQ(doc.GetPerimeterArray()[7], 2.5);

    // A constant 40 x 40 image of level 150: every curve level is 150 and outlines the whole
    // inner area of the 10 x 10 quarter copy (4 x 6 straight steps and 4 corners).
    GlobalFree(doc.heightDisplay);
    doc.heightDisplay = grey(doc, 40, 40, [](int, int) { return 150; });
    ASSERT_EQ(doc.BuildHeightHistogram(nullptr), 1);
    EXPECT_EQ(doc.maxLevel, 150);
    EXPECT_EQ(doc.minLevel, 150);
    EXPECT_EQ(doc.GetHistogram()[150], 1600.0);
    ASSERT_EQ(doc.BuildPerimeterCurve(nullptr), 1);
    const double whole = 4 * 6 + 4 * kRoot2 / 2;
    for (int i = 0; i < v3d::kCurvePoints; ++i)
        EXPECT_NEAR(doc.GetPerimeterCurve()[i], whole, 1e-12) << i;
    EXPECT_NEAR(doc.GetPerimeterMax(), whole, 1e-12);
    EXPECT_EQ(doc.areaData, 1);
    EXPECT_NEAR(doc.MeasurePerimeter(nullptr, 150), 4 * 36 + 4 * kRoot2 / 2, 1e-12);
    EXPECT_EQ(doc.GetSlotImage(v3d::kScratchSlot), nullptr);
    EXPECT_EQ(doc.GetSlotImage(v3d::kQuarterSlot), nullptr);

    // A rebuild on a smaller image starts the curve from zero: its maximum is the new image's
    // (the 5 x 5 quarter of a 20 x 20 image: 4 x 1 straight steps and 4 corners), not the old.
    GlobalFree(doc.heightDisplay);
    doc.heightDisplay = grey(doc, 20, 20, [](int, int) { return 150; });
    doc.RebuildAreaData();
    const double small = 4 * 1 + 4 * kRoot2 / 2;
    EXPECT_NEAR(doc.GetPerimeterCurve()[0], small, 1e-12);
    EXPECT_NEAR(doc.GetPerimeterMax(), small, 1e-12);
    EXPECT_EQ(doc.GetHistogram()[150], 400.0);
    EXPECT_EQ(doc.GetAreaData().perimeter.size(), 151u);
}

TEST_F(View3dDocMeasureTest, ProfileAlongTheLinesAndItsRoughness) {
    CView3dDoc doc;
    // Row 2 carries a cosine of period 10 samples and amplitude 40 levels about 100; rows 1 and
    // 3 lie 6 levels above and below it, so a band of three lines averages back to row 2.
    constexpr int kWidth = 1001;
    auto wave = [](int x) {
        return 100 + static_cast<int>(std::lround(40 * std::cos(2 * std::numbers::pi * x / 10)));
    };
    doc.profileDisplay = grey(doc, kWidth, 5, [&](int x, int y) {
        return y == 2 ? wave(x) : y == 1 ? wave(x) + 6 : y == 3 ? wave(x) - 6 : 0;
    });
    constexpr double kZScale = 0.25;
    doc.SetPitch(2, kZScale);
    doc.SetPitch(0, 1.0);
    v3d::GlobalProcParams().cutoff = 80.0;
    v3d::GlobalProcParams().endEffect = 1;
    ASSERT_EQ(doc.SetLineCount(3), 1);

    ASSERT_EQ(doc.SetLinePosition(0, 2), 1);
    ASSERT_EQ(doc.GetProfileCount(), kWidth);
    double meanAbs = 0.0;
    for (int x = 0; x < kWidth; ++x) {
        ASSERT_EQ(doc.GetProfileSamples()[x], wave(x)) << x;
        meanAbs += std::fabs((wave(x) - 100) * kZScale) / kWidth;
    }
    EXPECT_EQ(doc.GetProfileMax(), 140);
    EXPECT_EQ(doc.GetProfileMin(), 60);
    EXPECT_EQ(doc.ProfileLine().orientation, 'i');
    EXPECT_EQ(doc.ProfileLine().last, kWidth - 1);

    // Well below the cut-off the whole cosine is roughness: Ra its mean |z|, Rz and Rzjis the
    // peak-to-valley height 2 a, in height units (amplitude 40 levels x 0.25).
    EXPECT_EQ(doc.RoughnessComputed(), 1);
    const double a = 40 * kZScale;
    EXPECT_NEAR(doc.Roughness(1), meanAbs, 0.005 * meanAbs);
    EXPECT_NEAR(doc.Roughness(0), 2 * a, 0.005 * 2 * a);
    EXPECT_NEAR(doc.Roughness(2), 2 * a, 0.005 * 2 * a);
    EXPECT_EQ(doc.GetSectionResults()->ra, doc.Roughness(1));

    // The filter settings and the pitch as they stand are what the recomputation uses.
    v3d::GlobalProcParams().cutoff = 2.5;
    v3d::GlobalProcParams().endEffect = 0;
    doc.SetPitch(0, 0.5);
    doc.ComputeRoughness();
    v3d::ProfileRoughness direct;
    std::vector<int> samples(doc.GetProfileSamples(), doc.GetProfileSamples() + kWidth);
    ASSERT_EQ(direct.ComputeRoughness(samples.data(), kWidth, kZScale, 0.5, 2.5, 0), 1);
    EXPECT_EQ(doc.Roughness(0), direct.GetSectionResults()->rz);
    EXPECT_EQ(doc.Roughness(1), direct.GetSectionResults()->ra);
    EXPECT_EQ(doc.Roughness(2), direct.GetSectionResults()->rzjis);
    EXPECT_LT(doc.Roughness(1), 0.9 * meanAbs); // a cut-off of half a period takes most of it away
    EXPECT_EQ(doc.RoughnessState().RoughnessMin(), direct.RoughnessMin());

    // The vertical line through column 0 (a crest) over one line: the five rows as they are.
    ASSERT_EQ(doc.SetLineCount(1), 1);
    ASSERT_EQ(doc.SetLinePosition(1, 0), 1);
    ASSERT_EQ(doc.GetProfileCount(), 5);
    const int column[5] = {0, 146, 140, 134, 0};
    for (int y = 0; y < 5; ++y)
        EXPECT_EQ(doc.GetProfileSamples()[y], column[y]) << y;
    EXPECT_EQ(doc.ProfileLine().orientation, 'j');

    // Without a profile image the profile is empty and the roughness stays as it was.
    const double rz = doc.Roughness(0);
    GlobalFree(doc.profileDisplay);
    doc.profileDisplay = nullptr;
    ASSERT_EQ(doc.SetLinePosition(0, 2), 1);
    EXPECT_EQ(doc.GetProfileCount(), 0);
    EXPECT_EQ(doc.GetProfileSamples(), nullptr);
    EXPECT_EQ(doc.RoughnessComputed(), 0);
    EXPECT_EQ(doc.Roughness(0), rz);
}

TEST(View3dDocMeasureGui, OpenedDocumentIsMeasuredAndTheFilterCommandFillsTheRoughness) {
    ScratchFolder dir("brx-measure");
    CScriptedMessageSink sink(IDOK);
    brxtest::RunningViewer viewer(dir.Path());
    brxtest::WriteFile(dir.Path() + "/m.vv3", brxtest::HeightSet(40, 30, 1.0, true));
    brx::CView3dDoc* doc = viewer.App().OpenDocumentFile(dir.Path() + "/m.vv3");
    ASSERT_NE(doc, nullptr);
    brx::CMainFrame* main = viewer.App().MainFrame();
    brx::CView3dFrm* frame = main->GetActive3dFrame();
    ASSERT_NE(frame, nullptr);

    // Opening measured the 40 x 30 height display image with the measure flag set: a cumulative
    // histogram over all its pixels, one perimeter entry per level, the measure button off.
    EXPECT_EQ(doc->areaData, 1);
    ASSERT_NE(doc->GetHistogram(), nullptr);
    EXPECT_EQ(doc->GetHistogram()[0], 1200.0);
    EXPECT_EQ(doc->GetHistogramSum(), 1200.0);
    EXPECT_EQ(doc->GetAreaData().perimeter.size(), size_t(doc->maxLevel) + 1);
    EXPECT_GT(doc->GetPerimeterMax(), 0.0);
    EXPECT_FALSE(ui::testing::FindById(main->Panel3d(), bxid::View3dPanel::Measure)->IsEnabled());
    // Opening takes the profile of the current line, the horizontal one through the middle: one
    // sample a column.
    EXPECT_EQ(doc->LineKind(), v3d::kLineHorizontal);
    EXPECT_EQ(doc->GetProfileCount(), 40);
    EXPECT_EQ(doc->ProfileLine().orientation, 'i');

    // A cosine profile of period 10 samples; then the filter dialog is accepted with a cut-off of
    // 2.5: the recomputed roughness is what the measurement panel lists.
    frame->ShowScreenMeasure();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return main->PanelMeasure()->IsShown(); }));
    GlobalFree(doc->profileDisplay);
    doc->profileDisplay = v3d::DibCreateOfKind(301, 3, v3d::kKindGrey8);
    doc->SetSlotImage(doc->profileDisplay, 0);
    for (int x = 0; x < 301; ++x)
        doc->SetSlotPixel(0, x, 1,
                          100 + static_cast<int>(std::lround(40 * std::cos(2 * std::numbers::pi * x / 10))));
    doc->SetSlotImage(nullptr, 0);
    ASSERT_EQ(doc->SetLineCount(1), 1);
    v3d::GlobalProcParams().cutoff = 80.0;
    v3d::GlobalProcParams().endEffect = 1;
    ASSERT_EQ(doc->SetLinePosition(0, 1), 1);
    ASSERT_EQ(doc->GetProfileCount(), 301);
    const double raAt80 = doc->Roughness(1);
    EXPECT_GT(raAt80, 0.0);

    v3d::GlobalProcParams().cutoff = 2.5;
    ui::testing::WhenModal([](wxDialog* d) { ui::testing::Click(ui::testing::FindById(d, IDOK)); });
    frame->HandleCommand(bxid::cmd::FilterSettings);
    v3d::ProfileRoughness direct;
    std::vector<int> samples(doc->GetProfileSamples(), doc->GetProfileSamples() + 301);
    ASSERT_EQ(direct.ComputeRoughness(samples.data(), 301, doc->Calib().zScale, doc->GetPitch(0), 2.5, 1), 1);
    EXPECT_EQ(doc->Roughness(1), direct.GetSectionResults()->ra);
    EXPECT_LT(doc->Roughness(1), 0.9 * raAt80);
    auto* list = ui::testing::FindById<wxListBox>(main->PanelMeasure(), bxid::MeasurePanel::MeasuredData);
    ASSERT_EQ(list->GetCount(), 7u);
    std::string z;
    doc->GetUnitText(2, &z);
    const auto& r = ui::Resources();
    EXPECT_EQ(
        list->GetString(4).ToStdString(wxConvUTF8),
        v3d::FillMeasuredFormat(r.LoadString(bxid::str::MeasuredRa), direct.GetSectionResults()->ra, z));
    EXPECT_EQ(
        list->GetString(5).ToStdString(wxConvUTF8),
        v3d::FillMeasuredFormat(r.LoadString(bxid::str::MeasuredRz), direct.GetSectionResults()->rz, z));
    EXPECT_EQ(list->GetString(6).ToStdString(wxConvUTF8),
              v3d::FillMeasuredFormat(r.LoadString(bxid::str::MeasuredRzjis),
                                      direct.GetSectionResults()->rzjis, z));
}
