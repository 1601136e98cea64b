// Ctrl+V pressed through the X server in the number fields of the automatic panel: the pasted
// text goes through the fields' key filter as if it were typed.
#include "ShellGuiFixture.h"
#include "XServerInput.h"

#include "ids/VantorelIds.h"
#include "shell/capture/AutoDialog.h"

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

} // namespace
