#include "ids/VantorelIds.h"
#include "shell/controls/SliderEdit.h"
#include "shell/controls/StageEdit.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/frame.h>

namespace {

class SmallControls : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, "controls");
        frame->Show();
    }
    void TearDown() override { frame->Destroy(); }
    wxFrame* frame = nullptr;
};

TEST_F(SmallControls, StageEditFiltersAtTheCaretAndCompletesThePoint) {
    auto* edit = new CStageEdit(frame, 814);
    edit->ChangeValue("12");
    edit->SetInsertionPoint(0);
    EXPECT_TRUE(edit->FilterChar('-'));
    edit->SetInsertionPointEnd();
    EXPECT_FALSE(edit->FilterChar('-'));
    EXPECT_TRUE(edit->FilterChar('.'));
    edit->AllowMinus(false);
    edit->SetInsertionPoint(0);
    EXPECT_FALSE(edit->FilterChar('-'));
    edit->ChangeValue(".5");
    wxFocusEvent leave(wxEVT_KILL_FOCUS, edit->GetId());
    leave.SetEventObject(edit);
    edit->ProcessWindowEvent(leave);
    EXPECT_EQ(edit->GetValue(), "0.5");

    auto* combo = new CStageComboBox(frame, vtid::AutoPanel::JogStep);
    combo->SetValue("3");
    combo->SetInsertionPoint(0);
    EXPECT_FALSE(combo->FilterChar('-')); // the combo's edit takes no minus
    EXPECT_TRUE(combo->FilterChar('7'));
}

TEST_F(SmallControls, SliderEditClampsMovesAndSnaps) {
    auto* slider = new CLinkSlider(frame, 85, wxDefaultPosition, wxSize(200, 30));
    auto* edit = new CSliderEdit(frame, 87);
    edit->BindSlider(frame, 85);
    edit->SetRange(0, 20, 4);
    EXPECT_FALSE(edit->FilterChar('-'));
    EXPECT_FALSE(edit->FilterChar('a'));
    EXPECT_TRUE(edit->FilterChar('5'));
    ASSERT_EQ(edit->SetValue(10), 1);
    EXPECT_EQ(slider->GetValue(), 10);
    ui::testing::Type(edit, "25");
    EXPECT_EQ(slider->GetValue(), 20);
    EXPECT_EQ(edit->GetIntValue(), 20);
    EXPECT_EQ(edit->SetValue(21), 0);
    EXPECT_EQ(edit->wxTextCtrl::GetValue(), "20");

    edit->SetStep(5);
    edit->SetValue(5);
    slider->OnScrollCode(SliderCode::ThumbTrack, 5);
    slider->OnScrollCode(SliderCode::ThumbTrack, 12); // dragged up
    EXPECT_EQ(edit->GetIntValue(), 15);
    EXPECT_EQ(slider->GetValue(), 15);
    slider->OnScrollCode(SliderCode::ThumbTrack, 12); // and down again
    EXPECT_EQ(edit->GetIntValue(), 10);

    auto* vertical = new CLinkSlider(frame, 90, wxDefaultPosition, wxSize(30, 200), wxSL_VERTICAL);
    auto* signedEdit = new CSliderEdit(frame, 91);
    signedEdit->BindSlider(frame, 90);
    signedEdit->SetRange(-5, 5, 2);
    EXPECT_TRUE(signedEdit->FilterChar('-'));
    vertical->OnScrollCode(SliderCode::ThumbTrack, -5); // the top
    EXPECT_EQ(signedEdit->GetIntValue(), 5);
}

} // namespace
