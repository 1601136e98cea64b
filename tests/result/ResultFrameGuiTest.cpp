// The result window as a user meets it around a result: the question before an unsaved result
// is replaced, the fit of a result that arrives while the window is minimised, the default
// extensions of its file dialogs, the owner of its message boxes, its place on the screen, the
// zoom slider moved with the pointer and the tool bar docked as the main window's bars are.
#include "ids/VantorelIds.h"
#include "result/ImageDoc.h"
#include "result/ImageFrame.h"
#include "result/ImageView.h"
#include "result/ViewerMenuDialog.h"

#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "platform/ScriptedMessageSink.h"
#include "ui/DockingBars.h"
#include "ui/Services.h"
#include "ui/StageControlBar.h"
#include "ui/testing/GuiTest.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScratchSettingsFile.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/display.h>
#include <wx/slider.h>
#include <wx/uiaction.h>

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <filesystem>
#include <vector>

using namespace ui::testing;

namespace {

// A grey w x h result with heights that rise to the right.
struct Heights {
    std::vector<std::vector<double>> rows;
    std::vector<std::vector<int>> focus;
    std::vector<const double*> hp;
    std::vector<const int*> fp;
    HDIB image;
    Heights(int w, int h) : image(DibCreate(w, h, 1)) {
        rows.assign(size_t(h), std::vector<double>(size_t(w)));
        focus.assign(size_t(h), std::vector<int>(size_t(w), 200));
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x)
                rows[size_t(y)][size_t(x)] = x;
            hp.push_back(rows[size_t(y)].data());
            fp.push_back(focus[size_t(y)].data());
        }
    }
    ~Heights() { GlobalFree(image); }
};

// Answers yes and notes the window the program's boxes open over at the time.
class OwnerSink : public CMessageSink {
public:
    int Show(UINT id, UINT, const std::vector<std::string>&) override {
        ids.push_back(id);
        owners.push_back(wxTheApp->GetTopWindow());
        return IDYES;
    }
    std::vector<UINT> ids;
    std::vector<wxWindow*> owners;
};

// The top-level X window under the pointer (with no window manager, a child of the root).
Window TopWindowUnderPointer() {
    Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    Window root = 0, child = 0;
    int rx = 0, ry = 0, x = 0, y = 0;
    unsigned mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rx, &ry, &x, &y, &mask);
    return child;
}

class ResultFrameGui : public ::testing::Test {
protected:
    void SetUp() override {
        WriteIniDouble("CALIBRATION", "CALIB1", 0.5);
        frame = new CImageFrame(nullptr);
        frame->SetClientSize(800, 600);
        frame->Show();
        ASSERT_TRUE(WaitForPaint(frame));
        doc = frame->GetImageDoc();
        view = frame->GetImageView();
    }
    void TearDown() override {
        frame->m_closingApp = true;
        doc->m_saved = 1;
        EXPECT_TRUE(DestroyAndWait(frame));
    }
    void Show(Heights& r) {
        ASSERT_TRUE(frame->ShowResult(r.image, r.hp.data(), r.fp.data(), 0));
        ASSERT_TRUE(PumpUntil([&] { return doc->m_busy == 0; }));
    }
    // The file dialog answers with this path for the next command.
    void Answer(const std::string& path) {
        ui::SetFileDialogService([path](wxWindow*, const ui::FileDialogRequest&) {
            ui::FileDialogResult r;
            r.paths.push_back(path);
            return r;
        });
    }

    ScratchSettingsFile settings;
    ScratchFolder dir;
    CImageFrame* frame = nullptr;
    CImageDoc* doc = nullptr;
    CImageView* view = nullptr;
};

TEST_F(ResultFrameGui, LoadingAnImageAsksOnceBeforeAnUnsavedResultGoes) {
    HDIB picture = DibCreate(30, 20, 1);
    ASSERT_TRUE(SaveImageFile(picture, dir / "p.bmp", 3, 75));
    GlobalFree(picture);
    Heights r(120, 90);
    Show(r);
    Answer(dir / "p.bmp");
    CScriptedMessageSink sink(IDNO);
    frame->RouteCommandId(vtid::cmd::LoadImage);
    EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{kMsgDiscardResult}));
    EXPECT_EQ(doc->m_width, 120) << "No keeps the result";
    EXPECT_FALSE(frame->ShowImageFile(dir / "p.bmp")) << "nor may the program replace it";
    EXPECT_FALSE(frame->ShowResult(r.image, nullptr, nullptr, 0));
    EXPECT_FALSE(doc->m_working.Empty());

    sink.ClearShown();
    sink.SetDefaultAnswer(IDYES);
    frame->RouteCommandId(vtid::cmd::LoadImage);
    ui::SetFileDialogService({});
    EXPECT_EQ(sink.ShownIds().size(), 1u) << "one question for one load";
    EXPECT_EQ(doc->m_width, 30);
    // A file on disk: the next result replaces it without a question.
    sink.ClearShown();
    Show(r);
    EXPECT_TRUE(sink.ShownIds().empty());
}

