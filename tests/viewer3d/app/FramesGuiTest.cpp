// The 3D viewer's frames: calibration files, the pane sizes of both screens, the menu and panel
// of the active screen, the panel checks that depend on the pictures, and saving as .tdv.
#include "ViewerTestSupport.h"

#include "ids/BrelvoxaIds.h"
#include "platform/ScriptedMessageSink.h"
#include "platform/Settings.h"
#include "ui/Services.h"
#include "ui/TemplateWindow.h"
#include "ui/testing/GuiTest.h"
#include "viewer3d/app/CalibFrm.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"
#include "viewer3d/core/data/ProcParams.h"

#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/slider.h>
#include <wx/splitter.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include <filesystem>
#include <fstream>

using brxtest::RunningViewer;
namespace fs = std::filesystem;

namespace {

brx::CView3dFrm* openShown(RunningViewer& viewer, const std::string& path) {
    return brxtest::OpenShown(viewer, path);
}

// A w x h data set written as dir/name and opened in its shown frame.
brx::CView3dFrm* openSet(RunningViewer& viewer, const std::string& dir, const std::string& name, int w,
                         int h) {
    brxtest::WriteFile(dir + "/" + name, brxtest::HeightSet(w, h, 1.0, true));
    return openShown(viewer, dir + "/" + name);
}

int width(brx::CView3dFrm* frame, brx::PaneRole role) {
    return frame->GetPaneWindow(role)->GetSize().x;
}
int height(brx::CView3dFrm* frame, brx::PaneRole role) {
    return frame->GetPaneWindow(role)->GetSize().y;
}

bool hasItem(brx::CMainFrame* main, int id) {
    wxMenuBar* bar = main->GetMenuBar();
    return bar && bar->FindItem(id) != nullptr;
}

} // namespace

TEST(ViewerFrames, CalibrationFileOpensItsOwnWindowOnce) {
    ScratchFolder dir("brx-cbs");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    const std::string path = dir.Path() + "/lens.cbs";
    std::ofstream(path) << "";
    brx::View3dApp& app = viewer.App();
    ui::Document* doc = app.OpenFile(path);
    auto* calib = dynamic_cast<brx::CCalibDoc*>(doc);
    ASSERT_NE(calib, nullptr);
    EXPECT_EQ(calib->GetPathName(), path);
    EXPECT_EQ(calib->Image(), nullptr);
    EXPECT_EQ(calib->target, HWND(0));
    EXPECT_EQ(app.OpenDocumentFile(path), nullptr); // not a 3D document
    EXPECT_TRUE(viewer.Frames().empty());
    std::vector<brx::CCalibFrm*> windows;
    for (ui::RoutedMdiChildFrame* f : app.MainFrame()->ChildFrames())
        if (auto* c = dynamic_cast<brx::CCalibFrm*>(f))
            windows.push_back(c);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0]->GetTitle(), "lens.cbs");
    // It draws without an image.
    ASSERT_TRUE(ui::testing::WaitForPaint(windows[0]));
    EXPECT_EQ(app.RecentFiles()->Files().front(), path);
    // A file that is not there: the failed-to-open prompt and no window.
    EXPECT_EQ(app.OpenFile(dir.Path() + "/gone.cbs"), nullptr);
    ASSERT_FALSE(sink.ShownIds().empty());
    EXPECT_EQ(sink.ShownIds().back(), bxid::str::CannotOpenDocument);
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return app.MainFrame()->ChildFrames().size() == 1; }));
    // Dropped again: the window is the same one.
    EXPECT_EQ(app.OpenFile(path), doc);
    EXPECT_EQ(app.MainFrame()->ChildFrames().size(), 1u);
}

