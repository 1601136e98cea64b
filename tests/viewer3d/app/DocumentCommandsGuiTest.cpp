// Document frames as a user meets them: closing a document (File menu, Ctrl+F4, the close
// button of its tab), the title of the main window while documents are switched, the printing
// commands of the File menu and the tool bar, split save in the format the name asks for, pane
// sizes across resizes, and the tool-bar buttons that follow their menu items.
#include "ViewerTestSupport.h"

#include "ids/BrelvoxaIds.h"
#include "platform/ScriptedMessageSink.h"
#include "platform/Settings.h"
#include "ui/Services.h"
#include "ui/TemplateWindow.h"
#include "ui/testing/GuiTest.h"
#include "ui/testing/Pointer.h"
#include "viewer3d/app/CalibFrm.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"
#include "viewer3d/measure/gui/BaseImgView.h"

#include <gtest/gtest.h>

#include <wx/menu.h>
#include <wx/spinbutt.h>
#include <wx/toolbar.h>
#include <wx/uiaction.h>

#include <filesystem>
#include <functional>
#include <fstream>

using brxtest::RunningViewer;
namespace fs = std::filesystem;

namespace {

brx::CView3dFrm* openSet(RunningViewer& viewer, const std::string& dir, const std::string& name, int w,
                         int h) {
    const std::string path = dir + "/" + name;
    brxtest::WriteFile(path, brxtest::HeightSet(w, h, 1.0, true));
    return brxtest::OpenShown(viewer, path);
}

// A menu item chosen by the user: the menu event of the main window's menu bar.
void choose(brx::CMainFrame* main, int id) {
    wxCommandEvent ev(wxEVT_MENU, id);
    ev.SetEventObject(main->GetMenuBar());
    main->ProcessWindowEvent(ev);
}

wxMenuItem* menuItem(brx::CMainFrame* main, int id) {
    wxMenuBar* bar = main->GetMenuBar();
    return bar ? bar->FindItem(id) : nullptr;
}

// The first bytes of a file.
std::string head(const std::string& path, size_t n) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(n, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(n));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

// A click on the screen until what it should do has happened: a click that a window of another
// test on the shared display took is made again.
bool clickUntil(wxWindow* window, const wxRect& target, const std::function<bool()>& done) {
    const wxPoint at = target.GetPosition() + wxPoint(target.width / 2, target.height / 2);
    for (int attempt = 0; attempt < 3; ++attempt)
        if (ui::testing::ClickOnScreen(window, at) && ui::testing::PumpUntil(done, 3000))
            return true;
    return false;
}

std::string titleOf(wxTopLevelWindow* w) {
    return w->GetTitle().utf8_string();
}

// A running viewer on a folder of its own for each test.
class ViewerDocuments : public ::testing::Test {
protected:
    ScratchFolder dir{"brx-docs"};
    CScriptedMessageSink sink{IDOK};
    RunningViewer viewer{dir.Path()};
    brx::CMainFrame* main = viewer.App().MainFrame();
};

} // namespace

