// The composition worker's protocol: the exact progress sequence, the end messages, the
// refusals before start, skipped files and the cancel paths, with nothing left behind.
#include "ids/VantorelIds.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/compose/FocusComp.h"
#include "imaging/compose/FocusCompWorker.h"
#include "imaging/files/ImageFile.h"
#include "platform/ScriptedMessageSink.h"
#include "platform/WindowMessages.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

namespace fs = std::filesystem;

namespace {

struct Posted {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::thread::id thread;
};

const HWND kNotify = TokenToHandle(0x00ABCDEF);

// Records what the worker posts to the notify window; can set the cancel event when the n-th
// progress message arrives (the worker checks the event right after posting it).
class Recorder {
public:
    Recorder() {
        WindowMessageHooks hooks;
        hooks.post = [this](HWND w, UINT m, WPARAM wp, LPARAM lp) -> BOOL {
            if (w != kNotify)
                return FALSE;
            std::lock_guard<std::mutex> lock(mutex_);
            posts_.push_back({m, wp, lp, std::this_thread::get_id()});
            if (m == WM_WORK_PROGRESS && ++progress_ == cancelAtProgress && cancel_)
                cancel_->SetEvent();
            return TRUE;
        };
        SetWindowMessageHooks(hooks);
    }
    ~Recorder() { ClearWindowMessageHooks(); }
    void CancelAtProgress(int n, CEvent* ev) {
        cancelAtProgress = n;
        cancel_ = ev;
    }
    std::vector<Posted> Posts() {
        std::lock_guard<std::mutex> lock(mutex_);
        return posts_;
    }
    std::vector<WPARAM> Progress() {
        std::vector<WPARAM> p;
        for (const auto& x : Posts())
            if (x.message == WM_WORK_PROGRESS)
                p.push_back(x.wParam);
        return p;
    }
    std::vector<UINT> Messages(bool withProgress = false) {
        std::vector<UINT> m;
        for (const auto& x : Posts())
            if (withProgress || x.message != WM_WORK_PROGRESS)
                m.push_back(x.message);
        return m;
    }

private:
    std::mutex mutex_;
    std::vector<Posted> posts_;
    int progress_ = 0;
    int cancelAtProgress = -1;
    CEvent* cancel_ = nullptr;
};

constexpr int kW = 48, kH = 36;

// Image i of the series is sharp (fine stripes) in band i of the picture and flat elsewhere.
HDIB makeImage(int band, int bands) {
    HDIB dib = DibCreateOfKind(kW, kH, 0);
    GlobalLockGuard lock(dib);
    BYTE* bits = DibGetBits(lock.get());
    const size_t stride = DibStride(kW, 8);
    for (int y = 0; y < kH; ++y) {
        int fromTop = kH - 1 - y;
        bool sharp = fromTop * bands / kH == band;
        for (int x = 0; x < kW; ++x)
            bits[y * stride + x] = sharp ? ((x + fromTop) % 2 ? 230 : 20) : 128;
    }
    return dib;
}

class FocusCompWorker : public ::testing::Test {
protected:
    void TearDown() override { CFocusComp::FailAllocationsForTesting(0); }

    std::string writeSeriesFile(int band, int bands, const std::string& name) {
        HDIB dib = makeImage(band, bands);
        std::string path = (dir / name).string();
        EXPECT_TRUE(SaveImageFile(dib, path, 0, 75)) << path;
        GlobalFree(dib);
        return path;
    }
    std::unique_ptr<CFocusComp> composer(const std::vector<std::string>& files, std::vector<double> z) {
        auto comp = std::make_unique<CFocusComp>();
        comp->m_FileList = files;
        comp->m_ZList = std::move(z);
        return comp;
    }
    // Starts, waits for the thread and checks the common rules of every run.
    DWORD run(CFocusComp* comp) {
        std::unique_ptr<CWorkerThread> thread;
        EXPECT_EQ(StartFocusCompWorker(comp, settings, kNotify, &cancel, thread), FocusCompStart::Started);
        EXPECT_NE(thread, nullptr);
        thread->Join();
        auto posts = rec.Posts();
        EXPECT_FALSE(posts.empty());
        for (const auto& p : posts)
            EXPECT_NE(p.thread, std::this_thread::get_id()); // the worker posted them
        int ends = 0;
        for (const auto& p : posts)
            ends += p.message == WM_WORK_DONE || p.message == WM_WORK_ABORTED;
        EXPECT_EQ(ends, 1);
        EXPECT_TRUE(posts.back().message == WM_WORK_DONE || posts.back().message == WM_WORK_ABORTED);
        return thread->GetExitCode();
    }
    // After an abort the composer holds nothing the starter would have to free.
    static void expectEmpty(const CFocusComp& comp) {
        EXPECT_EQ(comp.GetComposite(), nullptr);
        EXPECT_EQ(comp.GetHeightRows(), nullptr);
        EXPECT_EQ(comp.GetMaxRows(), nullptr);
        EXPECT_EQ(comp.GetIndexRows(), nullptr);
        EXPECT_EQ(comp.GetWeightRows(), nullptr);
    }