TEST(ViewerFrames, PaneSizesStartAtTheDefaultsFollowTheScreensAndPassToTheNextFrame) {
    ScratchFolder dir("brx-panes");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    brx::CView3dFrm* first = openSet(viewer, dir.Path(), "a.vv3", 40, 30);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->PaneWidths(), (std::array<int, 4>{266, 533, 266, 533}));
    EXPECT_EQ(first->PaneHeights(), (std::array<int, 7>{426, 213, 213, 213, 213, 320, 320}));
    // The 3D screen: column 0 is 266 wide in both rows, row 0 426 high, the left stack's top 213.
    ASSERT_TRUE(ui::testing::PumpUntil(
        [&] { return width(first, brx::kPaneImage) == 266 && width(first, brx::kPaneSlice) == 266; }));
    EXPECT_EQ(height(first, brx::kPaneImage), 213);
    EXPECT_EQ(first->GetPaneWindow(brx::kPaneImage)->GetParent()->GetSize().y, 426);
    first->ShowScreenMeasure();
    ASSERT_TRUE(ui::testing::PumpUntil([&] {
        return width(first, brx::kPaneMeasureImage) == 266 && height(first, brx::kPaneAnalysis) == 320;
    }));

    // The user widens column 0 of the 3D screen: the width comes back after the other screen.
    first->ShowScreen3d();
    auto* columns =
        dynamic_cast<wxSplitterWindow*>(first->GetPaneWindow(brx::kPaneImage)->GetParent()->GetParent());
    ASSERT_NE(columns, nullptr);
    columns->SetSashPosition(300);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return width(first, brx::kPaneImage) == 300; }));
    first->ShowScreenMeasure();
    first->ShowScreen3d();
    ASSERT_TRUE(ui::testing::PumpUntil(
        [&] { return width(first, brx::kPaneImage) == 300 && width(first, brx::kPaneSlice) == 300; }));
    EXPECT_EQ(first->PaneWidths()[0], 300);

    // The next document frame takes the active frame's sizes; the settings get all eleven.
    brx::CView3dFrm* second = openSet(viewer, dir.Path(), "b.vv3", 40, 30);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second, first);
    EXPECT_EQ(second->PaneWidths(), first->PaneWidths());
    EXPECT_EQ(second->PaneHeights(), first->PaneHeights());
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return width(second, brx::kPaneImage) == 300; }));
    second->WritePaneSizes();
    EXPECT_EQ(ReadIniInt("Settings", "PainWidth1", -1), 300);
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(ReadIniInt("Settings", ("PainHeight" + std::to_string(i)).c_str(), -1),
                  second->PaneHeights()[i - 1])
            << i;
}

