// The folder tree and the thumbnail view in a test frame with a test document: the tree on a
// prepared folder tree, a folder chosen in the tree filling the thumbnail list, and deleting an
// image file.
#include "BrowserViewsFixture.h"

TEST_F(BrowserViews, TreeListsFoldersLazilyAndSelectsPaths) {
    EXPECT_TRUE(view->CheckControlIds().empty());
    EXPECT_EQ(Text(tree, tree->DesktopItem()), "Desk");
    const auto top = Children(tree, tree->DesktopItem());
    ASSERT_GE(top.size(), 4u);
    EXPECT_EQ(top[0], "マイ ドキュメント");
    EXPECT_EQ(top[1], "マイ コンピュータ");
    EXPECT_EQ(top[2], "マイ ネットワーク");
    EXPECT_EQ(top[3], "photos");
    // The computer holds the root, labelled by its mount point.
    const auto disks = Children(tree, tree->ComputerItem());
    EXPECT_NE(std::find(disks.begin(), disks.end(), "(/)"), disks.end());

    // The start folder (mode 1007) was selected; the current folder was emptied after it.
    EXPECT_EQ(tree->GetItemPath(tree->GetSelection()), dir / "Desk/photos");
    EXPECT_TRUE(tree->CurrentFolder().empty());
    const wxTreeItemId photos = tree->GetSelection();
    tree->Expand(photos);
    EXPECT_EQ(Children(tree, photos), (std::vector<std::string>{"a", "b"}));
    wxTreeItemIdValue cookie;
    const wxTreeItemId a = tree->GetFirstChild(photos, cookie);
    const wxTreeItemId b = tree->GetNextChild(photos, cookie);
    EXPECT_FALSE(tree->ItemHasChildren(a)); // only a hidden sub-folder
    EXPECT_TRUE(tree->ItemHasChildren(b));

    // Selecting a path with a trailing slash tells the thumbnail view, which fills its list.
    const wxTreeItemId sel = tree->SelectPath(dir / "Desk/photos/a/", false);
    ASSERT_TRUE(sel.IsOk());
    EXPECT_EQ(tree->GetItemPath(sel), dir / "Desk/photos/a");
    EXPECT_EQ(view->Folder(), dir / "Desk/photos/a/");
    CThumbnailListCtrl* list = view->List();
    ASSERT_TRUE(PumpUntil([&] { return !list->IsBusy() && list->GetItemCount() == 2; }));
    EXPECT_EQ(view->GetDlgItem(vtid::ThumbnailForm::FolderLabel)->GetLabel().ToStdString(wxConvUTF8),
              dir / "Desk/photos/a");
    EXPECT_EQ(view->GetDlgItem(vtid::ThumbnailForm::Guide)->GetLabel(),
              ui::LoadResString(vtid::str::FocusBoxGuide));
    // The view linked its folder label to the list.
    EXPECT_EQ(HWND(::SendMessage(list->GetSafeHwnd(), WM_LIST_GET_LINK, 0, 0)),
              ui::WindowHandle(view->GetDlgItem(vtid::ThumbnailForm::FolderLabel)));
    ASSERT_TRUE(PumpUntil(
        [&] { return list->Items()[0]->m_drawnInThumbList && list->Items()[1]->m_drawnInThumbList; }));
    ui::testing::Screenshot(frame, ui::testing::OutputFolder() + "/browser-tree.png");

    // A folder hint without a sender is ignored; an empty folder only changes the label.
    CFolderHint other(dir / "Docs");
    doc->UpdateAllViews(nullptr, HINT_FOLDER_SELECTED, &other);
    EXPECT_EQ(view->Folder(), dir / "Desk/photos/a/");
    CFolderHint none("");
    doc->UpdateAllViews(tree, HINT_FOLDER_SELECTED, &none);
    EXPECT_EQ(view->Folder(), "/");
    EXPECT_EQ(list->GetItemCount(), 2);

    // The documents folder is found under its own item; a missing folder selects nothing.
    const wxTreeItemId notes = tree->SelectPath(dir / "Docs/notes", true);
    ASSERT_TRUE(notes.IsOk());
    EXPECT_EQ(tree->GetItemParent(notes), tree->DocumentsItem());
    EXPECT_FALSE(tree->SelectPath(dir / "Desk/photos/zzz", false).IsOk());
    EXPECT_TRUE(tree->SelectParentFolder());
    EXPECT_EQ(tree->GetSelection(), tree->DocumentsItem());

    // Refresh keeps the selected folder, opened again with the folders made since, and makes the
    // next pass ignore the cache.
    tree->SelectPath(dir / "Desk/photos/b", false);
    std::filesystem::create_directories(dir / "Desk/photos/b/New");
    tree->RouteCommandId(vtid::cmd::Refresh);
    EXPECT_EQ(tree->GetItemPath(tree->GetSelection()), dir / "Desk/photos/b");
    EXPECT_TRUE(tree->IsExpanded(tree->GetSelection()));
    EXPECT_EQ(Children(tree, tree->GetSelection()), (std::vector<std::string>{"c", "New"})); // letters without case first
}

