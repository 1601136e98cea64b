// The 3D viewer's windows built from its templates: start and restart with the settings and
// parameter files, records from another process, opening every format, the panels' checks,
// split save and the calibration result.
#include "ids/BrelvoxaIds.h"
#include "ids/CommonIds.h"
#include "ui/Clipboard.h"
#include "ViewerTestSupport.h"

#include "platform/ScriptedMessageSink.h"
#include "platform/Settings.h"
#include "platform/WindowMessages.h"
#include "ui/Services.h"
#include "ui/TemplateWindow.h"
#include "ui/resources/ResourceRegistry.h"
#include "ui/testing/GuiTest.h"
#include "viewer3d/app/CalibFrm.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/measure/gui/ImageVw.h"
#include "viewer3d/measure/gui/BaseImgView.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/data/ProcParams.h"
#include "tests/support/ScopedAddressSpaceLimit.h"
#include "tests/support/ScopedRuntimeFolder.h"
#include "tests/support/ScratchFifo.h"

#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/dnd.h>
#include <wx/image.h>
#include <wx/listbox.h>
#include <wx/statbmp.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <fstream>

using brxtest::RunningViewer;
namespace fs = std::filesystem;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A document frame whose views have drawn their pictures.
void waitDrawn(brx::CView3dFrm* frame) {
    ASSERT_TRUE(ui::testing::WaitForPaint(frame));
    auto* view =
        dynamic_cast<v3d::CBaseImgView*>(frame->GetPaneWindow(brx::ImagePaneOf(frame->Doc()->ScreenMode())));
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return view->imageRect.right > 0; }));
}

} // namespace

TEST(ViewerGui, FirstStartAndRestartKeepSettingsParametersAndPlacement) {
    ScratchFolder dir("brx-start");
    {
        RunningViewer viewer(dir.Path());
        EXPECT_EQ(ReadIniString("Settings", "Resource", ""), "BRX_l_jpn.dll");
        brx::CMainFrame* main = viewer.App().MainFrame();
        EXPECT_EQ(main->GetTitle(), "Brelvoxa");
        EXPECT_TRUE(main->IsFindable());
        EXPECT_EQ(main->PanelMode(), v3d::kScreen3d);
        EXPECT_TRUE(main->Panel3d()->IsShown());
        EXPECT_FALSE(main->PanelMeasure()->IsShown());
        v3d::GlobalProcParams().zoom = 2.5;
        viewer.Stop();
    }
    ASSERT_EQ(fs::file_size(dir.Path() + "/3DPROC.PAR"), 114u);
    EXPECT_NE(readFile(dir.Path() + "/Brelvoxa.ini").find("WindowPos=0,1,"), std::string::npos);
    // A frame closed maximised (Xvfb has no window manager to maximise one) opens maximised.
    SetSettingsFilePath(dir.Path() + "/Brelvoxa.ini");
    WriteIniString("Settings", "WindowPos", "2,3,-1,-1,-1,-1,10,20,810,620");
    v3d::GlobalProcParams() = v3d::ProcParams();
    {
        RunningViewer viewer(dir.Path());
        EXPECT_EQ(v3d::GlobalProcParams().zoom, 2.5);
        EXPECT_EQ(viewer.App().startShowCommand, 3);
        EXPECT_EQ(ReadIniString("Settings", "Resource", ""), "BRX_l_jpn.dll");
        viewer.Stop();
    }
    v3d::GlobalProcParams() = v3d::ProcParams();
}

TEST(ViewerGui, WithoutARuntimeFolderTheStartSaysWhyAndEnds) {
    ScratchFolder dir("brx-no-runtime");
    const ScopedNoRuntimeFolder none;
    CScriptedMessageSink sink(IDOK);
    ui::LoadProgramResources("brelvoxa");
    {
        brx::View3dApp app;
        EXPECT_FALSE(app.InitInstance(dir.Path(), {}));
        EXPECT_EQ(app.MainFrame(), nullptr);
    }
    ui::LoadProgramResources("vantorel");
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{uiid::str::NoRuntimeFolder});
}

