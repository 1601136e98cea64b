// The thumbnail list and the focus image box under the real pointer: thumbnails dragged into the
// box are added, also where another window of the program lies behind the box or minimised; a
// marquee selects, and after each the pointer is free for the next click.
#include "BrowserListsFixture.h"
#include "BrowserViewsFixture.h"

#include "ui/testing/Pointer.h"

#include <wx/uiaction.h>

using ui::testing::DragThenClickElsewhere;
using ui::testing::PointerTo;

namespace {

class BrowserPointer : public BrowserLists {
protected:
    // A point of `to`'s client area in the coordinates of `from`.
    static wxPoint In(wxWindow* from, wxWindow* to, wxPoint at) {
        return from->ScreenToClient(to->ClientToScreen(at));
    }
    static wxPoint Cell(CSListCtrl* list, int i) {
        return list->GetCellRect(i).GetPosition() + wxPoint(20, 20);
    }
};

TEST_F(BrowserPointer, ThumbnailsDraggedToTheBoxAreAddedAndTheBoxDragsThemOut) {
    std::filesystem::create_directories(dir / "img");
    for (int i = 1; i <= 4; ++i)
        WriteFlatImage(dir / ("img/s" + std::to_string(i) + ".bmp"), 64, 48, 30 * i, 100, 100);
    Fill(dir / "img");
    // One thumbnail pressed and dragged (it is selected by the press).
    ASSERT_TRUE(DragThenClickElsewhere(thumbs, Cell(thumbs, 1), In(thumbs, box, Cell(box, 0))));
    ASSERT_TRUE(PumpUntil([&] { return !box->IsBusy(); }));
    ASSERT_EQ(box->GetItemCount(), 2);
    EXPECT_EQ(GetFileNamePart(box->GetItemPath(0)), "s2.bmp");
    EXPECT_EQ(CountText(), "  1");
    EXPECT_EQ(thumbs->Items()[1]->m_record->m_state, 1);

    // Two selected by Ctrl-less marquee over the first cells, then dragged in after the first.
    const wxRect first = thumbs->GetCellRect(0);
    const wxPoint beside(first.GetRight() + 4, first.GetBottom() + 4);
    ASSERT_TRUE(DragThenClickElsewhere(thumbs, beside + wxPoint(2, 8), wxPoint(first.x + 10, first.y + 10)));
    EXPECT_TRUE(thumbs->Items()[0]->m_selected);
    ASSERT_TRUE(DragThenClickElsewhere(thumbs, Cell(thumbs, 0), In(thumbs, box, Cell(box, 1))));
    ASSERT_TRUE(PumpUntil([&] { return !box->IsBusy(); }));
    ASSERT_EQ(box->GetItemCount(), 3);
    EXPECT_EQ(GetFileNamePart(box->GetItemPath(1)), "s1.bmp");
    EXPECT_EQ(CountText(), "  2");

    // Out of the box onto the thumbnail list: the box loses it.
    ASSERT_TRUE(DragThenClickElsewhere(box, Cell(box, 0), In(box, thumbs, Cell(thumbs, 3))));
    EXPECT_EQ(box->GetItemCount(), 2);
    EXPECT_EQ(CountText(), "  1");
    EXPECT_EQ(thumbs->Items()[1]->m_record->m_state, 0);
    // A marquee in the box beside the items.
    const wxRect last = box->GetCellRect(box->GetItemCount() - 1);
    EXPECT_TRUE(DragThenClickElsewhere(box, wxPoint(last.x + 5, last.GetBottom() + 20),
                                       wxPoint(last.x + 15, last.y + 15)));
}

TEST_F(BrowserPointer, DropsReachTheBoxOverAWindowBehindItOrMinimised) {
    std::filesystem::create_directories(dir / "img");
    for (int i = 1; i <= 3; ++i)
        WriteFlatImage(dir / ("img/s" + std::to_string(i) + ".bmp"), 64, 48, 30 * i, 100, 100);
    Fill(dir / "img");
    // Another window of the program (as the result window) where the lower part of the box is.
    const wxRect boxArea = box->GetScreenRect();
    auto* other =
        new wxFrame(nullptr, wxID_ANY, "other", wxPoint(boxArea.x - 40, boxArea.y + boxArea.height / 2),
                    wxSize(boxArea.width + 80, boxArea.height / 2 + 40));
    other->Show();
    ASSERT_TRUE(ui::testing::WaitForPaint(other));
    const wxPoint low(boxArea.width / 2, boxArea.height * 3 / 4);
    ASSERT_TRUE(PumpUntil([&] { return other->GetScreenRect().Contains(box->ClientToScreen(low)); }));
    auto dropLow = [&](int cell, int count) {
        // The pointer over the box's lower part: the frame is raised until it shows the box there.
        ASSERT_TRUE(PointerTo(box, low));
        ASSERT_TRUE(DragThenClickElsewhere(thumbs, Cell(thumbs, cell), In(thumbs, box, low)));
        ASSERT_TRUE(PumpUntil([&] { return !box->IsBusy(); }));
        EXPECT_EQ(box->GetItemCount(), count + 1);
        EXPECT_EQ(GetFileNamePart(box->GetItemPath(count - 1)), "s" + std::to_string(cell + 1) + ".bmp");
    };
    // Behind the frame.
    dropLow(0, 1);
    ui::testing::ScreenshotRoot(ui::testing::OutputFolder() + "/browser-drop-over-window-behind.png");
    // Minimised (a window manager unmaps it; without one it stays behind the frame).
    other->Iconize(true);
    ui::testing::ProcessPending();
    dropLow(2, 2);
    EXPECT_EQ(CountText(), "  2");
    EXPECT_TRUE(sink.ShownIds().empty());
    EXPECT_TRUE(ui::testing::DestroyAndWait(other));
}

TEST_F(BrowserViews, ClosingAndOpeningAFolderWithTheKeysShowsTheFoldersMadeMeanwhile) {
    const wxTreeItemId photos = tree->SelectPath(dir / "Desk/photos", true);
    ASSERT_EQ(Children(tree, photos), (std::vector<std::string>{"a", "b"}));
    std::filesystem::create_directories(dir / "Desk/photos/aa");
    std::filesystem::remove_all(dir / "Desk/photos/b");
    // A click on the folder's row gives the tree the keys; Left closes the branch, Right opens it.
    wxRect row;
    ASSERT_TRUE(tree->GetBoundingRect(photos, row, true));
    ASSERT_TRUE(ui::testing::PointerTo(tree, wxPoint(row.x + row.width / 2, row.y + row.height / 2)));
    ASSERT_TRUE(ui::testing::PointerPress() && ui::testing::PointerRelease());
    ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == tree; }));
    wxUIActionSimulator keys;
    keys.Char(WXK_LEFT);
    ASSERT_TRUE(PumpUntil([&] { return !tree->IsExpanded(photos); }));
    keys.Char(WXK_RIGHT);
    ASSERT_TRUE(PumpUntil([&] { return tree->IsExpanded(photos); }));
    EXPECT_EQ(Children(tree, photos), (std::vector<std::string>{"a", "aa"}));
}

} // namespace
