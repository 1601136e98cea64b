// The Z calibration's refusal of a zero distance on the X server: message 886 belongs to the
// calibration dialog the user pressed 設定 in, and the program's other windows stay where they
// were.
#include "devices/serial/gui/ZCalibrationDialog.h"
#include "ids/VantorelIds.h"
#include "ui/MessageBoxes.h"
#include "ui/testing/GuiTest.h"
#include "ui/testing/Pointer.h"

#include "tests/support/ScratchSettingsFile.h"
#include "tests/ui/WindowStacking.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/frame.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

using namespace ui::testing;

namespace {

TEST(ZCalibrationPointer, TheRefusalBelongsToTheDialog) {
    ScratchSettingsFile settings;
    // The result window came forward last (the application's top window); the dialog belongs
    // to the main window.
    auto* result = new wxFrame(nullptr, wxID_ANY, "result", wxPoint(300, 150), wxSize(700, 500));
    result->Show();
    ASSERT_TRUE(WaitForPaint(result));
    auto* main = new wxFrame(nullptr, wxID_ANY, "main", wxPoint(40, 40), wxSize(400, 300));
    main->Show();
    ASSERT_TRUE(WaitForPaint(main));
    wxTheApp->SetTopWindow(result);
    auto* dlg = new CZCalibrationDialog(main, ZCalibrationOwner{});
    ASSERT_TRUE(dlg->Create(false));
    dlg->SetDlgItemText(vtid::ZCalibrationDialog::Distance, "0");
    dlg->SetCalibMode(1);
    dlg->Show();
    ASSERT_TRUE(WaitForPaint(dlg));
    ASSERT_TRUE(stacking::IsAbove(dlg, result));

    ui::WxMessageSink boxes;
    CMessageSinkScope scope(&boxes);
    bool owned = false, resultStayed = false, boxAbove = false, seen = false;
    WhenModal([&](wxDialog* box) {
        seen = true;
        owned = box->GetParent() == dlg;
        resultStayed = stacking::IsAbove(dlg, result) && stacking::IsAbove(main, result);
        boxAbove = stacking::IsAbove(box, dlg);
        box->EndModal(wxID_OK);
    });
    wxWindow* confirm = FindById(dlg, 1);
    ASSERT_TRUE(ClickOnScreen(confirm, confirm->GetScreenRect().GetPosition() + confirm->GetSize() / 2));
    ASSERT_TRUE(PumpUntil([&] { return seen; }));
    EXPECT_TRUE(owned) << "message 886 belongs to another window";
    EXPECT_TRUE(resultStayed) << "the result window came forward";
    EXPECT_TRUE(boxAbove);
    EXPECT_TRUE(dlg->IsShown()) << "the dialog stays open after the refusal";
    wxTheApp->SetTopWindow(nullptr);
    EXPECT_TRUE(DestroyAndWait(dlg));
    EXPECT_TRUE(DestroyAndWait(main));
    EXPECT_TRUE(DestroyAndWait(result));
}

// Puts text on the clipboard, clicks into the edit, sets its text and caret and presses Ctrl+V
// through the X server; returns what the edit then holds.
wxString PasteInto(wxTextCtrl* edit, const wxString& clip, const wxString& before, long at) {
    {
        wxClipboardLocker lock;
        EXPECT_FALSE(!lock);
        wxTheClipboard->SetData(new wxTextDataObject(clip));
    }
    EXPECT_TRUE(ClickOnScreen(edit, edit->GetScreenRect().GetPosition() + edit->GetSize() / 2));
    EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == edit; }));
    edit->ChangeValue(before);
    edit->SetInsertionPoint(at);
    wxUIActionSimulator sim;
    sim.Char('v', wxMOD_CONTROL);
    // Either the text changes or, when all was refused, the beep is all there is.
    PumpUntil([&] { return edit->GetValue() != before; }, 3000);
    return edit->GetValue();
}

TEST(ZCalibrationPointer, APasteIsFilteredAsTypingIs) {
    ScratchSettingsFile settings;
    auto* main = new wxFrame(nullptr, wxID_ANY, "main", wxPoint(40, 40), wxSize(400, 300));
    main->Show();
    ASSERT_TRUE(WaitForPaint(main));
    auto* dlg = new CZCalibrationDialog(main, ZCalibrationOwner{});
    ASSERT_TRUE(dlg->Create(false));
    dlg->SetCalibMode(1);
    dlg->Show();
    ASSERT_TRUE(WaitForPaint(dlg));
    auto* distance = dynamic_cast<wxTextCtrl*>(FindById(dlg, vtid::ZCalibrationDialog::Distance));
    auto* point = dynamic_cast<wxTextCtrl*>(FindById(dlg, vtid::ZCalibrationDialog::Point1));
    ASSERT_NE(distance, nullptr);
    ASSERT_NE(point, nullptr);
    // The distance takes digits and one point, no minus.
    EXPECT_EQ(PasteInto(distance, "-1a2.5.0mm", "", 0), "12.50");
    // A point (shown in the two-point mode) takes digits and a minus at the front only.
    dlg->SetCalibMode(kZCalibTwoPoint);
    ASSERT_TRUE(PumpUntil([&] { return point->IsShownOnScreen(); }));
    EXPECT_EQ(PasteInto(point, "-3x-4", "", 0), "-34");
    EXPECT_EQ(PasteInto(point, "abc", "7", 1), "7");
    EXPECT_TRUE(DestroyAndWait(dlg));
    EXPECT_TRUE(DestroyAndWait(main));
}

} // namespace
