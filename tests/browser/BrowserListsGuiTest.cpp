// The thumbnail list and the focus image box in a test frame: fills with thumbnails arriving, the
// 256 limit, drags into the box and back out, refusals of mixed images, self drops, and the box's
// additions by the capture workflow.
#include "BrowserListsFixture.h"
#include "ids/VantorelIds.h"

TEST_F(BrowserLists, FillShowsThumbnailsAndDropsUnreadableFiles) {
    std::filesystem::create_directories(dir / "img");
    WriteFlatImage(dir / "img/a3.bmp", 80, 60, 250, 0, 0);
    WriteFlatImage(dir / "img/a1.jpg", 60, 80, 0, 250, 0);
    WriteFlatImage(dir / "img/a2.bmp", 40, 40, 0, 0, 250, true);
    dir.Write("img/a4.jpg", "truncated");
    dir.Write("img/notes.txt", "text");
    Fill(dir / "img/");
    ASSERT_EQ(thumbs->GetItemCount(), 3);
    EXPECT_EQ(GetFileNamePart(thumbs->GetItemPath(0)), "a1.jpg");
    EXPECT_EQ(GetFileNamePart(thumbs->GetItemPath(2)), "a3.bmp");
    EXPECT_EQ(thumbs->CurrentFolder(), dir / "img");
    for (const auto& f : thumbs->Items()) {
        ASSERT_TRUE(f->m_record);
        EXPECT_TRUE(f->m_drawnInThumbList);
    }
    EXPECT_EQ(thumbs->Items()[1]->m_record->m_cacheValue1, 0); // grey
    // Drawn cells keep their picture; records outside the box drop their thumbnails.
    EXPECT_FALSE(thumbs->Items()[0]->m_record->GetThumbnail());
    char folder[512] = {};
    ::SendMessage(thumbs->GetSafeHwnd(), WM_LIST_GET_FOLDER, WPARAM(folder), sizeof folder);
    EXPECT_EQ(std::string(folder), dir / "img");
    ui::testing::Screenshot(frame, ui::testing::OutputFolder() + "/browser-lists.png");

    // A refresh and a second folder asked at once: the second folder is shown.
    std::filesystem::create_directories(dir / "two");
    WriteFlatImage(dir / "two/b1.bmp", 20, 20, 9, 9, 9);
    ::SendMessage(thumbs->GetSafeHwnd(), WM_LIST_FILL, 0, 0);
    Fill(dir / "two");
    ASSERT_EQ(thumbs->GetItemCount(), 1);
    // Records of the first folder were pruned.
    EXPECT_EQ(map.count(dir / "img/a1.jpg"), 0u);
}

TEST_F(BrowserLists, MoreThan256FilesShow890AndKeepTheFirstByName) {
    std::filesystem::create_directories(dir / "many");
    const std::string one = WriteFlatImage(dir / "many/x000.bmp", 4, 4, 1, 2, 3);
    const std::string bytes = ScratchFolder::ReadAll(one);
    for (int i = 1; i < 257; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "many/x%03d.bmp", i);
        dir.Write(name, bytes);
    }
    ctx.thumbSize = 64;
    Fill(dir / "many");
    EXPECT_EQ(thumbs->GetItemCount(), 256);
    EXPECT_EQ(sink.CountOf(vtid::str::TooManyThumbnails), 1u);
    EXPECT_EQ(GetFileNamePart(thumbs->GetItemPath(255)), "x255.bmp");
}

