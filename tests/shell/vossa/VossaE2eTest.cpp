// The continuous composition mode with the rendering test camera: the start dialog, a focus sweep
// through the camera's position file composed frame by frame, the end of a composition, the
// hand-over of the composite to the result window, a missing camera module and the lens timer.
#include "ShellGuiFixture.h"

#include "devices/camera/gui/InpImgDlg.h"
#include "devices/camera/gui/XYCalibSetDlg.h"
#include "ids/VantorelIds.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/compose/FocusComp.h"
#include "imaging/files/ImageFile.h"
#include "imaging/gui/GuiHooks.h"
#include "platform/Time.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/controls/ScaleStatic.h"
#include "shell/vossa/VossaDialog.h"
#include "shell/vossa/VossaImageView.h"
#include "shell/vossa/VossaLiveView.h"
#include "ui/Services.h"
#include "result/ImageDoc.h"
#include "result/ImageFrame.h"
#include "result/ScaleButton.h"
#include "result/SetScaleDlg.h"

#include <wx/anybutton.h>
#include <wx/combobox.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace {

// Mean squared Laplacian of the lightness over the middle three fifths of a grey or colour
// bitmap: the larger, the sharper the picture.
double FocusMeasure(HDIB dib) {
    GlobalLockGuard lock(dib);
    const int w = DibGetWidth(lock.get());
    const int h = DibGetHeight(lock.get());
    const int bits = DibGetBitCount(lock.get());
    const int bytes = bits / 8;
    const int64_t stride = ((static_cast<int64_t>(w) * bits + 31) / 32) * 4;
    const BYTE* base = static_cast<const BYTE*>(DibGetBits(lock.get()));
    auto at = [&](int x, int y) {
        const BYTE* p = base + stride * (h - 1 - y) + static_cast<int64_t>(x) * bytes;
        return bytes == 1 ? double(p[0]) : (double(p[0]) + p[1] + p[2]) / 3.0;
    };
    double sum = 0;
    long n = 0;
    for (int y = h / 5; y < h * 4 / 5; ++y)
        for (int x = w / 5; x < w * 4 / 5; ++x) {
            const double l = 4 * at(x, y) - at(x - 1, y) - at(x + 1, y) - at(x, y - 1) - at(x, y + 1);
            sum += l * l;
            ++n;
        }
    return n ? sum / n : 0.0;
}

