// The result window that the program opens, calibrated on the lens-selection dialogs with the
// program's lens file and settings.
#include "ShellGuiFixture.h"

#include "devices/camera/gui/LensCalibRegDlg.h"
#include "devices/camera/gui/LensCalibTxtDlg.h"
#include "devices/camera/gui/XYCalibDialog.h"
#include "devices/camera/gui/XYCalibSetDlg.h"
#include "ids/VantorelIds.h"
#include "imaging/bitmaps/Dib.h"
#include "result/ImageDoc.h"
#include "result/ImageFrame.h"
#include "result/ImageView.h"
#include "result/ViewerMenuDialog.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/notebook.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

class ResultLens : public ShellWindows {
protected:
    // A blank 320 x 240 result shown in the program's result window, its work done.
    CImageDoc* ShowResult() {
        HDIB image = DibCreate(320, 240, 1);
        CImageDoc* doc = app->OpenImageDocument(nullptr, image, nullptr, nullptr, 1);
        GlobalFree(image);
        if (!doc || !ui::testing::PumpUntil([&] { return doc->m_busy == 0 && !doc->IsWorkerRunning(); }))
            return nullptr;
        doc->m_saved = 1; // nothing to ask when the program closes
        return doc;
    }
};

// The result window that the program opens: its own lens selection and tab, a slot calibrated
// from a Shift-held line on the result picture, and a lens of the program's lens file chosen.
TEST_F(ResultLens, LineOnAResultPictureOfTheProgramCalibratesASlot) {
    Settings(vtid::StartDialog::ManualCapture);
    ASSERT_TRUE(StartProgram());
    CScriptedMessageSink sink(IDOK);
    CImageDoc* doc = ShowResult();
    ASSERT_NE(doc, nullptr);
    CImageFrame* result = app->m_pResultFrame;
    CImageView* view = result->GetImageView();
    result->RouteCommandId(vtid::cmd::Zoom100); // 100 %: shown pixels are image pixels
    view->Scroll(0, 0);
    view->Refresh();
    ASSERT_TRUE(ui::testing::WaitForPaint(result));

    // The slot tab, and slot 2's "登録".
    ui::testing::WhenModal([&](wxDialog* d) {
        auto* dlg = dynamic_cast<CXYCalibDialog*>(d);
        ASSERT_TRUE(dlg && dlg->SlotPage() && dlg->Notebook());
        dlg->Notebook()->SetSelection(1);
        ASSERT_TRUE(ui::testing::PumpUntil([&] { return dlg->SlotPage()->IsShown(); }));
        ui::testing::Click(dlg->SlotPage()->GetDlgItem(vtid::LensSlotsPage::Register2));
    });
    result->RouteCommandId(ID_LENS_SELECT);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return result->IsCalibSetOpen(); }));
    CXYCalibSetDlg* calib = result->m_pCalibSetDlg;
    ASSERT_TRUE(ui::testing::WaitForPaint(calib));
    EXPECT_EQ(calib->m_nViewWidth, 320);
    EXPECT_FALSE(Frame()->IsCalibSetOpen()); // the main frame keeps its own dialog

    const RECT r = view->ImageRect();
    auto mouse = [&](wxEventType type, int x, int y) {
        ui::testing::SendMouse(view, type, {r.left + x, r.top + y}, type != wxEVT_LEFT_UP, true);
    };
    mouse(wxEVT_LEFT_DOWN, 20, 20);
    mouse(wxEVT_MOTION, 219, 25); // Shift: horizontal, 200 pixels with both ends
    mouse(wxEVT_LEFT_UP, 219, 25);
    EXPECT_DOUBLE_EQ(doc->m_calibLineLength, std::hypot(200.0, 1.0));
    ui::testing::Type(calib->GetDlgItem(CXYCalibSetDlg::kNameEdit), wxString::FromUTF8("結果20倍"));
    wxWindow* line = calib->GetDlgItem(CXYCalibSetDlg::kLineEdit);
    ui::testing::Type(line, "100");
    wxFocusEvent leave(wxEVT_KILL_FOCUS, line->GetId());
    leave.SetEventObject(line);
    line->GetEventHandler()->ProcessEvent(leave);
    ui::testing::Click(calib->GetDlgItem(IDOK));

    EXPECT_FALSE(result->IsCalibSetOpen());
    const double expected = 100.0 / std::hypot(200.0, 1.0);
    EXPECT_EQ(ReadIniString("CALIBRATION", "CALIB2", ""), FormatDoubleText(expected));
    EXPECT_EQ(ReadIniString("CALIBRATION", "CLBNAME2", ""), "結果20倍");
    EXPECT_EQ(ReadIniInt("CALIBRATION", "CALIBNO", -5), 1);
    EXPECT_EQ(result->GetViewerBar()->GetDlgItemText(93).utf8_string(), "結果20倍");

    // The result window remembers the slot tab; the main frame still opens on the lens table.
    ui::testing::WhenModal([&](wxDialog* d) {
        EXPECT_EQ(dynamic_cast<CXYCalibDialog*>(d)->Notebook()->GetSelection(), 1);
        ui::testing::Click(d->FindWindow(IDCANCEL));
    });
    result->RouteCommandId(ID_LENS_SELECT);
    ui::testing::WhenModal([&](wxDialog* d) {
        EXPECT_EQ(dynamic_cast<CXYCalibDialog*>(d)->Notebook()->GetSelection(), 0);
        ui::testing::Click(d->FindWindow(IDCANCEL));
    });
    Frame()->RouteCommandId(ID_LENS_SELECT);

    // A lens of the program's lens file on the result window.
    ui::testing::WhenModal([&](wxDialog* d) {
        auto* dlg = dynamic_cast<CXYCalibDialog*>(d);
        dlg->Notebook()->SetSelection(0);
        ASSERT_TRUE(ui::testing::PumpUntil([&] { return dlg->TablePage()->IsShown(); }));
        ui::testing::Click(dlg->TablePage()->GetDlgItem(vtid::LensTablePage::Select2));
        ui::testing::Click(d->FindWindow(IDOK));
    });
    result->RouteCommandId(ID_LENS_SELECT);
    EXPECT_EQ(doc->m_slot, -1);
    EXPECT_EQ(doc->m_lens.name, "ML90-2.5");
    EXPECT_DOUBLE_EQ(doc->m_lens.umPerPixel, 0.09);
    EXPECT_EQ(result->GetViewerBar()->GetDlgItemText(93).utf8_string(), "Ninety");
    EXPECT_EQ(ReadIniString("CALIBRATION", "LENSNAME", ""), "ML90-2.5");
    EXPECT_TRUE(sink.ShownIds().empty());
}