TEST(ViewerGui, RecordsFromAnotherProcessOpenFramesAndAForgedOneShows9202) {
    ScratchFolder dir("brx-intake");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    const std::string rec = dir.Path() + "/rec.bin";
    brxtest::WriteFile(rec, brxtest::HeightSet(40, 30, 0.5, false));
    std::atomic<int> status{-1};
    brxtest::SendRecordFromPeer(rec, "VV3D", &status);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return viewer.Frames().size() == 1 && status >= 0; }, 30000));
    EXPECT_EQ(status, 0);
    brx::CView3dFrm* first = viewer.Frames()[0];
    for (int role = 0; role < brx::kPaneRoleCount; ++role)
        EXPECT_NE(first->GetPaneView(role), nullptr) << role;
    EXPECT_EQ(first->GetPaneView(brx::kPaneRoleCount), nullptr);
    brx::CView3dDoc* doc = first->Doc();
    ASSERT_NE(doc->TexturePlane(), nullptr);
    EXPECT_EQ(doc->GetPitch(0), 0.5);
    EXPECT_EQ(doc->maxLevel - doc->minLevel, 65535); // heights x + 2y stretched over the 16-bit levels
    EXPECT_DOUBLE_EQ(doc->GetPitch(2), (39.0 + 2 * 29) / 65535);
    waitDrawn(first);
    brx::CMainFrame* main = viewer.App().MainFrame();
    EXPECT_EQ(main->Panel3d()->GetDlgItemText(bxid::View3dPanel::ContourCount), "8");
    EXPECT_EQ(main->Panel3d()->GetDlgItemText(bxid::View3dPanel::Zoom), "1.0");
    EXPECT_TRUE(main->GetTitle().StartsWith("Brelvoxa - "));

    brxtest::SendRecordFromPeer(rec, "VV3D", &status);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return viewer.Frames().size() == 2 && status >= 0; }, 30000));
    EXPECT_NE(viewer.Frames()[0]->Doc(), viewer.Frames()[1]->Doc());

    // A record whose length disagrees with its width and height: 9202, the new frame stays empty.
    auto forged = brxtest::HeightSet(40, 30, 0.5, false);
    forged.resize(forged.size() - 4);
    brxtest::WriteFile(rec, forged);
    brxtest::SendRecordFromPeer(rec, "VV3D", &status);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return viewer.Frames().size() == 3 && status >= 0; }, 30000));
    ASSERT_FALSE(sink.ShownMessages().empty());
    EXPECT_EQ(sink.ShownMessages().back().id, bxid::str::CannotReadData);
    int empty = 0;
    for (auto* f : viewer.Frames())
        empty += f->Doc()->TexturePlane() == nullptr;
    EXPECT_EQ(empty, 1);
}

