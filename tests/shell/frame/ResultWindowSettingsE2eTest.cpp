// The result window and the main window share the lens table and the [CALIBRATION] keys: each new
// result takes the lens and calibration as they stand, the main window's scale dialog opens on
// what the result window wrote, and an unsaved result is not replaced without the question.
#include "ShellGuiFixture.h"
#include "ShownComposition.h"

#include "devices/camera/gui/XYCalibSetDlg.h"
#include "ids/VantorelIds.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "shell/frame/TopMenuDialog.h"
#include "ui/PrivateMessages.h"
#include "ui/ResourceWidgets.h"
#include "ui/Services.h"
#include "result/ImageDoc.h"
#include "result/ImageFrame.h"
#include "result/SetScaleDlg.h"
#include "result/ViewerMenuDialog.h"

#include <wx/textctrl.h>

#include <cstring>

namespace {

class ResultSettings : public ShellWindows {
protected:
    CImageDoc* ShowComposition() { return ::ShowComposition(*app); }
    std::string LensLabel() const {
        return app->m_pResultFrame->GetViewerBar()->GetDlgItemText(93).utf8_string();
    }
    // The pitch a .vv3 file holds.
    static double FilePitch(const std::string& path) {
        const std::string bytes = ReadAllBytes(path);
        double pitch = 0;
        if (bytes.size() >= 856)
            std::memcpy(&pitch, bytes.data() + 848, 8);
        return pitch;
    }
    static std::string ReadAllBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(ResultSettings, EachResultTakesTheLensOfTheLensFileAndANewCalibration) {
    Settings(vtid::StartDialog::ManualCapture,
             "[CALIBRATION]\nCALIBNO=-1\nLENSNAME=ML90-2.5\nCALIB1=1.25\nCLBNAME1=Slot1\n"
             "SCALEONOFF1=1\nSCALEDOTONOFF=1\n[CALIBRATION_ML90-2.5]\nSCALELEN1=2\nSCALEDOT1=100\n");
    ASSERT_TRUE(StartProgram());
    CScriptedMessageSink sink(IDYES);
    CImageDoc* doc = ShowComposition();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->m_slot, -1);
    EXPECT_DOUBLE_EQ(doc->m_lens.umPerPixel, 0.09);
    EXPECT_EQ(LensLabel(), "Ninety");
    EXPECT_EQ(doc->m_lens.scaleDots, 100) << "the lens's own scale settings come with it";
    app->m_pResultFrame->RouteCommandId(vtid::cmd::Zoom100);
    ui::testing::Screenshot(app->m_pResultFrame, Shot("result-lens-file-bars.png"));

    // The main window calibrates the lens of the lens file: 0.4058 um/pixel.
    CMainFrame* f = Frame();
    ui::SendMessageTo(f->GetSafeHwnd(), WM_XYCALIB_EDIT, 1, 1);
    CXYCalibSetDlg* calib = f->CalibSetDialog();
    ASSERT_NE(calib, nullptr);
    calib->m_dCalib = 0.4058;
    ui::SendMessageTo(f->GetSafeHwnd(), WM_XYCALIB_APPLY, reinterpret_cast<WPARAM>(calib->GetSafeHwnd()), 0);
    ASSERT_EQ(ReadIniDouble("CALIBRATION_ML90-2.5", "CALIB1", 0), 0.4058);

    doc = ShowComposition(); // the first one was not saved: the question is answered yes
    ASSERT_NE(doc, nullptr);
    EXPECT_DOUBLE_EQ(doc->m_lens.umPerPixel, 0.4058);
    // A name typed without an extension is saved as a .vv3 file, with the new pitch.
    auto previous = ui::SetFileDialogService([this](wxWindow*, const ui::FileDialogRequest&) {
        ui::FileDialogResult r;
        r.paths.push_back(folder + "/dome1");
        return r;
    });
    app->m_pResultFrame->RouteCommandId(vtid::cmd::Save3dData);
    ui::SetFileDialogService(previous);
    EXPECT_FALSE(std::filesystem::exists(folder + "/dome1"));
    EXPECT_EQ(FilePitch(folder + "/dome1.vv3"), 0.4058);