// The program links the live overlay's scale bars and the result window's, two sets of types of
// the same names: each must keep its own code. A result with both bars on is laid out and drawn
// while the live picture with its bars runs beside it.
TEST_F(ResultLens, BothScaleBarsOfAResultBesideTheLiveOverlay) {
    Settings(vtid::StartDialog::ManualCapture,
             "[CALIBRATION]\nCALIBNO=0\nCALIB1=0.5\nSCALELEN1=50\nSCALEDOT1=40\nSCALECEIL1=1\n"
             "SCALEONOFF1=1\nSCALEDOTONOFF=1\n");
    ASSERT_TRUE(StartProgram());
    CScriptedMessageSink sink(IDOK);
    CImageDoc* doc = ShowResult();
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->m_scaleOn && doc->m_dotScaleOn);
    for (int i = 0; i < 3; ++i) {
        app->m_pResultFrame->GetImageView()->Refresh();
        ASSERT_TRUE(ui::testing::WaitForPaint(app->m_pResultFrame));
        Frame()->Refresh();
        ASSERT_TRUE(ui::testing::WaitForPaint(Frame()));
    }
    wxBitmap bitmap(400, 300);
    wxMemoryDC dc(bitmap);
    const ScaleBarLayout layout =
        CImageView::DrawScaleBars(dc, *doc, RECT{0, 0, 320, 240}, 320, 1.0, 1.0, ScaleBarTarget::Screen);
    ASSERT_EQ(layout.bars.size(), 2u);
    std::vector<std::string> labels;
    for (const ScaleBar& bar : layout.bars)
        labels.push_back(bar.label);
    std::sort(labels.begin(), labels.end());
    EXPECT_EQ(labels, (std::vector<std::string>{"20um", "50um"}));
    EXPECT_TRUE(sink.ShownIds().empty());
}

} // namespace