// A hash of the depth and the pixel rows of a bitmap (not of its header): equal for a copy and
// for the same picture written to a file and read back.
uint64_t Checksum(HDIB dib) {
    GlobalLockGuard lock(dib);
    const int bits = DibGetBitCount(lock.get());
    const int64_t stride = ((static_cast<int64_t>(DibGetWidth(lock.get())) * bits + 31) / 32) * 4;
    const BYTE* p = static_cast<const BYTE*>(DibGetBits(lock.get()));
    uint64_t h = 1469598103934665603ull ^ static_cast<uint64_t>(bits);
    for (int64_t i = 0, n = stride * DibGetHeight(lock.get()); i < n; ++i)
        h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

wxSize DibSize(HDIB dib) {
    GlobalLockGuard lock(dib);
    return wxSize(DibGetWidth(lock.get()), DibGetHeight(lock.get()));
}

// A message sink that also notes the application's image-only flag whenever a box shows.
class FlagNotingSink : public CScriptedMessageSink {
public:
    explicit FlagNotingSink(COrsandelApp* a) : CScriptedMessageSink(IDOK), app(a) {}
    int Show(UINT id, UINT type, const std::vector<std::string>& args) override {
        if (app)
            flags.push_back(app->m_bImageOnly);
        return CScriptedMessageSink::Show(id, type, args);
    }
    COrsandelApp* app;
    std::vector<int> flags;
};

class Vossa : public ShellWindows {
protected:
    void SetUp() override {
        ShellWindows::SetUp();
        InstallImagingGuiServices(); // icons on buttons, as the program installs them
        ::setenv("VANTOREL_STAGE_POSITION_FILE", (folder + "/z.txt").c_str(), 1);
        FocusAt(0);
    }
    void TearDown() override {
        ShellWindows::TearDown();
        ::unsetenv("VANTOREL_STAGE_POSITION_FILE");
    }
    // The focus drive's position as the test camera reads it.
    void FocusAt(double z) { Write("z.txt", std::to_string(z)); }

    CVossaDialog* Panel() const { return Frame()->VossaPanel(); }
    CVossaLiveView* Live() const { return Frame()->VossaLiveView(); }
    CVossaImageView* Image() const { return Frame()->VossaImageView(); }
    bool Enabled(int id) const { return Panel()->GetDlgItem(id)->IsEnabled(); }
    void Press(int id) const { ui::testing::Click(Panel()->GetDlgItem(id)); }
    // 1211 Start, 1213 End, 1221 Save, 1226 Transfer, 1227 Viewer.
    std::string Buttons() const {
        std::string s;
        for (int id : {vtid::VossaPanel::Start, vtid::VossaPanel::End, vtid::VossaPanel::Save,
                       vtid::VossaPanel::Transfer, vtid::VossaPanel::Viewer})
            s += Enabled(id) ? '1' : '0';
        return s;
    }
};

TEST_F(Vossa, SweepComposesSharperThanEveryFrameAndHandsTheCompositeOver) {
    // The start dialog refuses the mode for a refused device, in any case, and keeps open.
    Write("Vantorel.ini", "[STAGEINPUT]\nINPDEVICE=vH-8000\n");
    FlagNotingSink sink(nullptr);
    const std::string ini = folder + "/Vantorel.ini";
    ui::testing::WhenModal([ini](wxDialog* d) {
        ui::testing::Click(ui::testing::FindById(d, vtid::StartDialog::VossaComposition));
        std::FILE* f = std::fopen(ini.c_str(), "w");
        std::fputs("[STAGEINPUT]\nINPDEVICE=Vantorel Test Camera\n", f);
        std::fclose(f);
        ui::testing::Click(ui::testing::FindById(d, vtid::StartDialog::VossaComposition));
    });
    ASSERT_TRUE(StartProgram());
    sink.app = app.get();
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::VossaNotWithDevice});
    sink.ClearShown();
    CMainFrame* f = Frame();
    EXPECT_EQ(app->m_nStartMode, vtid::StartDialog::VossaComposition);
    EXPECT_TRUE(f->IsActiveView<CVossaLiveView>());
    ASSERT_NE(Panel(), nullptr);
    EXPECT_TRUE(f->Bars().State("VossaZDlg").shown);
    EXPECT_EQ(Panel()->GetDlgItemText(vtid::VossaPanel::Start), wxString::FromUTF8("▲"));
    // Icons 269 .. 273
    for (int id : {vtid::VossaPanel::Start, vtid::VossaPanel::End, vtid::VossaPanel::Save,
                   vtid::VossaPanel::Transfer, vtid::VossaPanel::Viewer})
        EXPECT_TRUE(dynamic_cast<wxAnyButton*>(Panel()->GetDlgItem(id))->GetBitmap().IsOk()) << id;
    EXPECT_EQ(Buttons(), "10000");

    // The live ticker shows frames while the mode is showing.
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return Live()->LivePane()->HasImage(); }, 20000));
    EXPECT_EQ(Live()->FrameWidth(), 640);
    EXPECT_EQ(Image()->ImageWidth(), 640); // the preview follows the frame size
    app->Ticker().StopTicking();

    // End before any frame: nothing to compose, the buttons are back at once.
    Press(vtid::VossaPanel::Start);
    EXPECT_EQ(Buttons(), "01000");
    // Neither the initial menu nor the input device and its mode while composing.
    for (int id : {vtid::cmd::InitialMenu, vtid::cmd::SelectInputDevice, vtid::cmd::InputMode}) {
        ui::CmdUI state(id);
        f->UpdateCmdUI(state);
        EXPECT_FALSE(state.enabled.value_or(true)) << id;
    }
    Press(vtid::VossaPanel::End);
    EXPECT_EQ(Buttons(), "10000");
    for (int id : {vtid::cmd::SelectInputDevice, vtid::cmd::InputMode}) {
        ui::CmdUI state(id);
        f->UpdateCmdUI(state);
        EXPECT_TRUE(state.enabled.value_or(false)) << id;
    }
    EXPECT_EQ(Image()->Composer(), nullptr);
    Live()->GrabAndCompose();
    ui::testing::ProcessPending();
    EXPECT_EQ(Buttons(), "10000");

    // A sweep of eleven focus positions over the dome: every delivered frame is composed and the
    // preview changes with each.
    Press(vtid::VossaPanel::Start);
    const long delivered = Live()->FramesDelivered();
    double sharpestFrame = 0;
    uint64_t previous = 0;
    for (int step = 0; step <= 10; ++step) {
        FocusAt(step * 10.0);
        Live()->GrabAndCompose();
        ASSERT_NE(app->m_pDocument->m_hFrame, nullptr);
        sharpestFrame = std::max(sharpestFrame, FocusMeasure(app->m_pDocument->m_hFrame));
        ASSERT_TRUE(Image()->HasComposite());
        const uint64_t sum = Checksum(Image()->Composite());
        EXPECT_NE(sum, previous) << step;
        previous = sum;
        EXPECT_TRUE(Image()->PicturePane()->HasImage());
        EXPECT_TRUE(Image()->PicturePane()->IsShown());
        if (step == 5) {
            // The bars' commands follow the composition (no initial menu while it runs).
            wxWindow* initial = f->CompositionBar()->GetDlgItem(vtid::CompositionBar::InitialMenu);
            EXPECT_TRUE(ui::testing::PumpUntil([&] { return !initial->IsEnabled(); }));
            // The picture for looking at: the frame in front, as the user works in it.
            f->Raise();
            ui::testing::PumpUntil([&] { return f->IsActive(); }, 2000);
            ui::testing::ScreenshotRoot(Shot("vossa-composing.png"));
        }
    }
    EXPECT_EQ(Live()->FramesDelivered() - delivered, 11);
    EXPECT_EQ(Image()->FramesComposed(), 11);

    // End: the composite is cut; the buttons come back with the end message of the next step.
    Press(vtid::VossaPanel::End);
    ui::testing::ProcessPending();
    EXPECT_EQ(Buttons(), "00000");
    Live()->GrabAndCompose();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return Enabled(vtid::VossaPanel::Start); }));
    EXPECT_EQ(Buttons(), "10111");
    EXPECT_EQ(Image()->FramesComposed(), 11); // nothing added after the end
    ui::CmdUI initialMenu(vtid::cmd::InitialMenu);
    f->UpdateCmdUI(initialMenu);
    EXPECT_TRUE(initialMenu.enabled.value_or(false));
    const double composite = FocusMeasure(Image()->Composite());
    EXPECT_GT(composite, 1.5 * sharpestFrame) << composite << " against " << sharpestFrame;
    const wxSize size = DibSize(Image()->Composite());
    const uint64_t composed = Checksum(Image()->Composite());

    // Save: the composite in the hidden result window, saved through the file dialog.
    const std::string saved = folder + "/vossa.bmp";
    auto previousDialog = ui::SetFileDialogService([saved](wxWindow*, const ui::FileDialogRequest&) {
        ui::FileDialogResult r;
        r.paths.push_back(saved);
        return r;
    });
    Press(vtid::VossaPanel::Save);
    ui::SetFileDialogService(previousDialog);
    ASSERT_NE(app->m_pResultFrame, nullptr);
    EXPECT_FALSE(app->m_pResultFrame->IsShown());
    int type = -1;
    HDIB back = ReadImageFile(saved, &type);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(DibSize(back), size);
    EXPECT_EQ(Checksum(back), composed); // the composite itself was saved
    GlobalFree(back);

    // Transfer: the image only, to the analysis program, which Linux does not have (1033); the
    // manual clock lets the look-ups for its window pass at once.
    {
        ScopedManualClock clock;
        Press(vtid::VossaPanel::Transfer);
    }
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::AnalysisTransferFailed});
    EXPECT_EQ(sink.flags, std::vector<int>{1}); // set while the hand-over ran
    EXPECT_EQ(app->m_bImageOnly, 0);
    EXPECT_FALSE(app->m_pResultFrame->IsShown());
    EXPECT_EQ(Checksum(app->m_pResultFrame->GetImageDoc()->m_image), composed);

    // Viewer: the handed-over composite was not saved, so the question comes first; No keeps
    // the result window as it is. Then the composite shown in the result window.
    sink.ClearShown();
    sink.Queue({IDNO});
    Press(vtid::VossaPanel::Viewer);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{kMsgDiscardResult});
    EXPECT_FALSE(app->m_pResultFrame->IsShown());
    sink.Queue({IDYES});
    Press(vtid::VossaPanel::Viewer);
    EXPECT_EQ(sink.ShownIds().size(), 2u);
    EXPECT_TRUE(app->m_pResultFrame->IsShown());
    EXPECT_EQ(DibSize(app->m_pResultFrame->GetImageDoc()->m_image), size);
    EXPECT_EQ(Checksum(app->m_pResultFrame->GetImageDoc()->m_image), composed);

    // A new start frees the last composite: ended at once, the three stay disabled.
    Press(vtid::VossaPanel::Start);
    EXPECT_FALSE(Image()->HasComposite());
    Press(vtid::VossaPanel::End);
    EXPECT_EQ(Buttons(), "10000");

    // Leaving the mode frees the composer.
    Press(vtid::VossaPanel::Start);
    Live()->GrabAndCompose();
    ASSERT_EQ(Image()->FramesComposed(), 1);
    Press(vtid::VossaPanel::End);
    Live()->GrabAndCompose();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return Enabled(vtid::VossaPanel::Viewer); }));
    app->CloseImageFrame(false);
    ui::testing::WhenModal(
        [](wxDialog* d) { ui::testing::Click(ui::testing::FindById(d, vtid::StartDialog::ManualCapture)); });
    f->RouteCommandId(vtid::cmd::InitialMenu);
    EXPECT_EQ(Image()->Composer(), nullptr);
    EXPECT_EQ(Buttons(), "10000");
}

