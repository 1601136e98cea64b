// Image files decoded into reused bitmaps, and the series reader that decodes ahead into them.
#include "imaging/bitmaps/Dib.h"
#include "imaging/compose/FocusCompSeriesReader.h"
#include "imaging/files/ImageFile.h"
#include "imaging/files/ImageFileDecodeInto.h"
#include "imaging/files/SECImage.h"

#include <gtest/gtest.h>

#include "ImageFileTestSupport.h"

#include <set>

using imgtest::SameBitmap;
using imgtest::ScratchDir;

namespace {

struct Written {
    std::string path;
    int type;
};

// Files of every kind the readers take, all of one size.
std::vector<Written> WriteKinds(const ScratchDir& dir, int w, int h) {
    std::vector<Written> out;
    auto save = [&](HDIB dib, const std::string& name, int type) {
        EXPECT_TRUE(SaveImageFile(dib, dir.Path(name), type, 90)) << name;
        GlobalFree(dib);
        out.push_back({dir.Path(name), type});
    };
    save(imgtest::MakePatternDib(w, h, 1, 8), "rgb.bmp", 3);
    save(imgtest::MakePaletteDib(w, h), "palette.BMP", 1);
    save(imgtest::MakePatternDib(w, h, 1, 8), "rgb.jpg", 3);
    save(imgtest::MakePatternDib(w, h, 0, 8), "grey.jpg", 0);
    save(imgtest::MakePatternDib(w, h, 3, 12), "grey12.tif", 5);
    save(imgtest::MakePatternDib(w, h, 4, 16), "rgb16.tif", 9);
    save(imgtest::MakePatternDib(w, h, 1, 8), "rgb8.tif", 3);
    return out;
}

} // namespace

TEST(ReadImageFileInto, GivesWhatTheReadersGiveAndReusesTheBitmap) {
    ScratchDir dir;
    const int w = 37, h = 23; // rows with padding
    HDIB reused = nullptr;
    for (const Written& f : WriteKinds(dir, w, h)) {
        SCOPED_TRACE(f.path);
        int expectType = -1, type = -1;
        HDIB expected = ReadImageFile(f.path, &expectType);
        ASSERT_NE(expected, nullptr);
        // A bitmap of this file's size and depth is reused, with its handle.
        HDIB before = nullptr;
        ASSERT_EQ(ReadImageFileInto(f.path, &before, &type), ImageFileRead::Read);
        HDIB same = before;
        ASSERT_EQ(ReadImageFileInto(f.path, &same, &type), ImageFileRead::Read);
        EXPECT_EQ(same, before);
        EXPECT_TRUE(SameBitmap(same, expected));
        EXPECT_EQ(type, expectType);
        GlobalFree(same);
        // One bitmap carried through files of other depths is replaced as needed.
        ASSERT_EQ(ReadImageFileInto(f.path, &reused, &type), ImageFileRead::Read);
        EXPECT_TRUE(SameBitmap(reused, expected));
        GlobalFree(expected);
    }
    // A top-down BMP file comes back bottom-up, as the BMP reader gives it.
    imgtest::BmpFields layout;
    layout.width = 5;
    layout.height = -4;
    imgtest::WriteBytes(dir.Path("down.bmp"), imgtest::MakeBmp(layout));
    HDIB expected = ReadImageFile(dir.Path("down.bmp"), nullptr);
    ASSERT_NE(expected, nullptr);
    ASSERT_EQ(ReadImageFileInto(dir.Path("down.bmp"), &reused, nullptr), ImageFileRead::Read);
    EXPECT_TRUE(SameBitmap(reused, expected));
    GlobalFree(expected);
    // Failures say why; the bitmap stays the caller's to free.
    imgtest::WriteBytes(dir.Path("cut.jpg"), std::vector<BYTE>{0xFF, 0xD8, 0xFF});
    imgtest::WriteBytes(dir.Path("text.bmp"), std::vector<BYTE>{'B', 'M', 'x'});
    EXPECT_EQ(ReadImageFileInto(dir.Path("cut.jpg"), &reused, nullptr), ImageFileRead::Unreadable);
    EXPECT_EQ(ReadImageFileInto(dir.Path("text.bmp"), &reused, nullptr), ImageFileRead::Unreadable);
    EXPECT_EQ(ReadImageFileInto(dir.Path("none.bmp"), &reused, nullptr), ImageFileRead::CannotOpen);
    EXPECT_EQ(ReadImageFileInto(dir.Path("rgb.jpeg"), &reused, nullptr), ImageFileRead::Unreadable);
    // A JPEG file whose frame header declares 60000 x 60000 pixels is refused before anything
    // is made for it, with or without a bitmap given.
    std::vector<BYTE> jpeg = imgtest::ReadBytes(dir.Path("rgb.jpg"));
    size_t sof = 0;
    for (size_t i = 0; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            sof = i;
            break;
        }
    ASSERT_NE(sof, 0u);
    jpeg[sof + 5] = jpeg[sof + 7] = 0xEA; // height and width 0xEA60 = 60000
    jpeg[sof + 6] = jpeg[sof + 8] = 0x60;
    imgtest::WriteBytes(dir.Path("huge.jpg"), jpeg);
    SECImage::SetMaxImageBytes(64u << 20);
    HDIB none = nullptr;
    EXPECT_EQ(ReadImageFileInto(dir.Path("huge.jpg"), &none, nullptr), ImageFileRead::Unreadable);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(ReadImageFileInto(dir.Path("huge.jpg"), &reused, nullptr), ImageFileRead::Unreadable);
    SECImage::SetMaxImageBytes(0);
    GlobalFree(reused);
}