TEST(ViewerGui, EveryFormatOpensAndUnknownOnesShow9202) {
    ScratchFolder dir("brx-open");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    brxtest::WriteFile(dir.Path() + "/a.vv3", brxtest::HeightSet(20, 10, 2.0, true));
    std::ofstream(dir.Path() + "/a.txt") << "1,2,3\n4,5,600\n";
    brxtest::WriteFile(dir.Path() + "/bad.raw", {1, 2, 3});
    wxImage img(8, 6);
    img.SetRGB(wxRect(0, 0, 8, 6), 10, 200, 30);
    ASSERT_TRUE(img.SaveFile(dir.Path() + "/a.bmp", wxBITMAP_TYPE_BMP));
    ASSERT_TRUE(img.SaveFile(dir.Path() + "/a.jpg", wxBITMAP_TYPE_JPEG));
    ASSERT_TRUE(img.SaveFile(dir.Path() + "/a.tif", wxBITMAP_TYPE_TIFF));
    brx::View3dApp& app = viewer.App();
    for (const char* name : {"a.vv3", "a.txt", "a.bmp", "a.jpg", "a.tif"}) {
        SCOPED_TRACE(name);
        brx::CView3dDoc* doc = app.OpenDocumentFile(dir.Path() + "/" + name);
        ASSERT_NE(doc, nullptr);
        EXPECT_NE(doc->TexturePlane(), nullptr);
        EXPECT_EQ(doc->ParamSource(), 2);
    }
    EXPECT_EQ(viewer.Frames().size(), 5u);
    // Opening an open file again activates its frame instead; a quoted path is the same file.
    EXPECT_NE(app.OpenDocumentFile("\"" + dir.Path() + "/a.vv3\""), nullptr);
    EXPECT_EQ(viewer.Frames().size(), 5u);
    // Saved as .tdv, the document reads back through its own format; saving as .bmp refuses.
    brx::CView3dDoc* vv3 = viewer.Frames()[0]->Doc();
    vv3->SetZoom(3.5);
    ASSERT_TRUE(vv3->OnSaveDocument(dir.Path() + "/saved.TDV"));
    EXPECT_FALSE(vv3->OnSaveDocument(dir.Path() + "/x.bmp"));
    ASSERT_GE(sink.ShownMessages().size(), 2u);
    EXPECT_EQ(sink.ShownMessages()[sink.ShownMessages().size() - 2].id, bxid::str::UnsupportedExtension);
    EXPECT_EQ(sink.ShownMessages().back().id, bxid::str::CannotSaveImage);
    EXPECT_FALSE(fs::exists(dir.Path() + "/x.bmp"));
    brx::CView3dDoc* tdv = app.OpenDocumentFile(dir.Path() + "/saved.TDV");
    ASSERT_NE(tdv, nullptr);
    EXPECT_EQ(tdv->GetViewState()->zoom, 3.5);
    EXPECT_EQ(tdv->GetPitch(0), 2.0);
    // A symbolic link opens its target.
    fs::create_symlink(dir.Path() + "/a.txt", dir.Path() + "/link.txt");
    brx::CView3dDoc* linked = app.OpenDocumentFile(dir.Path() + "/link.txt");
    ASSERT_NE(linked, nullptr);
    EXPECT_EQ(linked->GetPathName(), dir.Path() + "/a.txt");
    const size_t frames = viewer.Frames().size();
    EXPECT_EQ(app.OpenDocumentFile(dir.Path() + "/bad.raw"), nullptr);
    EXPECT_EQ(sink.ShownMessages().back().id, bxid::str::CannotReadData);
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return viewer.Frames().size() == frames; }));
    // A height file whose type names samples no bitmap holds (two-byte colour pixels) as well.
    std::vector<unsigned char> frn(512, 0);
    for (auto [offset, text] :
         {std::pair<size_t, std::string>{0, "INDEX4.0-FRN\n"}, {16, "    2     1\n"}, {416, " 2\n"}})
        std::copy(text.begin(), text.end(), frn.begin() + offset);
    frn.insert(frn.end(), {7, 8});
    brxtest::WriteFile(dir.Path() + "/colour.frn", frn);
    EXPECT_EQ(app.OpenDocumentFile(dir.Path() + "/colour.frn"), nullptr);
    EXPECT_EQ(sink.ShownMessages().back().id, bxid::str::CannotReadData);
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return viewer.Frames().size() == frames; }));

    // The files opened are the recent files of the File menu, the last first, kept in
    // Brelvoxa.ini; an entry whose file is gone is taken off when chosen.
    ui::RecentFileList* recent = app.RecentFiles();
    ASSERT_NE(recent, nullptr);
    EXPECT_EQ(recent->Files(), (std::vector<std::string>{dir.Path() + "/saved.TDV", dir.Path() + "/a.tif",
                                                         dir.Path() + "/a.jpg", dir.Path() + "/a.bmp"}));
    std::ifstream ini(dir.Path() + "/Brelvoxa.ini");
    const std::string text((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("[Recent File List]"), std::string::npos);
    EXPECT_NE(text.find("File1=" + dir.Path() + "/saved.TDV"), std::string::npos) << text;
    recent->Add(dir.Path() + "/gone.vv3");
    EXPECT_TRUE(app.MainFrame()->RouteCommandId(ui::RecentFileList::kFirstCommand));
    EXPECT_EQ(recent->Files(), (std::vector<std::string>{dir.Path() + "/saved.TDV", dir.Path() + "/a.tif",
                                                         dir.Path() + "/a.jpg"}));
}

