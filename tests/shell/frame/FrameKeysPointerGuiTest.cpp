// Keys pressed through the X server while a number field of the automatic panel has the focus:
// the field keeps its editing keys from the frame's accelerators.
#include "AutoPanelFixture.h"
#include "XServerInput.h"
#include "ids/VantorelIds.h"

#include <wx/textctrl.h>
#include <wx/uiaction.h>

namespace {

using FrameKeys = AutoPanel;

TEST_F(FrameKeys, CtrlASelectsTheTextOfTheFocusedNumberField) {
    ASSERT_TRUE(Start("mmc2", 1));
    CMainFrame* f = Frame();
    auto* field = dynamic_cast<wxTextCtrl*>(Item(vtid::AutoPanel::StartPosition));
    ASSERT_NE(field, nullptr);
    field->ChangeValue("12.5");
    ASSERT_TRUE(ui::testing::WaitForPaint(field));

    // A click into the field puts the caret there, with nothing selected; Ctrl+A selects it all.
    long from = 0, to = 0;
    EXPECT_TRUE(xinput::PressUntil(
        field, xinput::Centre(field),
        [&](wxUIActionSimulator& sim) {
            sim.MouseClick();
            field->SetSelection(1, 1);
            sim.Char('a', wxMOD_CONTROL);
        },
        [&] {
            field->GetSelection(&from, &to);
            return wxWindow::FindFocus() == field && from == 0 && to == 4;
        }))
        << from << ".." << to;
    EXPECT_EQ(field->GetValue(), "12.5");

    // Typed over, the selection is replaced: the key went to the field only.
    EXPECT_TRUE(xinput::PressUntil(
        field, xinput::Centre(field), [](wxUIActionSimulator& sim) { sim.Text("7"); },
        [&] { return field->GetValue() == "7"; }))
        << field->GetValue();
    // Outside a text field the frame's accelerators are in force again.
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return f->GetAcceleratorTable()->IsOk(); }));
}

} // namespace