TEST_F(Vossa, MissingModuleIsToldOnceUntilAModuleLoadsOrTheModeIsEnteredAgain) {
    Write("Vantorel.ini", "[InitialSettings]\nNOSTARTDISP=1\nSTARTINGMODE=" +
                              std::to_string(vtid::StartDialog::VossaComposition) +
                              "\n[STAGEINPUT]\nINPDEVICE=Missing Camera\n");
    CScriptedMessageSink sink(IDOK);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    EXPECT_TRUE(f->CameraFailed());
    for (int entry = 0; entry < 2; ++entry) {
        SCOPED_TRACE(entry);
        if (entry == 1) {
            ui::testing::WhenModal([](wxDialog* d) {
                ui::testing::Click(ui::testing::FindById(d, vtid::StartDialog::VossaComposition));
            });
            f->RouteCommandId(vtid::cmd::InitialMenu);
            EXPECT_TRUE(f->CameraFailed());
        }
        // The input mode command clears the failure although no module is loaded.
        f->RouteCommandId(vtid::cmd::InputMode);
        ASSERT_FALSE(f->CameraFailed());
        ASSERT_FALSE(f->CameraModule().IsLoaded());
        const long steps = Live()->Steps();
        ASSERT_TRUE(ui::testing::PumpUntil([&] { return Live()->Steps() >= steps + 10; }, 20000));
        EXPECT_EQ(sink.CountOf(vtid::str::ImageInputFailed), static_cast<size_t>(entry + 1));
    }
    // A start without frames ends at once with only Start enabled.
    Press(vtid::VossaPanel::Start);
    EXPECT_EQ(Buttons(), "01000");
    const long steps = Live()->Steps();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return Live()->Steps() >= steps + 2; }));
    Press(vtid::VossaPanel::End);
    EXPECT_EQ(Buttons(), "10000");
    EXPECT_EQ(sink.CountOf(vtid::str::ImageInputFailed), 2u);

    // The test camera chosen with the input device command: frames come, no message.
    ui::testing::WhenModal([](wxDialog* d) {
        auto* combo = ui::testing::FindById<wxComboBox>(d, CInpImgDlg::kDeviceCombo);
        ASSERT_NE(combo, nullptr);
        combo->SetValue("Vantorel Test Camera");
        ui::testing::Click(ui::testing::FindById(d, IDOK));
        // The input mode that follows runs the camera's own dialog.
        ui::testing::WhenModal(
            [](wxDialog* camera) { ui::testing::Click(ui::testing::FindById(camera, wxID_OK)); });
    });
    f->RouteCommandId(vtid::cmd::SelectInputDevice);
    ASSERT_TRUE(f->CameraModule().IsLoaded());
    const long delivered = Live()->FramesDelivered();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return Live()->FramesDelivered() >= delivered + 3; }, 20000));
    EXPECT_EQ(sink.CountOf(vtid::str::ImageInputFailed), 2u);
    // A module that has gone since is told once more, once.
    f->CameraModule().ResetBinding();
    f->CameraModule().Close();
    const long later = Live()->Steps();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return Live()->Steps() >= later + 10; }, 20000));
    EXPECT_EQ(sink.CountOf(vtid::str::ImageInputFailed), 3u);
}