TEST_F(ViewerDocuments, DocumentsCloseFromTheMenuAndTheirTabAndTheTitleNamesTheActiveOne) {
    brx::CView3dFrm* a = openSet(viewer, dir.Path(), "a.vv3", 16, 12);
    brx::CView3dFrm* b = openSet(viewer, dir.Path(), "b.vv3", 16, 12);
    brx::CView3dFrm* c = openSet(viewer, dir.Path(), "c.vv3", 16, 12);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(titleOf(main), "Brelvoxa - c.vv3");

    // Switching documents: the title names the document that became active.
    a->Activate();
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return main->GetActive3dFrame() == a; }));
    EXPECT_EQ(titleOf(main), "Brelvoxa - a.vv3");
    b->Activate();
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return main->GetActive3dFrame() == b; }));
    EXPECT_EQ(titleOf(main), "Brelvoxa - b.vv3");

    // The File menu closes the active document (Ctrl+F4 is its accelerator).
    wxMenuItem* close = menuItem(main, bxid::cmd::CloseFile);
    ASSERT_NE(close, nullptr);
    ASSERT_NE(close->GetAccel(), nullptr);
    EXPECT_EQ(close->GetAccel()->GetKeyCode(), WXK_F4);
    EXPECT_EQ(close->GetAccel()->GetFlags(), wxACCEL_CTRL);
    main->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    EXPECT_TRUE(close->IsEnabled());
    choose(main, bxid::cmd::CloseFile);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return viewer.Frames().size() == 2; }));
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return main->GetActive3dFrame() != nullptr; }));
    const std::string next = "Brelvoxa - " + main->GetActive3dDoc()->GetTitle();
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return titleOf(main) == next; })) << titleOf(main);

    // The close button on the tab of a document, clicked with the pointer.
    brx::CView3dFrm* target = viewer.Frames().front();
    wxRect button;
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return !(button = target->TabCloseButtonRect()).IsEmpty(); }));
    ASSERT_TRUE(clickUntil(main, button, [&] { return viewer.Frames().size() == 1; }));
    EXPECT_NE(viewer.Frames().front(), target);

    // The last document closed: the main window's own title, menu 122 and nothing to close.
    choose(main, bxid::cmd::CloseFile);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return viewer.Frames().empty(); }));
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return titleOf(main) == "Brelvoxa"; })) << titleOf(main);
    main->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    ASSERT_NE(menuItem(main, bxid::cmd::CloseFile), nullptr);
    EXPECT_FALSE(menuItem(main, bxid::cmd::CloseFile)->IsEnabled());
}

TEST_F(ViewerDocuments, EveryPrintItemOfTheFileMenuReachesItsRunAndAFailedPrintIsTold) {
    brx::CView3dFrm* frame = openSet(viewer, dir.Path(), "p.vv3", 40, 30);
    ASSERT_NE(frame, nullptr);
    struct Run {
        v3d::PrintRequest request;
        bool screenshot;
    };
    std::vector<Run> runs;
    v3d::PrintResult answer = v3d::PrintResult::Done;
    auto previous = v3d::SetPrintService([&](wxWindow*, v3d::PrintPageSource* source, v3d::PrintRequest r) {
        runs.push_back({r, source && source->PrintScreenshot() != nullptr});
        return answer;
    });
    using R = v3d::PrintRequest;
    const struct {
        int id;
        R request;
        bool screenshot;
    } items[] = {{bxid::cmd::PrintScreenshot, R::Print, true},
                 {bxid::cmd::Print, R::Print, true},
                 {bxid::cmd::PrintScreenshotPreview, R::Preview, true},
                 {bxid::cmd::PrintScreen, R::Print, false},
                 {bxid::cmd::PrintScreenPreview, R::Preview, false},
                 {bxid::cmd::PrintPreview, R::Preview, false},
                 {bxid::cmd::PrintSetup, R::Setup, false}};
    for (int screen = 0; screen < 2; ++screen) {
        if (screen == 1)
            frame->ShowScreenMeasure();
        for (const auto& item : items) {
            SCOPED_TRACE(testing::Message() << "screen " << screen << " item " << item.id);
            ASSERT_NE(menuItem(main, item.id), nullptr);
            runs.clear();
            choose(main, item.id);
            ASSERT_EQ(runs.size(), 1u);
            EXPECT_EQ(runs[0].request, item.request);
            EXPECT_EQ(runs[0].screenshot, item.screenshot);
        }
    }
    // The print button of the tool bar is enabled and prints the report.
    wxToolBar* bar = frame->Bar(2);
    ASSERT_NE(bar, nullptr);
    frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    EXPECT_TRUE(bar->GetToolEnabled(bxid::cmd::PrintScreen));
    runs.clear();
    wxCommandEvent click(wxEVT_TOOL, bxid::cmd::PrintScreen);
    click.SetEventObject(bar);
    bar->ProcessWindowEvent(click);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].request, R::Print);
    EXPECT_FALSE(runs[0].screenshot);

    // A print that fails is told; one the user cancels is not.
    sink.ClearShown();
    answer = v3d::PrintResult::Cancelled;
    choose(main, bxid::cmd::Print);
    EXPECT_TRUE(sink.ShownIds().empty());
    answer = v3d::PrintResult::Failed;
    choose(main, bxid::cmd::Print);
    ASSERT_EQ(sink.ShownIds().size(), 1u);
    EXPECT_EQ(sink.ShownIds()[0], bxid::str::CannotStartPrinting);
    v3d::SetPrintService(previous);
}

