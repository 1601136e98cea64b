// The image browser inside the program's main frame: the thumbnail mode showing the image folder
// of the settings, the frame's sort and size commands on the thumbnail list, and the focus image
// box filled by the frame's commands, by a drag and by the capture workflow, with its count.
#include "BrowserJoinFixture.h"

#include "browser/DirTreeView.h"
#include "browser/SelListCtrl.h"
#include "browser/ThumbnailView.h"
#include "ids/VantorelIds.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/capture/SelectedBox.h"
#include "tests/browser/core/BrowserTestImages.h"
#include "result/ImageDoc.h"

#include <wx/menu.h>
#include <wx/stattext.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <map>

namespace {

using ui::testing::PumpUntil;

TEST_F(BrowserJoin, ThumbnailModeShowsTheImageFolderSortsAndSizes) {
    std::filesystem::create_directories(folder + "/img/sub");
    WriteFlatImage(folder + "/img/a.bmp", 80, 60, 200, 10, 10);
    WriteFlatImage(folder + "/img/b.bmp", 16, 12, 10, 200, 10);
    WriteFlatImage(folder + "/img/c.bmp", 40, 30, 10, 10, 200);
    StartOn("img", "THUMBSIZE=192\nSELTHUMBSIZE=128\n");
    EXPECT_TRUE(f->IsActiveView<CDirTreeView>());
    EXPECT_TRUE(tree->IsShownOnScreen());
    EXPECT_TRUE(f->ThumbnailView()->IsShownOnScreen());
    EXPECT_EQ(tree->GetItemPath(tree->GetSelection()), folder + "/img");
    EXPECT_EQ(f->ThumbnailView()->Folder(), folder + "/img/");
    EXPECT_EQ(Names(thumbs), (std::vector<std::string>{"a.bmp", "b.bmp", "c.bmp"}));
    EXPECT_EQ(Names(box), (std::vector<std::string>{"*"}));
    EXPECT_EQ(Count(), "  0");
    ui::testing::Screenshot(f, Shot("vantorel-browser.png"));

    // By size, then by name again; the order is the document's and is stored on close.
    EXPECT_EQ(State(vtid::cmd::SortByName).checked, std::optional<int>(1));
    f->RouteCommandId(vtid::cmd::SortBySize);
    EXPECT_EQ(Names(thumbs), (std::vector<std::string>{"b.bmp", "c.bmp", "a.bmp"}));
    EXPECT_EQ(State(vtid::cmd::SortByName).checked, std::optional<int>(0));
    EXPECT_EQ(State(vtid::cmd::SortBySize).checked, std::optional<int>(1));
    f->RouteCommandId(vtid::cmd::SortByName);
    EXPECT_EQ(Names(thumbs), (std::vector<std::string>{"a.bmp", "b.bmp", "c.bmp"}));
    f->RouteCommandId(vtid::cmd::SortBySize);

    // Selecting all and none.
    f->RouteCommandId(vtid::cmd::SelectAll);
    EXPECT_EQ(thumbs->CountSelected(), 3);
    f->RouteCommandId(vtid::cmd::SelectNone);
    EXPECT_EQ(thumbs->CountSelected(), 0);

    // The picture information of the focused list: the last entry while none is selected.
    f->SetFocusedList(thumbs);
    EXPECT_TRUE(State(vtid::cmd::ImageInfo).enabled);
    std::string shown;
    ui::testing::WhenModal([&](wxDialog* d) {
        shown = std::string(ui::testing::FindById(d, 12)->GetLabel().ToUTF8());
        d->EndModal(IDOK);
    });
    f->RouteCommandId(vtid::cmd::ImageInfo);
    EXPECT_EQ(shown, Names(thumbs).back());

    // A refresh reads the folder again and shows an image written meanwhile.
    WriteFlatImage(folder + "/img/d.bmp", 8, 8, 1, 1, 1);
    f->RouteCommandId(vtid::cmd::Refresh);
    ASSERT_TRUE(PumpUntil([&] { return thumbs->GetItemCount() == 4 && !thumbs->IsBusy(); }));
    EXPECT_EQ(tree->GetItemPath(tree->GetSelection()), folder + "/img");
    std::filesystem::remove(folder + "/img/d.bmp");
    f->RouteCommandId(vtid::cmd::Refresh);
    ASSERT_TRUE(PumpUntil([&] { return thumbs->GetItemCount() == 3 && !thumbs->IsBusy(); }));

    // The size checks follow the list that had the focus last.
    EXPECT_EQ(State(vtid::cmd::LargeThumbnails).checked, std::optional<int>(1));
    box->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return f->FocusedList() == box; }));
    EXPECT_EQ(State(vtid::cmd::MediumThumbnails).checked, std::optional<int>(1));
    EXPECT_EQ(State(vtid::cmd::LargeThumbnails).checked, std::optional<int>(0));

    // Small thumbnails: both lists take the size, the list is made again at it.
    const int before = thumbs->GetCellRect(0).width;
    f->RouteCommandId(vtid::cmd::SmallThumbnails);
    ASSERT_TRUE(PumpUntil([&] { return !thumbs->IsBusy() && !box->IsBusy(); }));
    EXPECT_LT(thumbs->GetCellRect(0).width, before);
    EXPECT_EQ(f->Document()->Browser().selThumbSize, 64);
    EXPECT_EQ(thumbs->GetItemCount(), 3);

    // The folder-up button selects the parent folder, whose thumbnails are empty.
    f->FolderUp();
    EXPECT_EQ(tree->GetItemPath(tree->GetSelection()), folder);
    ASSERT_TRUE(PumpUntil([&] { return !thumbs->IsBusy(); }));
    EXPECT_EQ(thumbs->GetItemCount(), 0);

    CloseProgram();
    const std::string ini = Read("Vantorel.ini");
    EXPECT_NE(ini.find("SORT=32791"), std::string::npos);
    EXPECT_NE(ini.find("THUMBSIZE=64"), std::string::npos) << ini;
}