TEST_F(Vossa, GrabKindsAndTheLastGoodFrameWhenTheCameraStopsDelivering) {
    // A counting module named "DP70": REFPARAM 0 counts its frame grabs; SAMPLE -1 fails them.
    ::setenv("VANTOREL_CAMERA_DIR", (std::string(VT_BINARY_DIR) + "/tools/testcam/config").c_str(), 1);
    Write("Vantorel.ini", "[InitialSettings]\nNOSTARTDISP=1\nSTARTINGMODE=" +
                              std::to_string(vtid::StartDialog::VossaComposition) +
                              "\n[STAGEINPUT]\nINPDEVICE=DP70\n[CAMPARAM]\nEXT2=0\n");
    CScriptedMessageSink sink(IDOK);
    ASSERT_TRUE(StartProgram());
    app->Ticker().StopTicking();
    CMainFrame* f = Frame();
    ASSERT_TRUE(f->CameraModule().IsLoaded());
    CamParamRecord& r = *f->CameraParameters().m_pRecord;
    ASSERT_TRUE(f->LayoutRefreshPending());
    // A pending layout refresh: one grab thrown away before the frame, then the flag is clear.
    int grabs = r.RefParam(0);
    Live()->GrabAndCompose();
    EXPECT_EQ(r.RefParam(0) - grabs, 2);
    EXPECT_FALSE(f->LayoutRefreshPending());
    grabs = r.RefParam(0);
    Live()->GrabAndCompose();
    EXPECT_EQ(r.RefParam(0) - grabs, 1);
    // This module with its second extension field 1 takes still grabs and keeps the refresh.
    f->SetLayoutRefresh(true);
    r.SetInt(VT_CAMPARAM_EXT2, 1);
    grabs = r.RefParam(0);
    Live()->GrabAndCompose();
    EXPECT_EQ(r.RefParam(0) - grabs, 1);
    EXPECT_EQ(r.GrabKind(), 0);
    EXPECT_EQ(r.Ext1(), 2);
    EXPECT_TRUE(f->LayoutRefreshPending());

    // Composing while the camera stops delivering: nothing is added, the last good frame stays.
    Press(vtid::VossaPanel::Start);
    Live()->GrabAndCompose();
    ASSERT_EQ(Image()->FramesComposed(), 1);
    ASSERT_NE(app->m_pDocument->m_hFrame, nullptr);
    const uint64_t good = Checksum(app->m_pDocument->m_hFrame);
    r.SetInt(VT_CAMPARAM_SAMPLE, -1);
    const long delivered = Live()->FramesDelivered();
    Live()->GrabAndCompose();
    Live()->GrabAndCompose();
    EXPECT_EQ(Live()->FramesDelivered(), delivered);
    EXPECT_EQ(Image()->FramesComposed(), 1);
    ASSERT_NE(app->m_pDocument->m_hFrame, nullptr);
    EXPECT_EQ(Checksum(app->m_pDocument->m_hFrame), good);
    EXPECT_TRUE(Live()->LivePane()->HasImage());
    EXPECT_TRUE(sink.ShownIds().empty());
}