// Minimised as a window manager does it: the window is taken off the screen (unmapped) while it
// stays the program's, and the toolkit reports it iconic with an empty client area.
TEST_F(ResultFrameGui, AResultArrivingWhileMinimisedBringsTheWindowBackFitted) {
    Heights first(400, 300);
    Show(first);
    doc->m_saved = 1;
    Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    XUnmapWindow(display, GDK_WINDOW_XID(gtk_widget_get_window(frame->GetHandle())));
    XFlush(display);
    ASSERT_TRUE(PumpUntil([&] { return frame->IsIconized(); }));
    frame->Show(true); // the program shows the window, lays it out and hands the result in
    frame->Layout();
    Heights next(200, 150);
    Show(next);
    ASSERT_TRUE(PumpUntil([&] { return !frame->IsIconized() && view->GetClientSize().x > 100; }));
    const wxSize shown = view->GetClientSize();
    const int fit = FitZoomPercent(shown.x, shown.y, 200, 150);
    ASSERT_GT(fit, 100);
    ASSERT_TRUE(PumpUntil([&] { return frame->GetViewerBar()->GetZoomValue() == fit; }));
    EXPECT_EQ(view->ZoomStep(), (fit - 100) / 10);
    ASSERT_TRUE(WaitForPaint(frame));
    EXPECT_EQ(view->ImageRect().right - view->ImageRect().left, int(200 * (fit / 100.0)));
}

TEST_F(ResultFrameGui, NamesTypedWithoutAnExtensionGetTheDialogsOwn) {
    EXPECT_EQ(WithDefaultExtension("/d/dome1", "vv3"), "/d/dome1.vv3");
    EXPECT_EQ(WithDefaultExtension("/d.x/dome1", "bmp"), "/d.x/dome1.bmp");
    EXPECT_EQ(WithDefaultExtension("/d/dome1.tif", "bmp"), "/d/dome1.tif");
    Heights r(60, 40);
    Show(r);
    CScriptedMessageSink sink(IDOK);
    Answer(dir / "picture1");
    frame->RouteCommandId(vtid::cmd::SaveImage);
    Answer(dir / "dome1");
    frame->RouteCommandId(vtid::cmd::Save3dData);
    ui::SetFileDialogService({});
    EXPECT_TRUE(std::filesystem::exists(dir / "picture1.bmp"));
    EXPECT_EQ(std::filesystem::file_size(dir / "dome1.vv3"), 1440u + 12u * 60u * 40u);
    EXPECT_FALSE(std::filesystem::exists(dir / "picture1"));
    EXPECT_FALSE(std::filesystem::exists(dir / "dome1"));
    EXPECT_TRUE(sink.ShownIds().empty());
}