TEST_F(BrowserJoin, TreeOpensOnARelativeImageFolderAtTheTopAndCloseKeepsTheShownFolder) {
    // So many folders beside the series that its row lies far below the tree's first page.
    for (int i = 0; i < 100; ++i)
        std::filesystem::create_directories(folder + "/run/d" + std::to_string(100 + i));
    std::filesystem::create_directories(folder + "/run/d130/series");
    WriteFlatImage(folder + "/run/d130/series/img000.bmp", 40, 30, 200, 90, 90);
    WriteFlatImage(folder + "/run/d130/series/img001.bmp", 40, 30, 90, 200, 90);
    Settings(vtid::StartDialog::SelectByThumbnail, "", "IMAGEPATH=run/d130/series\n");
    ASSERT_TRUE(StartProgram());
    f = Frame();
    tree = f->FolderTree();
    thumbs = f->ThumbnailList();
    ASSERT_TRUE(tree && thumbs);
    ASSERT_TRUE(PumpUntil([&] { return thumbs->GetItemCount() == 2 && !thumbs->IsBusy(); }));
    WaitDrawn();
    const std::string series = folder + "/run/d130/series";
    // The row of the selected folder is the first the tree shows (within one scroll unit).
    auto atTop = [&] {
        wxRect row;
        int unitX = 0, unitY = 0;
        tree->GetScrollPixelsPerUnit(&unitX, &unitY);
        return tree->GetBoundingRect(tree->GetSelection(), row) && row.y >= 0 && row.y < std::max(unitY, 1);
    };
    EXPECT_EQ(tree->GetItemPath(tree->GetSelection()), series);
    EXPECT_TRUE(PumpUntil(atTop));
    EXPECT_EQ(f->ThumbnailView()->Folder(), series + "/");
    ui::testing::Screenshot(f, Shot("thumbnail-mode-series.png"));

    // Entering the mode again goes back to the image folder, at the top again.
    tree->SelectItem(tree->DesktopItem());
    tree->ScrollTo(tree->DesktopItem());
    f->EnterMode(vtid::StartDialog::SelectByThumbnail);
    EXPECT_EQ(tree->GetItemPath(tree->GetSelection()), series);
    EXPECT_TRUE(PumpUntil(atTop));

    // The folder the thumbnails show when the program ends is the next start's image folder.
    f->FolderUp();
    ASSERT_TRUE(PumpUntil([&] { return !thumbs->IsBusy(); }));
    EXPECT_EQ(f->ThumbnailView()->Folder(), folder + "/run/d130/");
    CloseProgram();
    EXPECT_EQ(ReadIniString("InitialSettings", "IMAGEPATH", ""), folder + "/run/d130");
}