TEST_F(Vossa, StartWithoutInputDeviceAsksForOneAndTheScalesNeedTheirLengths) {
    Write("Vantorel.ini", "[InitialSettings]\nNOSTARTDISP=1\nSTARTINGMODE=" +
                              std::to_string(vtid::StartDialog::VossaComposition) + "\n");
    CScriptedMessageSink sink(IDOK);
    ASSERT_TRUE(StartProgram());
    // The panel floated in a window of its own still drives the main frame.
    Frame()->Bars().FloatBar("VossaZDlg", true);
    Frame()->Bars().Update();
    ASSERT_TRUE(Frame()->Bars().State("VossaZDlg").floating);
    Press(vtid::VossaPanel::Start);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::SelectInputDevice});
    EXPECT_EQ(Buttons(), "10000");

    // The scale commands of the live view: without a length the bar cannot be shown (1042).
    CMainFrame* f = Frame();
    ASSERT_TRUE(f->IsActiveView<CVossaLiveView>());
    COrsandelDoc* doc = app->m_pDocument;
    doc->m_currentLens.m_scaleLength = 0.0;
    doc->m_scale1 = 1;
    sink.ClearShown();
    f->RouteCommandId(vtid::cmd::ShowScale1);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::NoScaleSettings});
    EXPECT_EQ(doc->m_scale1, 0);
    EXPECT_EQ(ReadIniInt("CALIBRATION", "SCALEONOFF1", -1), 0);
    doc->m_currentLens.m_scaleDots = 50;
    f->RouteCommandId(vtid::cmd::ShowScale2);
    EXPECT_EQ(doc->m_scale2, 1);
    EXPECT_EQ(ReadIniInt("CALIBRATION", "SCALEDOTONOFF", -1), 1);
    ui::CmdUI dots(vtid::cmd::ShowScale2);
    f->UpdateCmdUI(dots);
    EXPECT_EQ(dots.checked.value_or(0), 1);
    EXPECT_TRUE(dots.enabled.value_or(false));
    EXPECT_EQ(sink.ShownIds().size(), 1u);
    // The scale settings of the live view: the dialog of the capture view (285).
    int shownTemplate = 0;
    ui::testing::WhenModal([&](wxDialog* d) {
        if (auto* dlg = dynamic_cast<ui::TemplateDialog*>(d))
            shownTemplate = dlg->TemplateId();
        d->EndModal(IDCANCEL);
    });
    f->RouteCommandId(vtid::cmd::ScaleSettings);
    EXPECT_EQ(shownTemplate, vtid::dlg::ScaleSettingsDialog);
}

