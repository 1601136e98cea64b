// Manual capture with the rendering test camera: a series with typed heights composed through
// 819, the height from the stage of an emulated controller, the end of the numbering, a
// failing camera module, a path that cannot be written and a full focus image box.
#include "ShellGuiFixture.h"

#include "ids/VantorelIds.h"
#include "imaging/gui/GuiHooks.h"
#include "browser/SelListCtrl.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/compose/FocusComp.h"
#include "imaging/files/ImageFile.h"
#include "shell/capture/ManualDialog.h"
#include "shell/capture/MultiView.h"
#include "shell/controls/ScaleStatic.h"
#include "shell/capture/SelectedBox.h"
#include "tools/emulators/Emulators.h"
#include "ui/CommandRouting.h"
#include "result/ImageDoc.h"
#include "result/ImageFrame.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace {

class ManualCapture : public ShellWindows {
protected:
    // The program's icons on buttons and its one-message pump, as the program installs them.
    void SetUp() override {
        ShellWindows::SetUp();
        InstallImagingGuiServices();
    }
    // The program in manual mode with the first picture's name; `more`: further sections.
    void StartManual(const std::string& firstPicture, const std::string& more = "") {
        series = folder + "/series";
        std::filesystem::create_directories(series);
        Settings(vtid::StartDialog::ManualCapture, more,
                 "AUTOPATH=" + series + "/" + firstPicture + "\nAUTODIR=" + series + "\n");
        ASSERT_TRUE(StartProgram());
        panel = Frame()->ManualPanel();
        ASSERT_NE(panel, nullptr);
    }
    // The program in manual mode with a started emulator as COM1 of controller `type`, in a
    // run with height input on.
    void StartRunWithStage(const ControllerEmulator& stage, int type, const std::string& onePulse) {
        ::setenv("VANTOREL_COM1", stage.SlavePath().c_str(), 1);
        StartManual("z000.bmp", "[COMM]\nCONTROLLER=" + std::to_string(type) +
                                    "\nPORT=0\nSIDE=0\n[ZCALIBRATION]\n1PULSE=" + onePulse + "\n");
        if (HasFatalFailure())
            return;
        ASSERT_EQ(Frame()->CaptureView()->m_comm.controller, type) << "the controller did not answer";
        Click(vtid::ManualPanel::HeightInput);
        Click(vtid::ManualPanel::StartCapture);
    }
    void Click(int id) { ui::testing::Click(panel->GetDlgItem(id)); }
    void TypeHeight(const char* text) {
        ui::testing::Type(panel->GetDlgItem(vtid::ManualPanel::Height), wxString::FromUTF8(text));
    }
    bool On(int id) const { return panel->GetDlgItem(id)->IsShown() && panel->GetDlgItem(id)->IsEnabled(); }
    std::optional<bool> Enabled(int command) {
        ui::CmdUI state(command);
        ui::RouteUpdate(Frame()->CommandChain(), state);
        return state.enabled;
    }
    std::vector<SeriesEntry> Images() const {
        std::vector<SeriesEntry> out = Frame()->SelectedBox()->Entries();
        if (!out.empty())
            out.pop_back(); // the placeholder
        return out;
    }
    std::set<std::string> Files(const std::string& dir) const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir))
            names.insert(e.path().filename().string());
        return names;
    }
    static bool IsPicture(const std::string& path) {
        int type = -1;
        HDIB back = ReadImageFile(path, &type);
        if (!back)
            return false;
        GlobalFree(back);
        return true;
    }
    bool ResultShown() const {
        const CImageFrame* viewer = app->m_pResultFrame;
        return viewer && viewer->IsShown() && viewer->GetImageDoc()->m_image;
    }

    std::string series;
    CManualDialog* panel = nullptr;
};

