// [Settings] of Brelvoxa.ini: what each read gives for a file without its keys, and that every
// write lands on the key its read looks at.
#include "viewer3d/core/data/ViewerSettings.h"
#include "platform/Settings.h"
#include "tests/support/ScratchSettingsFile.h"

#include <gtest/gtest.h>

namespace {

TEST(ViewerSettings, DefaultsAndWhatWasWritten) {
    ScratchSettingsFile settings;
    EXPECT_EQ(v3d::ReadViewerLanguageLibrary(), "");
    EXPECT_EQ(v3d::ReadWindowPlacement(), "");
    EXPECT_EQ(v3d::ReadMeasureSwitch(), 1);
    v3d::PaneSizes sizes = v3d::ReadPaneSizes();
    for (int w : sizes.widths)
        EXPECT_EQ(w, -1);
    for (int h : sizes.heights)
        EXPECT_EQ(h, -1);

    v3d::WriteViewerLanguageLibrary("BRX_l_jpn.dll");
    v3d::WriteWindowPlacement("0,1,-1,-1,-1,-1,100,80,1000,780");
    v3d::WriteMeasureSwitch(0);
    v3d::WritePaneSizes(v3d::PaneSizes{{1, 2, 3, 4}, {5, 6, 7, 8, 9, 10, 11}});
    EXPECT_EQ(v3d::ReadViewerLanguageLibrary(), "BRX_l_jpn.dll");
    EXPECT_EQ(v3d::ReadWindowPlacement(), "0,1,-1,-1,-1,-1,100,80,1000,780");
    EXPECT_EQ(v3d::ReadMeasureSwitch(), 0);
    sizes = v3d::ReadPaneSizes();
    EXPECT_EQ(sizes.widths, (std::array<int, 4>{1, 2, 3, 4}));
    EXPECT_EQ(sizes.heights, (std::array<int, 7>{5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(ReadIniInt("Settings", "PainHeight7", 0), 11);
    EXPECT_EQ(ReadIniInt("Settings", "PainWidth1", 0), 1);
}

} // namespace
