// What the viewer leaves in Brelvoxa.ini, byte for byte, from a known file: the language library
// named at its first start, and the window placement, the pane sizes of the active document
// frame and the measuring switch written when it ends.
#include "ViewerTestSupport.h"

#include "platform/ScriptedMessageSink.h"
#include "ui/testing/GuiTest.h"
#include "viewer3d/app/MainFrame.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::string ReadWithFolder(const std::string& path, const std::string& folder) {
    std::ifstream in(path, std::ios::binary);
    std::string text(std::istreambuf_iterator<char>(in), {});
    for (size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at))
        text.replace(at, folder.size(), "<folder>");
    return text;
}

TEST(ViewerSettingsFileBytes, StartAndEndOfTheViewer) {
    ScratchFolder dir("brx-bytes");
    const std::string ini = dir.Path() + "/Brelvoxa.ini";
    std::ofstream(ini, std::ios::binary) << "; kept\n[Settings]\nPainHeight3=5\nMeasure=0\n[Other]\nKEY=1\n";
    CScriptedMessageSink sink(IDOK);
    brxtest::RunningViewer viewer(dir.Path());
    EXPECT_EQ(ReadWithFolder(ini, dir.Path()),
              "; kept\n[Settings]\nPainHeight3=5\nMeasure=0\nResource=BRX_l_jpn.dll\n[Other]\nKEY=1\n");
    brxtest::WriteFile(dir.Path() + "/a.vv3", brxtest::HeightSet(40, 30, 1.0, true));
    ASSERT_NE(brxtest::OpenShown(viewer, dir.Path() + "/a.vv3"), nullptr);
    brx::CMainFrame* main = viewer.App().MainFrame();
    const wxRect normal(100, 80, 900, 700);
    main->SetSize(normal);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return main->GetRect() == normal; }));
    viewer.Stop();
    EXPECT_EQ(ReadWithFolder(ini, dir.Path()),
              "; kept\n[Settings]\nPainHeight3=5\nMeasure=0\nResource=BRX_l_jpn.dll\n"
              "WindowPos=0,1,-1,-1,-1,-1,100,80,1000,780\nPainWidth1=266\nPainWidth2=363\nPainWidth3=266\n"
              "PainWidth4=533\nPainHeight1=426\nPainHeight2=140\nPainHeight4=213\nPainHeight5=208\n"
              "PainHeight6=320\nPainHeight7=320\n[Other]\nKEY=1\n[Recent File List]\nFile1=<folder>/a.vv3\n");
}

} // namespace
