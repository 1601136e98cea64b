// Measured values of documents whose answers are known (a 20 µm step, a 10/100 plane, a cone, a
// square step) in the running viewer: the profile graph's results across a resize of the window
// and across the calibration units, the profile after smoothing and after a change to the free
// line, and the slice's area and perimeter on the 3D panel after opening and after the slider.
#include "ViewerTestSupport.h"

#include "ids/BrelvoxaIds.h"
#include "platform/Encoding.h"
#include "platform/ScriptedMessageSink.h"
#include "ui/TemplateWindow.h"
#include "ui/testing/GuiTest.h"
#include "viewer3d/measure/gui/GraphVw.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"
#include "viewer3d/render/gl/DocumentScene.h"
#include "viewer3d/render/gl/SceneGeometry.h"

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/slider.h>
#include <wx/uiaction.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <vector>

using brxtest::RunningViewer;

namespace {

constexpr int kW = 200, kH = 100;
constexpr double kPitch = 0.5; // µm a pixel
constexpr double kDegrees = 180.0 / std::numbers::pi;

float step(int x, int) {
    return x >= kW / 2 ? 20.0f : 0.0f;
}
float plane(int x, int) {
    return static_cast<float>(0.1 * x * kPitch); // rises 10 over 100
}

class MeasureResultsGui : public ::testing::Test {
protected:
    void SetUp() override { setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1); }
    void TearDown() override { viewer_.reset(); }

    // Opens a height set of its own file name and shows the measurement screen (or leaves the
    // 3D screen the document opens on).
    void open(const std::string& name, int w, int h, const std::function<float(int, int)>& height,
              bool measureScreen = true) {
        if (!viewer_)
            viewer_ = std::make_unique<RunningViewer>(dir_.Path());
        const std::string path = dir_.Path() + "/" + name + ".vv3";
        brxtest::WriteFile(path, brxtest::HeightSetOf(w, h, kPitch, true, height));
        openPath(path, measureScreen);
    }
    void openPath(const std::string& path, bool measureScreen = true) {
        doc_ = viewer_->App().OpenDocumentFile(path);
        ASSERT_NE(doc_, nullptr);
        frame_ = viewer_->App().MainFrame()->GetActive3dFrame();
        ASSERT_NE(frame_, nullptr);
        if (!measureScreen)
            return;
        frame_->ShowScreenMeasure();
        graph_ = dynamic_cast<brx::CGraphVw*>(frame_->GetPaneWindow(brx::kPaneProfileGraph));
        ASSERT_NE(graph_, nullptr);
        settle();
    }
    // The graph drawn for the document's current state (it stores the results as it draws).
    void settle() {
        graph_->Refresh();
        ASSERT_TRUE(ui::testing::WaitForPaint(graph_));
        ASSERT_TRUE(ui::testing::PumpUntil([&] { return graph_->Layout().drawable; }));
    }
    double measured(int i) const { return doc_->GetMeasureState()->measured[i]; }
    std::vector<int> profile() const {
        const int* p = doc_->GetProfileSamples();
        return p ? std::vector<int>(p, p + doc_->GetProfileCount()) : std::vector<int>();
    }
    ui::TemplatePanel* panel3d() const { return viewer_->App().MainFrame()->Panel3d(); }
    // The result block the calibration window posts, with its unit text in CP932.
    void calibrate(double pitch, const std::string& unit) {
        HGLOBAL block = GlobalAlloc(GPTR, brx::kCalibResultBytes);
        {
            GlobalLockGuard lock(block);
            std::memcpy(lock.get(), &pitch, 8);
            const std::string cp = Utf8ToCp932(unit);
            std::memcpy(lock.get() + 8, cp.data(), cp.size());
        }
        PostMessage(frame_->GetSafeHwnd(), brx::WM_CALIB_RESULT, reinterpret_cast<WPARAM>(block), 0);
        ASSERT_TRUE(ui::testing::PumpUntil([&] { return doc_->GetPitch(0) == pitch; }));
        settle();
    }
    double sceneHeight() {
        return v3d::scene::ZExtent(v3d::scene::SceneValuesOf(*doc_, doc_->Scene(), true));
    }

    ScratchFolder dir_{"brx-measureresults"};
    CScriptedMessageSink sink_{IDOK};
    std::unique_ptr<RunningViewer> viewer_;
    brx::CView3dFrm* frame_ = nullptr;
    brx::CView3dDoc* doc_ = nullptr;
    brx::CGraphVw* graph_ = nullptr;
};

} // namespace