TEST_F(ManualCapture, TypedHeightsSeriesIsComposedIntoTheResult) {
    StartManual("img005.bmp");
    CMainFrame* f = Frame();
    CMultiView* view = f->CaptureView();
    CScriptedMessageSink sink(IDOK);
    Click(vtid::ManualPanel::HeightInput); // height input on
    Click(vtid::ManualPanel::StartCapture);
    ASSERT_EQ(panel->m_bInRun, 1);
    TypeHeight("-");
    EXPECT_FALSE(On(vtid::ManualPanel::TakePicture));
    // Still in the run: the initial menu waits for its end, even with 608 off.
    EXPECT_EQ(Enabled(vtid::cmd::InitialMenu), std::optional<bool>(false));
    const char* heights[] = {"-12.5", "0", "12.5"};
    for (int k = 0; k < 3; ++k) {
        TypeHeight(heights[k]);
        ASSERT_TRUE(On(vtid::ManualPanel::TakePicture)) << heights[k];
        Click(vtid::ManualPanel::TakePicture);
        const std::string saved = series + "/img00" + std::to_string(5 + k) + ".bmp";
        EXPECT_TRUE(IsPicture(saved)) << saved;
        EXPECT_EQ(panel->GetDlgItemText(vtid::ManualPanel::FileName).ToStdString(),
                  "img00" + std::to_string(6 + k) + ".bmp");
        EXPECT_TRUE(On(vtid::ManualPanel::TakePicture));
        EXPECT_TRUE(On(vtid::ManualPanel::EndCapture));
    }
    const std::vector<SeriesEntry> images = Images();
    ASSERT_EQ(images.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(images[k].path, series + "/img00" + std::to_string(5 + k) + ".bmp");
        EXPECT_DOUBLE_EQ(images[k].z, std::atof(heights[k]));
    }
    // The running preview holds the three pictures and is shown in the capture view.
    ASSERT_NE(panel->PreviewComposer(), nullptr);
    EXPECT_EQ(panel->PreviewComposer()->ImagesAdded(), 3);
    EXPECT_TRUE(view->PreviewPane()->HasImage());
    EXPECT_EQ(view->PreviewPane()->PictureWidth(), 640);
    // While 608 is on, neither the initial menu nor the composition can start.
    EXPECT_EQ(Enabled(vtid::cmd::InitialMenu), std::optional<bool>(false));
    EXPECT_EQ(Enabled(vtid::cmd::StartComposition), std::optional<bool>(false));
    // The picture for looking at: the frame in front, as the user works in it.
    f->Raise();
    ui::testing::PumpUntil([&] { return f->IsActive(); }, 2000);
    ui::testing::ScreenshotRoot(Shot("manual-panel-run.png"));

    Click(vtid::ManualPanel::EndCapture);
    EXPECT_EQ(panel->m_bInRun, 0);
    ASSERT_EQ(Enabled(vtid::cmd::StartComposition), std::optional<bool>(true));
    f->RouteCommandId(vtid::cmd::StartComposition);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return ResultShown(); }, 60000));
    CImageDoc* doc = app->m_pResultFrame->GetImageDoc();
    ASSERT_NE(doc->m_image, nullptr);
    ASSERT_GT(doc->m_heights.Count(), 0u);
    const auto [lo, hi] =
        std::minmax_element(doc->m_heights.Data(), doc->m_heights.Data() + doc->m_heights.Count());
    EXPECT_GE(*lo, -12.5);
    EXPECT_LE(*hi, 12.5);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return doc->m_busy == 0 && !doc->IsWorkerRunning(); }, 60000));
    doc->m_saved = 1;
    EXPECT_TRUE(sink.ShownIds().empty());

    // A new run empties the box; its first name exists, and a declined overwrite takes nothing.
    Click(vtid::ManualPanel::StartCapture);
    EXPECT_TRUE(Images().empty());
    const auto before = std::filesystem::last_write_time(series + "/img005.bmp");
    Click(vtid::ManualPanel::TakePicture);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::ConfirmOverwrite});
    EXPECT_EQ(std::filesystem::last_write_time(series + "/img005.bmp"), before);
    EXPECT_TRUE(Images().empty());
    EXPECT_EQ(panel->GetDlgItemText(vtid::ManualPanel::FileName).ToStdString(), "img005.bmp");
    EXPECT_TRUE(On(vtid::ManualPanel::TakePicture));
}

TEST_F(ManualCapture, NumberingEndsAfter999) {
    StartManual("img998.bmp");
    CScriptedMessageSink sink(IDOK);
    Click(vtid::ManualPanel::StartCapture);
    Click(vtid::ManualPanel::TakePicture);
    Click(vtid::ManualPanel::TakePicture);
    EXPECT_TRUE(IsPicture(series + "/img998.bmp"));
    EXPECT_TRUE(IsPicture(series + "/img999.bmp"));
    const std::vector<SeriesEntry> images = Images();
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[1].z, 0.0); // height input off
    EXPECT_EQ(panel->m_bLimitReached, 1);
    Click(vtid::ManualPanel::TakePicture);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::CaptureLimitReached});
    EXPECT_EQ(Files(series), (std::set<std::string>{"img998.bmp", "img999.bmp"}));
    // The end clears the limit.
    Click(vtid::ManualPanel::EndCapture);
    EXPECT_EQ(panel->m_bLimitReached, 0);
}