TEST_F(BrowserLists, DragIntoTheBoxAndBackOut) {
    std::filesystem::create_directories(dir / "img");
    for (int i = 1; i <= 4; ++i)
        WriteFlatImage(dir / ("img/s" + std::to_string(i) + ".bmp"), 64, 48, 30 * i, 100, 100);
    Fill(dir / "img");
    for (int i = 0; i < 3; ++i)
        thumbs->Items()[i]->m_selected = 1;
    DragTo(thumbs, 1, CentreOnScreen(box, 0));
    ASSERT_TRUE(PumpUntil([&] { return !box->IsBusy(); }));
    ASSERT_EQ(box->GetItemCount(), 4);
    EXPECT_EQ(GetFileNamePart(box->GetItemPath(0)), "s1.bmp");
    EXPECT_EQ(GetFileNamePart(box->GetItemPath(2)), "s3.bmp");
    EXPECT_TRUE(box->Items().back()->IsPlaceholder());
    EXPECT_EQ(CountText(), "  3");
    EXPECT_TRUE(sink.ShownIds().empty());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(thumbs->Items()[i]->m_record->m_state, 1); // red captions
        EXPECT_FALSE(thumbs->Items()[i]->m_selected);        // a copy clears the selection
    }
    EXPECT_EQ(thumbs->Items()[3]->m_record->m_state, 0);
    ui::testing::Screenshot(frame, ui::testing::OutputFolder() + "/browser-box.png");

    // The same image again adds nothing and says nothing.
    thumbs->Items()[0]->m_selected = 1;
    DragTo(thumbs, 0, CentreOnScreen(box, 0));
    ASSERT_TRUE(PumpUntil([&] { return !box->IsBusy(); }));
    EXPECT_EQ(box->GetItemCount(), 4);
    EXPECT_TRUE(sink.ShownIds().empty());

    // Two out of the box onto the thumbnail list: a move, the box loses them.
    for (const auto& f : box->Items())
        f->m_selected = 0;
    box->Items()[0]->m_selected = 1;
    box->Items()[1]->m_selected = 1;
    DragTo(box, 0, CentreOnScreen(thumbs, 3));
    EXPECT_EQ(box->GetItemCount(), 2);
    EXPECT_EQ(CountText(), "  1");
    EXPECT_EQ(thumbs->Items()[0]->m_record->m_state, 0);
    EXPECT_FALSE(thumbs->Items()[0]->m_record->GetThumbnail()); // freed with the removal
    EXPECT_EQ(thumbs->Items()[2]->m_record->m_state, 1);
    EXPECT_TRUE(thumbs->Items()[2]->m_record->GetThumbnail()); // still shown in the box
}

TEST_F(BrowserLists, MixedImagesAreRefusedOnceAndSelfDropsAreRefused) {
    std::filesystem::create_directories(dir / "mix");
    WriteFlatImage(dir / "mix/m1.bmp", 40, 30, 200, 10, 10);
    WriteFlatImage(dir / "mix/m2.bmp", 40, 30, 20, 20, 20, true);
    WriteFlatImage(dir / "mix/m3.bmp", 50, 30, 200, 10, 10);
    WriteGrey16Tiff(dir / "mix/m4.tif", 40, 30);
    Fill(dir / "mix");
    ASSERT_EQ(thumbs->GetItemCount(), 4);
    for (int i = 0; i < 3; ++i)
        thumbs->Items()[i]->m_selected = 1;
    DragTo(thumbs, 0, CentreOnScreen(box, 0));
    ASSERT_TRUE(PumpUntil([&] { return !box->IsBusy(); }));
    EXPECT_EQ(box->GetItemCount(), 2);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::MixedImages});
    EXPECT_EQ(thumbs->Items()[1]->m_record->m_state, 0); // refused: not marked

    // A 16-bit image: refused with 899 (also on a double click).
    sink.ClearShown();
    box->RemoveItems(true);
    for (const auto& f : thumbs->Items())
        f->m_selected = 0;
    thumbs->Items()[3]->m_selected = 1;
    DragTo(thumbs, 3, CentreOnScreen(box, 0));
    EXPECT_EQ(box->GetItemCount(), 1);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::GreyOrColourOnly});

    // Self drop: with the option off the list refuses its own window; with it on a drop inside
    // the dragged range is refused with 879.
    sink.ClearShown();
    for (int i = 0; i < 3; ++i)
        thumbs->Items()[i]->m_selected = 1;
    const wxRect r = thumbs->GetCellRect(1);
    ASSERT_FALSE(thumbs->BeginDrag(1, r.x + 20, r.y + 20).empty());
    const std::string payload = browser_drag::Encode(0, thumbs->DraggedPositions());
    EXPECT_EQ(thumbs->OnDragEnter(&payload, r.x + 20, r.y + 20, false), DROPEFFECT_NONE);
    EXPECT_EQ(thumbs->OnDragEnter(nullptr, r.x + 20, r.y + 20, false), DROPEFFECT_NONE);
    thumbs->SetOptionA(true);
    EXPECT_EQ(thumbs->OnDragEnter(&payload, r.x + 20, r.y + 20, true), DROPEFFECT_COPY);
    EXPECT_FALSE(thumbs->OnDrop(payload, r.x + 20, r.y + 20));
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::CannotDrop});
    // A record that is not this drag's (bad length, other positions) is refused silently.
    EXPECT_FALSE(box->OnDrop(payload.substr(0, payload.size() - 1), 5, 5));
    EXPECT_FALSE(box->OnDrop(browser_drag::Encode(0, {0, 1, 2, 3}), 5, 5));
    thumbs->EndDrag(DROPEFFECT_NONE);
    EXPECT_EQ(sink.ShownIds().size(), 1u);
}

