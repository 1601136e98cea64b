// Pastes through the X server into the number fields of the automatic panel and the manual
// settings: Ctrl+V and the middle button's paste of the primary selection; the pasted text goes
// through the fields' key filter as if it were typed.
#include "ShellGuiFixture.h"
#include "XServerInput.h"

#include "ids/VantorelIds.h"
#include "shell/capture/AutoDialog.h"
#include "shell/controls/SliderEdit.h"
#include "shell/settings/SetManual.h"

#include <wx/clipbrd.h>
#include <wx/combobox.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

namespace {

using NumberPaste = ShellWindows;

// Puts text on the clipboard, gives the field the focus with a click, sets its text and
// selection and presses Ctrl+V; returns the text the field then holds.
wxString PasteInto(wxWindow* field, wxTextEntry* entry, const wxString& clip, const wxString& before,
                   long from, long to) {
    {
        wxClipboardLocker lock;
        EXPECT_FALSE(!lock);
        wxTheClipboard->SetData(new wxTextDataObject(clip));
    }
    EXPECT_TRUE(xinput::PressUntil(
        field, xinput::Centre(field), [](wxUIActionSimulator& sim) { sim.MouseClick(); },
        [&] { return wxWindow::FindFocus() == field; }));
    entry->ChangeValue(before);
    entry->SetSelection(from, to);
    wxUIActionSimulator sim;
    sim.Char('v', wxMOD_CONTROL);
    // Either the text changes or, when everything was refused, the beep is all there is: the
    // key's handling is over once the clipboard has been read and the events are done.
    ui::testing::PumpUntil([&] { return entry->GetValue() != before; }, 3000);
    return entry->GetValue();
}

// Makes `primary` the X primary selection, sets the field's text with the caret at its end and
// pastes with the middle button in the field (at the right end of its text, or a quarter in
// where its right end is a combo box's button); returns the text the field then holds.
wxString MiddleClickInto(wxWindow* field, wxTextEntry* entry, const wxString& primary,
                         const wxString& before, bool quarterIn = false) {
    wxTheClipboard->UsePrimarySelection(true);
    {
        wxClipboardLocker lock;
        EXPECT_FALSE(!lock);
        wxTheClipboard->SetData(new wxTextDataObject(primary));
    }
    wxTheClipboard->UsePrimarySelection(false);
    entry->ChangeValue(before);
    entry->SetInsertionPointEnd();
    const wxRect r = field->GetScreenRect();
    EXPECT_TRUE(xinput::PressUntil(
        field, wxPoint(quarterIn ? r.x + r.width / 4 : r.GetRight() - 6, r.y + r.height / 2),
        [](wxUIActionSimulator& sim) { sim.MouseClick(wxMOUSE_BTN_MIDDLE); },
        [&] { return entry->GetValue() != before; }));
    return entry->GetValue();
}

TEST_F(NumberPaste, CtrlVPastesWhatTypingWouldTake) {
    Settings(vtid::StartDialog::AutoCapture);
    ASSERT_TRUE(StartProgram());
    CAutoDialog* panel = Frame()->AutoDialog();
    ASSERT_NE(panel, nullptr);
    auto* start = dynamic_cast<wxTextCtrl*>(panel->GetDlgItem(vtid::AutoPanel::StartPosition));
    auto* step = dynamic_cast<wxComboBox*>(panel->GetDlgItem(vtid::AutoPanel::JogStep));
    ASSERT_NE(start, nullptr);
    ASSERT_NE(step, nullptr);
    ASSERT_TRUE(ui::testing::WaitForPaint(start));

    // Letters, a minus after the start and a second point are left out.
    EXPECT_EQ(PasteInto(start, start, "1a2.b3-4.5", "", 0, 0), "12.345");
    // A minus at the start goes in; the selection is replaced.
    EXPECT_EQ(PasteInto(start, start, "-7", "12", 0, 0), "-712");
    EXPECT_EQ(PasteInto(start, start, "x9\n", "123", 1, 2), "193");
    // Nothing usable: the text stays.
    EXPECT_EQ(PasteInto(start, start, "abc", "5", 1, 1), "5");
    // The jog step takes no minus.
    EXPECT_EQ(PasteInto(step, step, "-2.5mm", "", 0, 0), "2.5");
    // The range follows the pasted values as it follows typing.
    PasteInto(start, start, "0", "", 0, 0);
    auto* end = dynamic_cast<wxTextCtrl*>(panel->GetDlgItem(vtid::AutoPanel::EndPosition));
    auto* interval = dynamic_cast<wxTextCtrl*>(panel->GetDlgItem(vtid::AutoPanel::Interval));
    ASSERT_NE(end, nullptr);
    ASSERT_NE(interval, nullptr);
    EXPECT_EQ(PasteInto(end, end, "1O", "", 0, 0), "1");
    EXPECT_EQ(PasteInto(interval, interval, "0.5um", "", 0, 0), "0.5");
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::PictureCount), "3");
}

TEST_F(NumberPaste, MiddleButtonPastesWhatTypingWouldTake) {
    Settings(vtid::StartDialog::AutoCapture);
    ASSERT_TRUE(StartProgram());
    CAutoDialog* panel = Frame()->AutoDialog();
    ASSERT_NE(panel, nullptr);
    auto* start = dynamic_cast<wxTextCtrl*>(panel->GetDlgItem(vtid::AutoPanel::StartPosition));
    ASSERT_NE(start, nullptr);
    // At the caret, the letters left out.
    EXPECT_EQ(MiddleClickInto(start, start, "45xyz6", "100"), "100456");
    // The jog step's combo box: no minus either.
    auto* step = dynamic_cast<wxComboBox*>(panel->GetDlgItem(vtid::AutoPanel::JogStep));
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(MiddleClickInto(step, step, "-2x5", "", true), "25");

    // The manual settings' fields take their digits alone, by either paste, and move their sliders.
    CSetManual manual(Frame());
    ASSERT_TRUE(manual.Create(true));
    CSliderEdit* size = manual.SizeEdit();
    ASSERT_TRUE(ui::testing::WaitForPaint(size));
    EXPECT_EQ(PasteInto(size, size, "1x2", "", 0, 0), "12");
    EXPECT_EQ(MiddleClickInto(manual.SmoothingEdit(), manual.SmoothingEdit(), "7b", ""), "7");
    EXPECT_EQ(std::make_pair(manual.m_size, manual.m_smoothing), std::make_pair(12, 7));
    manual.Hide();
}

} // namespace