TEST(ViewerFrames, ScreensSwapMenusAndPanelsAndThePanelChecksFollowThePictures) {
    ScratchFolder dir("brx-screens");
    CScriptedMessageSink sink(IDOK);
    SetSettingsFilePath(dir.Path() + "/Brelvoxa.ini");
    WriteIniString("Settings", "Measure", "0");
    RunningViewer viewer(dir.Path());
    brx::CMainFrame* main = viewer.App().MainFrame();
    EXPECT_FALSE(main->Panel3d()->Item<wxCheckBox>(bxid::View3dPanel::MeasureOnOpen)->GetValue());
    brx::CView3dFrm* wide = openSet(viewer, dir.Path(), "wide.vv3", 24, 3);
    ASSERT_NE(wide, nullptr);
    brx::CView3dDoc* doc = wide->Doc();

    // A slice level above the height range is pulled down to its top when the panel fills.
    const double top = doc->GetPitch(2) * (doc->maxLevel - doc->minLevel);
    doc->GetViewState()->sliceLevel = top + 5.0;
    main->UpdatePanelsFromDoc(doc);
    EXPECT_DOUBLE_EQ(doc->GetViewState()->sliceLevel, top);
    EXPECT_EQ(main->Panel3d()->Item<wxSlider>(bxid::View3dPanel::SliceSlider)->GetMax(), int(top * 100));

    // Fixed Z scale disables the slider and the free factor; off again, the free flag decides.
    auto enabled = [&](int id) { return ui::testing::FindById(main->Panel3d(), id)->IsEnabled(); };
    ui::testing::Click(ui::testing::FindById(main->Panel3d(), bxid::View3dPanel::ZScaleFixed));
    EXPECT_FALSE(enabled(bxid::View3dPanel::ZScaleSlider) || enabled(bxid::View3dPanel::ZScaleFreeOn) ||
                 enabled(bxid::View3dPanel::ZScaleFree));
    ui::testing::Click(ui::testing::FindById(main->Panel3d(), bxid::View3dPanel::ZScaleFreeOn));
    ui::testing::Click(ui::testing::FindById(main->Panel3d(), bxid::View3dPanel::ZScaleFixed));
    EXPECT_TRUE(enabled(bxid::View3dPanel::ZScaleFreeOn) && enabled(bxid::View3dPanel::ZScaleFree));
    EXPECT_FALSE(enabled(bxid::View3dPanel::ZScaleSlider));
    EXPECT_EQ(doc->GetViewState()->zScaleFreeOn, 1);

    // Five vertical lines on a picture 3 rows high: the horizontal kind takes the count to 1.
    wide->ShowScreenMeasure();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return main->PanelMeasure()->IsShown(); }));
    EXPECT_TRUE(hasItem(main, bxid::cmd::HorizontalLine));
    wide->SetLineKind(v3d::kLineVertical);
    auto* count = ui::testing::FindById<wxTextCtrl>(main->PanelMeasure(), bxid::MeasurePanel::LineCount);
    ui::testing::Type(count, "5");
    ASSERT_EQ(doc->GetLineCount(), 5);
    wide->SetLineKind(v3d::kLineHorizontal);
    EXPECT_EQ(doc->GetLineCount(), 1);
    EXPECT_EQ(count->GetValue(), "1");

    // The spin: 2 a step, 10 with Ctrl, never below 1 nor above the largest odd count (29 rows).
    brx::CView3dFrm* tall = openSet(viewer, dir.Path(), "tall.vv3", 40, 30);
    ASSERT_NE(tall, nullptr);
    EXPECT_EQ(main->PanelMode(), v3d::kScreen3d); // a new document shows the 3D screen
    EXPECT_FALSE(hasItem(main, bxid::cmd::HorizontalLine));
    tall->ShowScreenMeasure();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return main->PanelMode() == v3d::kScreenMeasure; }));
    std::vector<int> counts;
    for (auto [direction, control] :
         {std::pair{1, true}, {1, true}, {1, true}, {1, false}, {-1, true}, {-1, false}, {-1, true}}) {
        main->SpinLineCount(direction, control);
        counts.push_back(tall->Doc()->GetLineCount());
    }
    EXPECT_EQ(counts, (std::vector<int>{11, 21, 29, 29, 19, 17, 7}));
    EXPECT_EQ(count->GetValue(), "7");
    main->SpinLineCount(-1, true);
    EXPECT_EQ(tall->Doc()->GetLineCount(), 1);

    // Back to the 3D screen of this document: menu 122 and the 3D panel.
    tall->ShowScreen3d();
    EXPECT_EQ(main->PanelMode(), v3d::kScreen3d);
    EXPECT_FALSE(hasItem(main, bxid::cmd::HorizontalLine));
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return main->Panel3d()->IsShown(); }));
}