// The three file dialogs start in the program's image folder and leave the folder of each
// confirmed choice there for the next one; the open dialog offers each kind of image and keeps
// the filter last chosen in it.
TEST_F(ResultFrameGui, TheFileDialogsStartInTheImageFolderAndFollowEachChoice) {
    std::string imageFolder = dir / "series";
    frame->m_pImagePath = &imageFolder;
    HDIB picture = DibCreate(30, 20, 1);
    ASSERT_TRUE(SaveImageFile(picture, dir.Write("loaded/p.tif", ""), 3, 75));
    GlobalFree(picture);
    std::filesystem::create_directories(dir / "saved");
    std::vector<ui::FileDialogRequest> asked;
    std::vector<ui::FileDialogResult> answers(5);
    answers[0] = {{dir / "loaded/p.tif"}, 3};
    answers[2] = {{dir / "saved/d.vv3"}, 0};
    answers[4] = {{dir / "loaded/p.tif"}, 1};
    ui::SetFileDialogService([&](wxWindow*, const ui::FileDialogRequest& r) {
        asked.push_back(r);
        return answers[asked.size() - 1];
    });
    CScriptedMessageSink sink(IDYES);
    frame->RouteCommandId(vtid::cmd::LoadImage);
    frame->RouteCommandId(vtid::cmd::SaveImage); // cancelled: the folder stays
    Heights r(20, 10);
    Show(r);
    frame->RouteCommandId(vtid::cmd::Save3dData);
    frame->RouteCommandId(vtid::cmd::LoadImage); // cancelled: the filter stays too
    frame->RouteCommandId(vtid::cmd::LoadImage);
    ui::SetFileDialogService({});
    ASSERT_EQ(asked.size(), 5u);
    const std::vector<std::string> folders = {dir / "series", dir / "loaded", dir / "loaded", dir / "saved",
                                              dir / "saved"};
    for (size_t i = 0; i < asked.size(); ++i)
        EXPECT_EQ(asked[i].folder, folders[i]) << i;
    EXPECT_EQ(imageFolder, dir / "loaded");
    EXPECT_EQ((std::vector<int>{asked[0].filterIndex, asked[3].filterIndex, asked[4].filterIndex}),
              (std::vector<int>{0, 3, 3}));
    EXPECT_EQ(asked[0].title, "ファイルを開く");
    EXPECT_EQ(asked[1].title, "名前を付けて保存");
    EXPECT_EQ(asked[0].filter,
              "画像ﾌｧｲﾙ (*.bmp;*.dib;*.tif;*.jpg;)|*.bmp;*.dib;*.tif;*.jpg|BMPﾌｧｲﾙ (*.bmp)|*.bmp|"
              "DIBﾌｧｲﾙ (*.dib)|*.dib|TIFFﾌｧｲﾙ (*.tif)|*.tif|JPEGﾌｧｲﾙ (*.jpg)|*.jpg|"
              "すべてのファイル (*.*)|*.*");
    EXPECT_EQ(asked[1].filter, asked[0].filter);
    EXPECT_EQ(asked[2].filter, "VV3ﾌｫｰﾏｯﾄﾌｧｲﾙ（*.vv3）|*.vv3|すべてのファイル (*.*)|*");
    EXPECT_TRUE(std::filesystem::exists(dir / "saved/d.vv3"));
    frame->m_pImagePath = nullptr;
}

TEST_F(ResultFrameGui, ItsMessagesOpenOverItWhenItIsActive) {
    auto* other = new wxFrame(nullptr, wxID_ANY, "main");
    other->Show();
    ASSERT_TRUE(WaitForPaint(other));
    wxTheApp->SetTopWindow(other);
    frame->Raise();
    frame->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return wxTheApp->GetTopWindow() == frame; }));
    Heights r(60, 40);
    Show(r);
    OwnerSink sink;
    CMessageSinkScope scope(&sink);
    doc->m_lens.scaleLength = 0; // "スケール設定がされていません。"
    frame->RouteCommandId(vtid::cmd::UmScale);
    ASSERT_EQ(sink.ids, (std::vector<UINT>{vtid::str::NoScaleSettings}));
    EXPECT_EQ(sink.owners.front(), frame);
    EXPECT_TRUE(DestroyAndWait(other));
}

TEST_F(ResultFrameGui, TheWindowLiesInsideTheWorkArea) {
    const wxRect area(0, 0, 1600, 1000);
    EXPECT_EQ(PlaceInWorkArea(wxRect(300, 250, 1030, 800), area), wxRect(300, 200, 1030, 800));
    EXPECT_EQ(PlaceInWorkArea(wxRect(-20, 10, 1700, 900), area), wxRect(0, 10, 1600, 900));
    EXPECT_EQ(PlaceInWorkArea(wxRect(10, 30, 400, 300), wxRect(0, 40, 1600, 960)), wxRect(10, 40, 400, 300));
    auto* fresh = new CImageFrame(nullptr);
    fresh->Show();
    ASSERT_TRUE(WaitForPaint(fresh));
    const int d = wxDisplay::GetFromWindow(fresh);
    const wxRect work = wxDisplay(d == wxNOT_FOUND ? 0u : unsigned(d)).GetClientArea();
    EXPECT_TRUE(work.Contains(fresh->GetRect())) << fresh->GetRect().y << "+" << fresh->GetRect().height;
    fresh->m_closingApp = true;
    EXPECT_TRUE(DestroyAndWait(fresh));
}

