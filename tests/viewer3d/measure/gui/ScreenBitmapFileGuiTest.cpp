// A pane picture saved as a bitmap file, byte for byte.
#include "viewer3d/measure/gui/ScreenBitmapFile.h"

#include "tests/support/ScratchFolder.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/bitmap.h>
#include <wx/image.h>

#include <filesystem>
#include <fstream>
#include <iterator>

TEST(ScreenBitmapFile, ThreeByTwoBitmapGoldenBytes) {
    wxImage image(3, 2);
    const unsigned char px[2][3][3] = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
                                       {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            image.SetRGB(x, y, px[y][x][0], px[y][x][1], px[y][x][2]);
    const wxBitmap bitmap(image, 24);
    ScratchFolder dir("measure-shot");
    const std::string path = dir / "pane.bmp";
    ASSERT_EQ(v3d::SaveBitmapAsBmp(bitmap, path), 1);
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> got((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
    // clang-format off
    const std::vector<unsigned char> want = {
        'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                            // file header
        40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 24, 0, 0, 0, // info header
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                            // resolution, colours
        3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0,                                        // bottom row
        0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0,                                  // top row
    };
    // clang-format on
    EXPECT_EQ(got, want);
    EXPECT_EQ(v3d::SaveBitmapAsBmp(wxBitmap(), dir / "none.bmp"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "none.bmp"));
}
