// The result window's lens selection and XY calibration on the dialogs of the camera folder: a
// slot calibrated from a line drawn on the result picture, and a lens of the lens table chosen.
#include "ListLensTable.h"
#include "devices/camera/LensTable.h"
#include "devices/camera/gui/LensCalibRegDlg.h"
#include "devices/camera/gui/LensCalibTxtDlg.h"
#include "devices/camera/gui/XYCalibDialog.h"
#include "devices/camera/gui/XYCalibSetDlg.h"
#include "ids/VantorelIds.h"
#include "imaging/bitmaps/Dib.h"
#include "platform/ScriptedMessageSink.h"
#include "platform/Settings.h"
#include "tests/support/ScratchSettingsFile.h"
#include "ui/testing/GuiTest.h"
#include "result/ImageDoc.h"
#include "result/ImageFrame.h"
#include "result/ImageView.h"
#include "result/ViewerMenuDialog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

using namespace ui::testing;

namespace {

class TwoLenses : public ListLensTable {
public:
    TwoLenses() {
        for (int i = 0; i < 2; ++i) {
            auto lens = std::make_unique<CMLens>();
            lens->m_index = i;
            lens->SetName(i == 0 ? "20X" : "50X");
            lens->SetRegName(i == 0 ? "Obj20" : "Obj50");
            lens->SetCalib(i == 0 ? 0.35 : 0.14);
            lens->SetGap(5.0 - i);
            lenses.push_back(std::move(lens));
        }
    }
};

class ResultLensGui : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new CImageFrame(nullptr);
        frame->m_pLensTable = &table;
        frame->SetClientSize(900, 700);
        frame->Show();
        ASSERT_TRUE(WaitForPaint(frame));
        doc = frame->GetImageDoc();
        view = frame->GetImageView();
        HDIB image = DibCreate(320, 240, 1);
        ASSERT_TRUE(frame->ShowResult(image, nullptr, nullptr, 0));
        GlobalFree(image);
        ASSERT_TRUE(PumpUntil([&] { return doc->m_busy == 0; }));
        frame->RouteCommandId(vtid::cmd::Zoom100); // 100 %: shown pixels are image pixels
        view->Scroll(0, 0);
        view->Refresh();
        ASSERT_TRUE(WaitForPaint(frame));
    }
    void TearDown() override {
        frame->m_closingApp = true;
        doc->m_saved = 1;
        EXPECT_TRUE(DestroyAndWait(frame));
    }
    void Mouse(wxEventType type, int x, int y, bool shift) {
        wxMouseEvent ev(type);
        ev.SetPosition(wxPoint(x, y));
        ev.SetLeftDown(type != wxEVT_LEFT_UP);
        ev.SetShiftDown(shift);
        ev.SetEventObject(view);
        view->ProcessWindowEvent(ev);
    }
    ScratchSettingsFile settings;
    CScriptedMessageSink sink{IDOK};
    TwoLenses table;
    CImageFrame* frame = nullptr;
    CImageDoc* doc = nullptr;
    CImageView* view = nullptr;
};