    const FocusCompSettings settings{.width = kW, .height = kH, .sizeParam = 8};
    ScratchFolder scratch{"vt-worker"};
    fs::path dir{scratch.Path()};
    Recorder rec;
    CEvent cancel{FALSE, FALSE};
};

TEST_F(FocusCompWorker, SeriesEndsWithExactProgressThenDone) {
    std::vector<std::string> files;
    for (int i = 0; i < 3; ++i)
        files.push_back(writeSeriesFile(i, 3, "img00" + std::to_string(i) + ".bmp"));
    auto comp = composer(files, {10.0, 20.0, 30.0});
    EXPECT_EQ(run(comp.get()), 1u);
    const WPARAM step = 1932735276u / 3;
    EXPECT_EQ(rec.Progress(), (std::vector<WPARAM>{step, 2 * step, 3 * step, 3 * step + 107374182,
                                                   3 * step + 2 * 107374182, 0x7FFFFFFF}));
    EXPECT_EQ(rec.Messages(), (std::vector<UINT>{WM_WORK_DONE}));
    for (const auto& p : rec.Posts())
        if (p.message == WM_WORK_DONE) {
            EXPECT_EQ(p.wParam, 0u);
        }
    EXPECT_EQ(comp->ImagesAdded(), 3);
    ASSERT_NE(comp->GetComposite(), nullptr);
    ASSERT_NE(comp->GetHeightRows(), nullptr);
    // Every height is one of the series' focus positions' range.
    double** h = comp->GetHeightRows();
    for (int y = 0; y < comp->OutputHeight(); ++y)
        for (int x = 0; x < comp->OutputWidth(); ++x) {
            EXPECT_GE(h[y][x], 10.0 - 1e-9);
            EXPECT_LE(h[y][x], 30.0 + 1e-9);
        }
}

TEST_F(FocusCompWorker, EmptyListOrShortZListIsRefusedBeforeStart) {
    std::unique_ptr<CWorkerThread> thread;
    auto empty = composer({}, {});
    EXPECT_EQ(StartFocusCompWorker(empty.get(), settings, kNotify, &cancel, thread),
              FocusCompStart::EmptyFileList);
    EXPECT_EQ(thread, nullptr);
    auto file = writeSeriesFile(0, 1, "a.bmp");
    auto shortZ = composer({file, file}, {1.0});
    EXPECT_EQ(StartFocusCompWorker(shortZ.get(), settings, kNotify, &cancel, thread),
              FocusCompStart::ShortZList);
    EXPECT_EQ(thread, nullptr);
    EXPECT_EQ(rec.Messages(true), (std::vector<UINT>{WM_WORK_ABORTED, WM_WORK_ABORTED}));
    EXPECT_EQ(rec.Posts()[0].wParam, 1u);
    // The worker itself refuses an empty list too instead of dividing by zero.
    EXPECT_EQ(FocusCompThreadProc(new FocusCompThreadBlock{empty.get(), kNotify, &cancel, settings}),
              static_cast<UINT>(-1));
    EXPECT_EQ(rec.Messages(true).size(), 3u);
    expectEmpty(*empty);
}

TEST_F(FocusCompWorker, UnreadableFilesAreReportedAndSkippedWithTheirZ) {
    std::vector<std::string> files{writeSeriesFile(0, 3, "a.bmp"), (dir / "broken.bmp").string(),
                                   (dir / "missing.bmp").string(), (dir / "notes.txt").string(),
                                   writeSeriesFile(2, 3, "c.bmp")};
    std::ofstream(files[1]) << "BM this is no bitmap";
    std::ofstream(files[3]) << "text";
    auto comp = composer(files, {10.0, 99.0, 98.0, 97.0, 30.0});
    EXPECT_EQ(run(comp.get()), 1u);
    std::vector<WPARAM> failed;
    for (const auto& p : rec.Posts())
        if (p.message == WM_WORK_READ_FAILED)
            failed.push_back(p.wParam);
    // A file that does not open at all is skipped silently, as when it is read on the UI thread.
    EXPECT_EQ(failed, (std::vector<WPARAM>{1, 3}));
    EXPECT_EQ(rec.Progress().size(), 5u + 3u);
    EXPECT_EQ(rec.Progress().back(), 0x7FFFFFFFu);
    EXPECT_EQ(comp->ImagesAdded(), 2);
    ASSERT_NE(comp->GetHeightRows(), nullptr);
    double** h = comp->GetHeightRows();
    for (int y = 0; y < comp->OutputHeight(); ++y)
        for (int x = 0; x < comp->OutputWidth(); ++x)
            EXPECT_LE(h[y][x], 30.0 + 1e-9); // the Z values of skipped files are not used
}

TEST_F(FocusCompWorker, NoReadableFileEndsAborted) {
    auto comp = composer({(dir / "missing.bmp").string(), (dir / "x.png").string()}, {1.0, 2.0});
    EXPECT_EQ(run(comp.get()), static_cast<DWORD>(-1));
    EXPECT_EQ(rec.Messages().back(), WM_WORK_ABORTED);
    expectEmpty(*comp);
}

// Cancel after the n-th progress message: during the images (path B), right after the last
// image, after the Z values, after the height map and composition (path C), after the end mark.
TEST_F(FocusCompWorker, CancelAtEveryStageEndsAbortedWithNothingLeft) {
    std::vector<std::string> files;
    for (int i = 0; i < 3; ++i)
        files.push_back(writeSeriesFile(i, 3, "s" + std::to_string(i) + ".bmp"));
    for (int at = 1; at <= 6; ++at) {
        Recorder local;
        CEvent ev(FALSE, FALSE);
        local.CancelAtProgress(at, &ev);
        auto comp = composer(files, {1.0, 2.0, 3.0});
        std::unique_ptr<CWorkerThread> thread;
        ASSERT_EQ(StartFocusCompWorker(comp.get(), settings, kNotify, &ev, thread), FocusCompStart::Started);
        thread->Join();
        EXPECT_EQ(thread->GetExitCode(), static_cast<DWORD>(-1)) << at;
        auto msgs = local.Messages(true);
        ASSERT_FALSE(msgs.empty());
        EXPECT_EQ(msgs.back(), WM_WORK_ABORTED) << at;
        EXPECT_EQ(local.Progress().size(), static_cast<size_t>(at)) << at;
        EXPECT_EQ(std::count(msgs.begin(), msgs.end(), WM_WORK_DONE), 0) << at;
        EXPECT_EQ(local.Posts().back().wParam, 1u);
        expectEmpty(*comp);
    }
}

TEST_F(FocusCompWorker, CancelBeforeStartStopsAfterTheMaps) {
    auto comp = composer({writeSeriesFile(0, 1, "a.bmp")}, {5.0});
    cancel.SetEvent();
    EXPECT_EQ(run(comp.get()), static_cast<DWORD>(-1));
    EXPECT_TRUE(rec.Progress().empty());
    EXPECT_EQ(comp->ImagesAdded(), 0);
    expectEmpty(*comp);
}

// Memory running short for the maps, for the first image's buffers, for the composite or for
// the heights ends the run with the memory message and nothing handed over, never with a
// result that lacks what it promised nor with a file reported unreadable.
TEST_F(FocusCompWorker, LackOfMemoryEndsTheRunWithTheMemoryMessage) {
    std::vector<std::string> files;
    for (int i = 0; i < 3; ++i)
        files.push_back(writeSeriesFile(i, 3, "m" + std::to_string(i) + ".bmp"));
    for (FocusCompStore store : {FocusCompStore::Maps, FocusCompStore::WorkBuffers, FocusCompStore::Composite,
                                 FocusCompStore::HeightRows}) {
        SCOPED_TRACE(static_cast<unsigned>(store));
        CScriptedMessageSink sink(IDOK);
        Recorder local;
        auto comp = composer(files, {1.0, 2.0, 3.0});
        CFocusComp::FailAllocationsForTesting(static_cast<unsigned>(store));
        std::unique_ptr<CWorkerThread> thread;
        ASSERT_EQ(StartFocusCompWorker(comp.get(), settings, kNotify, &cancel, thread),
                  FocusCompStart::Started);
        thread->Join();
        CFocusComp::FailAllocationsForTesting(0);
        EXPECT_EQ(thread->GetExitCode(), static_cast<DWORD>(-1));
        const auto posts = local.Posts();
        ASSERT_FALSE(posts.empty());
        EXPECT_EQ(posts.back().message, WM_WORK_ABORTED);
        EXPECT_EQ(posts.back().wParam, kWorkAbortNoMemory);
        EXPECT_EQ(local.Messages(), std::vector<UINT>{WM_WORK_ABORTED}); // no read failure, no done
        EXPECT_TRUE(sink.ShownIds().empty());                            // the worker shows nothing itself
        expectEmpty(*comp);
    }
}

TEST_F(FocusCompWorker, AnImageOfAnotherSizeIsReportedAndSkipped) {
    std::vector<std::string> files{writeSeriesFile(0, 2, "a.bmp"), (dir / "small.bmp").string(),
                                   writeSeriesFile(1, 2, "b.bmp")};
    HDIB small = DibCreateOfKind(kW / 2, kH, 0);
    ASSERT_TRUE(SaveImageFile(small, files[1], 0, 75));
    GlobalFree(small);
    auto comp = composer(files, {10.0, 99.0, 20.0});
    EXPECT_EQ(run(comp.get()), 1u);
    std::vector<WPARAM> failed;
    for (const auto& p : rec.Posts())
        if (p.message == WM_WORK_READ_FAILED)
            failed.push_back(p.wParam);
    EXPECT_EQ(failed, std::vector<WPARAM>{1});
    EXPECT_EQ(rec.Messages().back(), WM_WORK_DONE);
    EXPECT_EQ(comp->ImagesAdded(), 2);
    ASSERT_NE(comp->GetHeightRows(), nullptr);
    EXPECT_NE(comp->GetMaxRows(), nullptr);
}

TEST_F(FocusCompWorker, LoadImageFileReadsByExtensionAndTellsUnreadableOnes) {
    std::string bmp = writeSeriesFile(0, 1, "upper.BMP");
    HDIB dib = nullptr;
    int type = -1;
    CFocusComp comp;
    EXPECT_EQ(comp.LoadImageFile(bmp.c_str(), &dib, &type), 1);
    ASSERT_NE(dib, nullptr);
    GlobalFree(dib);
    EXPECT_EQ(ReadSeriesImageFile((dir / "none.bmp").string(), &dib, &type), ImageFileRead::CannotOpen);
    EXPECT_EQ(dib, nullptr);
    std::ofstream(dir / "a.jpeg") << "x";
    EXPECT_EQ(ReadSeriesImageFile((dir / "a.jpeg").string(), &dib, &type), ImageFileRead::Unreadable);
    std::ofstream(dir / "bad.tif") << "II*\0garbage";
    EXPECT_EQ(ReadSeriesImageFile((dir / "bad.tif").string(), &dib, &type), ImageFileRead::Unreadable);
    EXPECT_EQ(dib, nullptr);
    // On the UI thread LoadImageFile itself tells the user, except for a file that does not open.
    CScriptedMessageSink sink(IDOK);
    EXPECT_EQ(comp.LoadImageFile((dir / "none.bmp").string().c_str(), &dib, &type), 0);
    EXPECT_TRUE(sink.ShownIds().empty());
    EXPECT_EQ(comp.LoadImageFile((dir / "a.jpeg").string().c_str(), &dib, &type), 0);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::CannotReadData});
    EXPECT_EQ(comp.AddImageFile(bmp.c_str()), 1);
    EXPECT_EQ(comp.ImagesAdded(), 0); // before AllocMaps the engine takes nothing; no leak
}

} // namespace