TEST_F(Vossa, FrameSizeChangeLaysOutBothViewsAndAnotherSizeIsNotComposed) {
    Settings(vtid::StartDialog::VossaComposition, "[CAMPARAM]\nIMAGESIZESEL=0\n");
    ASSERT_TRUE(StartProgram());
    app->Ticker().StopTicking();
    CamParamRecord& r = *Frame()->CameraParameters().m_pRecord;
    // The live picture keeps the frame's shape: width to height as the frame's, within a pixel.
    auto shapeKept = [](wxWindow* pane, int w, int h) {
        const wxSize s = pane->GetSize();
        return s.x > 0 && std::abs(s.x * h - s.y * w) <= std::max(w, h);
    };
    Live()->GrabAndCompose();
    ASSERT_EQ(Live()->FrameWidth(), 640);
    const wxSize before = Live()->LivePane()->GetSize();
    // A larger frame of another shape: 5:4 after 4:3.
    r.SetInt(VT_CAMPARAM_IMAGESIZESEL, 3);
    Live()->GrabAndCompose();
    EXPECT_EQ(Live()->FrameWidth(), 1280);
    EXPECT_EQ(Live()->FrameHeight(), 1024);
    EXPECT_EQ(Image()->ImageWidth(), 1280);
    EXPECT_EQ(Image()->ImageHeight(), 1024);
    EXPECT_NE(Live()->LivePane()->GetSize(), before);
    EXPECT_TRUE(shapeKept(Live()->LivePane(), 1280, 1024));
    EXPECT_TRUE(shapeKept(Live()->ScaleOverlay(), 1280, 1024));

    // Composing at 320 x 240; a frame of another size between steps is shown, not composed.
    r.SetInt(VT_CAMPARAM_IMAGESIZESEL, 1);
    Live()->GrabAndCompose();
    Press(vtid::VossaPanel::Start);
    Live()->GrabAndCompose();
    ASSERT_EQ(Image()->FramesComposed(), 1);
    EXPECT_EQ(DibSize(Image()->Composite()), wxSize(320, 240));
    EXPECT_TRUE(shapeKept(Image()->PicturePane(), 320, 240));
    r.SetInt(VT_CAMPARAM_IMAGESIZESEL, 3);
    Live()->GrabAndCompose();
    EXPECT_EQ(Image()->FramesComposed(), 1);
    EXPECT_EQ(DibSize(Image()->Composite()), wxSize(320, 240));
    EXPECT_EQ(Live()->FrameWidth(), 1280);
    EXPECT_TRUE(shapeKept(Live()->LivePane(), 1280, 1024));
    Press(vtid::VossaPanel::End);
    Live()->GrabAndCompose();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return Enabled(vtid::VossaPanel::Viewer); }));
    EXPECT_EQ(DibSize(Image()->Composite()), wxSize(320, 240));
}