TEST_F(MeasureResultsGui, TheStepsHeightStaysWhenTheWindowIsResized) {
    open("step", kW, kH, step);
    ASSERT_EQ(doc_->GetMeasureState()->lineMode, 1); // manual: C and D stand where they were put
    const std::string out = ui::testing::OutputFolder();
    EXPECT_TRUE(ui::testing::ScreenshotRoot(out + "/brelvoxa-measure-before-resize.png"));
    const double height = measured(0), area = measured(2), angle = measured(3);
    EXPECT_NEAR(height, 20.0, 1e-9);
    const double range = graph_->Layout().verticalRange;
    wxFrame* main = viewer_->App().MainFrame();
    const wxSize size = main->GetSize();
    main->SetSize(wxSize(size.x + 500, size.y - 250));
    ASSERT_TRUE(ui::testing::PumpUntil([&] {
        graph_->Refresh();
        ui::testing::ProcessPending();
        return std::fabs(graph_->Layout().verticalRange - range) > 0.2 * range;
    }));
    settle();
    EXPECT_TRUE(ui::testing::ScreenshotRoot(out + "/brelvoxa-measure-after-resize.png"));
    EXPECT_DOUBLE_EQ(measured(0), height);
    EXPECT_DOUBLE_EQ(measured(2), area);
    EXPECT_DOUBLE_EQ(measured(3), angle);
    main->SetSize(size);
}

TEST_F(MeasureResultsGui, EveryCalibrationUnitMeasuresTheStepAndThePlaneInOneUnit) {
    struct Unit {
        const char* text;
        double pitch;
        bool length;
    };
    const Unit units[] = {{"μｍ", kPitch, true},
                          {"ｎｍ", kPitch * 1000, true},
                          {"ｍｍ", kPitch / 1000, true},
                          {"pixel", 1.0, false}};
    // Heights at A (sample 50) and B (150) in automatic mode; lengths converted into µm.
    struct Shape {
        const char* name;
        float (*height)(int, int);
        double rise;
    };
    for (const Shape& shape : {Shape{"step", step, 20.0}, Shape{"plane", plane, 5.0}}) {
        SCOPED_TRACE(shape.name);
        open(shape.name, kW, kH, shape.height);
        doc_->SetLineMode(0);
        double sum = 0.0; // of the heights from A to B
        for (int x = 50; x <= 150; ++x)
            sum += shape.height(x, 0) - shape.height(0, 0);
        std::array<double, 3> roughness{};
        for (const Unit& u : units) {
            SCOPED_TRACE(u.text);
            calibrate(u.pitch, u.text);
            const double run = u.length ? 100 * kPitch : 100.0; // A to B in the unit of heights
            EXPECT_NEAR(measured(0), shape.rise, 1e-3);
            EXPECT_EQ(measured(1), 100.0);
            EXPECT_NEAR(measured(2), sum * run / 100, 2e-3 * sum);
            EXPECT_NEAR(measured(3), std::atan(shape.rise / run) * kDegrees, 0.01);
            if (!u.length)
                continue;
            if (roughness[0] == 0.0)
                roughness = {doc_->Roughness(0), doc_->Roughness(1), doc_->Roughness(2)};
            for (int i = 0; i < 3; ++i)
                EXPECT_NEAR(doc_->Roughness(i), roughness[i], 1e-9 + 1e-6 * roughness[i]) << i;
        }
        if (shape.rise == 20.0) {
            EXPECT_GT(roughness[0], 1.0); // a step is far from flat
        }
        // Saved in mm and opened again: the same surface, results and scene height. The surface
        // is as high against its width as the heights are against the image's length.
        calibrate(kPitch / 1000, "ｍｍ");
        const double top = shape.height(kW - 1, 0) - shape.height(0, 0);
        const double scene = sceneHeight();
        EXPECT_NEAR(scene, 2.56 * top / (kW * kPitch), 1e-6);
        const std::string tdv = dir_.Path() + "/" + shape.name + ".tdv";
        ASSERT_TRUE(doc_->OnSaveDocument(tdv));
        openPath(tdv);
        std::string unit;
        doc_->GetUnitText(0, &unit);
        EXPECT_EQ(unit, "ｍｍ");
        EXPECT_NEAR(sceneHeight(), scene, 1e-9);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(doc_->Roughness(i), roughness[i], 1e-9 + 1e-6 * roughness[i]) << i;
        EXPECT_NEAR(measured(0), shape.rise, 1e-3);
        EXPECT_NEAR(measured(2), sum * kPitch, 2e-3 * sum);
        frame_->ShowScreen3d();
        EXPECT_TRUE(ui::testing::ScreenshotRoot(ui::testing::OutputFolder() + "/brelvoxa-3d-mm-" +
                                                shape.name + ".png"));
    }
}

