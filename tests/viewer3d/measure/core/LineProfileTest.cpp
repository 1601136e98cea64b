// Line sampling and band-averaged profiles on images whose pixels tell where they are, and the
// bitmap file of a screen picture byte for byte.
#include "viewer3d/measure/core/BmpSave.h"
#include "viewer3d/measure/core/DocImaging.h"

#include "tests/support/ScratchFolder.h"
#include "viewer3d/core/bitmaps/Dib.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace v3d;

namespace {

struct OwnedDib {
    HDIB h;
    OwnedDib(int w, int hgt, int kind) : h(v3d::DibCreateOfKind(w, hgt, kind)) {}
    ~OwnedDib() { GlobalFree(h); }
    OwnedDib(const OwnedDib&) = delete;
    OwnedDib& operator=(const OwnedDib&) = delete;
};

// An 8-bit image whose pixel at (x, y) is f(x, y).
template <typename F> void fill(DocImaging& d, HDIB h, int w, int hgt, F f) {
    d.SetSlotImage(h, 0);
    for (int y = 0; y < hgt; ++y)
        for (int x = 0; x < w; ++x)
            d.SetSlotPixel(0, x, y, f(x, y));
    d.SetSlotImage(nullptr, 0);
}

} // namespace

TEST(LineProfile, BresenhamIsRoundHalfUpOfTheSlope) {
    DocImaging d;
    OwnedDib img(48, 48, kKindGrey8);
    fill(d, img.h, 48, 48, [](int, int y) { return y; });
    std::vector<int> line(48);
    for (int M = 1; M < 40; ++M)
        for (int m = 0; m <= M; ++m) {
            // Down and to the right, then up and to the right; the mostly vertical lines swap the
            // roles of x and y and are read back through the transposed image below.
            if (m < M) {
                int first = -1, last = -1, hi = 0, lo = 0;
                char o = 0;
                ASSERT_EQ(d.SampleLine(img.h, 0, 0, 0, M, m, line.data(), M + 1, &first, &last, &o, &hi, &lo),
                          1);
                EXPECT_EQ(o, 'i');
                EXPECT_EQ(first, 0);
                EXPECT_EQ(last, M);
                for (int i = 0; i <= M; ++i)
                    ASSERT_EQ(line[i], (2 * i * m + M) / (2 * M)) << M << "/" << m << " at " << i;
                // Given from the other end, the walk still starts at the smaller x.
                ASSERT_EQ(
                    d.SampleLine(img.h, 0, M, 45 - m, 0, 45, line.data(), M + 1, &first, &last, &o, &hi, &lo),
                    1);
                for (int i = 0; i <= M; ++i)
                    ASSERT_EQ(line[i], 45 - (2 * i * m + M) / (2 * M)) << M << "/" << m << " at " << i;
            }
        }
    EXPECT_EQ(d.GetSlotImage(kScratchSlot), nullptr);

    // Mostly vertical: walks y, x follows.
    OwnedDib cols(48, 48, kKindGrey8);
    fill(d, cols.h, 48, 48, [](int x, int) { return x; });
    for (int M = 1; M < 40; ++M)
        for (int m = 0; m <= M; ++m) {
            int first = -1, last = -1, hi = 0, lo = 0;
            char o = 0;
            ASSERT_EQ(d.SampleLine(cols.h, 0, m, M, 0, 0, line.data(), M + 1, &first, &last, &o, &hi, &lo),
                      1);
            EXPECT_EQ(o, 'j');
            for (int i = 0; i <= M; ++i)
                ASSERT_EQ(line[i], (2 * i * m + M) / (2 * M)) << M << "/" << m << " at " << i;
        }
}