TEST_F(Vossa, ScaleSettingsOfTheLiveViewWriteTheLensSectionAndEveryLensDots) {
    // The current lens comes from the lens table (no slot); the dot count goes to every lens.
    Settings(vtid::StartDialog::VossaComposition,
             "[CALIBRATION]\nCALIBNO=-1\nLENSNAME=ML90-2.5\nSCALECOLOR1=255\nSCALEPOS1=2\n"
             "SCALEALLCHK1=0\nSCALEALLCHK2=1\n");
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    ASSERT_TRUE(f->IsActiveView<CVossaLiveView>());
    CScriptedMessageSink sink(IDOK);
    ui::testing::WhenModal([](wxDialog* d) {
        auto* dlg = dynamic_cast<CSetScaleDlg*>(d);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(ui::ToUtf8(d->FindWindow(vtid::ScaleSettingsDialog::LensName)->GetLabel()), "Ninety");
        EXPECT_EQ(dlg->PositionButton(2)->IsPushed(), 1); // the program's corner
        ui::testing::Type(d->FindWindow(vtid::ScaleSettingsDialog::Length), "25");
        ui::testing::Type(d->FindWindow(vtid::ScaleSettingsDialog::Pixels), "40");
        ui::testing::Type(d->FindWindow(vtid::ScaleSettingsDialog::Step), "5");
        ui::testing::Click(dlg->PositionButton(0));
        ui::testing::Click(d->FindWindow(IDOK));
    });
    f->RouteCommandId(vtid::cmd::ScaleSettings);
    EXPECT_TRUE(sink.ShownIds().empty());
    COrsandelDoc* doc = app->m_pDocument;
    EXPECT_DOUBLE_EQ(doc->m_currentLens.m_scaleLength, 25);
    EXPECT_EQ(doc->m_currentLens.m_scaleDots, 40);
    for (const auto& slot : doc->m_slots) {
        EXPECT_EQ(slot->m_scaleDots, 40);
        EXPECT_DOUBLE_EQ(slot->m_scaleLength, 0); // the length was for this lens only
    }
    EXPECT_EQ(SettingsSection("CALIBRATION"),
              "[CALIBRATION]\nCALIBNO=-1\nLENSNAME=ML90-2.5\nSCALECOLOR1=255\nSCALEPOS1=0\n"
              "SCALEALLCHK1=0\nSCALEALLCHK2=1\n"
              "SCALEDOT1=40\nSCALEDOT2=40\nSCALEDOT3=40\nSCALEDOT4=40\nSCALEDOT5=40\n");
    EXPECT_EQ(SettingsSection("CALIBRATION_ML90-2.5"),
              "[CALIBRATION_ML90-2.5]\nSCALELEN1=25\nSCALEDOT1=40\nSCALECEIL1=5\nSCALEPOS1=0\n"
              "SCALECOLOR1=255\n");
    EXPECT_EQ(SettingsSection("CALIBRATION_ML30-1"), "[CALIBRATION_ML30-1]\nSCALEDOT1=40\n");
}

void Mouse(wxWindow* pane, wxEventType type, int x, int y, bool shift) {
    ui::testing::SendMouse(pane, type, {x, y}, type != wxEVT_LEFT_UP, shift);
}