// A data set that does not fit in the memory left, opened or received, is refused with the
// memory message before anything of it is built; the program goes on with the document it has,
// and a file cut short inside its heights is refused with the can't-read message.
TEST(ViewerGui, ADataSetThatDoesNotFitInMemoryIsRefusedAndTheOpenDocumentStays) {
    ScratchFolder dir("brx-memory");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    brxtest::WriteFile(dir.Path() + "/small.vv3", brxtest::HeightSet(40, 30, 0.5, true));
    brx::CView3dFrm* small = brxtest::OpenShown(viewer, dir.Path() + "/small.vv3");
    ASSERT_NE(small, nullptr);
    waitDrawn(small);
    const int levels = small->Doc()->maxLevel - small->Doc()->minLevel;
    const int w = 3000, h = 2000; // 6 million pixels: far more than the 64 MB left below
    brxtest::WriteFile(dir.Path() + "/large.vv3", brxtest::HeightSet(w, h, 1.0, true));
    const auto record = brxtest::HeightSet(w, h, 1.0, false);
    brx::View3dApp& app = viewer.App();
    {
        ScopedAddressSpaceLimit limit(64u << 20);
        ASSERT_TRUE(limit.Active());
        EXPECT_EQ(app.OpenDocumentFile(dir.Path() + "/large.vv3"), nullptr);
        EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{bxid::str::NotEnoughMemory});
        COPYDATASTRUCT received{0x44335656u, DWORD(record.size()), record.data()};
        app.MainFrame()->OnCopyData(received);
        EXPECT_EQ(sink.ShownIds(),
                  (std::vector<UINT>{bxid::str::NotEnoughMemory, bxid::str::NotEnoughMemory}));
    }
    // Cut inside its heights, a file's pixel records would pass for a texture without heights.
    auto cut = brxtest::HeightSet(40, 30, 0.5, true);
    cut.resize(1440 + 4 * 40 * 30 + 100);
    brxtest::WriteFile(dir.Path() + "/cut.vv3", cut);
    EXPECT_EQ(app.OpenDocumentFile(dir.Path() + "/cut.vv3"), nullptr);
    EXPECT_EQ(sink.ShownIds().back(), UINT(bxid::str::CannotReadData));
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return viewer.Frames().size() == 1; }));
    ASSERT_EQ(viewer.Frames().front(), small);
    EXPECT_EQ(small->Doc()->maxLevel - small->Doc()->minLevel, levels);
    small->Refresh();
    waitDrawn(small);
}

// The measured-data list's context menu copies the measured data as text.
// A FIFO named as a document or a picture would block the window thread in its open for good:
// it is refused at once with the can't-open message, and no frame stays.
TEST(ViewerGui, AFifoNamedAsADocumentOrAPictureIsRefusedAtOnce) {
    ScratchFolder dir("brx-fifo");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    for (const char* name : {"x.tdv", "x.vv3", "x.bmp", "x.tif", "x.jpg", "x.txt", "x.cbs"}) {
        SCOPED_TRACE(name);
        ScratchFifo fifo(dir / name);
        ASSERT_TRUE(fifo.Made());
        sink.ClearShown();
        FifoWatch watch(fifo.Path(), 3000);
        EXPECT_EQ(viewer.App().OpenDocumentFile(fifo.Path()), nullptr);
        EXPECT_LT(watch.ElapsedMs(), 1000);
        ASSERT_EQ(sink.ShownIds().size(), 1u);
        EXPECT_EQ(sink.ShownIds().back(), bxid::str::CannotOpenDocument);
    }
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return viewer.Frames().empty(); }));
}