TEST(CFocusCompSeriesReader, DeliversEveryFileInOrderFromAFixedSetOfBitmaps) {
    ScratchDir dir;
    std::vector<std::string> files;
    for (int i = 0; i < 12; ++i) {
        HDIB dib = imgtest::MakePatternDib(40 + (i == 7 ? 8 : 0), 30, 1, 8);
        // Every file differs from the others.
        DibSetPixel(dib, i, 3, 1, 200);
        const std::string name = dir.Path("f" + std::to_string(i) + (i % 2 ? ".jpg" : ".bmp"));
        EXPECT_TRUE(SaveImageFile(dib, name, 3, 95));
        GlobalFree(dib);
        files.push_back(name);
    }
    imgtest::WriteBytes(files[4], std::vector<BYTE>{'B', 'M'}); // unreadable
    files[9] = dir.Path("missing.jpg");
    for (int decoders : {0, 1, 2, 3}) {
        SCOPED_TRACE(decoders);
        CFocusCompSeriesReader reader(files, decoders);
        std::set<HDIB> handles;
        for (size_t i = 0; i < files.size(); ++i) {
            const CFocusCompSeriesReader::Frame f = reader.Next();
            EXPECT_EQ(f.index, i);
            if (i == 4) {
                EXPECT_EQ(f.read, ImageFileRead::Unreadable);
            } else if (i == 9) {
                EXPECT_EQ(f.read, ImageFileRead::CannotOpen);
            } else {
                ASSERT_EQ(f.read, ImageFileRead::Read);
                HDIB expected = ReadImageFile(files[i], nullptr);
                EXPECT_TRUE(SameBitmap(f.image, expected));
                GlobalFree(expected);
                if (i != 7 && i != 8) // around the wider file a bitmap is made anew
                    handles.insert(f.image);
            }
            reader.Release(f.image);
        }
        // No bitmap per file: at most one per decoder and the one being composed (the wider
        // file replaces one of them).
        EXPECT_LE(handles.size(), static_cast<size_t>(decoders) + 2);
    }
    // A reader closed early stops its decoders and frees its bitmaps (ASan checks the rest).
    CFocusCompSeriesReader early(files, 2);
    const CFocusCompSeriesReader::Frame first = early.Next();
    EXPECT_EQ(first.read, ImageFileRead::Read);
    early.Release(first.image);
}

// JPEG files take more decoders than files that are only read, the split never leaves the
// composition without a thread, and every core count has at least one decoder.
TEST(CFocusCompSeriesReader, SplitsTheCoresBetweenDecodingAndComposingByTheFormat) {
    const std::vector<std::string> jpeg{"/s/a.JPG", "/s/b.jpg"}, bmp{"/s/a.bmp"}, tiff{"/s/a.tif"}, none;
    const struct {
        unsigned cores;
        int jpeg, other;
    } expected[] = {{1, 1, 1}, {2, 1, 1}, {4, 2, 1}, {6, 2, 2}, {8, 3, 2}, {16, 6, 2}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.cores);
        EXPECT_EQ(CFocusCompSeriesReader::DecodersFor(e.cores, jpeg), e.jpeg);
        EXPECT_EQ(CFocusCompSeriesReader::DecodersFor(e.cores, bmp), e.other);
        EXPECT_EQ(CFocusCompSeriesReader::DecodersFor(e.cores, tiff), e.other);
        EXPECT_EQ(CFocusCompSeriesReader::DecodersFor(e.cores, none), e.other);
        const int d = CFocusCompSeriesReader::DecodersFor(e.cores, jpeg);
        EXPECT_EQ(CFocusCompSeriesReader::ComposersFor(e.cores, d),
                  std::max(static_cast<int>(e.cores) - d, 1));
    }
    EXPECT_EQ(CFocusCompSeriesReader::ComposersFor(0, 1), 1);
}