TEST(ViewerFrames, SavingAVv3DocumentAsksForATdvNameOfTheSameStem) {
    ScratchFolder dir("brx-saveas");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    fs::create_directory(dir.Path() + "/a.b");
    brxtest::WriteFile(dir.Path() + "/a.b/data.vv3", brxtest::HeightSet(12, 8, 1.0, true));
    brx::CView3dFrm* frame = openShown(viewer, dir.Path() + "/a.b/data.vv3");
    ASSERT_NE(frame, nullptr);
    std::vector<ui::FileDialogRequest> asked;
    std::string answer = dir.Path() + "/a.b/saved";
    ui::SetFileDialogService([&](wxWindow*, const ui::FileDialogRequest& request) {
        asked.push_back(request);
        ui::FileDialogResult r;
        r.paths = {answer};
        return r;
    });
    EXPECT_TRUE(frame->HandleCommand(bxid::cmd::Save));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_FALSE(asked[0].open);
    EXPECT_EQ(asked[0].title, "名前を付けて保存");
    EXPECT_EQ(asked[0].fileName, "data.tdv");
    EXPECT_EQ(asked[0].folder, dir.Path() + "/a.b");
    EXPECT_NE(asked[0].filter.find("*.tdv"), std::string::npos);
    // A name without extension is saved as .tdv, becomes the document's and a recent file.
    ASSERT_TRUE(fs::exists(dir.Path() + "/a.b/saved.tdv"));
    EXPECT_EQ(frame->Doc()->GetPathName(), dir.Path() + "/a.b/saved.tdv");
    EXPECT_EQ(viewer.App().RecentFiles()->Files().front(), dir.Path() + "/a.b/saved.tdv");
    // Saved again: the .tdv path is written without asking.
    fs::remove(dir.Path() + "/a.b/saved.tdv");
    EXPECT_TRUE(frame->HandleCommand(bxid::cmd::Save));
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_TRUE(fs::exists(dir.Path() + "/a.b/saved.tdv"));
    ui::SetFileDialogService(nullptr);
}

TEST(ViewerFrames, ToolBarsStartLargeAndToggleSizeAndFlatStyle) {
    ScratchFolder dir("brx-bars");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    brx::CView3dFrm* frame = openSet(viewer, dir.Path(), "a.vv3", 12, 8);
    ASSERT_NE(frame, nullptr);
    auto tools = [&](int bar) {
        std::vector<int> ids;
        wxToolBar* b = frame->Bar(bar);
        for (size_t i = 0; b && i < b->GetToolsCount(); ++i)
            if (const wxToolBarToolBase* t = b->GetToolByPos(int(i)); t && !t->IsSeparator())
                ids.push_back(t->GetId());
        return ids;
    };
    EXPECT_EQ(tools(0), (std::vector<int>{bxid::cmd::Show3dScreen, bxid::cmd::ShowMeasureScreen,
                                          bxid::cmd::Calibration}));
    EXPECT_EQ(tools(1),
              (std::vector<int>{bxid::cmd::HorizontalLine, bxid::cmd::VerticalLine, bxid::cmd::FreeLine}));
    EXPECT_EQ(
        tools(2),
        (std::vector<int>{bxid::cmd::SaveMeasuredData, bxid::cmd::SaveAs, bxid::cmd::PrintScreen,
                          bxid::cmd::SplitSave, bxid::cmd::TextureDisplay, bxid::cmd::SurfaceDisplay,
                          bxid::cmd::WireframeDisplay, bxid::cmd::PseudoColor, bxid::cmd::BackgroundColor}));
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(frame->Bar(i), nullptr) << i;
        EXPECT_EQ(frame->Bar(i)->GetToolBitmapSize(), wxSize(32, 30)) << i;
        EXPECT_FALSE(frame->Bar(i)->HasFlag(wxTB_FLAT)) << i;
    }
    EXPECT_TRUE(frame->Bar(2)->HasFlag(wxTB_VERTICAL)); // docked on the right
    // The measuring-line kinds work in the measurement screen only; the kind is ticked.
    wxToolBar* lines = frame->Bar(1);
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return !lines->GetToolEnabled(bxid::cmd::HorizontalLine); }));
    // The screen chosen from the menu, as the user does.
    wxCommandEvent chosen(wxEVT_MENU, bxid::cmd::ShowMeasureScreen);
    chosen.SetEventObject(viewer.App().MainFrame()->GetMenuBar());
    viewer.App().MainFrame()->ProcessWindowEvent(chosen);
    ASSERT_EQ(frame->Doc()->ScreenMode(), v3d::kScreenMeasure);
    EXPECT_TRUE(ui::testing::PumpUntil([&] {
        return lines->GetToolEnabled(bxid::cmd::HorizontalLine) &&
               lines->GetToolState(bxid::cmd::HorizontalLine);
    }));
    frame->ShowScreen3d();
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return !lines->GetToolEnabled(bxid::cmd::VerticalLine); }));
    // So also after a calibration window locked the frame and let it go.
    ASSERT_TRUE(frame->HandleCommand(bxid::cmd::Calibration));
    ASSERT_NE(frame->CalibWindow(), nullptr);
    frame->CalibWindow()->Close();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return frame->IsEnabled() && !frame->CalibWindow(); }));
    ui::testing::ProcessPending();
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return !lines->GetToolEnabled(bxid::cmd::VerticalLine); }));
    ASSERT_TRUE(frame->HandleCommand(bxid::cmd::LargeButtons));
    ASSERT_TRUE(frame->HandleCommand(bxid::cmd::FlatButtons));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(frame->Bar(i)->GetToolBitmapSize(), wxSize(16, 15)) << i;
        EXPECT_TRUE(frame->Bar(i)->HasFlag(wxTB_FLAT)) << i;
    }
    EXPECT_EQ(tools(2).size(), 9u);
}

