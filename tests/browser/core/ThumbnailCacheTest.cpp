#include "browser/core/ThumbCacheNames.h"
#include "BrowserTestImages.h"
#include "browser/core/ThumbnailCache.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

namespace {

std::string Hex(const std::string& s) {
    static const char* d = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) {
        out += d[c >> 4];
        out += d[c & 15];
    }
    return out;
}

struct stat StatOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

} // namespace

TEST(ThumbnailCache, SizesExtensionsAndNames) {
    auto s = FitThumbnailSize(400, 300, 192);
    EXPECT_EQ(s.width, 192);
    EXPECT_EQ(s.height, 144);
    s = FitThumbnailSize(300, 400, 192);
    EXPECT_EQ(s.width, 144);
    EXPECT_EQ(s.height, 192);
    s = FitThumbnailSize(100, 100, 192);
    EXPECT_EQ(s.width, 192);
    EXPECT_EQ(s.height, 192);
    EXPECT_EQ(ImageFileFormatIndex("/x/A.JPG"), 3);
    EXPECT_EQ(ImageFileFormatIndex("/x/a.png"), -1);
    SetThumbCacheFolder("/c");
    EXPECT_EQ(MakeThumbCacheName("/img/a_b.bmp"), "/c/_img_a_b.bmp.tmp");
    // Two images share one cache name; the side-car tells them apart.
    EXPECT_EQ(MakeThumbCacheName("/img/a/b.bmp"), MakeThumbCacheName("/img/a_b.bmp"));
    SetThumbCacheFolder("Cache");
}

TEST(ThumbnailCache, GoldenCacheFilesAndSideCars) {
    // 3 x 2, 24 bits: rows of 9 bytes padded to 12, bottom row first.
    ThumbPicture colour;
    colour.width = 3;
    colour.height = 2;
    colour.bitCount = 24;
    colour.rows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
    EXPECT_EQ(Hex(ThumbCacheBytes(colour)),
              "424d"     // "BM"
              "4e000000" // file size 78
              "00000000" // two zero words
              "36000000" // bits at 54
              "28000000"
              "03000000"
              "02000000"
              "0100"
              "1800" // header: 40, 3 x 2, 1 plane, 24 bits
              "00000000"
              "18000000" // no compression, 24 bytes of rows
              "00000000"
              "00000000"
              "00000000"
              "00000000"                 //
              "010203040506070809000000" // bottom row, padded to 12
              "0a0b0c0d0e0f101112000000");
    // 8 bits: the grey ramp (256 entries) between header and rows; offset 1078.
    ThumbPicture grey;
    grey.width = 3;
    grey.height = 2;
    grey.bitCount = 8;
    grey.rows = {1, 2, 3, 0, 4, 5, 6, 0};
    const std::string g = ThumbCacheBytes(grey);
    ASSERT_EQ(g.size(), 1078u + 8u);
    EXPECT_EQ(Hex(g.substr(0, 54)), "424d"
                                    "3e040000"
                                    "00000000"
                                    "36040000" // bits at 14 + 40 + 1024
                                    "28000000"
                                    "03000000"
                                    "02000000"
                                    "0100"
                                    "0800"
                                    "00000000"
                                    "08000000"
                                    "00000000"
                                    "00000000"
                                    "00000000"
                                    "00000000");
    EXPECT_EQ(Hex(g.substr(54, 12)), "000000000101010002020200");
    EXPECT_EQ(Hex(g.substr(54 + 255 * 4, 4)), "ffffff00");
    EXPECT_EQ(Hex(g.substr(1078)), "0102030004050600");

    EXPECT_EQ(ThumbSideCarText(3, 3, 1024, 768, "/d/a.jpg"), "000300030000102400000768/d/a.jpg");
    EXPECT_EQ(ThumbSideCarText(-1, -1, 5, 6, "/d/x"), "-001-0010000000500000006/d/x");

    // Reading back: full fields, the path check, short side-cars keep what is whole.
    auto r = ParseThumbSideCar("000300030000102400000768/d/a.jpg", "/d/a.jpg");
    EXPECT_TRUE(r.usable);
    EXPECT_EQ(r.typeCode, 3);
    EXPECT_EQ(r.width, 1024);
    EXPECT_EQ(r.height, 768);
    EXPECT_FALSE(ParseThumbSideCar("000300030000102400000768/d_a.jpg", "/d/a.jpg").usable);
    EXPECT_FALSE(ParseThumbSideCar("000300030000102400000768", "/d/a.jpg").usable);
    r = ParseThumbSideCar("00030003000010", "/d/a.jpg");
    EXPECT_TRUE(r.usable);
    EXPECT_EQ(r.typeCode, 3);
    EXPECT_EQ(r.width, -1);
    EXPECT_EQ(r.height, -1);
    r = ParseThumbSideCar("", "/d/a.jpg");
    EXPECT_EQ(r.typeCode, -1); // an empty side-car no longer reads as grey (type 0)
}