TEST_F(BrowserViews, TreePaneStaysClearOfTheTopMenu) {
    int relayouts = 0;
    tree->topMenuEdges = [](int& r825, int& r829, int& l954) {
        r825 = 100, r829 = 140, l954 = 500; // the pane may be 430 wide at most
        return true;
    };
    tree->relayoutTopMenu = [&] { ++relayouts; };
    auto* split = dynamic_cast<wxSplitterWindow*>(tree->GetParent());
    ASSERT_TRUE(split);
    split->SetSashPosition(600);
    ASSERT_TRUE(PumpUntil([&] { return split->GetSashPosition() == 430; }));
    EXPECT_GT(relayouts, 0);
    split->SetSashPosition(300);
    ASSERT_TRUE(PumpUntil([&] { return tree->GetSize().x <= 300; }));
    EXPECT_EQ(split->GetSashPosition(), 300);
}

TEST_F(BrowserViews, TheStartFolderStaysTheTopRowWhileTheWindowIsLaidOut) {
    for (int i = 0; i < 40; ++i)
        std::filesystem::create_directories(dir / ("Desk/photos/f" + std::to_string(100 + i)));
    // The first update of a frame that is then laid out: first tall enough for every row, then
    // as small as the program's first layout makes it.
    frame->SetSize(1100, 700);
    ASSERT_TRUE(PumpUntil([&] { return frame->GetSize().y == 700; }));
    tree->Refresh32783();
    const wxTreeItemId item = tree->ShowFolderAtTop(dir / "Desk/photos/f120");
    ASSERT_TRUE(item.IsOk());
    EXPECT_EQ(tree->GetSelection(), item);
    auto atTop = [&] {
        wxRect row;
        return tree->GetBoundingRect(item, row) && row.y >= 0 && row.y < row.height;
    };
    // Each size is waited for until the frame has been painted at it, which is after its layout.
    // The tree's own size is what is waited for: with overlay scroll bars its client area may
    // keep the whole height.
    frame->SetSize(1100, 2000);
    ASSERT_TRUE(PumpUntil([&] { return tree->GetSize().y > 1500; }) && ui::testing::WaitForPaint(frame));
    frame->SetSize(1100, 300);
    ASSERT_TRUE(PumpUntil([&] { return tree->GetSize().y <= 300; }) && ui::testing::WaitForPaint(frame));
    EXPECT_TRUE(PumpUntil(atTop));
    ui::testing::Screenshot(frame, ui::testing::OutputFolder() + "/browser-tree-start-folder.png");
    // Scrolled by the user, the tree stays where the user put it.
    wxScrollWinEvent scroll(wxEVT_SCROLLWIN_TOP, 0, wxVERTICAL);
    tree->ProcessWindowEvent(scroll);
    tree->Scroll(-1, 0);
    frame->SetSize(1100, 400);
    ASSERT_TRUE(PumpUntil([&] { return tree->GetClientSize().y > 300; }));
    EXPECT_FALSE(PumpUntil(atTop, 500));
}

TEST_F(BrowserViews, UnreadableFolderSays10006) {
    // A folder that cannot be read when its branch opens (here: gone since it was listed).
    std::filesystem::create_directories(dir / "Desk/gone/inner");
    tree->Refresh32783();
    const wxTreeItemId gone = tree->SelectPath(dir / "Desk/gone", false);
    ASSERT_TRUE(gone.IsOk());
    std::filesystem::remove_all(dir / "Desk/gone");
    tree->Expand(gone);
    EXPECT_EQ(sink.CountOf(vtid::str::DriveNotReady), 1u);
    EXPECT_FALSE(tree->IsExpanded(gone));
}

TEST_F(BrowserViews, DeleteAsksAndRemovesFileThumbnailAndCache) {
    tree->SelectPath(dir / "Desk/photos/a", false);
    CThumbnailListCtrl* list = view->List();
    ASSERT_TRUE(PumpUntil([&] { return !list->IsBusy() && list->GetItemCount() == 2; }));
    const std::string p1 = list->GetItemPath(0);
    ASSERT_TRUE(std::filesystem::exists(MakeThumbCacheName(p1)));

    view->OnDeleteImageFile(); // nothing selected: nothing asked
    EXPECT_TRUE(sink.ShownIds().empty());
    list->Items()[0]->m_selected = 1;
    sink.Queue({IDNO});
    view->RouteCommandId(vtid::cmd::DeleteImageFile);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::AskDeleteImageFile});
    EXPECT_TRUE(std::filesystem::exists(p1));

    // The file is gone already: 893, the item stays.
    std::filesystem::rename(p1, p1 + ".moved");
    sink.Queue({IDYES});
    view->RouteCommandId(vtid::cmd::DeleteImageFile);
    EXPECT_EQ(sink.CountOf(vtid::str::CannotDelete), 1u);
    EXPECT_EQ(list->GetItemCount(), 2);
    std::filesystem::rename(p1 + ".moved", p1);

    sink.Queue({IDYES});
    view->RouteCommandId(vtid::cmd::DeleteImageFile);
    EXPECT_FALSE(std::filesystem::exists(p1));
    EXPECT_FALSE(std::filesystem::exists(MakeThumbCacheName(p1)));
    EXPECT_FALSE(std::filesystem::exists(MakeThumbCacheName(p1) + ".i.tmp"));
    ASSERT_EQ(list->GetItemCount(), 1);
    EXPECT_NE(list->GetItemPath(0), p1);
}