TEST_F(ManualCapture, StageGivesTheHeight) {
    Mmc2Emulator stage;
    ASSERT_TRUE(stage.Start());
    stage.SetAxisPosition(1, 1234);
    CScriptedMessageSink sink(IDOK);
    StartRunWithStage(stage, 1, "0.5");
    ASSERT_FALSE(HasFatalFailure());
    CMultiView* view = Frame()->CaptureView();
    // The height edit is shown but not typed into; 608 is on at once.
    EXPECT_TRUE(panel->GetDlgItem(vtid::ManualPanel::Height)->IsShown());
    EXPECT_FALSE(panel->GetDlgItem(vtid::ManualPanel::Height)->IsEnabled());
    EXPECT_TRUE(On(vtid::ManualPanel::TakePicture));
    Click(vtid::ManualPanel::TakePicture);
    EXPECT_EQ(panel->GetDlgItemText(vtid::ManualPanel::Height).ToStdString(), "617.000");
    stage.SetAxisPosition(1, -200);
    Click(vtid::ManualPanel::TakePicture);
    EXPECT_EQ(panel->GetDlgItemText(vtid::ManualPanel::Height).ToStdString(), "-100.000");
    const std::vector<SeriesEntry> images = Images();
    ASSERT_EQ(images.size(), 2u);
    EXPECT_DOUBLE_EQ(images[0].z, 617.0);
    EXPECT_DOUBLE_EQ(images[1].z, -100.0);
    // SIDE turns the height; at the zero it is 0, never "-0.000".
    view->m_comm.side = 1;
    stage.SetAxisPosition(1, 0);
    Click(vtid::ManualPanel::TakePicture);
    EXPECT_EQ(panel->GetDlgItemText(vtid::ManualPanel::Height).ToStdString(), "0.000");
    stage.SetAxisPosition(1, 10);
    Click(vtid::ManualPanel::TakePicture);
    EXPECT_EQ(panel->GetDlgItemText(vtid::ManualPanel::Height).ToStdString(), "-5.000");
    EXPECT_TRUE(sink.ShownIds().empty());
    // The stage stops answering: no picture under the last height.
    const std::set<std::string> before = Files(series);
    stage.SetFailureMode(FailureMode::Silent);
    Click(vtid::ManualPanel::TakePicture);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::WrongController});
    EXPECT_EQ(Files(series), before);
    stage.SetFailureMode(FailureMode::None);
    Click(vtid::ManualPanel::EndCapture);
    CloseProgram();
    ::unsetenv("VANTOREL_COM1");
}

// STM6 (type 5): the height is the drive's own step times its count, negated (reversed Z);
// the capture view's calibration stays as it was.
TEST_F(ManualCapture, Stm6StageGivesTheHeightByItsOwnStep) {
    Stm6Emulator stage;
    ASSERT_TRUE(stage.Start());
    CScriptedMessageSink sink(IDOK);
    StartRunWithStage(stage, 5, "1");
    ASSERT_FALSE(HasFatalFailure());
    CMultiView* view = Frame()->CaptureView();
    stage.SetControllerCount(-200);
    Click(vtid::ManualPanel::TakePicture);
    EXPECT_EQ(panel->GetDlgItemText(vtid::ManualPanel::Height).ToStdString(), "-10.000"); // 0.05 um steps
    stage.SetStatusBits(0x20);                                                            // 0.025 um steps
    Click(vtid::ManualPanel::TakePicture);
    EXPECT_EQ(panel->GetDlgItemText(vtid::ManualPanel::Height).ToStdString(), "-5.000");
    EXPECT_DOUBLE_EQ(view->m_d1Pulse, 1.0);
    const std::vector<SeriesEntry> images = Images();
    ASSERT_EQ(images.size(), 2u);
    EXPECT_DOUBLE_EQ(images[0].z, -10.0);
    EXPECT_DOUBLE_EQ(images[1].z, -5.0);
    EXPECT_TRUE(sink.ShownIds().empty());
    Click(vtid::ManualPanel::EndCapture);
    CloseProgram();
    ::unsetenv("VANTOREL_COM1");
}