TEST(ThumbnailCache, LoadWritesCacheAndReusesIt) {
    ScratchFolder dir("browser-cache");
    std::filesystem::create_directories(dir / "Cache");
    CacheFolderScope scope(dir / "Cache");
    const std::string image = WriteFlatImage(dir / "img001.jpg", 400, 300, 200, 40, 40);
    SetWriteTime(image, 1700000000);

    bool fromCache = true;
    auto thumb = LoadThumbnail(image, 192, false, &fromCache);
    ASSERT_TRUE(thumb);
    EXPECT_FALSE(fromCache);
    EXPECT_EQ(thumb->GetWidth(), 192u);
    EXPECT_EQ(thumb->GetHeight(), 144u);
    EXPECT_EQ(thumb->m_cacheValue1, 3);
    EXPECT_EQ(thumb->m_cacheValue2, 400);
    EXPECT_EQ(thumb->m_cacheValue3, 300);

    const std::string cache = MakeThumbCacheName(image);
    ASSERT_TRUE(std::filesystem::exists(cache));
    EXPECT_EQ(StatOf(cache).st_mtim.tv_sec, 1700000000);
    EXPECT_EQ(ScratchFolder::ReadAll(cache + ".i.tmp"), "000300030000040000000300" + image);
    const std::string bytes = ScratchFolder::ReadAll(cache);
    EXPECT_EQ(bytes.size(), 54u + 576u * 144u);
    // The cached thumbnail is the picture: a flat red (JPEG tolerance).
    const BYTE* px = thumb->m_bits + 576 * 70 + 3 * 90;
    EXPECT_NEAR(px[2], 200, 6);
    EXPECT_NEAR(px[1], 40, 6);

    auto again = LoadThumbnail(image, 192, false, &fromCache);
    ASSERT_TRUE(again);
    EXPECT_TRUE(fromCache);
    EXPECT_EQ(again->m_cacheValue2, 400);
    EXPECT_EQ(std::memcmp(again->m_bits, thumb->m_bits, 576 * 144), 0);

    // Grey images give 8-bit thumbnails with type 0.
    const std::string greyImage = WriteFlatImage(dir / "g.bmp", 100, 100, 77, 0, 0, true);
    auto g = LoadThumbnail(greyImage, 192, false);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->m_bitsPerPixel, 8);
    EXPECT_EQ(g->GetWidth(), 192u);
    EXPECT_EQ(g->m_cacheValue1, 0);
    EXPECT_EQ(g->m_bits[0], 77);
}

// A cache whose last-write time is not the image's shows an older (or other) picture: it is not
// used, whether the image is newer, older or differs by part of a second; the thumbnail is made
// from the image and the cache takes the image's time.
TEST(ThumbnailCache, CacheOfAnotherTimeIsNotUsed) {
    ScratchFolder dir("browser-cache");
    std::filesystem::create_directories(dir / "Cache");
    CacheFolderScope scope(dir / "Cache");
    const std::string image = dir / "t.bmp";
    const std::string cache = MakeThumbCacheName(image);
    auto writeImage = [&](int red, const struct timespec& stamp) {
        WriteFlatImage(image, 40, 20, red, 10, 200);
        const struct timespec times[2] = {stamp, stamp};
        return ::utimensat(AT_FDCWD, image.c_str(), times, 0) == 0;
    };
    const struct timespec cached = {1700000000, 0};
    for (const struct timespec& stamp :
         {timespec{1700000100, 0}, timespec{1699999900, 0}, timespec{1700000000, 500000000}}) {
        SCOPED_TRACE(std::to_string(stamp.tv_sec) + "." + std::to_string(stamp.tv_nsec));
        ASSERT_TRUE(writeImage(10, cached));
        ASSERT_TRUE(LoadThumbnail(image, 192, false));
        // Another picture of the same size in the image's place: only its time tells.
        ASSERT_TRUE(writeImage(220, stamp));
        bool fromCache = true;
        auto thumb = LoadThumbnail(image, 192, false, &fromCache);
        ASSERT_TRUE(thumb);
        EXPECT_FALSE(fromCache);
        EXPECT_EQ(thumb->m_bits[2], 220);
        EXPECT_EQ(StatOf(cache).st_mtim.tv_sec, stamp.tv_sec);
        EXPECT_EQ(StatOf(cache).st_mtim.tv_nsec, stamp.tv_nsec);
    }
}

