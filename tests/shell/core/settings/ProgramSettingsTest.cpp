// [InitialSettings], [WindowsSettings] and [AUTOFOCUS]: what each read gives for a file without
// its keys, and that every write lands on the key its read looks at.
#include "ShellCoreTestSupport.h"

#include "platform/Settings.h"
#include "shell/core/capture/AutoFocusSettings.h"
#include "shell/core/settings/InitialSettings.h"
#include "shell/core/settings/StartMode.h"
#include "shell/core/settings/WindowSettings.h"
#include "ids/VantorelIds.h"

namespace {

using ProgramSettings = ShellSettingsTest;

TEST_F(ProgramSettings, AbsentKeysGiveTheirDefaults) {
    EXPECT_EQ(ReadStartingMode(), kModeThumbnails);
    EXPECT_EQ(ReadNoStartDialog(), 0);
    EXPECT_EQ(ReadLanguageLibrary(), "");
    const ProgramFolders f = ReadProgramFolders();
    EXPECT_EQ(f.imagePath + f.autoPath + f.autoDir, "");
    EXPECT_EQ(ReadPositionFileFolder(), "");
    const ThumbnailSettings t = ReadThumbnailSettings();
    EXPECT_EQ(t.sort, int(vtid::cmd::SortByName));
    EXPECT_EQ(t.thumbSize, 0);
    EXPECT_EQ(t.selThumbSize, 0);
    EXPECT_EQ(ReadHeightButton(), 1);
    EXPECT_EQ(ReadOriginOffset(90), kNoOriginOffset);
    const WindowRect r = ReadWindowRect(WindowRect{60, 40, 1200, 860});
    EXPECT_EQ(r.left + r.top + r.width + r.height, 60 + 40 + 1200 + 860);
    EXPECT_EQ(ReadZoomed(), 0);
    EXPECT_EQ(ReadSplitterText(), "");
    EXPECT_EQ(ReadAutoPanelSettings().jogStep, 1.0);
    EXPECT_EQ(ReadAutoPanelSettings().autoCompose, 0);
}

TEST_F(ProgramSettings, WritesLandWhereTheReadsLook) {
    WriteStartingMode(kModeVossa);
    WriteNoStartDialog(1);
    WriteLanguageLibrary(std::string(300, 'r'));
    WriteImagePath("/images");
    WriteAutoPath("/auto/a.bmp");
    WriteAutoDir("/auto");
    WritePositionFileFolder("/lists");
    WriteThumbnailSort(vtid::cmd::SortByName + 1);
    WriteThumbnailSizes(64, 192);
    WriteOriginOffset(90, -2.5);
    WriteWindowRect(WindowRect{1, 2, 3, 4});
    WriteZoomed(1);
    WriteIniString("WindowsSettings", "SPLITTER", "230,-1");
    WriteAutoPanelSettings(AutoPanelSettings{0.5, 1});

    EXPECT_EQ(ReadStartingMode(), kModeVossa);
    EXPECT_EQ(ReadNoStartDialog(), 1);
    EXPECT_EQ(ReadLanguageLibrary(), std::string(255, 'r')) << "the name is read into 256 bytes";
    const ProgramFolders f = ReadProgramFolders();
    EXPECT_EQ(f.imagePath, "/images");
    EXPECT_EQ(f.autoPath, "/auto/a.bmp");
    EXPECT_EQ(f.autoDir, "/auto");
    EXPECT_EQ(ReadPositionFileFolder(), "/lists");
    const ThumbnailSettings t = ReadThumbnailSettings();
    EXPECT_EQ(t.sort, int(vtid::cmd::SortByName) + 1);
    EXPECT_EQ(t.thumbSize, 64);
    EXPECT_EQ(t.selThumbSize, 192);
    EXPECT_EQ(ReadIniDouble("InitialSettings", "ORIGINOFFSET_ML90", 0.0), -2.5);
    EXPECT_EQ(ReadOriginOffset(90), -2.5);
    EXPECT_EQ(ReadOriginOffset(9), kNoOriginOffset);
    const WindowRect r = ReadWindowRect(WindowRect{});
    EXPECT_EQ(r.left * 1000 + r.top * 100 + r.width * 10 + r.height, 1234);
    EXPECT_EQ(ReadZoomed(), 1);
    EXPECT_EQ(ReadSplitterText(), "230,-1");
    EXPECT_EQ(ReadAutoPanelSettings().jogStep, 0.5);
    EXPECT_EQ(ReadAutoPanelSettings().autoCompose, 1);
}

} // namespace
