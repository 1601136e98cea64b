#include "platform/Palette.h"

#include <gtest/gtest.h>

TEST(Palette, CreateReadAndDelete) {
    CPalette pal;
    EXPECT_FALSE(pal.IsCreated());
    EXPECT_EQ(pal.GetEntryCount(), 0u);
    LOGPALETTE lp;
    lp.palPalEntry = {{1, 2, 3, 0}, {4, 5, 6, PC_NOCOLLAPSE}, {7, 8, 9, 0}};
    ASSERT_TRUE(pal.CreatePalette(&lp));
    EXPECT_EQ(pal.GetEntryCount(), 3u);
    EXPECT_EQ(pal.GetPaletteEntries(0, 0, nullptr), 3u);

    PALETTEENTRY out[4] = {};
    EXPECT_EQ(pal.GetPaletteEntries(1, 10, out), 2u); // cut at the end
    EXPECT_EQ(out[0].peRed, 4);
    EXPECT_EQ(out[0].peFlags, PC_NOCOLLAPSE);
    EXPECT_EQ(out[1].peBlue, 9);
    EXPECT_EQ(out[2].peRed, 0);
    EXPECT_EQ(pal.GetPaletteEntries(3, 1, out), 0u);

    // Creating again replaces the entries.
    lp.palPalEntry.assign(256, PALETTEENTRY{9, 9, 9, 0});
    ASSERT_TRUE(pal.CreatePalette(&lp));
    EXPECT_EQ(pal.GetEntryCount(), 256u);

    EXPECT_TRUE(pal.DeleteObject());
    EXPECT_FALSE(pal.IsCreated());
    EXPECT_EQ(pal.GetEntryCount(), 0u);
    EXPECT_FALSE(pal.DeleteObject());
}

TEST(Palette, RefusesBadDescriptions) {
    CPalette pal;
    EXPECT_FALSE(pal.CreatePalette(nullptr));
    LOGPALETTE empty;
    EXPECT_FALSE(pal.CreatePalette(&empty));
    LOGPALETTE old;
    old.palVersion = 0x200;
    old.palPalEntry.resize(2);
    EXPECT_FALSE(pal.CreatePalette(&old));
    LOGPALETTE huge;
    huge.palPalEntry.resize(0x10000);
    EXPECT_FALSE(pal.CreatePalette(&huge));
    EXPECT_FALSE(pal.IsCreated());
}