TEST(ThumbnailCache, BadCacheFilesAndSideCars) {
    ScratchFolder dir("browser-cache");
    std::filesystem::create_directories(dir / "Cache");
    CacheFolderScope scope(dir / "Cache");
    const std::string image = WriteFlatImage(dir / "a.bmp", 40, 20, 0, 0, 250);
    ASSERT_TRUE(LoadThumbnail(image, 192, false));
    const std::string cache = MakeThumbCacheName(image);
    const std::string side = cache + ".i.tmp";
    const struct timespec stamp = StatOf(cache).st_mtim;
    auto restamp = [&] {
        struct timespec t[2] = {stamp, stamp};
        ::utimensat(AT_FDCWD, cache.c_str(), t, 0);
    };

    // A short or missing side-car: type and size come from the image (not from the thumbnail),
    // and the side-car is written whole again.
    for (const char* shortText : {"00000", "000000030000004", ""}) {
        if (*shortText)
            ScratchFolder::WriteAll(side, shortText);
        else
            std::filesystem::remove(side);
        restamp();
        bool fromCache = true;
        auto t = LoadThumbnail(image, 192, false, &fromCache);
        ASSERT_TRUE(t);
        EXPECT_FALSE(fromCache) << shortText;
        EXPECT_EQ(t->m_cacheValue1, 3);
        EXPECT_EQ(t->m_cacheValue2, 40) << shortText;
        EXPECT_EQ(t->m_cacheValue3, 20) << shortText;
        EXPECT_EQ(ScratchFolder::ReadAll(side), "000000030000004000000020" + image);
    }
    bool fromCache = false;
    auto t = LoadThumbnail(image, 192, false, &fromCache);
    EXPECT_TRUE(fromCache);

    // A side-car of another image: the cache is made again for this one.
    ScratchFolder::WriteAll(side, "000000030000004000000020/elsewhere/a.bmp");
    t = LoadThumbnail(image, 192, false, &fromCache);
    ASSERT_TRUE(t);
    EXPECT_FALSE(fromCache);
    EXPECT_EQ(ScratchFolder::ReadAll(side), "000000030000004000000020" + image);

    // A truncated cache file: refused and removed; the next load makes it from the image.
    const std::string whole = ScratchFolder::ReadAll(cache);
    ScratchFolder::WriteAll(cache, whole.substr(0, 60));
    restamp();
    EXPECT_FALSE(LoadThumbnail(image, 192, false));
    EXPECT_FALSE(std::filesystem::exists(cache));
    ASSERT_TRUE(LoadThumbnail(image, 192, false, &fromCache));
    EXPECT_FALSE(fromCache);
    EXPECT_EQ(ScratchFolder::ReadAll(cache), whole);

    // A cache file claiming a huge picture is refused before anything is allocated.
    std::string huge = whole;
    huge[18] = '\xff';
    huge[19] = '\xff';
    huge[20] = '\xff';
    ScratchFolder::WriteAll(cache, huge);
    restamp();
    EXPECT_FALSE(LoadThumbnail(image, 192, false));

    // An image that cannot be decoded: no thumbnail, no cache entry.
    const std::string broken = dir.Write("b.jpg", "\xff\xd8\xff garbage");
    EXPECT_FALSE(LoadThumbnail(broken, 192, false));
    EXPECT_FALSE(std::filesystem::exists(MakeThumbCacheName(broken)));
}

TEST(ThumbnailCache, NothingWrittenWithoutCacheFolder) {
    ScratchFolder dir("browser-cache");
    CacheFolderScope scope(dir / "NoCache");
    const std::string image = WriteFlatImage(dir / "a.bmp", 8, 8, 1, 2, 3);
    ASSERT_TRUE(LoadThumbnail(image, 192, false));
    EXPECT_FALSE(std::filesystem::exists(dir / "NoCache"));
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(ThumbnailCache, LargeJpegIsScaledWhileDecodedAndDamagedOnesGoToTheFullReader) {
    ScratchFolder dir("browser-cache");
    std::filesystem::create_directories(dir / "Cache");
    CacheFolderScope scope(dir / "Cache");
    const std::string big = WriteFlatImage(dir / "big.jpg", 1600, 1200, 30, 140, 220);
    auto t = LoadThumbnail(big, 192, false);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->GetWidth(), 192u);
    EXPECT_EQ(t->GetHeight(), 144u);
    EXPECT_EQ(t->m_cacheValue2, 1600); // the image's size, not the decoded one
    EXPECT_EQ(t->m_cacheValue3, 1200);
    EXPECT_NEAR(t->m_bits[576 * 70 + 3 * 90 + 0], 220, 6);
    EXPECT_NEAR(t->m_bits[576 * 70 + 3 * 90 + 2], 30, 6);
    const std::string grey = WriteFlatImage(dir / "grey.jpg", 800, 800, 90, 0, 0, true);
    auto g = LoadThumbnail(grey, 192, false);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->m_cacheValue1, 0);
    EXPECT_EQ(g->m_bitsPerPixel, 8);

    // A cut file: what the full reader says counts.
    const std::string whole = ScratchFolder::ReadAll(big);
    const std::string cut = dir.Write("cut.jpg", whole.substr(0, whole.size() / 2));
    int type = -1;
    HDIB full = ReadImageFile(cut, &type);
    EXPECT_EQ(LoadThumbnail(cut, 192, true) != nullptr, full != nullptr);
    if (full)
        GlobalFree(full);
}