TEST_F(BrowserJoin, CommandsDragAndCaptureFillTheBoxAndItsCount) {
    std::filesystem::create_directories(folder + "/same");
    WriteGrey16Tiff(folder + "/same/x0.tif", 40, 30);
    for (int i = 1; i <= 3; ++i)
        WriteFlatImage(folder + "/same/p" + std::to_string(i) + ".bmp", 40, 30, 60 * i, 90, 90);
    WriteFlatImage(folder + "/same/r9.bmp", 20, 10, 10, 10, 10);
    StartOn("same");
    ASSERT_EQ(Names(thumbs), (std::vector<std::string>{"x0.tif", "p1.bmp", "p2.bmp", "p3.bmp", "r9.bmp"}));
    EXPECT_EQ(State(25).enabled, std::optional<bool>(false));
    EXPECT_EQ(State(24).enabled, std::optional<bool>(true));

    // The 16-bit image alone into the empty box: refused.
    thumbs->Items()[0]->m_selected = 1;
    f->RouteCommandId(23);
    EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{vtid::str::GreyOrColourOnly}));
    EXPECT_EQ(Count(), "  0");

    // All of them: one message for the command; the three images of one kind and size go in,
    // even though the first thumbnail is the 16-bit one.
    f->RouteCommandId(24);
    ASSERT_TRUE(PumpUntil([&] { return !box->IsBusy(); }));
    EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{vtid::str::GreyOrColourOnly, vtid::str::GreyOrColourOnly}));
    EXPECT_EQ(Names(box), (std::vector<std::string>{"p1.bmp", "p2.bmp", "p3.bmp", "*"}));
    EXPECT_EQ(Count(), "  3");
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(thumbs->Items()[i]->m_record->m_state, 1);
    EXPECT_EQ(thumbs->Items()[4]->m_record->m_state, 0);
    EXPECT_EQ(State(25).enabled, std::optional<bool>(true));

    // Moving: up to the top and no further; the last image before the placeholder stays.
    SelectInBox({2});
    f->RouteCommandId(27);
    f->RouteCommandId(27);
    f->RouteCommandId(27);
    EXPECT_EQ(Names(box), (std::vector<std::string>{"p3.bmp", "p1.bmp", "p2.bmp", "*"}));
    SelectInBox({2, 3});
    f->RouteCommandId(28);
    EXPECT_EQ(Names(box), (std::vector<std::string>{"p3.bmp", "p1.bmp", "p2.bmp", "*"}));

    // Ordering the box by name, descending and ascending.
    f->RouteCommandId(31);
    EXPECT_EQ(Names(box), (std::vector<std::string>{"p3.bmp", "p2.bmp", "p1.bmp", "*"}));
    f->RouteCommandId(30);
    EXPECT_EQ(Names(box), (std::vector<std::string>{"p1.bmp", "p2.bmp", "p3.bmp", "*"}));

    // Removing the selected image with the placeholder selected too: the placeholder stays.
    SelectInBox({0, 3});
    f->RouteCommandId(25);
    EXPECT_EQ(Names(box), (std::vector<std::string>{"p2.bmp", "p3.bmp", "*"}));
    EXPECT_EQ(Count(), "  2");
    EXPECT_EQ(thumbs->Items()[1]->m_record->m_state, 0);
    EXPECT_TRUE(box->GetItem(0)->m_selected); // the entry now at the removed place

    // The thumbnail list's own menu command 23 reaches the frame: p1 goes back in at the end.
    thumbs->Items()[1]->m_selected = 1;
    EXPECT_TRUE(thumbs->RouteCommandId(23));
    EXPECT_EQ(Names(box), (std::vector<std::string>{"p2.bmp", "p3.bmp", "p1.bmp", "*"}));
    SelectInBox({2});
    f->RouteCommandId(25);
    EXPECT_EQ(Count(), "  2");

    // A double click's opening goes to the result window's hand-over.
    ASSERT_TRUE(f->Document()->Browser().openImage(thumbs->GetItemPath(2)));
    ASSERT_NE(app->m_pResultFrame, nullptr);
    EXPECT_TRUE(app->m_pResultFrame->IsShown());
    EXPECT_EQ(app->m_pResultFrame->GetImageDoc()->m_title, thumbs->GetItemPath(2));
    EXPECT_NE(app->m_pResultFrame->GetImageDoc()->m_image, nullptr);
    // The file opened heads the recent files of the result window's File menu.
    ASSERT_FALSE(app->m_recent->Files().empty());
    EXPECT_EQ(app->m_recent->Files().front(), thumbs->GetItemPath(2));
    ui::CmdUI recentState(ui::RecentFileList::kFirstCommand);
    EXPECT_TRUE(app->m_pResultFrame->UpdateCmdUI(recentState));
    EXPECT_NE(Read("Vantorel.ini").find("File1=" + thumbs->GetItemPath(2)), std::string::npos);
    // While a dialog of the result window is open, leaving only brings the dialog forward.
    auto* open = new wxDialog(app->m_pResultFrame, wxID_ANY, "open");
    open->Show();
    EXPECT_FALSE(app->CloseImageFrame(true));
    EXPECT_TRUE(app->m_pResultFrame->IsShown());
    ASSERT_TRUE(ui::testing::DestroyAndWait(open));
    EXPECT_TRUE(app->CloseImageFrame(true)); // an opened file: nothing to lose, no question
    EXPECT_FALSE(app->m_pResultFrame->IsShown());

    // A drag of p1 from the thumbnails into the box.
    for (const auto& i : thumbs->Items())
        i->m_selected = 0;
    thumbs->Items()[1]->m_selected = 1;
    const wxRect cell = thumbs->GetCellRect(1);
    ASSERT_FALSE(thumbs->BeginDrag(1, cell.x + 20, cell.y + 20).empty());
    thumbs->DropAt(box->ClientToScreen(box->GetCellRect(0).GetPosition() + wxPoint(20, 20)));
    ASSERT_TRUE(PumpUntil([&] { return !box->IsBusy(); }));
    EXPECT_EQ(box->GetItemCount(), 4);
    EXPECT_EQ(Count(), "  3");

    // Emptying, then the capture workflow's adding: the file is read before AddFile returns.
    f->RouteCommandId(26);
    EXPECT_EQ(Names(box), (std::vector<std::string>{"*"}));
    EXPECT_EQ(Count(), "  0");
    const std::string shot = WriteFlatImage(folder + "/shot001.bmp", 40, 30, 1, 2, 3);
    ASSERT_TRUE(f->SelectedBox()->AddFile(shot, 12.5));
    EXPECT_EQ(Count(), "  1");
    ASSERT_TRUE(box->GetItem(0)->m_record);
    EXPECT_EQ(box->GetItem(0)->m_record->m_cacheValue2, 40);
    const auto entries = f->SelectedBox()->Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_DOUBLE_EQ(entries[0].z, 12.5);
    EXPECT_EQ(entries[0].width, 40);
    EXPECT_FALSE(f->SelectedBox()->AddFile(folder + "/missing.bmp", 0));
    EXPECT_EQ(Count(), "  1");

    // A second shot lower down; ordering by height puts it first.
    const std::string low = WriteFlatImage(folder + "/shot002.bmp", 40, 30, 4, 5, 6);
    ASSERT_TRUE(f->SelectedBox()->AddFile(low, 3.0));
    EXPECT_EQ(Names(box), (std::vector<std::string>{"shot001.bmp", "shot002.bmp", "*"}));
    f->RouteCommandId(29);
    EXPECT_EQ(Names(box), (std::vector<std::string>{"shot002.bmp", "shot001.bmp", "*"}));
    EXPECT_EQ(Count(), "  2");
}

} // namespace

namespace {

TEST_F(BrowserJoin, ClosingTrimsTheThumbnailCacheOldestAccessFirst) {
    Settings(vtid::StartDialog::SelectByThumbnail);
    ASSERT_TRUE(StartProgram());
    const std::string cache = GetThumbCacheFolder();
    ASSERT_FALSE(cache.empty());
    // Eleven files of 1 MiB, each read one hour later than the one before.
    const std::string mib(1 << 20, 'x');
    for (int i = 0; i < 11; ++i) {
        const std::string path = cache + "/old" + std::to_string(10 + i) + ".tmp";
        std::ofstream(path, std::ios::binary) << mib;
        const timespec times[2] = {{1000000 + 3600 * i, 0}, {1000000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
    CloseProgram();
    // Down to below the limit of 10 MiB: the two read longest ago go.
    EXPECT_FALSE(std::filesystem::exists(cache + "/old10.tmp"));
    EXPECT_FALSE(std::filesystem::exists(cache + "/old11.tmp"));
    EXPECT_TRUE(std::filesystem::exists(cache + "/old12.tmp"));
    EXPECT_TRUE(std::filesystem::exists(cache + "/old20.tmp"));
}

} // namespace