TEST_F(Vossa, MeasuringLineOnTheLivePictureWhileCalibrating) {
    Settings(vtid::StartDialog::VossaComposition);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return Live()->LivePane()->HasImage(); }, 20000));
    CScriptedMessageSink sink(IDOK);
    wxWindow* pane = Live()->LivePane();
    // No calibration dialog: a drag draws nothing.
    Mouse(pane, wxEVT_LEFT_DOWN, 10, 10, false);
    Mouse(pane, wxEVT_MOTION, 60, 10, false);
    Mouse(pane, wxEVT_LEFT_UP, 60, 10, false);
    EXPECT_EQ(f->Document()->m_dCalibLineLength, 0.0);

    SendMessage(f->GetSafeHwnd(), WM_XYCALIB_EDIT, 0, 0);
    ASSERT_TRUE(f->IsCalibSetOpen());
    CXYCalibSetDlg* calib = f->CalibSetDialog();
    ASSERT_TRUE(ui::testing::WaitForPaint(calib));
    EXPECT_EQ(calib->m_nViewWidth, 640); // the live view's frame width
    // A Shift-held drag to the right and a little down: a horizontal line.
    const int right = pane->GetClientSize().x - 5;
    ASSERT_GT(right, 60);
    Mouse(pane, wxEVT_LEFT_DOWN, 20, 30, true);
    Mouse(pane, wxEVT_MOTION, right, 34, true);
    EXPECT_TRUE(Live()->CalibLine().Geometry().IsDrawing());
    Mouse(pane, wxEVT_LEFT_UP, right, 34, true);
    const double s = Live()->CalibLine().Geometry().Scale();
    ASSERT_GT(s, 0.0);
    EXPECT_DOUBLE_EQ(s, pane->GetClientSize().x / 640.0);
    EXPECT_EQ(Live()->CalibLine().Geometry().EndPoint().y, 30);
    EXPECT_DOUBLE_EQ(f->Document()->m_dCalibLineLength, std::hypot((right - 20 + 1) / s, 1.0 / s));
    // The calibration's result forgets the line on the live view.
    ui::testing::Type(calib->GetDlgItem(CXYCalibSetDlg::kLineEdit), "100");
    ui::testing::Click(calib->GetDlgItem(IDOK));
    EXPECT_FALSE(f->IsCalibSetOpen());
    EXPECT_FALSE(Live()->CalibLine().Geometry().HasLength());
    EXPECT_TRUE(sink.ShownIds().empty());
}

TEST_F(Vossa, LensTimerReadsTheControllerAtEveryActivation) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    ::setenv("VANTOREL_COM3", ::ptsname(master), 1);
    Settings(vtid::StartDialog::VossaComposition);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    EXPECT_FALSE(Live()->LensTimerRunning());
    // Another controller and lens port in the settings: taken at the next activation.
    WriteIniInt("COMM", "CONTROLLER", 9);
    WriteIniInt("COMM", "LENSPORT", 2);
    f->SetActiveView(static_cast<ui::View*>(Image()));
    EXPECT_FALSE(Live()->LensTimerRunning());
    f->SetActiveView(static_cast<ui::View*>(Live()));
    ASSERT_TRUE(Live()->LensTimerRunning());
    const unsigned char state = 0x1D; // lens 90, zoom 2.5
    ASSERT_EQ(::write(master, &state, 1), 1);
    COrsandelDoc* doc = app->m_pDocument;
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return doc->m_lensNumber == 90; }, 10000));
    EXPECT_DOUBLE_EQ(doc->m_zoom, 2.5);
    f->SetActiveView(static_cast<ui::View*>(Image()));
    EXPECT_FALSE(Live()->LensTimerRunning());
    CloseProgram();
    ::unsetenv("VANTOREL_COM3");
    ::close(master);
}

TEST(VossaTemplates, EveryClassFindsItsControls) {
    CVossaDialog panel;
    EXPECT_TRUE(panel.CheckControlIds().empty());
    CVossaLiveView live;
    EXPECT_TRUE(live.CheckControlIds().empty());
    CVossaImageView image;
    EXPECT_TRUE(image.CheckControlIds().empty());
}

} // namespace