// A save that fails names its cause: a missing folder is a wrong name, a folder the system
// refuses (sysfs refuses every new file, also to root) is a document that could not be saved.
TEST(ViewerGui, ASaveThatFailsNamesItsCause) {
    ScratchFolder dir("brx-save");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    brxtest::WriteFile(dir.Path() + "/a.vv3", brxtest::HeightSet(20, 10, 2.0, true));
    brx::CView3dDoc* doc = viewer.App().OpenDocumentFile(dir.Path() + "/a.vv3");
    ASSERT_NE(doc, nullptr);
    EXPECT_FALSE(doc->OnSaveDocument(dir.Path() + "/missing/x.tdv"));
    EXPECT_FALSE(doc->OnSaveDocument("/sys/x.tdv"));
    EXPECT_EQ(sink.ShownIds(),
              (std::vector<UINT>{bxid::str::InvalidFileName, bxid::str::CannotSaveDocument}));
    ASSERT_EQ(sink.ShownMessages().back().args.size(), 1u);
    EXPECT_EQ(sink.ShownMessages().back().args[0], "/sys/x.tdv");
}

TEST(ViewerGui, MeasuredListMenuCopiesTheMeasuredText) {
    ScratchFolder dir("brx-list");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    brxtest::WriteFile(dir.Path() + "/m.vv3", brxtest::HeightSet(24, 9, 1.0, true));
    brx::CView3dDoc* doc = viewer.App().OpenDocumentFile(dir.Path() + "/m.vv3");
    ASSERT_NE(doc, nullptr);
    auto* list = viewer.App().MainFrame()->PanelMeasure()->Item<wxListBox>(bxid::MeasurePanel::MeasuredData);
    ASSERT_NE(list, nullptr);
    std::vector<int> ids;
    ui::testing::WhenPopupMenu(list, [&](wxMenu* menu) {
        for (wxMenuItem* item : menu->GetMenuItems())
            ids.push_back(item->GetId());
    });
    wxContextMenuEvent context(wxEVT_CONTEXT_MENU, list->GetId(), list->ClientToScreen(wxPoint(5, 5)));
    context.SetEventObject(list);
    list->ProcessWindowEvent(context);
    EXPECT_EQ(ids, std::vector<int>{bxid::cmd::Copy});
    // Its Copy: the measured text on the clipboard.
    wxCommandEvent copy(wxEVT_MENU, bxid::cmd::Copy);
    copy.SetEventObject(list);
    ui::ForgetLastClipboard();
    list->ProcessWindowEvent(copy);
    EXPECT_EQ(ui::LastClipboardText().utf8_string(), doc->MeasuredText(false));
    EXPECT_FALSE(ui::LastClipboardText().empty());
}