TEST_F(ManualCapture, FailedCaptureKeepsTheFolderAsItWas) {
    // A module that gives no picture.
    ::setenv("VANTOREL_CAMERA_DIR", (std::string(VT_BINARY_DIR) + "/tools/testcam/config").c_str(), 1);
    series = folder + "/series";
    std::filesystem::create_directories(series);
    Write("series/img000.bmp", "an earlier picture");
    Write("series/notes.txt", "kept");
    Write("Vantorel.ini", "[InitialSettings]\nNOSTARTDISP=1\nSTARTINGMODE=" +
                              std::to_string(vtid::StartDialog::ManualCapture) + "\nAUTOPATH=" + series +
                              "/img000.bmp\nAUTODIR=" + series +
                              "\n[STAGEINPUT]\nINPDEVICE=Fails param_set\n");
    CScriptedMessageSink sink(IDOK);
    ASSERT_TRUE(StartProgram());
    panel = Frame()->ManualPanel();
    ASSERT_NE(panel, nullptr);
    app->Ticker().StopTicking();
    Click(vtid::ManualPanel::StartCapture);
    sink.ClearShown();
    sink.Queue({IDYES}); // overwrite img000.bmp
    Click(vtid::ManualPanel::TakePicture);
    const std::vector<UINT> shown = sink.ShownIds();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), vtid::str::ConfirmOverwrite);
    EXPECT_EQ(shown.back(), vtid::str::CaptureFailed);
    // Nothing was written, truncated or left behind, and the picture does not count.
    EXPECT_EQ(Read("series/img000.bmp"), "an earlier picture");
    EXPECT_EQ(Files(series), (std::set<std::string>{"img000.bmp", "notes.txt"}));
    EXPECT_TRUE(Images().empty());
    EXPECT_EQ(panel->GetDlgItemText(vtid::ManualPanel::FileName).ToStdString(), "img000.bmp");
    EXPECT_TRUE(On(vtid::ManualPanel::TakePicture));
    EXPECT_TRUE(On(vtid::ManualPanel::EndCapture));
    Click(vtid::ManualPanel::EndCapture);
    EXPECT_EQ(Enabled(vtid::cmd::StartComposition), std::optional<bool>(false));

    // A save path whose folder is gone: 872, and no file or folder appears.
    panel->m_strSavePath = folder + "/gone/img000.bmp";
    Click(vtid::ManualPanel::StartCapture);
    sink.ClearShown();
    Click(vtid::ManualPanel::TakePicture);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::PathMissing});
    EXPECT_FALSE(std::filesystem::exists(folder + "/gone"));
    EXPECT_TRUE(On(vtid::ManualPanel::EndCapture));
    EXPECT_EQ(panel->m_bBusy, 0);
    Click(vtid::ManualPanel::EndCapture);
}

TEST_F(ManualCapture, FullBoxRefusesThePictureAndEndsTheRun) {
    const std::string boxDir = folder + "/box";
    std::filesystem::create_directories(boxDir);
    HDIB tiny = DibCreate(8, 8, 1);
    for (int k = 0; k < 256; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "/b%03d.bmp", k);
        ASSERT_TRUE(SaveImageFile(tiny, boxDir + name, 3, 75));
    }
    GlobalFree(tiny);
    StartManual("img000.bmp");
    CScriptedMessageSink sink(IDOK);
    Click(vtid::ManualPanel::StartCapture);
    CSelListCtrl* list = Frame()->FocusBoxList();
    list->AddFileItem(boxDir + "/*.bmp");
    list->WaitForLoader();
    ASSERT_EQ(list->GetItemCount(), 257);
    Click(vtid::ManualPanel::TakePicture);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::TooManyThumbnails});
    // The saved picture stays; the box is as it was; the run can be ended.
    EXPECT_TRUE(IsPicture(series + "/img000.bmp"));
    EXPECT_EQ(list->GetItemCount(), 257);
    for (const SeriesEntry& e : Images())
        EXPECT_NE(e.path, series + "/img000.bmp");
    EXPECT_TRUE(On(vtid::ManualPanel::EndCapture));
    EXPECT_EQ(panel->m_bLimitReached, 1);
    EXPECT_EQ(panel->PreviewComposer(), nullptr);
    // No more pictures are taken in this run.
    sink.ClearShown();
    Click(vtid::ManualPanel::TakePicture);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::CaptureLimitReached});
    EXPECT_EQ(Files(series), std::set<std::string>{"img000.bmp"});
    Click(vtid::ManualPanel::EndCapture);
    EXPECT_EQ(panel->m_bInRun, 0);
}

TEST_F(ManualCapture, CloseDuringAPictureWaitsForIt) {
    StartManual("img000.bmp");
    CScriptedMessageSink sink(IDOK);
    Click(vtid::ManualPanel::StartCapture);
    // The close arrives while the picture is being taken (the capture pumps messages): the frame
    // stays until the picture is in the box, then closes.
    CMainFrame* f = Frame();
    wxQueueEvent(f, new wxCloseEvent(wxEVT_CLOSE_WINDOW, f->GetId()));
    Click(vtid::ManualPanel::TakePicture);
    EXPECT_TRUE(IsPicture(series + "/img000.bmp"));
    ASSERT_EQ(app->m_pMainFrame, f);
    EXPECT_TRUE(f->IsShown()); // the close has not begun under the capture
    EXPECT_EQ(Images().size(), 1u);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return app->m_pMainFrame == nullptr; }));
    EXPECT_TRUE(sink.ShownIds().empty());
}

} // namespace
