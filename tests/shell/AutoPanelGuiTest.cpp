// The automatic panel on its real template with an emulated focus drive: hold-to-jog and what
// ends a jog, and which controls each panel state enables.
#include "AutoPanelFixture.h"

#include "shell/ButtonOn.h"
#include "shell/TopMenuDialog.h"

#include <wx/textctrl.h>

namespace {

void Send(wxWindow* w, wxEvent& ev) {
    ev.SetEventObject(w);
    w->GetEventHandler()->ProcessEvent(ev);
}
void Press(wxWindow* w) {
    wxMouseEvent down(wxEVT_LEFT_DOWN);
    Send(w, down);
}

TEST_F(AutoPanel, HeldJogMovesUntilReleaseLostCaptureFocusOrDestroy) {
    ASSERT_TRUE(Start("mmc2", 1, 0.5, 40));
    CMultiView* view = Frame()->m_pMultiView;
    EXPECT_EQ(view->m_nZOrigin, 40); // the position at the start is the zero
    EXPECT_DOUBLE_EQ(panel->CurrentZ(), 0.0);
    auto* up = dynamic_cast<CButtonOn*>(Item(916));
    auto* down = dynamic_cast<CButtonOn*>(Item(917));
    ASSERT_NE(up, nullptr);
    ASSERT_NE(down, nullptr);

    // Held: the axis runs until the button comes up; the panel then shows where it stopped.
    Press(up);
    EXPECT_TRUE(up->IsJogging());
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return emulator->ProgramPosition() > 140; }));
    wxMouseEvent release(wxEVT_LEFT_UP);
    Send(up, release);
    EXPECT_FALSE(up->IsJogging());
    EXPECT_FALSE(emulator->AxisMoving());
    const long stopped = emulator->ProgramPosition();
    EXPECT_DOUBLE_EQ(panel->CurrentZ(), (stopped - 40) * 0.5);
    EXPECT_EQ(panel->GetDlgItemText(915).ToStdString(), wxString::Format("%.3f", (stopped - 40) * 0.5).ToStdString());

    // The button-up never comes: a lost capture stops the other direction's jog.
    Press(down);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return emulator->ProgramPosition() < stopped - 50; }));
    wxMouseCaptureLostEvent lost(down->GetId());
    Send(down, lost);
    EXPECT_FALSE(down->IsJogging());
    EXPECT_FALSE(emulator->AxisMoving());
    EXPECT_DOUBLE_EQ(panel->CurrentZ(), (emulator->ProgramPosition() - 40) * 0.5);

    // The focus goes elsewhere while held.
    Press(up);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return emulator->AxisMoving(); }));
    wxFocusEvent unfocused(wxEVT_KILL_FOCUS, up->GetId());
    Send(up, unfocused);
    EXPECT_FALSE(up->IsJogging());
    EXPECT_FALSE(emulator->AxisMoving());

    // The button goes while held.
    auto* extra = new CButtonOn(panel, wxID_ANY, "+", wxPoint(0, 0), wxSize(20, 20));
    extra->SetController(&view->Stage(), 1);
    Press(extra);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return emulator->AxisMoving(); }));
    extra->Destroy();
    EXPECT_FALSE(emulator->AxisMoving());
    const long atRest = emulator->ProgramPosition();
    ui::testing::ProcessPending();
    EXPECT_EQ(emulator->ProgramPosition(), atRest);
}

TEST_F(AutoPanel, ControlsFollowThePanelState) {
    ASSERT_TRUE(Start("mmc2", 1));
    CMainFrame* f = Frame();
    const int stateIds[] = {1066, 916, 917, 919, 918, 909, 912, 913, 1075, 1077, 1179, 1124};
    // Idle, equal-interval mode.
    for (int id : stateIds)
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_FALSE(Enabled(914));
    for (int id : {911, 1189, 1187})
        EXPECT_FALSE(Shown(id)) << id;
    for (int id : {1075, 1183, 1077, 1184, 1185, 1186})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_EQ(f->m_pStageBusyOwner, nullptr);

    // Running: the panel holds the stage, only stop is on, the frame's windows are off.
    panel->EnableControls(false);
    EXPECT_EQ(f->m_pStageBusyOwner, panel);
    for (int id : stateIds)
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(Enabled(914));
    for (int id : {804, 829})
        EXPECT_FALSE(f->TopMenu()->GetDlgItem(id)->IsEnabled()) << id;
    for (int id : {950, 818, 819, 820, 823})
        EXPECT_FALSE(f->CompositionBar()->GetDlgItem(id)->IsEnabled()) << id;
    panel->EnableControls(true);
    EXPECT_EQ(f->m_pStageBusyOwner, nullptr);
    for (int id : stateIds)
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_FALSE(Enabled(914));
    EXPECT_TRUE(f->TopMenu()->GetDlgItem(804)->IsEnabled());

    // Another window holds the stage (the editor): list buttons off, start off.
    f->m_pStageBusyOwner = f->TopMenu();
    panel->EnableListControls(false);
    for (int id : {909, 911, 912, 1075, 1077, 1179, 1187, 913, 914})
        EXPECT_FALSE(Enabled(id)) << id;
    f->m_pStageBusyOwner = nullptr;
    panel->EnableListControls(true);
    for (int id : {909, 912, 1075, 1077, 1179, 913})
        EXPECT_TRUE(Enabled(id)) << id;

    // Typing the range recomputes the count; interval 0 shows "-".
    ui::testing::Type(Item(1183), "0");
    ui::testing::Type(Item(1184), "10");
    ui::testing::Type(Item(1185), "3");
    EXPECT_EQ(panel->GetDlgItemText(1186), "5");
    EXPECT_EQ(panel->Positions(), (std::vector<double>{0, 3, 6, 9, 10}));
    ui::testing::Type(Item(1185), "0");
    EXPECT_EQ(panel->GetDlgItemText(1186), "-");
    EXPECT_TRUE(panel->Positions().empty());
    // AUTO makes the interval read-only.
    Click(1372);
    EXPECT_FALSE(dynamic_cast<wxTextCtrl*>(Item(1185))->IsEditable());
    Click(1372);
    EXPECT_TRUE(dynamic_cast<wxTextCtrl*>(Item(1185))->IsEditable());
}

} // namespace