TEST_F(BrowserLists, ARefusedImageIsToldOnceAndTheLaterMatchingImagesGoIn) {
    std::filesystem::create_directories(dir / "later");
    WriteGrey16Tiff(dir / "later/n0.tif", 40, 30);
    WriteFlatImage(dir / "later/n1.bmp", 40, 30, 200, 10, 10);
    WriteFlatImage(dir / "later/n2.bmp", 50, 30, 200, 10, 10);
    WriteFlatImage(dir / "later/n3.bmp", 40, 30, 10, 200, 10);
    WriteFlatImage(dir / "later/n4.bmp", 20, 30, 10, 10, 200);
    WriteFlatImage(dir / "later/n5.bmp", 40, 30, 10, 10, 200);
    Fill(dir / "later");
    ASSERT_EQ(thumbs->GetItemCount(), 6);
    auto boxNames = [&] {
        std::vector<std::string> out;
        for (const auto& f : box->Items())
            out.push_back(f->IsPlaceholder() ? "*" : GetFileNamePart(f->m_path));
        return out;
    };
    // Into the empty box: the 16-bit image is refused (899), the first one taken is the reference
    // that the later ones are held against.
    for (int i : {0, 1, 2})
        thumbs->Items()[i]->m_selected = 1;
    DragTo(thumbs, 0, CentreOnScreen(box, 0));
    ASSERT_TRUE(PumpUntil([&] { return !box->IsBusy(); }));
    EXPECT_EQ(boxNames(), (std::vector<std::string>{"n1.bmp", "*"}));
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::GreyOrColourOnly});

    // Two of another size among three that match: 889 once, and the drop goes on past them.
    sink.ClearShown();
    for (int i : {2, 3, 4, 5})
        thumbs->Items()[i]->m_selected = 1;
    DragTo(thumbs, 2, CentreOnScreen(box, 0));
    ASSERT_TRUE(PumpUntil([&] { return !box->IsBusy(); }));
    EXPECT_EQ(boxNames(), (std::vector<std::string>{"n1.bmp", "n3.bmp", "n5.bmp", "*"}));
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::MixedImages});
    EXPECT_EQ(CountText(), "  3");
    EXPECT_EQ(thumbs->Items()[2]->m_record->m_state, 0);
    EXPECT_EQ(thumbs->Items()[4]->m_record->m_state, 0);
}

TEST_F(BrowserLists, CaptureAddsFilesBeforeThePlaceholderAndFolderFillsKeepItLast) {
    std::filesystem::create_directories(dir / "cap");
    std::vector<std::string> files;
    for (int i = 1; i <= 3; ++i)
        files.push_back(WriteFlatImage(dir / ("cap/c00" + std::to_string(i) + ".bmp"), 32, 24, 60 * i, 0, 0));
    EXPECT_EQ(CountText(), "  0");
    for (const auto& f : files) {
        box->SetAppendMode(true);
        CFileInfoStruc* entry = box->AddFile(f);
        ASSERT_TRUE(entry);
        box->WaitForLoader(frame);
        EXPECT_FALSE(box->IsBusy());
        EXPECT_TRUE(entry->m_record);
    }
    box->SetAppendMode(false);
    EXPECT_EQ(box->AddFile(dir / "cap/none.bmp"), nullptr);
    ASSERT_EQ(box->GetItemCount(), 4);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(box->GetItemPath(i), files[i]);
    EXPECT_TRUE(box->Items()[3]->IsPlaceholder());
    EXPECT_EQ(CountText(), "  3");

    // Records the box links stay when the thumbnail list shows another folder.
    std::filesystem::create_directories(dir / "other");
    WriteFlatImage(dir / "other/o1.bmp", 8, 8, 1, 1, 1);
    Fill(dir / "other");
    EXPECT_EQ(map.count(files[1]), 1u);
    EXPECT_EQ(box->Items()[1]->m_record, map.at(files[1]).get());

    ctx.boxSortKey = 31;
    box->SortItems();
    EXPECT_EQ(box->GetItemPath(0), files[2]);
    EXPECT_TRUE(box->Items()[3]->IsPlaceholder());

    // A folder fill with a stale insert position: the placeholder comes back last and new
    // items go before it.
    box->SetInsertPosition(99);
    ::SendMessage(box->GetSafeHwnd(), WM_LIST_FILL, WPARAM((dir / "cap").c_str()), 0);
    ASSERT_TRUE(PumpUntil([&] { return !box->IsBusy(); }));
    ASSERT_EQ(box->GetItemCount(), 4);
    EXPECT_TRUE(box->Items()[3]->IsPlaceholder());
    ASSERT_TRUE(box->AddFile(files[0]));
    EXPECT_TRUE(box->Items()[4]->IsPlaceholder());
    box->WaitForLoader();
    EXPECT_GE(box->InsertPosition(), 0);
    EXPECT_LE(box->InsertPosition(), box->GetItemCount() - 1);

    // An unreadable image stays in the box; a double click on it tells 9201.
    const std::string bad = dir.Write("cap/bad.jpg", "no");
    ASSERT_TRUE(box->AddFile(bad));
    box->WaitForLoader();
    const int badAt = box->IndexOf(box->Items()[box->GetItemCount() - 2].get());
    EXPECT_EQ(box->GetItemPath(badAt), bad);
    EXPECT_FALSE(box->Items()[badAt]->m_record);
}

