#include "browser/core/ThumbCacheNames.h"
#include "BrowserTestImages.h"
#include "browser/core/ItemSort.h"
#include "browser/core/ThumbnailCache.h"
#include "browser/core/ThumbnailLoader.h"
#include "platform/ProgramHelpers.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>

namespace {

// Records what a loader posts, in order.
class RecordingSink : public ThumbLoaderSink {
public:
    struct Posted {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    void Post(UINT message, WPARAM wParam, LPARAM lParam) override {
        std::lock_guard<std::mutex> g(mutex_);
        posted_.push_back({message, wParam, lParam});
        changed_.notify_all();
    }
    std::vector<Posted> Snapshot() {
        std::lock_guard<std::mutex> g(mutex_);
        return posted_;
    }
    void WaitForCount(size_t n) {
        std::unique_lock<std::mutex> g(mutex_);
        changed_.wait(g, [&] { return posted_.size() >= n; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Posted> posted_;
};

LoaderPass PassOf(CImageDataMap& map, const std::vector<std::string>& paths, int generation = 7) {
    LoaderPass pass;
    pass.map = &map;
    pass.generation = generation;
    for (size_t i = 0; i < paths.size(); ++i)
        pass.items.push_back({paths[i], int(i), paths[i] == kPlaceholderPath});
    return pass;
}

class LoaderTest : public ::testing::Test {
protected:
    LoaderTest()
        : dir_("browser-loader"),
          cache_((std::filesystem::create_directories(dir_ / "Cache"), dir_ / "Cache")) {}
    ScratchFolder dir_;
    CacheFolderScope cache_;
};

// The file names of a list in their order.
std::string Order(const FileInfoList& items) {
    std::string s;
    for (const auto& f : items)
        s += (s.empty() ? "" : " ") + GetFileNamePart(f->m_path);
    return s;
}

} // namespace

TEST_F(LoaderTest, PassPostsReadyInOrderThenDoneAndSkipsBrokenFiles) {
    const std::string a = WriteFlatImage(dir_ / "a1.bmp", 30, 20, 255, 0, 0);
    const std::string broken = dir_.Write("b2.jpg", "not a jpeg");
    const std::string c = WriteFlatImage(dir_ / "c3.jpg", 64, 64, 0, 255, 0);
    CImageDataMap map;
    RecordingSink sink;
    {
        CThumbnailLoader loader(sink);
        loader.Start(PassOf(map, {a, broken, c, kPlaceholderPath}));
        sink.WaitForCount(4);
        loader.Join();
        EXPECT_EQ(loader.FailedPositions(), std::vector<int>{1});
        EXPECT_EQ(loader.LoadedCount(), 2);
    }
    const auto posted = sink.Snapshot();
    ASSERT_EQ(posted.size(), 4u);
    const UINT expectMsg[] = {WM_THUMB_READY, WM_THUMB_READY, WM_THUMB_READY, WM_THUMB_PASS_DONE};
    const WPARAM expectW[] = {0, 2, 3, 0};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(posted[i].message, expectMsg[i]) << i;
        EXPECT_EQ(posted[i].wParam, expectW[i]) << i;
        EXPECT_EQ(posted[i].lParam, 7) << i;
    }
    // Records for every file (the broken one without a thumbnail), none for the placeholder.
    ASSERT_EQ(map.size(), 3u);
    EXPECT_TRUE(map.at(a)->GetThumbnail());
    EXPECT_EQ(map.at(a)->m_cacheValue1, 3);
    EXPECT_EQ(map.at(a)->m_cacheValue2, 30);
    EXPECT_EQ(map.at(a)->m_title, "a1.bmp");
    EXPECT_FALSE(map.at(broken)->GetThumbnail());
    EXPECT_TRUE(std::filesystem::exists(MakeThumbCacheName(c)));
    EXPECT_FALSE(std::filesystem::exists(MakeThumbCacheName(broken)));
}

TEST_F(LoaderTest, StopEndsThePassWithinOneThumbnail) {
    std::vector<std::string> paths;
    for (int i = 0; i < 20; ++i)
        paths.push_back(WriteFlatImage(dir_ / ("s" + std::to_string(i) + ".jpg"), 640, 480, i, 100, 50));
    // The sink holds the loader in its first report until the stop has been asked for.
    class HoldingSink : public RecordingSink {
    public:
        void Post(UINT message, WPARAM wParam, LPARAM lParam) override {
            RecordingSink::Post(message, wParam, lParam);
            std::unique_lock<std::mutex> g(m);
            released.wait(g, [&] { return go; });
        }
        void Release() {
            std::lock_guard<std::mutex> g(m);
            go = true;
            released.notify_all();
        }
        std::mutex m;
        std::condition_variable released;
        bool go = false;
    } sink;
    CImageDataMap map;
    CThumbnailLoader loader(sink);
    loader.Start(PassOf(map, paths));
    sink.WaitForCount(1);
    loader.RequestStop();
    sink.Release();
    loader.Join();
    const auto posted = sink.Snapshot();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].message, WM_THUMB_READY);
    EXPECT_EQ(posted[1].message, WM_THUMB_PASS_STOPPED);
    EXPECT_EQ(posted[1].wParam, 1u);
    EXPECT_EQ(loader.LoadedCount(), 1);
    // Stop on a loader that has ended, and on none, returns at once.
    loader.Stop();
    EXPECT_FALSE(loader.IsRunning());
}

TEST_F(LoaderTest, TouchedImageIsRewrittenAndRefreshIgnoresTheCache) {
    const std::string img = WriteFlatImage(dir_ / "t.bmp", 50, 50, 10, 10, 200);
    SetWriteTime(img, 1600000000);
    CImageDataMap map;
    RecordingSink sink;
    CThumbnailLoader loader(sink);
    loader.Start(PassOf(map, {img}));
    loader.Join();
    const std::string cache = MakeThumbCacheName(img);
    ASSERT_TRUE(std::filesystem::exists(cache));

    // The image changes: the next pass drops the record's thumbnail and rewrites the cache.
    WriteFlatImage(img, 50, 50, 220, 10, 10);
    SetWriteTime(img, 1600000100);
    loader.Start(PassOf(map, {img}));
    loader.Join();
    EXPECT_EQ(loader.LoadedCount(), 1);
    struct stat st {};
    ::stat(cache.c_str(), &st);
    EXPECT_EQ(st.st_mtim.tv_sec, 1600000100);
    EXPECT_EQ(map.at(img)->GetThumbnail()->m_bits[2], 220); // red now

    // A cache file that does not show the image (same times) is used until a refresh.
    map.at(img)->SetThumbnail(nullptr);
    std::string bytes = ScratchFolder::ReadAll(cache);
    bytes[54 + 2] = char(1);
    ScratchFolder::WriteAll(cache, bytes);
    SetWriteTime(cache, 1600000100);
    loader.Start(PassOf(map, {img}));
    loader.Join();
    EXPECT_EQ(map.at(img)->GetThumbnail()->m_bits[2], 1);
    map.at(img)->SetThumbnail(nullptr);
    LoaderPass refresh = PassOf(map, {img});
    refresh.ignoreCache = true;
    loader.Start(std::move(refresh));
    loader.Join();
    EXPECT_EQ(map.at(img)->GetThumbnail()->m_bits[2], 220);
    EXPECT_EQ(ScratchFolder::ReadAll(cache)[54 + 2], char(220));
}

TEST_F(LoaderTest, FileInBothListsIsLoadedOnceAndConcurrentLoadersAttachOne) {
    std::vector<std::string> paths;
    for (int i = 0; i < 12; ++i)
        paths.push_back(WriteFlatImage(dir_ / ("p" + std::to_string(i) + ".jpg"), 300, 200, 5 * i, 60, 90));
    CImageDataMap map;
    RecordingSink sinkA, sinkB;
    CThumbnailLoader thumbs(sinkA), box(sinkB);
    thumbs.Start(PassOf(map, paths));
    thumbs.Join();
    EXPECT_EQ(thumbs.LoadedCount(), 12);
    box.Start(PassOf(map, {paths[3], kPlaceholderPath}));
    box.Join();
    EXPECT_EQ(box.LoadedCount(), 0);
    EXPECT_EQ(sinkB.Snapshot().size(), 3u); // ready, ready (placeholder), done

    // Both at once on fresh records: every record ends with one thumbnail, no crash or race.
    CImageDataMap fresh;
    thumbs.Start(PassOf(fresh, paths));
    box.Start(PassOf(fresh, paths));
    thumbs.Join();
    box.Join();
    ASSERT_EQ(fresh.size(), 12u);
    for (const auto& [path, record] : fresh)
        EXPECT_TRUE(record->GetThumbnail()) << path;
}

TEST(ItemSort, FiveListOrdersAndThreeBoxOrdersWithTiesAndPlaceholderLast) {
    auto make = [](const std::string& path, uint64_t size, int64_t created, int64_t modified, double z) {
        auto f = std::make_unique<CFileInfoStruc>();
        f->m_path = path;
        std::string digits;
        f->m_number = GetFileNumber(path, digits);
        f->m_size = size;
        f->m_creationTime = created;
        f->m_lastWriteTime = modified;
        f->m_position = z;
        return f;
    };
    FileInfoList items;
    items.push_back(make("/d/a10.bmp", 5, 3, 9, 2.0));
    items.push_back(CFileInfoStruc::MakePlaceholder());
    items.push_back(make("/d/y1.JPG", 5, 1, 7, 1.0));
    items.push_back(make("/d/a9.bmp", 9, 2, 7, 2.0));
    items.push_back(make("/d/x1.bmp", 1, 2, 8, 0.5));

    ASSERT_TRUE(SortThumbnailItems(items, ID_SORT_NAME));
    EXPECT_EQ(Order(items), "x1.bmp y1.JPG a9.bmp a10.bmp Last Position");
    ASSERT_TRUE(SortThumbnailItems(items, ID_SORT_KIND));
    EXPECT_EQ(Order(items), "x1.bmp a9.bmp a10.bmp y1.JPG Last Position");
    ASSERT_TRUE(SortThumbnailItems(items, ID_SORT_SIZE));
    EXPECT_EQ(Order(items), "x1.bmp y1.JPG a10.bmp a9.bmp Last Position");
    ASSERT_TRUE(SortThumbnailItems(items, ID_SORT_CREATED));
    EXPECT_EQ(Order(items), "y1.JPG x1.bmp a9.bmp a10.bmp Last Position");
    ASSERT_TRUE(SortThumbnailItems(items, ID_SORT_MODIFIED));
    EXPECT_EQ(Order(items), "y1.JPG a9.bmp x1.bmp a10.bmp Last Position");
    EXPECT_FALSE(SortThumbnailItems(items, 12345));
    EXPECT_EQ(Order(items), "y1.JPG a9.bmp x1.bmp a10.bmp Last Position");

    ASSERT_TRUE(SortBoxItems(items, BOX_SORT_POSITION));
    EXPECT_EQ(Order(items), "x1.bmp y1.JPG a10.bmp a9.bmp Last Position");
    ASSERT_TRUE(SortBoxItems(items, BOX_SORT_NUMBER_UP));
    EXPECT_EQ(Order(items), "x1.bmp y1.JPG a9.bmp a10.bmp Last Position");
    ASSERT_TRUE(SortBoxItems(items, BOX_SORT_NUMBER_DOWN));
    EXPECT_EQ(Order(items), "a10.bmp a9.bmp x1.bmp y1.JPG Last Position");

    auto p = CFileInfoStruc::MakePlaceholder();
    EXPECT_EQ(p->m_number, 2147483647);
    EXPECT_EQ(p->m_selected, 1);
    EXPECT_EQ(p->m_path, "Last Position");
}

TEST(ItemSort, NameOrderIsTheNumberBeforeTheExtensionThenThePath) {
    // A name whose digits do not stand right before the extension has the number 0 and goes
    // with the other 0s, ordered among them by the whole path.
    ScratchFolder dir("item-sort");
    FileInfoList items;
    for (const char* name : {"frame_002.bmp", "frame_003x.tif", "frame_001.bmp", "frame_001h.bmp",
                             "frame_000.bmp", "frame_010.jpg"}) {
        dir.Write(name, "x");
        items.push_back(CFileInfoStruc::FromFile(dir / name, int(items.size())));
        ASSERT_TRUE(items.back());
    }
    ASSERT_TRUE(SortThumbnailItems(items, ID_SORT_NAME));
    std::vector<std::string> names;
    for (const auto& f : items)
        names.push_back(GetFileNamePart(f->m_path) + ":" + std::to_string(f->m_number));
    EXPECT_EQ(names, (std::vector<std::string>{"frame_000.bmp:0", "frame_001h.bmp:0", "frame_003x.tif:0",
                                               "frame_001.bmp:1", "frame_002.bmp:2", "frame_010.jpg:10"}));
}

TEST(ItemSort, EqualNumbersGoByThePathWithoutCaseThenSmallLettersFirst) {
    FileInfoList items;
    for (const char* name : {"/d/B1.bmp", "/d/a1.bmp", "/d/A1.bmp", "/d/b1.bmp", "/d/a1.BMP"}) {
        items.push_back(std::make_unique<CFileInfoStruc>());
        items.back()->m_path = name;
        items.back()->m_number = 1;
    }
    const std::string expected = "a1.bmp a1.BMP A1.bmp b1.bmp B1.bmp";
    ASSERT_TRUE(SortThumbnailItems(items, ID_SORT_NAME));
    EXPECT_EQ(Order(items), expected);
    std::reverse(items.begin(), items.end());
    ASSERT_TRUE(SortBoxItems(items, BOX_SORT_NUMBER_DOWN)); // the box breaks its ties alike
    EXPECT_EQ(Order(items), expected);
}