TEST_F(ResultLensGui, LineOnTheResultCalibratesASlotAndATableLensIsChosen) {
    ASSERT_EQ(view->ZoomStep(), 0);
    // Slot 2's "登録" on the slot page asks for its calibration.
    WhenModal([&](wxDialog* d) {
        auto* dlg = dynamic_cast<CXYCalibDialog*>(d);
        ASSERT_NE(dlg, nullptr);
        ASSERT_NE(dlg->SlotPage(), nullptr);
        Click(dlg->SlotPage()->GetDlgItem(vtid::LensSlotsPage::Register2));
    });
    frame->RouteCommandId(ID_LENS_SELECT);
    ASSERT_TRUE(PumpUntil([&] { return frame->IsCalibSetOpen(); }));
    CXYCalibSetDlg* calib = frame->m_pCalibSetDlg;
    ASSERT_TRUE(WaitForPaint(calib));
    EXPECT_TRUE(view->IsCalibrationActive());
    EXPECT_EQ(calib->m_nViewWidth, 320);

    const RECT r = view->ImageRect();
    Mouse(wxEVT_LEFT_DOWN, r.left + 20, r.top + 20, true);
    Mouse(wxEVT_MOTION, r.left + 219, r.top + 25, true); // Shift: horizontal, 200 pixels with both ends
    Mouse(wxEVT_LEFT_UP, r.left + 219, r.top + 25, true);
    EXPECT_DOUBLE_EQ(doc->m_calibLineLength, std::hypot(200.0, 1.0));
    Type(calib->GetDlgItem(CXYCalibSetDlg::kNameEdit), "Mine");
    wxWindow* line = calib->GetDlgItem(CXYCalibSetDlg::kLineEdit);
    Type(line, "100");
    wxFocusEvent leave(wxEVT_KILL_FOCUS, line->GetId());
    leave.SetEventObject(line);
    line->GetEventHandler()->ProcessEvent(leave);
    Click(calib->GetDlgItem(IDOK));

    EXPECT_FALSE(frame->IsCalibSetOpen());
    EXPECT_FALSE(view->IsCalibrationActive());
    const double expected = 100.0 / std::hypot(200.0, 1.0);
    EXPECT_EQ(ReadIniString("CALIBRATION", "CALIB2", ""), FormatDoubleText(expected));
    EXPECT_EQ(ReadIniString("CALIBRATION", "CLBNAME2", ""), "Mine");
    EXPECT_EQ(ReadIniInt("CALIBRATION", "CALIBNO", -5), 1);
    EXPECT_EQ(doc->m_slot, 1);
    EXPECT_DOUBLE_EQ(doc->m_lens.umPerPixel, expected);
    EXPECT_EQ(frame->GetViewerBar()->GetDlgItemText(93).utf8_string(), "Mine");

    // A slot was in use; the table lens picked now becomes the current one all the same.
    WhenModal([&](wxDialog* d) {
        auto* dlg = dynamic_cast<CXYCalibDialog*>(d);
        Click(dlg->TablePage()->GetDlgItem(vtid::LensTablePage::Select2));
        Click(d->FindWindow(IDOK));
    });
    frame->RouteCommandId(ID_LENS_SELECT);
    EXPECT_EQ(doc->m_slot, -1);
    EXPECT_EQ(doc->m_lens.name, "50X");
    EXPECT_DOUBLE_EQ(doc->m_lens.umPerPixel, 0.14);
    EXPECT_EQ(ReadIniString("CALIBRATION", "LENSNAME", ""), "50X");
    EXPECT_EQ(ReadIniInt("CALIBRATION", "CALIBNO", 0), -1);
    EXPECT_EQ(frame->GetViewerBar()->GetDlgItemText(93).utf8_string(), "Obj50");

    // A lens beyond the table: nothing opens.
    SendMessage(frame->GetSafeHwnd(), WM_XYCALIB_EDIT, 1, 2);
    EXPECT_FALSE(frame->IsCalibSetOpen());
    EXPECT_TRUE(sink.ShownIds().empty());
}

TEST_F(ResultLensGui, ASlotPickedOverATableLensAndNoPickFallBackToSlots) {
    // A lens of the table in use; slot 4 picked on the slot page wins over the lens page.
    doc->m_slot = -1;
    doc->m_lens = ResultLens::FromTable(*table.At(1));
    frame->m_nLensTab = CXYCalibDialog::kTabSlots;
    WhenModal([&](wxDialog* d) {
        auto* dlg = dynamic_cast<CXYCalibDialog*>(d);
        ASSERT_NE(dlg, nullptr);
        Click(dlg->TablePage()->GetDlgItem(vtid::LensTablePage::Select2));
        Click(dlg->SlotPage()->GetDlgItem(CLensCalibRegDlg::kRadio[3]));
        Click(d->FindWindow(IDOK));
    });
    frame->RouteCommandId(ID_LENS_SELECT);
    EXPECT_EQ(doc->m_slot, 3);
    EXPECT_EQ(doc->m_lens.index, -1);
    EXPECT_EQ(doc->m_lens.name, "");
    EXPECT_EQ(doc->m_lens.registeredName, doc->m_slots[3].name);
    EXPECT_DOUBLE_EQ(doc->m_lens.umPerPixel, doc->m_slots[3].calib);
    EXPECT_EQ(ReadIniInt("CALIBRATION", "CALIBNO", -5), 3);

    // Neither a lens of the table nor a slot picked: the first slot is in use.
    doc->m_slot = -1;
    doc->m_lens = ResultLens{};
    doc->m_slots[0].calib = 0.25;
    frame->m_nLensTab = CXYCalibDialog::kTabTable;
    WhenModal([&](wxDialog* d) {
        auto* dlg = dynamic_cast<CXYCalibDialog*>(d);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->TablePage()->GetSelLens(), nullptr);
        Click(d->FindWindow(IDOK));
    });
    frame->RouteCommandId(ID_LENS_SELECT);
    EXPECT_EQ(doc->m_slot, 0);
    EXPECT_EQ(doc->m_lens.registeredName, doc->m_slots[0].name);
    EXPECT_DOUBLE_EQ(doc->m_lens.umPerPixel, 0.25);
    EXPECT_EQ(ReadIniInt("CALIBRATION", "CALIBNO", -5), 0);
    EXPECT_EQ(ReadIniString("CALIBRATION", "LENSNAME", "x"), "");
}

} // namespace