namespace {
void Mouse(wxWindow* w, wxEventType type, const wxPoint& p, bool shift = false, bool ctrl = false) {
    wxMouseEvent ev(type);
    ev.SetPosition(p);
    ev.SetEventObject(w);
    ev.m_shiftDown = shift;
    ev.m_controlDown = ctrl;
    ev.m_leftDown = type == wxEVT_LEFT_DOWN || type == wxEVT_MOTION;
    w->GetEventHandler()->ProcessEvent(ev);
}
void Click(wxWindow* w, const wxPoint& p, bool shift = false, bool ctrl = false) {
    Mouse(w, wxEVT_LEFT_DOWN, p, shift, ctrl);
    Mouse(w, wxEVT_LEFT_UP, p, shift, ctrl);
}
std::string Selected(const CSListCtrl* list) {
    std::string s;
    for (const auto& f : list->Items())
        s += f->m_selected ? '1' : '0';
    return s;
}
} // namespace

TEST_F(BrowserLists, ClickShiftCtrlAndMarqueeSelectionAndDoubleClicks) {
    std::filesystem::create_directories(dir / "sel");
    for (int i = 1; i <= 6; ++i)
        WriteFlatImage(dir / ("sel/q" + std::to_string(i) + ".bmp"), 32, 32, 10 * i, 10, 10);
    WriteGrey16Tiff(dir / "sel/q7.tif", 32, 32);
    ctx.thumbSize = 64;
    Fill(dir / "sel");
    ASSERT_EQ(thumbs->GetItemCount(), 7);
    auto at = [&](int i) { return thumbs->GetCellRect(i).GetPosition() + wxPoint(10, 10); };

    Click(thumbs, at(1));
    EXPECT_EQ(Selected(thumbs), "0100000");
    Click(thumbs, at(4), true);
    EXPECT_EQ(Selected(thumbs), "0111100");
    Click(thumbs, at(2), false, true);
    EXPECT_EQ(Selected(thumbs), "0101100");
    Click(thumbs, at(5));
    EXPECT_EQ(Selected(thumbs), "0000010");
    EXPECT_EQ(thumbs->Anchor(), 5);
    // A press beside the items clears; a drag beside them selects what the marquee meets.
    const wxRect last = thumbs->GetCellRect(6);
    const wxPoint empty(last.GetRight() + 20, last.GetBottom() + 40);
    ASSERT_LT(thumbs->HitTestItem(empty.x, empty.y), 0);
    Mouse(thumbs, wxEVT_LEFT_DOWN, empty);
    EXPECT_EQ(Selected(thumbs), "0000000");
    Mouse(thumbs, wxEVT_MOTION, thumbs->GetCellRect(0).GetPosition() + wxPoint(5, 5));
    Mouse(thumbs, wxEVT_LEFT_UP, thumbs->GetCellRect(0).GetPosition() + wxPoint(5, 5));
    EXPECT_EQ(Selected(thumbs), "1111111");
    ::SendMessage(thumbs->GetSafeHwnd(), WM_LIST_REDRAW_ITEM, WPARAM(0x1234), 0); // not an item: ignored

    // The right button on an item selects that item alone and shows menu 182 (information,
    // adding to the box and deleting the file); beside every item no menu comes.
    std::vector<int> menuIds;
    ui::testing::WhenPopupMenu(thumbs, [&](wxMenu* menu) {
        for (wxMenuItem* item : menu->GetMenuItems())
            menuIds.push_back(item->GetId());
    });
    Mouse(thumbs, wxEVT_RIGHT_UP, at(3));
    EXPECT_EQ(Selected(thumbs), "0001000");
    EXPECT_EQ(thumbs->Anchor(), 3);
    EXPECT_EQ(menuIds, (std::vector<int>{vtid::cmd::ImageInfo, vtid::cmd::AddToFocusBox, wxID_SEPARATOR,
                                         vtid::cmd::DeleteImageFile}));
    Mouse(thumbs, wxEVT_RIGHT_UP, empty);
    EXPECT_EQ(Selected(thumbs), "0001000");
    // The menu key (a context menu without a position) shows the anchor item's menu; the
    // right button's own context event shows nothing more.
    Click(thumbs, at(1));
    Click(thumbs, at(5), false, true);
    menuIds.clear();
    ui::testing::WhenPopupMenu(thumbs,
                               [&](wxMenu* menu) { menuIds.push_back(menu->GetMenuItems()[0]->GetId()); });
    wxContextMenuEvent key(wxEVT_CONTEXT_MENU, thumbs->GetId(), wxDefaultPosition);
    key.SetEventObject(thumbs);
    thumbs->GetEventHandler()->ProcessEvent(key);
    EXPECT_EQ(Selected(thumbs), "0000010");
    EXPECT_EQ(menuIds, std::vector<int>{vtid::cmd::ImageInfo});
    wxContextMenuEvent button(wxEVT_CONTEXT_MENU, thumbs->GetId(), thumbs->ClientToScreen(at(2)));
    button.SetEventObject(thumbs);
    thumbs->GetEventHandler()->ProcessEvent(button);
    EXPECT_EQ(Selected(thumbs), "0000010");
    EXPECT_EQ(menuIds.size(), 1u);

    // Double clicks: an image opens, a 16-bit one says 899, beside every item nothing.
    std::vector<std::string> opened;
    ctx.openImage = [&](const std::string& p) {
        opened.push_back(p);
        return true;
    };
    Mouse(thumbs, wxEVT_LEFT_DCLICK, at(0));
    Mouse(thumbs, wxEVT_LEFT_DCLICK, at(6));
    Mouse(thumbs, wxEVT_LEFT_DCLICK, empty);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], thumbs->GetItemPath(0));
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::GreyOrColourOnly});

    // In the box: the placeholder opens nothing; an image that gave nothing says 9201.
    sink.ClearShown();
    const std::string bad = dir.Write("bad.jpg", "x");
    ASSERT_TRUE(box->AddFile(bad));
    box->WaitForLoader();
    Mouse(box, wxEVT_LEFT_DCLICK, box->GetCellRect(1).GetPosition() + wxPoint(10, 10));
    EXPECT_TRUE(sink.ShownIds().empty());
    Mouse(box, wxEVT_LEFT_DCLICK, box->GetCellRect(0).GetPosition() + wxPoint(10, 10));
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{kMsgCannotReadData});
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(BrowserLists, AutoscrollStopsWhenTheListCannotMove) {
    std::filesystem::create_directories(dir / "scroll");
    const std::string one = WriteFlatImage(dir / "scroll/r000.bmp", 4, 4, 1, 2, 3);
    for (int i = 1; i < 40; ++i)
        dir.Write("scroll/r" + std::to_string(100 + i) + ".bmp", ScratchFolder::ReadAll(one));
    Fill(dir / "scroll");
    const int h = thumbs->GetClientSize().y;
    EXPECT_TRUE(thumbs->AutoscrollStep(h - 2)); // moved down
    EXPECT_GT(thumbs->GetFirstVisibleItem(), 0);
    EXPECT_TRUE(thumbs->AutoscrollStep(h / 2)); // outside the bands: nothing
    thumbs->Scroll(0, 0);
    EXPECT_FALSE(thumbs->AutoscrollStep(2)); // at the top already: the timer stops
    EXPECT_FALSE(thumbs->AutoscrollTimerRunning());
    EXPECT_EQ(thumbs->AutoscrollDelay(), 300);
    EXPECT_EQ(thumbs->AutoscrollInterval(), 100);
}