TEST(ViewerFrames, CalibrationWindowOutlivesItsOwnerWithItsOwnImageAndFreesTheOtherFrames) {
    ScratchFolder dir("brx-calgone");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    brx::CView3dFrm* kept = openSet(viewer, dir.Path(), "a.vv3", 20, 10);
    brx::CView3dFrm* owner = openSet(viewer, dir.Path(), "b.vv3", 20, 10);
    ASSERT_TRUE(kept && owner);
    ASSERT_TRUE(owner->HandleCommand(bxid::cmd::Calibration));
    brx::CCalibFrm* calib = owner->CalibWindow();
    ASSERT_NE(calib, nullptr);
    EXPECT_FALSE(kept->IsEnabled());
    // The picture buttons of the bar tell their texts as tool tips.
    for (auto [id, text] : {std::pair{bxid::CalibrationBar::Set, "設定"},
                            {bxid::CalibrationBar::Close, "閉じる"},
                            {bxid::CalibrationBar::FitToWindow, "ｳｲﾝﾄﾞｳに合わせる"}})
        EXPECT_EQ(calib->Bar()->GetDlgItem(id)->GetToolTipText(), wxString::FromUTF8(text)) << id;
    ASSERT_NE(calib->Doc()->Image(), nullptr);
    EXPECT_NE(calib->Doc()->Image(), owner->Doc()->TexturePlane()); // a copy of its own
    ASSERT_TRUE(ui::testing::DestroyAndWait(owner));
    EXPECT_TRUE(calib->ownerGone);
    calib->Refresh();
    ASSERT_TRUE(ui::testing::WaitForPaint(calib)); // draws its copy; the owner's image is gone
    // Set: nothing is posted to the frame that is gone, and the kept frame works again.
    ui::testing::Type(ui::testing::FindById(calib->Bar(), bxid::CalibrationBar::KnownLength), "2");
    calib->OnSet();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return viewer.App().MainFrame()->ChildFrames().size() == 1; }));
    EXPECT_TRUE(kept->IsEnabled());
    EXPECT_TRUE(
        ui::testing::PumpUntil([&] { return viewer.App().MainFrame()->PanelMode() == v3d::kScreen3d; }));
    EXPECT_EQ(kept->Doc()->GetPitch(0), 1.0);
}