TEST(ViewerGui, PanelChecksLineCountsAndSplitSave) {
    ScratchFolder dir("brx-panel");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    brxtest::WriteFile(dir.Path() + "/a.vv3", brxtest::HeightSet(24, 9, 1.0, true));
    brx::CView3dDoc* doc = viewer.App().OpenDocumentFile(dir.Path() + "/a.vv3");
    ASSERT_NE(doc, nullptr);
    brx::CMainFrame* main = viewer.App().MainFrame();
    brx::CView3dFrm* frame = main->GetActive3dFrame();
    ASSERT_NE(frame, nullptr);
    waitDrawn(frame);
    // Contour count: 0 and 300 are refused, 256 taken.
    auto* contour = ui::testing::FindById<wxTextCtrl>(main->Panel3d(), bxid::View3dPanel::ContourCount);
    ui::testing::Type(contour, "0");
    ui::testing::Type(contour, "300");
    EXPECT_EQ(doc->GetViewState()->contourCount, 8);
    ui::testing::Type(contour, "256");
    EXPECT_EQ(doc->GetViewState()->contourCount, 256);
    EXPECT_EQ(v3d::GlobalProcParams().contourCount, 256);
    // A comment of 300 characters keeps 256.
    ui::testing::Type(ui::testing::FindById(main->Panel3d(), bxid::View3dPanel::Comment), wxString('c', 300));
    EXPECT_EQ(doc->GetViewState()->CommentUtf8().size(), 256u);

    // Split save in the 3D screen: a0..a4.
    ui::SetFileDialogService([&](wxWindow*, const ui::FileDialogRequest&) {
        ui::FileDialogResult r;
        r.paths = {dir.Path() + "/a.bmp"};
        return r;
    });
    ui::testing::ProcessPending();
    frame->OnSplitSave();
    for (int role : {0, 1, 2, 3, 4})
        EXPECT_TRUE(fs::exists(dir.Path() + "/a" + std::to_string(role) + ".bmp")) << role;

    // The measurement screen: panel 102, menu 124; line counts checked against the picture.
    frame->ShowScreenMeasure();
    EXPECT_EQ(main->PanelMode(), v3d::kScreenMeasure);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return main->PanelMeasure()->IsShown(); }));
    waitDrawn(frame);
    auto* count = ui::testing::FindById<wxTextCtrl>(main->PanelMeasure(), bxid::MeasurePanel::LineCount);
    ui::testing::Type(count, "4"); // even: nothing
    EXPECT_EQ(doc->GetLineCount(), 1);
    ui::testing::Type(count, "5");
    EXPECT_EQ(doc->GetLineCount(), 5);
    ui::testing::Type(count, "11"); // the picture is 9 rows high
    ASSERT_FALSE(sink.ShownMessages().empty());
    EXPECT_EQ(sink.ShownMessages().back().id, bxid::str::TooManyLines);
    ASSERT_EQ(sink.ShownMessages().back().args.size(), 1u);
    EXPECT_EQ(sink.ShownMessages().back().args[0], "9");
    EXPECT_EQ(doc->GetLineCount(), 5);
    EXPECT_EQ(count->GetValue(), "5");
    ui::testing::Type(count, "-1");
    EXPECT_EQ(sink.ShownMessages().back().id, bxid::str::TooFewLines);
    EXPECT_EQ(doc->GetLineCount(), 5);
    // Free line: the position is hidden.
    frame->SetLineKind(v3d::kLineFree);
    EXPECT_FALSE(ui::testing::FindById(main->PanelMeasure(), bxid::MeasurePanel::LinePosition)->IsEnabled());
    EXPECT_EQ(main->PanelMeasure()->GetDlgItemText(bxid::MeasurePanel::LinePositionLabel), "");
    frame->OnSplitSave();
    for (int role : {5, 6, 7})
        EXPECT_TRUE(fs::exists(dir.Path() + "/a" + std::to_string(role) + ".bmp")) << role;
    // The picture of role 0 is the fitted image: 24 x 9 scaled into its pane, aspect kept.
    wxImage a0(dir.Path() + "/a0.bmp");
    ASSERT_TRUE(a0.IsOk());
    EXPECT_NEAR(double(a0.GetWidth()) / a0.GetHeight(), 24.0 / 9.0, 0.1);
    ui::SetFileDialogService(nullptr);
}