TEST(LineProfile, OffsetsFoldingAndMissingSamples) {
    DocImaging d;
    const int w = 30, h = 20;
    OwnedDib rows(w, h, kKindGrey8);
    fill(d, rows.h, w, h, [](int, int y) { return y; });
    MeasuringLines lines;
    LineProfile p;
    lines.row = 10;
    // 1 line: offset 0; 2 lines: -1, 0; 3: -1, 0, 1; 4: -2 .. 1 (integer means).
    const struct {
        int count;
        int mean;
    } bands[] = {{1, 10}, {2, 9}, {3, 10}, {4, 9}, {0, 10}, {-3, 10}};
    for (const auto& b : bands) {
        d.ExtractProfile(kLineHorizontal, b.count, rows.h, 0, lines, &p);
        ASSERT_EQ(p.samples.size(), static_cast<size_t>(w)) << b.count;
        EXPECT_EQ(p.samples[0], b.mean) << b.count;
        EXPECT_EQ(p.samples[w - 1], b.mean) << b.count;
    }
    EXPECT_EQ(p.orientation, 'i');
    EXPECT_EQ(p.first, 0);
    EXPECT_EQ(p.last, w - 1);
    // The last row with three lines: rows 18 and 19 and a row 20 folded onto 19.
    lines.row = h - 1;
    d.ExtractProfile(kLineHorizontal, 3, rows.h, 0, lines, &p);
    EXPECT_EQ(p.samples[5], (18 + 19 + 19) / 3);
    EXPECT_EQ(p.largest, 18);
    EXPECT_EQ(p.smallest, 18);

    // A band far wider than the image: every row once, the folded row h once more.
    lines.row = 10;
    d.ExtractProfile(kLineHorizontal, 1000001, rows.h, 0, lines, &p);
    EXPECT_EQ(p.samples[3], (h * (h - 1) / 2 + (h - 1)) / (h + 1));

    // A vertical line at column 0 with three lines: column -1 gives no samples.
    OwnedDib cols(w, h, kKindGrey8);
    fill(d, cols.h, w, h, [](int x, int) { return x + 5; });
    lines.column = 0;
    d.ExtractProfile(kLineVertical, 3, cols.h, 0, lines, &p);
    ASSERT_EQ(p.samples.size(), static_cast<size_t>(h));
    EXPECT_EQ(p.samples[7], (5 + 6) / 2);
    EXPECT_EQ(p.orientation, 'j');
    // The last column folds like the last row.
    lines.column = w;
    d.ExtractProfile(kLineVertical, 1, cols.h, 0, lines, &p);
    EXPECT_EQ(p.samples[0], w - 1 + 5);

    // A free line that starts outside the image samples the part inside; points outside count
    // as no sample and a position without any sample is 0.
    lines.freeX1 = 12;
    lines.freeY1 = 3;
    lines.freeX2 = -5;
    lines.freeY2 = 3;
    d.ExtractProfile(kLineFree, 1, cols.h, 0, lines, &p);
    ASSERT_EQ(p.samples.size(), 18u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(p.samples[i], 0) << i;
    EXPECT_EQ(p.samples[5], 5);
    EXPECT_EQ(p.samples[17], 12 + 5);
    EXPECT_EQ(p.smallest, 0);
    EXPECT_EQ(p.largest, 17);
    // Mostly horizontal, so the band moves the line in y; in a column image nothing changes.
    d.ExtractProfile(kLineFree, 3, cols.h, 0, lines, &p);
    EXPECT_EQ(p.samples[6], 6);
    // Mostly vertical, the band moves the line in x: offsets -1 and 0 of column 4.
    lines.freeX1 = lines.freeX2 = 4;
    lines.freeY1 = 0;
    lines.freeY2 = 10;
    d.ExtractProfile(kLineFree, 2, cols.h, 0, lines, &p);
    ASSERT_EQ(p.samples.size(), 11u);
    EXPECT_EQ(p.samples[3], (8 + 9) / 2);
    // A band far wider than the image: every column once, the folded column w once more.
    d.ExtractProfile(kLineFree, 1000001, cols.h, 0, lines, &p);
    EXPECT_EQ(p.samples[3], (w * (w - 1) / 2 + 5 * w + (w - 1 + 5)) / (w + 1));
    // Equal end points: one sample.
    lines.freeX1 = lines.freeX2 = 4;
    lines.freeY1 = lines.freeY2 = 4;
    d.ExtractProfile(kLineFree, 1, cols.h, 0, lines, &p);
    ASSERT_EQ(p.samples.size(), 1u);
    EXPECT_EQ(p.samples[0], 9);
    // A start at or beyond the width moves both ends one pixel in.
    lines.freeX1 = w;
    lines.freeY1 = 0;
    lines.freeX2 = w;
    lines.freeY2 = 2;
    d.ExtractProfile(kLineFree, 1, cols.h, 0, lines, &p);
    ASSERT_EQ(p.samples.size(), 3u);
    EXPECT_EQ(p.samples[2], w - 1 + 5);

    // No image: an empty profile.
    d.ExtractProfile(kLineHorizontal, 3, nullptr, 0, lines, &p);
    EXPECT_TRUE(p.samples.empty());
    EXPECT_EQ(p.largest, 0);
    EXPECT_EQ(p.smallest, 0);
    EXPECT_EQ(d.GetSlotImage(kScratchSlot), nullptr);
}

TEST(ScreenPictureFile, GoldenBytesOfAThreeByTwoPicture) {
    ScratchFolder dir("measure-bmp");
    // 3 x 2 pixels, rows from the top.
    const BYTE rgb[2][9] = {{255, 0, 0, 0, 255, 0, 0, 0, 255}, {1, 2, 3, 4, 5, 6, 7, 8, 9}};
    const std::string path = dir / "shot.bmp";
    ASSERT_EQ(SaveRgbAsBmp(&rgb[0][0], 3, 2, 9, path), 1);
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> got((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
    const std::vector<unsigned char> want = {
        'B', 'M', 78,  0, 0,   0, 0,   0, 0, 0, 54, 0, 0, 0, // file header
        40,  0,   0,   0, 3,   0, 0,   0, 2, 0, 0,  0, 1, 0, 24, 0,
        0,   0,   0,   0, 24,  0, 0,   0,                           // size, w, h, planes, bits, BI_RGB, image
        0,   0,   0,   0, 0,   0, 0,   0, 0, 0, 0,  0, 0, 0, 0,  0, // resolution, colours
        3,   2,   1,   6, 5,   4, 9,   8, 7, 0, 0,  0,              // bottom row first, blue green red
        0,   0,   255, 0, 255, 0, 255, 0, 0, 0, 0,  0,              // the top row
    };
    EXPECT_EQ(got, want);
    // Nothing but the file is left in the folder; a failed save leaves the old file whole.
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()),
        1);
    EXPECT_EQ(SaveRgbAsBmp(&rgb[0][0], 3, 2, 8, path), 0); // rows too short
    EXPECT_EQ(SaveRgbAsBmp(&rgb[0][0], 3, 2, 9, dir / "missing/shot.bmp"), 0);
    EXPECT_EQ(std::filesystem::file_size(path), 78u);
}