TEST_F(ViewerDocuments, SplitSaveWritesTheFormatEachNameAsksFor) {
    sink.SetDefaultAnswer(IDYES);
    brx::CView3dFrm* frame = openSet(viewer, dir.Path(), "s.vv3", 40, 30);
    ASSERT_NE(frame, nullptr);
    std::string answer;
    auto previous = ui::SetFileDialogService([&](wxWindow*, const ui::FileDialogRequest&) {
        ui::FileDialogResult r;
        r.paths = {answer};
        return r;
    });
    const struct {
        const char* name;
        const char* written; // the name of role 0's file
        std::string magic;
    } cases[] = {{"sp.jpg", "sp0.jpg", "\xFF\xD8\xFF"}, {"sp.JPEG", "sp0.JPEG", "\xFF\xD8\xFF"},
                 {"sp.png", "sp0.png", "\x89PNG"},      {"sp.tif", "sp0.tif", "II*"},
                 {"sp.bmp", "sp0.bmp", "BM"},           {"sp.xyz", "sp0.bmp", "BM"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir.Path() + "/out");
        fs::create_directory(dir.Path() + "/out");
        answer = dir.Path() + "/out/" + c.name;
        EXPECT_TRUE(frame->HandleCommand(bxid::cmd::SplitSave));
        EXPECT_EQ(head(dir.Path() + "/out/" + c.written, c.magic.size()), c.magic);
        // The five panes of the 3D screen, no temporary file left.
        size_t files = 0;
        for (const auto& entry : fs::directory_iterator(dir.Path() + "/out")) {
            ++files;
            EXPECT_EQ(entry.path().extension().string(), fs::path(c.written).extension().string());
        }
        EXPECT_EQ(files, 5u);
    }
    ui::SetFileDialogService(previous);
}

TEST_F(ViewerDocuments, MeasurementPanesComeBackAfterATinyThenHugeWindowAndTheBarFollowsTheMenu) {
    brx::CView3dFrm* frame = openSet(viewer, dir.Path(), "r.vv3", 40, 30);
    ASSERT_NE(frame, nullptr);
    frame->ShowScreenMeasure();
    auto size = [&](brx::PaneRole role) { return frame->GetPaneWindow(role)->GetSize(); };
    ASSERT_TRUE(ui::testing::PumpUntil(
        [&] { return size(brx::kPaneMeasureImage).x == 266 && size(brx::kPaneAnalysis).y == 320; }));

    // Tiny (as far as the toolkit lets the window shrink), then huge.
    main->SetSize(wxRect(0, 0, 260, 200));
    ASSERT_TRUE(ui::testing::PumpUntil(
        [&] { return size(brx::kPaneMeasureImage).x < 200 && size(brx::kPaneProfileGraph).y < 100; }));
    ui::testing::WaitForPaint(main);
    main->SetSize(wxRect(0, 0, 1500, 1150));
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return main->GetSize() == wxSize(1500, 1150); }));
    EXPECT_TRUE(ui::testing::PumpUntil([&] {
        return size(brx::kPaneMeasureImage).x == 266 && size(brx::kPaneAnalysis).y == 320;
    })) << size(brx::kPaneMeasureImage).x
        << " " << size(brx::kPaneAnalysis).y;
    EXPECT_GE(size(brx::kPaneProfileGraph).y, 60);
    EXPECT_GE(size(brx::kPaneAnalysis).x, 60);
    // The sizes the user gave are the ones kept.
    frame->SavePaneSizes(1);
    EXPECT_EQ(frame->PaneWidths()[2], 266);
    EXPECT_EQ(frame->PaneHeights()[5], 320);

    // The measurement-data save of the tool bar is enabled where its menu item is.
    wxToolBar* bar = frame->Bar(2);
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(ui::testing::PumpUntil(
        [&] { return bar->IsThisEnabled() && bar->GetToolEnabled(bxid::cmd::SaveMeasuredData); }));
    main->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    EXPECT_TRUE(menuItem(main, bxid::cmd::SaveMeasuredData) &&
                menuItem(main, bxid::cmd::SaveMeasuredData)->IsEnabled());
    frame->ShowScreen3d();
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return !bar->GetToolEnabled(bxid::cmd::SaveMeasuredData); }));
    // The spin button of the line count shows both of its halves.
    frame->ShowScreenMeasure();
    auto* spin =
        dynamic_cast<wxSpinButton*>(main->PanelMeasure()->GetDlgItem(bxid::MeasurePanel::LineCountSpin));
    ASSERT_NE(spin, nullptr);
    EXPECT_GE(spin->GetSize().x, spin->GetBestSize().x);
    EXPECT_GE(spin->GetSize().y, spin->GetBestSize().y);
}

