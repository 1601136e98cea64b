#include "browser/core/ShellFolders.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(ShellFolders, MountsGiveDisksAndNetworkFoldersWithoutPseudoFileSystems) {
    const std::string table = "proc /proc proc rw 0 0\n"
                              "/dev/sda1 / ext4 rw 0 0\n"
                              "tmpfs /run tmpfs rw 0 0\n"
                              "/dev/sdb1 /media/u/My\\040Disk vfat rw 0 0\n"
                              "/dev/loop3 /snap/core squashfs ro 0 0\n"
                              "server:/export /mnt/share nfs4 rw 0 0\n"
                              "//nas/photos /mnt/nas cifs rw 0 0\n"
                              "/dev/sda1 / ext4 rw 0 0\n";
    const auto v = ParseMounts(table);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0].mountPoint, "/");
    EXPECT_EQ(v[0].label.back(), ')');
    EXPECT_FALSE(v[0].network);
    EXPECT_EQ(v[1].mountPoint, "/media/u/My Disk");
    EXPECT_TRUE(v[1].removable);
    EXPECT_EQ(v[2].mountPoint, "/mnt/nas");
    EXPECT_TRUE(v[2].network);
    EXPECT_EQ(v[2].label, "(/mnt/nas)");
    EXPECT_TRUE(v[3].network);
}

// Sub-folders come in the name order of the thumbnail list: letters compared without case first.
TEST(ShellFolders, SubFoldersLeaveOutHiddenAndRecyclerInNameOrder) {
    ScratchFolder dir("browser-shell");
    for (const char* d : {"b", "a", "B1", ".hidden", "RECYCLER"})
        std::filesystem::create_directories(dir / d);
    dir.Write("file.bmp", "x");
    std::vector<std::string> names;
    ASSERT_TRUE(ListSubFolders(dir.Path(), names));
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "B1"}));
    ASSERT_TRUE(ListSubFolders(dir.Path(), names, true));
    EXPECT_EQ(names, std::vector<std::string>{"a"});
    EXPECT_FALSE(ListSubFolders(dir / "none", names));
}

TEST(ShellFolders, TreePaneWidthKeepsClearOfTheTopMenu) {
    // d = 829's right - 825's right = 40; 954 starts at 500: widths above 430 are cut to 430.
    EXPECT_EQ(PaneWidthForTopMenu(400, 100, 140, 500), -1);
    EXPECT_EQ(PaneWidthForTopMenu(431, 100, 140, 500), 430);
    EXPECT_EQ(PaneWidthForTopMenu(600, 100, 700, 500), 0);
}

TEST(ShellFolders, RelativeImageFoldersResolveAgainstTheWorkingFolder) {
    EXPECT_EQ(AbsoluteFolder("series", "/work/run"), "/work/run/series");
    EXPECT_EQ(AbsoluteFolder("./a/../series/", "/work/run"), "/work/run/series");
    EXPECT_EQ(AbsoluteFolder("/data/img/", "/work/run"), "/data/img");
    EXPECT_EQ(AbsoluteFolder("/", "/work/run"), "/");
    EXPECT_EQ(AbsoluteFolder("", "/work/run"), "");
}
