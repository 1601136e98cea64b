#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "shell/core/capture/CaptureFile.h"
#include "ShellCoreTestSupport.h"

#include <sys/stat.h>
#include <utime.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class CaptureFile : public ShellSettingsTest {
protected:
    void SetUp() override {
        ShellSettingsTest::SetUp();
        SetThumbCacheFolder(File("Cache"));
        fs::create_directory(File("Cache"));
        picture = DibCreate(64, 48, 1); // 24-bit colour
        ASSERT_NE(picture, nullptr);
        void* block = GlobalLock(picture);
        BYTE* bits = DibGetBits(block);
        for (size_t i = 0; i < DibStride(64, 24) * 48; ++i)
            bits[i] = static_cast<BYTE>(i * 7);
        GlobalUnlock(picture);
    }
    void TearDown() override {
        GlobalFree(picture);
        SetThumbCacheFolder("Cache");
    }
    void MakeCacheFile(const std::string& name, size_t size, time_t age) {
        Write("Cache/" + name, std::string(size, 'c'));
        struct utimbuf t {
            age, age
        };
        ::utime(File("Cache/" + name).c_str(), &t);
    }
    HDIB picture = nullptr;
};

TEST_F(CaptureFile, EveryFormatOfTheStringTableSavesAndReadsBack) {
    for (const char* name : {"a.bmp", "b.DIB", "c.tif", "d.JPG"}) {
        const std::string path = File(name);
        Write("Cache/" + GetFileNamePart(MakeThumbCacheName(path)), "old thumbnail");
        ASSERT_TRUE(SaveCapturedPicture(picture, 3, path)) << name;
        EXPECT_FALSE(fs::exists(MakeThumbCacheName(path))) << name;
        int type = -1;
        HDIB back = ReadImageFile(path, &type);
        ASSERT_NE(back, nullptr) << name;
        const void* block = GlobalLock(back);
        EXPECT_EQ(DibGetWidth(block), 64);
        EXPECT_EQ(DibGetHeight(block), 48);
        EXPECT_EQ(DibGetBitCount(block), 24);
        GlobalUnlock(back);
        GlobalFree(back);
    }
    for (const fs::directory_entry& e : fs::directory_iterator(settings.Folder()))
        EXPECT_EQ(e.path().string().find(".tmp"), std::string::npos) << e.path(); // no temporary left
}

TEST_F(CaptureFile, UnknownExtensionIsRefusedBeforeAnyFileIsTouched) {
    Write("shot.png", "existing");
    const std::string cache = MakeThumbCacheName(File("shot.png"));
    Write("Cache/" + GetFileNamePart(cache), "thumb");
    EXPECT_EQ(CaptureFormatIndex(File("shot.png")), -1);
    EXPECT_FALSE(SaveCapturedPicture(picture, 3, File("shot.png")));
    EXPECT_EQ(Read("shot.png"), "existing");
    EXPECT_TRUE(fs::exists(cache));
    EXPECT_FALSE(SaveCapturedPicture(picture, 3, File("noext")));
    EXPECT_FALSE(fs::exists(File("noext")));
    EXPECT_EQ(CaptureFormatIndex("/a.b/c"), -1);
}

TEST_F(CaptureFile, FailedSaveLeavesTheExistingFileUnharmed) {
    Write("keep.bmp", "existing picture");
    HDIB broken = GlobalAlloc(GMEM_MOVEABLE, 8); // no bitmap header: the writer refuses it
    EXPECT_FALSE(SaveCapturedPicture(broken, 3, File("keep.bmp")));
    GlobalFree(broken);
    EXPECT_EQ(Read("keep.bmp"), "existing picture");
    EXPECT_FALSE(SaveCapturedPicture(picture, 3, File("missing-folder/x.bmp")));
    for (const fs::directory_entry& e : fs::directory_iterator(settings.Folder()))
        EXPECT_TRUE(e.path().filename() == "keep.bmp" || e.path().filename() == "Cache" ||
                    e.path().filename() == "Vantorel.ini")
            << e.path();
}

TEST_F(CaptureFile, CacheOfExactlyTheLimitIsKeptOneByteMoreTrimsTheOldest) {
    const uint64_t half = kThumbCacheLimit / 2;
    MakeCacheFile("old.bmp.tmp", half - 100, 1000);
    MakeCacheFile("old.bmp.tmp.i.tmp", 100, 1000);
    MakeCacheFile("new.bmp.tmp", half, 2000);
    MakeCacheFile("empty.bmp.tmp", 0, 500);
    MakeCacheFile("other.txt", 5000, 10);
    CacheTrimResult r = CleanThumbnailCache(File("Cache"));
    EXPECT_EQ(r.totalBefore, kThumbCacheLimit);
    EXPECT_EQ(r.deleted, 0);
    EXPECT_TRUE(fs::exists(File("Cache/old.bmp.tmp")));
    EXPECT_FALSE(fs::exists(File("Cache/empty.bmp.tmp"))); // empty files go in any case

    MakeCacheFile("newest.bmp.tmp", 1, 3000);
    r = CleanThumbnailCache(File("Cache"));
    EXPECT_EQ(r.totalBefore, kThumbCacheLimit + 1);
    EXPECT_EQ(r.deleted, 1);
    EXPECT_LT(r.totalAfter, kThumbCacheLimit);
    EXPECT_FALSE(fs::exists(File("Cache/old.bmp.tmp")));
    EXPECT_FALSE(fs::exists(File("Cache/old.bmp.tmp.i.tmp")));
    EXPECT_TRUE(fs::exists(File("Cache/new.bmp.tmp")));
    EXPECT_TRUE(fs::exists(File("Cache/newest.bmp.tmp")));
    EXPECT_TRUE(fs::exists(File("Cache/other.txt")));
    EXPECT_EQ(CleanThumbnailCache(File("no-such-folder")).totalBefore, 0u);
}

} // namespace
