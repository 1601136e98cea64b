// The program's thumbnail mode under the real pointer and keys: thumbnails dragged onto the focus
// image box of the frame's bar are added to it, and the pointer is free afterwards; the first right
// click shows a live menu whose delete item, like the Delete key, removes the image.
#include "BrowserJoinFixture.h"
#include "XServerInput.h"

#include "browser/SelListCtrl.h"
#include "browser/ThumbnailListCtrl.h"
#include "ids/VantorelIds.h"
#include "shell/capture/SelectedBox.h"
#include "tests/browser/core/BrowserTestImages.h"
#include "ui/testing/Pointer.h"

#include <wx/menu.h>
#include <wx/stattext.h>

#include <map>

namespace {

using ui::testing::PumpUntil;

class BrowserJoinPointer : public ShellWindows {};

TEST_F(BrowserJoinPointer, ThumbnailsDraggedOntoTheFocusBoxAreAdded) {
    std::filesystem::create_directories(folder + "/img");
    for (int i = 1; i <= 3; ++i)
        WriteFlatImage(folder + "/img/s" + std::to_string(i) + ".bmp", 64, 48, 60 * i, 100, 100);
    Settings(vtid::StartDialog::SelectByThumbnail, "", "IMAGEPATH=" + folder + "/img\n");
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

TEST_F(BrowserJoin, RightClickMenuIsLiveAtOnceAndDeleteWorksFromItAndFromTheKey) {
    std::filesystem::create_directories(folder + "/del");
    for (int i = 0; i < 3; ++i)
        WriteFlatImage(folder + "/del/d" + std::to_string(i) + ".bmp", 40, 30, 60 * i, 90, 90);
    StartOn("del");
    ASSERT_NE(f->FocusedList(), thumbs);
    auto cellCentre = [&](int i) {
        const wxRect r = thumbs->GetCellRect(i);
        return thumbs->ClientToScreen(wxPoint(r.x + r.width / 2, r.y + r.height / 2));
    };
    // The first right click on a thumbnail: the menu's items are enabled when it shows.
    std::map<int, bool> enabled;
    ui::testing::WhenPopupMenu(thumbs, [&](wxMenu* menu) {
        for (wxMenuItem* item : menu->GetMenuItems())
            enabled[item->GetId()] = item->IsEnabled();
    });
    ASSERT_TRUE(xinput::PressUntil(
        thumbs, cellCentre(1), [](wxUIActionSimulator& sim) { sim.MouseClick(wxMOUSE_BTN_RIGHT); },
        [&] { return !enabled.empty(); }));
    EXPECT_TRUE(enabled[vtid::cmd::ImageInfo]);
    EXPECT_TRUE(enabled[vtid::cmd::DeleteImageFile]);
    EXPECT_EQ(f->FocusedList(), thumbs);
    EXPECT_TRUE(thumbs->GetItem(1)->m_selected);

    // Its delete item asks 892; No keeps the file, Yes deletes it.
    sink.Queue({IDNO, IDYES});
    wxCommandEvent choose(wxEVT_MENU, vtid::cmd::DeleteImageFile);
    choose.SetEventObject(thumbs);
    thumbs->ProcessWindowEvent(choose);
    EXPECT_TRUE(std::filesystem::exists(folder + "/del/d1.bmp"));
    thumbs->ProcessWindowEvent(choose);
    EXPECT_FALSE(std::filesystem::exists(folder + "/del/d1.bmp"));
    EXPECT_EQ(Names(thumbs), (std::vector<std::string>{"d0.bmp", "d2.bmp"}));
    EXPECT_EQ(sink.ShownIds(),
              (std::vector<UINT>{vtid::str::AskDeleteImageFile, vtid::str::AskDeleteImageFile}));

    // The Delete key on the list does the same for the selected image.
    sink.ClearShown();
    sink.Queue({IDYES});
    thumbs->GetItem(1)->m_selected = 1;
    thumbs->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == thumbs; }));
    EXPECT_TRUE(xinput::PressUntil(
        thumbs, cellCentre(0), [](wxUIActionSimulator& sim) { sim.Char(WXK_DELETE); },
        [&] { return !std::filesystem::exists(folder + "/del/d2.bmp"); }));
    EXPECT_EQ(Names(thumbs), (std::vector<std::string>{"d0.bmp"}));
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::AskDeleteImageFile});
}

} // namespace
