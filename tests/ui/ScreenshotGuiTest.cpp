// The screenshot helper of the window tests: it saves what the window itself draws, also when
// another window covers it on the screen, and fails on a blank picture.
#include "ui/testing/GuiTest.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <wx/frame.h>
#include <wx/image.h>
#include <wx/panel.h>

namespace {

wxFrame* colouredFrame(const wxColour& colour, const wxPoint& pos) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "shot", pos, wxSize(200, 150));
    auto* pane = new wxPanel(frame);
    pane->SetBackgroundColour(colour);
    frame->Show();
    return frame;
}

TEST(Screenshot, ShowsTheWindowUnderAnotherAndFailsOnABlankPicture) {
    wxFrame* shot = colouredFrame(*wxRED, wxPoint(40, 40));
    auto* label = new wxPanel(shot->GetChildren().front(), wxID_ANY, wxPoint(10, 10), wxSize(30, 20));
    label->SetBackgroundColour(*wxBLUE);
    ASSERT_TRUE(ui::testing::WaitForPaint(shot));
    wxFrame* cover = colouredFrame(*wxGREEN, wxPoint(40, 40));
    ASSERT_TRUE(ui::testing::WaitForPaint(cover));
    cover->Raise();
    ui::testing::ProcessPending();
    const std::string path = ui::testing::OutputFolder() + "/screenshot-covered.png";
    ASSERT_TRUE(ui::testing::Screenshot(shot, path));
    wxImage saved(wxString::FromUTF8(path.c_str()), wxBITMAP_TYPE_PNG);
    ASSERT_TRUE(saved.IsOk());
    const wxPoint mid(saved.GetWidth() / 2, saved.GetHeight() / 2);
    EXPECT_EQ(wxColour(saved.GetRed(mid.x, mid.y), saved.GetGreen(mid.x, mid.y), saved.GetBlue(mid.x, mid.y)),
              *wxRED);
    const wxPoint inLabel = label->GetScreenPosition() - shot->GetScreenPosition() + wxPoint(15, 10);
    EXPECT_EQ(saved.GetBlue(inLabel.x, inLabel.y), 255);

    // One colour over the whole window: nothing that a test set shows.
    label->Hide();
    shot->Refresh();
    EXPECT_NONFATAL_FAILURE(EXPECT_FALSE(ui::testing::Screenshot(shot, path)), "blank");
    EXPECT_TRUE(ui::testing::DestroyAndWait(cover));
    EXPECT_TRUE(ui::testing::DestroyAndWait(shot));
}

} // namespace
