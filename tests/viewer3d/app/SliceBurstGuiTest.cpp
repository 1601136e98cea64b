// The slice slider dragged faster than the slice is measured: the slider's moves that wait
// behind a measurement are not measured each, the level the slider ends on is, and its area and
// perimeter are those of a measurement of that level alone.
#include "ViewerTestSupport.h"

#include "ids/BrelvoxaIds.h"
#include "ui/TemplateWindow.h"
#include "ui/testing/GuiTest.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/app/View3dDoc.h"

#include <gtest/gtest.h>
#include <wx/slider.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr double kPitch = 0.5;

// Levels of the per-level perimeter array measured so far.
int measuredLevels(brx::CView3dDoc* doc) {
    const double* p = doc->GetPerimeterArray();
    int n = 0;
    for (int i = 0; p && i <= doc->maxLevel; ++i)
        n += p[i] != 0.0;
    return n;
}

} // namespace

TEST(SliceBurstGui, MovesWaitingBehindAMeasurementAreNotMeasuredEachAndTheLastLevelIs) {
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    ScratchFolder dir("brx-slice");
    // A cone: every level cuts a disc of another outline. The size can be raised for timings
    // (VT_SLICE_BURST_SIZE=2048x1536).
    int w = 400, h = 300;
    if (const char* size = std::getenv("VT_SLICE_BURST_SIZE"))
        std::sscanf(size, "%dx%d", &w, &h);
    const std::string path = dir.Path() + "/cone.vv3";
    brxtest::WriteFile(path, brxtest::HeightSetOf(w, h, kPitch, true, [w, h](int x, int y) {
                           const double r = std::hypot(x - w / 2.0, y - h / 2.0) / (h / 2.0);
                           return static_cast<float>(r < 1 ? 100.0 * (1 - r) : 0.0);
                       }));
    brxtest::RunningViewer viewer(dir.Path());
    brx::CView3dDoc* doc = viewer.App().OpenDocumentFile(path);
    ASSERT_NE(doc, nullptr);
    brx::CMainFrame* main = viewer.App().MainFrame();
    ASSERT_TRUE(ui::testing::WaitForPaint(main));
    ASSERT_EQ(doc->areaData, 1);
    auto* slider = main->Panel3d()->Item<wxSlider>(bxid::View3dPanel::SliceSlider);
    ASSERT_NE(slider, nullptr);
    const double z = doc->Calib().zScale;
    ASSERT_GT(z, 0.0);

    // The slider's moves of one drag, each handled as the toolkit hands it on: the knob at its
    // new place and the scroll notification. They wait in the queue together, as moves do that
    // come while the program is busy with a measurement. Each goes to a level of its own that
    // the perimeter curve did not measure.
    const double* perimeters = doc->GetPerimeterArray();
    ASSERT_NE(perimeters, nullptr);
    std::vector<int> positions;
    for (int level = doc->minLevel + 1; level < doc->maxLevel && positions.size() < 20; level += 3) {
        const int position = int(std::ceil((level - doc->minLevel) * z * 100 + 0.5));
        const int index = int(std::trunc(position * 0.01 / z + doc->minLevel));
        if (perimeters[index] == 0.0 &&
            (positions.empty() || index != int(std::trunc(positions.back() * 0.01 / z + doc->minLevel))))
            positions.push_back(position);
    }
    ASSERT_GE(positions.size(), 10u);
    const int before = measuredLevels(doc);
    for (int position : positions)
        main->CallAfter([slider, position] {
            slider->SetValue(position);
            wxScrollEvent moved(wxEVT_SCROLL_THUMBTRACK, bxid::View3dPanel::SliceSlider, position,
                                wxHORIZONTAL);
            moved.SetEventObject(slider);
            slider->ProcessWindowEvent(moved);
        });
    const auto start = std::chrono::steady_clock::now();
    const int last = positions.back();
    const int lastIndex = int(std::trunc(last * 0.01 / z + doc->minLevel));
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return perimeters[lastIndex] != 0.0; }, 60000));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const int runs = measuredLevels(doc) - before;
    std::printf("slice burst %dx%d: %zu levels, %d measured, %.3f s to the last level's values\n", w, h,
                positions.size(), runs, seconds);
    EXPECT_LE(runs, 2) << "of " << positions.size() << " levels";

    // The last level's values are those of a measurement of that level on its own.
    const v3d::ViewState& v = *doc->GetViewState();
    EXPECT_NEAR(v.sliceLevel, last * 0.01, 1e-12);
    const double perimeter = doc->MeasurePerimeter(nullptr, lastIndex) * doc->GetPitch(0);
    const double area = doc->GetPitch(0) * doc->GetPitch(0) * doc->GetHistogram()[lastIndex];
    EXPECT_DOUBLE_EQ(v.slicePerimeter, perimeter);
    EXPECT_DOUBLE_EQ(v.sliceArea, area);
    EXPECT_EQ(main->Panel3d()->GetDlgItemText(bxid::View3dPanel::SliceArea), wxString::Format("%.2f", area));
    EXPECT_EQ(main->Panel3d()->GetDlgItemText(bxid::View3dPanel::SlicePerimeter),
              wxString::Format("%.2f", perimeter));
}