TEST_F(ViewerDocuments, BackgroundColourDialogOffersSixteenGreys) {
    brx::CView3dFrm* frame = openSet(viewer, dir.Path(), "g.vv3", 16, 12);
    ASSERT_NE(frame, nullptr);
    std::vector<COLORREF> offered;
    auto previous = ui::SetCustomColourDialogService(
        [&](wxWindow*, COLORREF, const std::vector<COLORREF>& custom) -> std::optional<COLORREF> {
            offered = custom;
            return RGB(0x40, 0x40, 0x40);
        });
    EXPECT_TRUE(frame->HandleCommand(bxid::cmd::BackgroundColor));
    ui::SetCustomColourDialogService(previous);
    ASSERT_EQ(offered.size(), 16u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(offered[i], RGB(i * 16, i * 16, i * 16)) << i;
    EXPECT_EQ(frame->Doc()->GetViewState()->backgroundColor, RGB(0x40, 0x40, 0x40));
}

TEST_F(ViewerDocuments, TheTitleNamesTheCalibrationDocumentWhileItIsActive) {
    brx::CView3dFrm* frame = openSet(viewer, dir.Path(), "a.vv3", 40, 30);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(titleOf(main), "Brelvoxa - a.vv3");
    // An untitled calibration document is named as the framework names untitled documents.
    ASSERT_TRUE(frame->HandleCommand(bxid::cmd::Calibration));
    ASSERT_TRUE(
        ui::testing::PumpUntil([&] { return dynamic_cast<brx::CCalibFrm*>(main->GetActiveChild()); }));
    auto* calib = dynamic_cast<brx::CCalibFrm*>(main->GetActiveChild());
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return titleOf(main) == "Brelvoxa - CalibrationSetting1"; }))
        << titleOf(main);
    EXPECT_EQ(titleOf(calib), "CalibrationSetting1");
    // Closed: the 3D document is active and named again.
    calib->Close();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return main->GetActive3dFrame() == frame; }));
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return titleOf(main) == "Brelvoxa - a.vv3"; })) << titleOf(main);
    // The next one counts on.
    ASSERT_TRUE(frame->HandleCommand(bxid::cmd::Calibration));
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return titleOf(main) == "Brelvoxa - CalibrationSetting2"; }))
        << titleOf(main);
}