TEST(ViewerGui, CalibrationResultSetsPitchAndUnit) {
    ScratchFolder dir("brx-calib");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    brxtest::WriteFile(dir.Path() + "/a.vv3", brxtest::HeightSet(12, 8, 1.0, true));
    brx::CView3dDoc* doc = viewer.App().OpenDocumentFile(dir.Path() + "/a.vv3");
    ASSERT_NE(doc, nullptr);
    brx::CView3dFrm* frame = viewer.App().MainFrame()->GetActive3dFrame();
    auto send = [&](double pitch, const char* cp932Unit) {
        HGLOBAL block = GlobalAlloc(GPTR, brx::kCalibResultBytes);
        {
            GlobalLockGuard lock(block);
            std::memcpy(lock.get(), &pitch, 8);
            std::memcpy(lock.get() + 8, cp932Unit, std::strlen(cp932Unit));
        }
        PostMessage(frame->GetSafeHwnd(), brx::WM_CALIB_RESULT, reinterpret_cast<WPARAM>(block), 0);
    };
    send(0.25, "\x82\x8d\x82\x8d"); // ｍｍ
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return doc->GetPitch(0) == 0.25; }));
    std::string unit;
    doc->GetUnitText(0, &unit);
    EXPECT_EQ(unit, "ｍｍ");
    EXPECT_EQ(doc->GetMeasureState()->yPitch, 0.25);
    send(0.5, ""); // an empty unit keeps the document's unit
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return doc->GetPitch(0) == 0.5; }));
    doc->GetUnitText(0, &unit);
    EXPECT_EQ(unit, "ｍｍ");
}

TEST(ViewerGui, ScreensAndDialogsForLooking) {
    ScratchFolder dir("brx-look");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    brxtest::WriteFile(dir.Path() + "/look.vv3", brxtest::HeightSet(160, 120, 0.5, true));
    brx::CView3dDoc* doc = viewer.App().OpenDocumentFile(dir.Path() + "/look.vv3");
    ASSERT_NE(doc, nullptr);
    brx::CView3dFrm* frame = viewer.App().MainFrame()->GetActive3dFrame();
    waitDrawn(frame);
    const std::string out = ui::testing::OutputFolder();
    EXPECT_TRUE(ui::testing::ScreenshotRoot(out + "/brelvoxa-3d-screen.png"));
    frame->ShowScreenMeasure();
    waitDrawn(frame);
    EXPECT_TRUE(ui::testing::ScreenshotRoot(out + "/brelvoxa-measure-screen.png"));
    for (int id : {bxid::dlg::GeneralSettingsDialog, bxid::dlg::FilterSettingsDialog,
                   bxid::dlg::PseudoColorDialog, bxid::dlg::AboutDialog}) {
        ui::testing::WhenModal([&](wxDialog* d) {
            EXPECT_TRUE(ui::testing::Screenshot(d, out + "/brelvoxa-dialog-" + std::to_string(id) + ".png"));
            if (id == bxid::dlg::AboutDialog) { // the About box: name, version and the application's picture
                EXPECT_EQ(ui::testing::FindById(d, bxid::AboutDialog::ProductText)->GetLabel(),
                          "Brelvoxa Ver 1.2.0");
                bool picture = false;
                for (wxWindow* child : d->GetChildren())
                    picture |= dynamic_cast<wxStaticBitmap*>(child) != nullptr;
                EXPECT_TRUE(picture);
            }
            ui::testing::Click(ui::testing::FindById(d, id == bxid::dlg::AboutDialog ? 1 : 2));
        });
        if (id == bxid::dlg::GeneralSettingsDialog)
            viewer.App().OnGeneralSettings();
        else if (id == bxid::dlg::AboutDialog)
            viewer.App().OnAppAbout();
        else if (id == bxid::dlg::PseudoColorDialog)
            frame->HandleCommand(bxid::cmd::PseudoColor);
        else
            frame->HandleCommand(bxid::cmd::FilterSettings);
    }
}