TEST_F(MeasureResultsGui, SmoothingTakesTheProfileItsRoughnessAndItsAreaAgain) {
    open("rough", kW, kH,
         [](int x, int y) { return static_cast<float>(4 * ((x / 2) % 2) + (x * 7 + y * 3) % 5); });
    ASSERT_EQ(doc_->GetViewState()->smoothingOn, 0);
    const std::vector<int> plain = profile();
    const double ra = doc_->Roughness(1), area = measured(2);
    ASSERT_GT(ra, 0.0);
    frame_->ShowScreen3d();
    auto* smoothing = panel3d()->Item<wxCheckBox>(bxid::View3dPanel::Smoothing);
    ui::testing::Click(smoothing);
    ASSERT_EQ(doc_->GetViewState()->smoothingOn, 1);
    const std::vector<int> smoothed = profile();
    const double smoothedRa = doc_->Roughness(1);
    EXPECT_NE(smoothed, plain);
    EXPECT_LT(smoothedRa, ra);
    // What is shown is what a fresh extraction and computation give on the smoothed heights.
    doc_->ExtractProfile(doc_->LineKind());
    EXPECT_EQ(profile(), smoothed);
    doc_->ComputeRoughness();
    EXPECT_DOUBLE_EQ(doc_->Roughness(1), smoothedRa);
    frame_->ShowScreenMeasure();
    settle();
    EXPECT_NE(measured(2), area);
    double sum = 0.0;
    for (int j = static_cast<int>(doc_->GetLineCoord(0, 0)); j <= doc_->GetLineCoord(1, 0); ++j)
        sum += (smoothed[j] - doc_->GetProfileMin()) * doc_->GetPitch(2);
    EXPECT_NEAR(measured(2), kPitch * sum, 1e-9 * sum);
    // Off again: the first profile and roughness come back.
    frame_->ShowScreen3d();
    ui::testing::Click(smoothing);
    EXPECT_EQ(profile(), plain);
    EXPECT_DOUBLE_EQ(doc_->Roughness(1), ra);
}

TEST_F(MeasureResultsGui, TheFreeLineTakesItsOwnProfile) {
    open("slope", kW, kH, [](int x, int y) { return static_cast<float>(x + 3 * y); });
    const std::vector<int> row = profile();
    wxCommandEvent choose(wxEVT_MENU, bxid::cmd::FreeLine);
    choose.SetEventObject(frame_);
    frame_->GetEventHandler()->ProcessEvent(choose);
    ASSERT_EQ(doc_->LineKind(), v3d::kLineFree);
    const std::vector<int> free = profile();
    EXPECT_NE(free, row);
    const double ra = doc_->Roughness(1);
    doc_->ExtractProfile(v3d::kLineFree);
    EXPECT_EQ(profile(), free);
    doc_->ComputeRoughness();
    EXPECT_DOUBLE_EQ(doc_->Roughness(1), ra);
}

TEST_F(MeasureResultsGui, SliceAreaAndPerimeterOfAConeAndASquareStep) {
    auto scroll = [&](int position) {
        auto* slider = panel3d()->Item<wxSlider>(bxid::View3dPanel::SliceSlider);
        slider->SetValue(position);
        wxScrollEvent moved(wxEVT_SCROLL_THUMBTRACK, bxid::View3dPanel::SliceSlider, position, wxHORIZONTAL);
        moved.SetEventObject(slider);
        slider->ProcessWindowEvent(moved);
        wxTheApp->ProcessPendingEvents(); // the slice is measured once the waiting events are handled
    };
    auto shown = [&](int id, double value) {
        EXPECT_EQ(panel3d()->GetDlgItemText(id), wxString::Format("%.2f", value)) << id;
    };
    open(
        "square", 100, 100,
        [](int x, int y) { return x >= 30 && x < 70 && y >= 30 && y < 70 ? 20.0f : 0.0f; }, false);
    const v3d::ViewState& v = *doc_->GetViewState();
    // Opened: the slice halfway up cuts the 40 x 40 square; its outline runs on the pixel
    // centres (4 x 38 straight steps and 4 corners of half a diagonal).
    ASSERT_EQ(doc_->areaData, 1);
    EXPECT_NEAR(v.sliceLevel, 10.0, 1e-9);
    EXPECT_NEAR(v.sliceArea, 1600 * kPitch * kPitch, 1e-9);
    EXPECT_NEAR(v.slicePerimeter, (4 * 38 + 2 * std::numbers::sqrt2) * kPitch, 1e-9);
    shown(bxid::View3dPanel::SliceArea, v.sliceArea);
    shown(bxid::View3dPanel::SlicePerimeter, v.slicePerimeter);
    // At the bottom the slice takes the whole picture (its outline inside the border pixels).
    scroll(0);
    EXPECT_NEAR(v.sliceArea, 100 * 100 * kPitch * kPitch, 1e-9);
    EXPECT_NEAR(v.slicePerimeter, (4 * 96 + 2 * std::numbers::sqrt2) * kPitch, 1e-9);
    shown(bxid::View3dPanel::SliceArea, v.sliceArea);
    shown(bxid::View3dPanel::SlicePerimeter, v.slicePerimeter);

    // A cone 40 pixels in radius and 20 µm high: the slice at level L is a disc of radius
    // 40 (1 - L / 20) pixels.
    auto cone = [](int x, int y) {
        const double r = std::hypot(x - 50, y - 50);
        return static_cast<float>(r < 40 ? 20.0 * (1 - r / 40) : 0.0);
    };
    open("cone", 100, 100, cone, false);
    const v3d::ViewState& c = *doc_->GetViewState();
    auto disc = [&](double radius) {
        const double r = radius * kPitch;
        EXPECT_NEAR(c.sliceArea, std::numbers::pi * r * r, 0.03 * std::numbers::pi * r * r);
        EXPECT_NEAR(c.slicePerimeter, 2 * std::numbers::pi * r, 0.06 * 2 * std::numbers::pi * r);
        shown(bxid::View3dPanel::SliceArea, c.sliceArea);
        shown(bxid::View3dPanel::SlicePerimeter, c.slicePerimeter);
    };
    EXPECT_NEAR(c.sliceLevel, 10.0, 1e-9);
    disc(20);
    scroll(1500);
    EXPECT_NEAR(c.sliceLevel, 15.0, 1e-9);
    disc(10); // 78.5 µm²
    EXPECT_TRUE(ui::testing::ScreenshotRoot(ui::testing::OutputFolder() + "/brelvoxa-slice-area.png"));
}