TEST(ViewerFrames, PanelValuesReachTheDocumentTheParametersAndTheFixedView) {
    ScratchFolder dir("brx-values");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    brx::CView3dFrm* frame = openSet(viewer, dir.Path(), "a.vv3", 40, 30);
    ASSERT_NE(frame, nullptr);
    brx::CView3dDoc* doc = frame->Doc();
    brx::CMainFrame* main = viewer.App().MainFrame();
    ui::TemplatePanel* panel = main->Panel3d();
    const v3d::ViewState& v = *doc->GetViewState();
    const v3d::ProcParams& params = v3d::GlobalProcParams();
    auto scroll = [](wxWindow* root, int id, int position) {
        auto* slider = ui::testing::FindById<wxSlider>(root, id);
        ASSERT_NE(slider, nullptr);
        slider->SetValue(position);
        wxScrollEvent moved(wxEVT_SCROLL_THUMBTRACK, id, position, wxHORIZONTAL);
        moved.SetEventObject(slider);
        slider->ProcessWindowEvent(moved);
    };

    scroll(panel, bxid::View3dPanel::ZScaleSlider, 7);
    EXPECT_EQ(v.zScalePreset, 2.0);
    scroll(panel, bxid::View3dPanel::SliceSlider, 50);
    EXPECT_DOUBLE_EQ(v.sliceLevel, 0.5);
    EXPECT_EQ(panel->GetDlgItemText(bxid::View3dPanel::SliceLevel),
              wxString::Format("%.2f", doc->BaseOffset() + 0.5));
    ui::testing::Type(ui::testing::FindById(panel, bxid::View3dPanel::ZAxisLength), "2.5");
    EXPECT_EQ(v.zAxisLength, 2.5);
    EXPECT_EQ(params.zAxisLength, 2.5);

    // Fixed rotation: the angles and the zoom go to the scene, a zoom below 1 as -1 / zoom.
    ui::testing::Type(ui::testing::FindById(panel, bxid::View3dPanel::RotationX), "30");
    ui::testing::Type(ui::testing::FindById(panel, bxid::View3dPanel::Zoom), "0.5");
    EXPECT_EQ(doc->zoomFactor, 1.0f); // not fixed yet
    ui::testing::Click(ui::testing::FindById(panel, bxid::View3dPanel::RotationFixed));
    EXPECT_EQ(doc->fixedRotation[0], 30.0f);
    EXPECT_EQ(doc->zoomFactor, -2.0f);
    EXPECT_EQ(params.rotationFixed, 1);
    EXPECT_EQ(params.zoom, 0.5);
    ui::testing::Type(ui::testing::FindById(panel, bxid::View3dPanel::Zoom), "-1"); // refused
    EXPECT_EQ(v.zoom, 0.5);
    ui::testing::Type(ui::testing::FindById(panel, bxid::View3dPanel::Zoom), "3");
    EXPECT_EQ(doc->zoomFactor, 3.0f);

    // Smoothing goes to the document and the parameters; the panel is filled again.
    ui::testing::Click(ui::testing::FindById(panel, bxid::View3dPanel::Smoothing));
    EXPECT_EQ(v.smoothingOn, 1);
    EXPECT_EQ(params.smoothingOn, 1);
    EXPECT_TRUE(panel->Item<wxCheckBox>(bxid::View3dPanel::Smoothing)->GetValue());

    // Measurement panel: a line position past the picture is written back as the stored one;
    // the free graph scale disables its slider.
    frame->ShowScreenMeasure();
    ui::TemplatePanel* measure = main->PanelMeasure();
    auto* position = ui::testing::FindById<wxTextCtrl>(measure, bxid::MeasurePanel::LinePosition);
    ui::testing::Type(position, "12");
    EXPECT_EQ(doc->GetMeasureState()->linePosition[0], 12);
    ui::testing::Type(position, "31"); // 30 rows
    EXPECT_EQ(position->GetValue(), "12");
    EXPECT_EQ(doc->GetMeasureState()->linePosition[0], 12);
    ui::testing::Click(ui::testing::FindById(measure, bxid::MeasurePanel::GraphScaleFreeOn));
    EXPECT_FALSE(ui::testing::FindById(measure, bxid::MeasurePanel::GraphScaleSlider)->IsEnabled());
    EXPECT_EQ(doc->GetMeasureState()->graphScaleFreeOn, 1);
    scroll(measure, bxid::MeasurePanel::GraphScaleSlider, 2);
    EXPECT_EQ(doc->GetMeasureState()->graphScalePreset, 0.2);
    v3d::GlobalProcParams() = v3d::ProcParams();
}