TEST(ViewerGui, DroppedFilesOpenAndTheIdleTickReachesTheImagePane) {
    ScratchFolder dir("brx-drop");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    brxtest::WriteFile(dir.Path() + "/d.vv3", brxtest::HeightSet(10, 10, 1.0, true));
    std::ofstream(dir.Path() + "/d.txt") << "1\t2\n3\t4\n";
    auto* drop = dynamic_cast<wxFileDropTarget*>(viewer.App().MainFrame()->GetDropTarget());
    ASSERT_NE(drop, nullptr);
    wxArrayString names;
    names.Add(wxString::FromUTF8(dir.Path() + "/d.vv3"));
    names.Add(wxString::FromUTF8(dir.Path() + "/d.txt"));
    EXPECT_TRUE(drop->OnDropFiles(0, 0, names));
    ASSERT_EQ(viewer.Frames().size(), 2u);

    // The tick goes to the image pane (role 0 in the 3D screen) with the idle count, and input
    // starts the count again.
    brx::CView3dFrm* frame = viewer.App().MainFrame()->GetActive3dFrame();
    ASSERT_NE(frame, nullptr);
    auto* pane = dynamic_cast<brx::CImageVw*>(frame->GetPaneWindow(brx::kPaneImage));
    ASSERT_NE(pane, nullptr);
    const int first = pane->IdleTicks();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return pane->IdleTicks() >= first + 1; }));
    const LPARAM early = pane->LastIdleCount();
    const int next = pane->IdleTicks();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return pane->IdleTicks() >= next + 2; }));
    EXPECT_LT(early, pane->LastIdleCount());
    viewer.App().InputSeen();
    EXPECT_EQ(viewer.App().IdleCount(), 0);
    const int seen = pane->IdleTicks();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return pane->IdleTicks() > seen; }));
    EXPECT_LE(pane->LastIdleCount(), 2); // counted from 0 again
}

TEST(ViewerGui, CalibrationLineOfTenPixelsSetsThePitchThroughTheOwner) {
    ScratchFolder dir("brx-calwin");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    brxtest::WriteFile(dir.Path() + "/c.vv3", brxtest::HeightSet(40, 30, 1.0, true));
    brx::CView3dDoc* doc = viewer.App().OpenDocumentFile(dir.Path() + "/c.vv3");
    ASSERT_NE(doc, nullptr);
    brx::CView3dFrm* frame = viewer.App().MainFrame()->GetActive3dFrame();
    ASSERT_TRUE(frame->HandleCommand(bxid::cmd::Calibration));
    brx::CCalibFrm* calib = frame->CalibWindow();
    ASSERT_NE(calib, nullptr);
    EXPECT_EQ(viewer.App().MainFrame()->PanelMode(), brx::kNoPanel);
    EXPECT_FALSE(frame->IsEnabled());
    ASSERT_TRUE(ui::testing::WaitForPaint(calib));
    ASSERT_TRUE(ui::testing::PumpUntil(
        [&] { return calib->Bar()->GetDlgItemText(bxid::CalibrationBar::ZoomPercent) == "100%"; }));
    // Zero known length: 9251, the window stays.
    ui::testing::Type(ui::testing::FindById(calib->Bar(), bxid::CalibrationBar::KnownLength), "0");
    calib->OnSet();
    EXPECT_EQ(sink.ShownIds().back(), bxid::str::CalibValueOutOfRange);
    // A line from x = 10 to 19 at 100 % is 10 pixels: 5 units make 0.5 a pixel.
    calib->View()->FinishLine(wxPoint(10, 5), wxPoint(19, 5));
    EXPECT_DOUBLE_EQ(calib->Doc()->measuredPixels, 10.0);
    ui::testing::Type(ui::testing::FindById(calib->Bar(), bxid::CalibrationBar::KnownLength), "5");
    EXPECT_DOUBLE_EQ(calib->Doc()->lengthPerPixel, 0.5);
    EXPECT_TRUE(calib->Bar()->GetDlgItemText(bxid::CalibrationBar::LengthPerPixel).StartsWith("0.500000"));
    calib->View()->ZoomIn();
    EXPECT_EQ(calib->View()->Zoom(), 110);
    EXPECT_TRUE(ui::testing::Screenshot(calib, ui::testing::OutputFolder() + "/brelvoxa-calibration.png"));
    calib->OnSet();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return doc->GetPitch(0) == 0.5; }));
    EXPECT_TRUE(frame->IsEnabled());
    std::string unit;
    doc->GetUnitText(0, &unit);
    EXPECT_EQ(unit, "μｍ"); // the unit shown when the window opened
}