    // Closed and opened again: still the calibrated lens.
    ASSERT_TRUE(app->CloseImageFrame(false));
    doc = ShowComposition();
    ASSERT_NE(doc, nullptr);
    EXPECT_DOUBLE_EQ(doc->m_lens.umPerPixel, 0.4058);
    doc->m_saved = 1;
}

TEST_F(ResultSettings, MainScaleDialogOpensOnWhatTheResultWindowWrote) {
    Settings(vtid::StartDialog::ManualCapture, "[CALIBRATION]\nCALIBNO=0\n");
    ASSERT_TRUE(StartProgram());
    CScriptedMessageSink sink(IDOK);
    CImageDoc* doc = ShowComposition();
    ASSERT_NE(doc, nullptr);
    doc->m_saved = 1;
    ui::testing::WhenModal([](wxDialog* d) {
        ui::testing::Type(ui::testing::FindById(d, vtid::ScaleSettingsDialog::Length), "100");
        ui::testing::Type(ui::testing::FindById(d, vtid::ScaleSettingsDialog::Pixels), "150");
        ui::testing::Click(ui::testing::FindById(d, IDOK));
    });
    app->m_pResultFrame->RouteCommandId(vtid::cmd::ResultScaleSettings);
    ASSERT_EQ(ReadIniInt("CALIBRATION", "SCALEDOT1", 0), 150);

    std::string length, dots;
    ui::testing::WhenModal([&](wxDialog* d) {
        length =
            ui::ToUtf8(ui::testing::FindById<wxTextCtrl>(d, vtid::ScaleSettingsDialog::Length)->GetValue());
        dots =
            ui::ToUtf8(ui::testing::FindById<wxTextCtrl>(d, vtid::ScaleSettingsDialog::Pixels)->GetValue());
        ui::testing::Click(ui::testing::FindById(d, IDOK));
    });
    ui::testing::Click(ui::testing::FindById(Frame()->TopMenu(), vtid::TopMenuBar::ScaleSettings));
    EXPECT_EQ(length, "100");
    EXPECT_EQ(dots, "150");
    // Its OK wrote back what it showed, not the values of the program's start.
    EXPECT_EQ(ReadIniInt("CALIBRATION", "SCALEDOT1", 0), 150);
    EXPECT_EQ(ReadIniDouble("CALIBRATION", "SCALELEN1", 0), 100.0);
}

TEST_F(ResultSettings, AnImageFromTheBrowserAsksBeforeAnUnsavedResultGoes) {
    Settings(vtid::StartDialog::ManualCapture);
    ASSERT_TRUE(StartProgram());
    HDIB picture = DibCreate(20, 10, 1);
    ASSERT_TRUE(SaveImageFile(picture, folder + "/other.bmp", 3, 75));
    GlobalFree(picture);
    CImageDoc* doc;
    {
        CScriptedMessageSink sink(IDOK);
        doc = ShowComposition();
        ASSERT_NE(doc, nullptr);
    }
    CScriptedMessageSink sink(IDNO);
    EXPECT_EQ(app->OpenDocumentFile(folder + "/other.bmp"), nullptr); // the browser's double-click
    EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{kMsgDiscardResult}));
    EXPECT_EQ(doc->m_width, 64);
    EXPECT_FALSE(doc->m_working.Empty());

    sink.SetDefaultAnswer(IDYES);
    EXPECT_EQ(app->OpenDocumentFile(folder + "/other.bmp"), doc);
    EXPECT_EQ(sink.ShownIds().size(), 2u); // asked once more, and only once
    EXPECT_EQ(doc->m_width, 20);
}

} // namespace
