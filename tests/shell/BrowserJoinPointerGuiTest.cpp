// The program's thumbnail mode under the real pointer: thumbnails dragged onto the focus image
// box of the frame's bar are added to it, and the pointer is free afterwards.
#include "ShellGuiFixture.h"

#include "browser/SelListCtrl.h"
#include "browser/ThumbnailListCtrl.h"
#include "shell/SelectedBox.h"
#include "tests/browser/core/BrowserTestImages.h"
#include "ui/testing/Pointer.h"

#include <wx/stattext.h>

namespace {

using ui::testing::PumpUntil;

class BrowserJoinPointer : public ShellWindows {};

TEST_F(BrowserJoinPointer, ThumbnailsDraggedOntoTheFocusBoxAreAdded) {
    std::filesystem::create_directories(folder + "/img");
    for (int i = 1; i <= 3; ++i)
        WriteFlatImage(folder + "/img/s" + std::to_string(i) + ".bmp", 64, 48, 60 * i, 100, 100);
    Settings(1007, "", "IMAGEPATH=" + folder + "/img\n");
    CScriptedMessageSink sink(IDOK);
    ASSERT_TRUE(StartProgram());
    CThumbnailListCtrl* thumbs = Frame()->ThumbnailList();
    CSelListCtrl* box = Frame()->FocusBoxList();
    ASSERT_TRUE(thumbs && box);
    ASSERT_TRUE(PumpUntil([&] { return thumbs->GetItemCount() == 3 && !thumbs->IsBusy(); }));
    ASSERT_TRUE(ui::testing::WaitForPaint(thumbs));
    const wxPoint from = thumbs->GetCellRect(1).GetPosition() + wxPoint(20, 20);
    const wxPoint to =
        thumbs->ScreenToClient(box->ClientToScreen(box->GetCellRect(0).GetPosition() + wxPoint(20, 20)));
    EXPECT_TRUE(ui::testing::DragThenClickElsewhere(thumbs, from, to));
    ASSERT_TRUE(PumpUntil([&] { return !box->IsBusy(); }));
    ASSERT_EQ(box->GetItemCount(), 2);
    EXPECT_EQ(GetFileNamePart(box->GetItemPath(0)), "s2.bmp");
    EXPECT_EQ(Frame()->SelectedBox()->GetCountStatic()->GetLabel().ToStdString(), "  1");
    EXPECT_TRUE(sink.ShownIds().empty());

    // A slow drag: the pointer rests and wanders over the box before it is let go.
    const wxPoint third = thumbs->GetCellRect(2).GetPosition() + wxPoint(20, 20);
    EXPECT_TRUE(ui::testing::DragThenClickElsewhere(thumbs, third, to, [&] {
        for (int i = 0; i < 10; ++i) {
            ASSERT_TRUE(ui::testing::PointerTo(thumbs, to + wxPoint(i, i % 3)));
            PumpUntil([] { return false; }, 100);
        }
    }));
    ASSERT_TRUE(PumpUntil([&] { return !box->IsBusy(); }));
    EXPECT_EQ(box->GetItemCount(), 3);
    EXPECT_EQ(Frame()->SelectedBox()->GetCountStatic()->GetLabel().ToStdString(), "  2");
}

} // namespace