TEST_F(ViewerDocuments, TheMeasuredDataButtonIsOffInThe3dScreenAndAsksForAFileInTheMeasurementScreen) {
    brx::CView3dFrm* frame = openSet(viewer, dir.Path(), "m.vv3", 40, 30);
    ASSERT_NE(frame, nullptr);
    int asked = 0;
    auto previous = ui::SetFileDialogService([&](wxWindow*, const ui::FileDialogRequest& r) {
        asked += r.open ? 0 : 1;
        return ui::FileDialogResult{};
    });
    wxToolBar* bar = frame->Bar(2);
    ASSERT_NE(bar, nullptr);
    const wxRect tool = ui::testing::ToolScreenRect(bar, bxid::cmd::SaveMeasuredData);
    ASSERT_FALSE(tool.IsEmpty());
    // The 3D screen: the button is off, and the menu item with it.
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return !bar->GetToolEnabled(bxid::cmd::SaveMeasuredData); }));
    main->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    if (wxMenuItem* item = menuItem(main, bxid::cmd::SaveMeasuredData)) {
        EXPECT_FALSE(item->IsEnabled());
    }
    EXPECT_TRUE(ui::testing::ClickOnScreen(bar, tool.GetPosition() + tool.GetSize() / 2));
    ui::testing::ProcessPending();
    EXPECT_EQ(asked, 0);
    // The measurement screen: on, and a click asks where to save the values.
    frame->ShowScreenMeasure();
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return bar->GetToolEnabled(bxid::cmd::SaveMeasuredData); }));
    EXPECT_TRUE(clickUntil(bar, ui::testing::ToolScreenRect(bar, bxid::cmd::SaveMeasuredData),
                           [&] { return asked == 1; }));
    // Back in the 3D screen it is off again.
    frame->ShowScreen3d();
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return !bar->GetToolEnabled(bxid::cmd::SaveMeasuredData); }));
    EXPECT_TRUE(ui::testing::ClickOnScreen(bar, tool.GetPosition() + tool.GetSize() / 2));
    ui::testing::ProcessPending();
    EXPECT_EQ(asked, 1);
    ui::SetFileDialogService(previous);
}

TEST_F(ViewerDocuments, ButtonsOfTheRightBarDoWhatTheirMenuItemsDoWhenClicked) {
    brx::CView3dFrm* frame = openSet(viewer, dir.Path(), "t.vv3", 40, 30);
    ASSERT_NE(frame, nullptr);
    int prints = 0;
    auto previous = v3d::SetPrintService([&](wxWindow*, v3d::PrintPageSource*, v3d::PrintRequest r) {
        prints += r == v3d::PrintRequest::Print ? 1 : 0;
        return v3d::PrintResult::Done;
    });
    wxToolBar* bar = frame->Bar(2);
    ASSERT_NE(bar, nullptr);
    auto click = [&](int id, const std::function<bool()>& done) {
        const wxRect tool = ui::testing::ToolScreenRect(bar, id);
        return !tool.IsEmpty() && clickUntil(bar, tool, done);
    };
    const v3d::ViewState* view = frame->Doc()->GetViewState();
    ASSERT_EQ(view->displayMode, 0);
    // The pseudo-colour button waits for a mode it can colour.
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return !bar->GetToolEnabled(bxid::cmd::PseudoColor); }));
    EXPECT_TRUE(click(bxid::cmd::SurfaceDisplay, [&] { return view->displayMode == 1; }));
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return bar->GetToolEnabled(bxid::cmd::PseudoColor); }));
    EXPECT_TRUE(click(bxid::cmd::WireframeDisplay, [&] { return view->displayMode == 2; }));
    EXPECT_TRUE(click(bxid::cmd::TextureDisplay, [&] { return view->displayMode == 0; }));
    EXPECT_TRUE(click(bxid::cmd::PrintScreen, [&] { return prints >= 1; }));
    v3d::SetPrintService(previous);
}

TEST_F(ViewerDocuments, AMainWindowClosedMaximisedKeepsItsNormalRectangle) {
    const wxRect normal(100, 80, 900, 700);
    main->SetSize(normal);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return main->GetRect() == normal; })) << main->GetRect().x;
    // Maximised (a window that is not shown takes the state at once, with no window manager
    // to ask) and given the whole screen as a window manager does.
    main->Hide();
    main->Maximize(true);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return main->IsMaximized(); }));
    main->Show();
    main->SetSize(wxRect(0, 0, 1600, 1200));
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return main->GetSize() == wxSize(1600, 1200); }));
    viewer.Stop();
    EXPECT_EQ(ReadIniString("Settings", "WindowPos", ""), "2,3,-1,-1,-1,-1,100,80,1000,780");
}