TEST_F(MeasureResultsGui, ArrowKeysOnTheSliceSliderStepItAndMeasureTheSlice) {
    open(
        "square", 100, 100,
        [](int x, int y) { return x >= 30 && x < 70 && y >= 30 && y < 70 ? 20.0f : 0.0f; }, false);
    auto* slider = panel3d()->Item<wxSlider>(bxid::View3dPanel::SliceSlider);
    ASSERT_EQ(slider->GetMax(), 2000); // 20 µm in steps of 0.01
    wxFrame* main = viewer_->App().MainFrame();
    ASSERT_TRUE(ui::testing::WaitForPaint(main));
    // The keys go where the display's input focus is: this window is brought forward and the
    // slider focused before each of them (other tests' windows may share the display).
    auto focus = [&] {
        main->Raise();
        slider->SetFocus();
        return ui::testing::PumpUntil([&] { return wxWindow::FindFocus() == slider; });
    };
    const v3d::ViewState& v = *doc_->GetViewState();
    ASSERT_NEAR(v.sliceLevel, 10.0, 1e-9);
    wxUIActionSimulator keys;
    auto press = [&](int key, int position) {
        ASSERT_TRUE(focus());
        keys.Char(key);
        ASSERT_TRUE(ui::testing::PumpUntil([&] { return slider->GetValue() == position; }))
            << slider->GetValue();
        ASSERT_TRUE(ui::testing::PumpUntil([&] { return std::fabs(v.sliceLevel - position * 0.01) < 1e-9; }));
        wxTheApp->ProcessPendingEvents(); // the slice is measured once the waiting events are handled
        EXPECT_EQ(panel3d()->GetDlgItemText(bxid::View3dPanel::SliceLevel),
                  wxString::Format("%.2f", doc_->BaseOffset() + position * 0.01));
    };
    // One slider step a key, as the slider's own scrolling: the level, its text and the slice
    // measures follow.
    press(WXK_RIGHT, 1001);
    press(WXK_LEFT, 1000);
    press(WXK_HOME, 0); // the bottom: the slice takes the whole picture
    EXPECT_NEAR(v.sliceArea, 100 * 100 * kPitch * kPitch, 1e-9);
    EXPECT_EQ(panel3d()->GetDlgItemText(bxid::View3dPanel::SliceArea), wxString::Format("%.2f", v.sliceArea));
    press(WXK_RIGHT, 1); // one step up: the square alone
    EXPECT_NEAR(v.sliceArea, 1600 * kPitch * kPitch, 1e-9);
    EXPECT_NEAR(v.slicePerimeter, (4 * 38 + 2 * std::numbers::sqrt2) * kPitch, 1e-9);
    EXPECT_EQ(panel3d()->GetDlgItemText(bxid::View3dPanel::SliceArea), wxString::Format("%.2f", v.sliceArea));
    EXPECT_EQ(panel3d()->GetDlgItemText(bxid::View3dPanel::SlicePerimeter),
              wxString::Format("%.2f", v.slicePerimeter));
}
