// The recent-file list: kept in the settings file, shown in the first menu before its last item,
// opened through the program's open function, and an entry that does not open taken off.
#include "ui/RecentFileList.h"
#include "ui/RoutedFrame.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/menu.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace ui;

namespace {

std::vector<std::string> Labels(wxMenu* menu) {
    std::vector<std::string> out;
    for (wxMenuItem* item : menu->GetMenuItems())
        out.push_back(item->IsSeparator() ? "-" : std::string(item->GetItemLabel().ToUTF8()));
    return out;
}

TEST(RecentFileList, KeptInTheSettingsShownInTheMenuAndOpened) {
    const std::string ini = "/tmp/vt-recent-" + std::to_string(::getpid()) + ".ini";
    std::ofstream(ini) << "[Recent File List]\nFile1=/data/a.tdv\nFile2=\nFile3=/data/b&c.vv3\n";
    RecentFileList recent(ini);
    recent.Load();
    EXPECT_EQ(recent.Files(), (std::vector<std::string>{"/data/a.tdv", "/data/b&c.vv3"}));
    for (const char* p : {"/data/c.bmp", "/data/d.tif", "/data/a.tdv", "/data/e.jpg"})
        recent.Add(p);
    EXPECT_EQ(recent.Files(),
              (std::vector<std::string>{"/data/e.jpg", "/data/a.tdv", "/data/d.tif", "/data/c.bmp"}));
    RecentFileList again(ini);
    again.Load();
    EXPECT_EQ(again.Files(), recent.Files());

    auto* frame = new RoutedFrame(nullptr, "recent");
    auto* bar = new wxMenuBar;
    auto* file = new wxMenu;
    file->Append(1, wxString::FromUTF8("開く"));
    file->AppendSeparator();
    file->Append(2, wxString::FromUTF8("終了"));
    bar->Append(file, wxString::FromUTF8("ファイル"));
    frame->SetMenuBar(bar);
    std::vector<std::string> opened;
    recent.Attach(frame, frame, [&](const std::string& p) {
        opened.push_back(p);
        return p != "/data/d.tif"; // that one is gone
    });
    EXPECT_EQ(Labels(file), (std::vector<std::string>{"開く", "-", "&1 /data/e.jpg", "&2 /data/a.tdv",
                                                      "&3 /data/d.tif", "&4 /data/c.bmp", "-", "終了"}));
    CmdUI state(RecentFileList::kFirstCommand + 1);
    EXPECT_TRUE(frame->UpdateCmdUI(state));
    EXPECT_EQ(state.enabled, std::optional<bool>(true));

    EXPECT_TRUE(frame->RouteCommandId(RecentFileList::kFirstCommand + 1));
    EXPECT_TRUE(frame->RouteCommandId(RecentFileList::kFirstCommand + 2)); // fails: taken off
    EXPECT_EQ(opened, (std::vector<std::string>{"/data/a.tdv", "/data/d.tif"}));
    EXPECT_EQ(recent.Files(), (std::vector<std::string>{"/data/e.jpg", "/data/a.tdv", "/data/c.bmp"}));
    // The menu follows when it opens again, without the old entries' leftovers.
    recent.FillMenu(file);
    EXPECT_EQ(Labels(file), (std::vector<std::string>{"開く", "-", "&1 /data/e.jpg", "&2 /data/a.tdv",
                                                      "&3 /data/c.bmp", "-", "終了"}));
    recent.Add("/data/b&c.vv3");
    recent.FillMenu(file);
    EXPECT_EQ(Labels(file)[2], "&1 /data/b&&c.vv3");
    EXPECT_TRUE(ui::testing::DestroyAndWait(frame));
    std::remove(ini.c_str());
}

} // namespace