TEST_F(ResultFrameGui, TheZoomSliderSnapsInTheDirectionOfTheMove) {
    EXPECT_EQ(SnapZoomSlider(143, 100, 100), 150);
    EXPECT_EQ(SnapZoomSlider(187, 200, 200), 180);
    EXPECT_EQ(SnapZoomSlider(120, 100, 100), 120);
    EXPECT_EQ(SnapZoomSlider(401, 400, 400), 400);
    EXPECT_EQ(SnapZoomSlider(262, 265, 260), 260); // moving left, whatever the value
    Heights r(200, 150);
    Show(r);
    CViewerMenuDialog* bar = frame->GetViewerBar();
    ASSERT_TRUE(bar->SetZoomValue(100));
    auto* slider = FindById<wxSlider>(bar, 85);
    ASSERT_NE(slider, nullptr);
    // Other tests' windows share the display: this one goes to the screen's far corner.
    const wxRect screen = wxDisplay(0u).GetGeometry();
    frame->Move(screen.GetRight() - frame->GetSize().x, screen.GetBottom() - frame->GetSize().y);
    ASSERT_TRUE(WaitForPaint(frame));
    // The positions the slider reports, before the tool bar snaps them.
    std::vector<int> raw;
    auto note = [&](wxScrollEvent& ev) {
        raw.push_back(ev.GetPosition());
        ev.Skip();
    };
    slider->Bind(wxEVT_SCROLL_THUMBTRACK, note);
    slider->Bind(wxEVT_SCROLL_CHANGED, note);
    // A click on the trough moves the thumb there, as the end of a drag does.
    wxUIActionSimulator mouse;
    auto clickAt = [&](double share) {
        raw.clear();
        const int before = bar->GetZoomValue();
        const wxSize s = slider->GetSize();
        mouse.MouseMove(slider->ClientToScreen(wxPoint(int(s.x * share), s.y / 2)));
        // The press must reach this window: it is brought on top until it is under the pointer.
        if (!PumpUntil([&] {
                frame->Raise();
                return TopWindowUnderPointer() == GDK_WINDOW_XID(gtk_widget_get_window(frame->GetHandle()));
            }))
            return false;
        mouse.MouseClick();
        return PumpUntil([&] { return !raw.empty() && bar->GetZoomValue() != before; });
    };
    ASSERT_TRUE(clickAt(0.75));
    const int up = raw.front();
    ASSERT_GT(up, 100);
    EXPECT_EQ(bar->GetZoomValue(), up % 10 == 0 ? up : up / 10 * 10 + 10) << up << ": up to the next 10";
    EXPECT_EQ(slider->GetValue(), bar->GetZoomValue());
    EXPECT_EQ(view->ZoomStep(), (bar->GetZoomValue() - 100) / 10);
    ASSERT_TRUE(clickAt(0.25));
    const int down = raw.front();
    EXPECT_EQ(bar->GetZoomValue(), down / 10 * 10) << down << ": down to the 10 below";
    EXPECT_EQ(slider->GetValue(), bar->GetZoomValue());
}

TEST_F(ResultFrameGui, TheViewerToolBarDocksAtTheTopAsTheMainWindowsBarsDo) {
    ui::DockingBars& bars = frame->Bars();
    CViewerMenuDialog* toolBar = frame->GetViewerBar();
    auto* host = dynamic_cast<CStageControlBar*>(toolBar->GetParent());
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->Name(), "TopMenuDlg");
    ui::DockState docked = bars.State("TopMenuDlg");
    EXPECT_TRUE(docked.shown);
    EXPECT_FALSE(docked.floating);
    EXPECT_EQ(docked.side, ui::DockSide::Top);
    // The bar's extent is the template's height with the sizing edge and border; the view below.
    EXPECT_EQ(docked.extent, host->HorizontalSize().y);
    EXPECT_EQ(host->HorizontalSize().y,
              host->FloatingSize().y + CStageControlBar::kEdgeWidth + CStageControlBar::kBorder);
    EXPECT_GE(view->GetScreenRect().GetTop(), host->GetScreenRect().GetBottom());
    EXPECT_EQ(view->GetSize().x, frame->GetClientSize().x);

    // It floats and docks again where it was, its buttons still the frame's commands.
    host->ToggleDocking();
    EXPECT_TRUE(bars.State("TopMenuDlg").floating);
    host->ToggleDocking();
    docked = bars.State("TopMenuDlg");
    EXPECT_FALSE(docked.floating);
    EXPECT_EQ(docked.side, ui::DockSide::Top);
    Heights r(200, 150);
    Show(r);
    ASSERT_TRUE(frame->GetViewerBar()->SetZoomValue(100));
    Click(FindById(toolBar, 86)); // plus
    EXPECT_TRUE(PumpUntil([&] { return toolBar->GetZoomValue() == 110; }));
    EXPECT_TRUE(Screenshot(frame, OutputFolder() + "/result-window-docked-bar.png"));
}

} // namespace
