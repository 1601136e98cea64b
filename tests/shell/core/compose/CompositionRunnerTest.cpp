#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "imaging/compose/WorkerMessages.h"
#include "shell/core/compose/CompositionRunner.h"
#include "shell/core/settings/DocumentSettings.h"
#include "tools/seriesmaker/SeriesMaker.h"
#include "ShellCoreTestSupport.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace {

HWND const kFrame = reinterpret_cast<HWND>(0x1234);

// Collects the messages the worker posts; a test may react to one on the worker's thread.
class PostedMessages {
public:
    PostedMessages() {
        WindowMessageHooks hooks;
        hooks.post = [this](HWND w, UINT m, WPARAM wp, LPARAM) {
            if (w != kFrame)
                return FALSE;
            if (onPost)
                onPost(m);
            std::lock_guard<std::mutex> lock(mutex);
            messages.push_back({m, wp});
            cv.notify_all();
            return TRUE;
        };
        SetWindowMessageHooks(hooks);
    }
    ~PostedMessages() { ClearWindowMessageHooks(); }
    // Waits for an end message (done or aborted) and returns it; read failures are counted.
    UINT WaitForEnd() {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            while (!messages.empty()) {
                auto [m, wp] = messages.front();
                messages.pop_front();
                if (m == WM_WORK_READ_FAILED)
                    readFailures.push_back(static_cast<int>(wp));
                if (m == WM_WORK_DONE || m == WM_WORK_ABORTED)
                    return m;
            }
            if (!cv.wait_for(lock, std::chrono::seconds(60), [&] { return !messages.empty(); }))
                return 0;
        }
    }
    std::function<void(UINT)> onPost;
    std::vector<int> readFailures;

private:
    std::mutex mutex;
    std::condition_variable cv;
    std::deque<std::pair<UINT, WPARAM>> messages;
};

class Runner : public ShellSettingsTest {
protected:
    void SetUp() override {
        ShellSettingsTest::SetUp();
        seriesmaker::SeriesParams params;
        params.width = 96;
        params.height = 64;
        params.frames = 4;
        seriesmaker::SeriesMaker maker(params);
        for (int k = 0; k < params.frames; ++k) {
            HDIB frame = maker.Frame(k);
            const std::string path = File("f" + std::to_string(k) + ".bmp");
            ASSERT_TRUE(SaveImageFile(frame, path, 3, 75));
            GlobalFree(frame);
            series.files.push_back(path);
            series.z.push_back(10.0 * k);
        }
        series.width = params.width;
        series.height = params.height;
        doc.ReadSettings();
        params_ = ParametersForFocusType(1, 0, 0);
    }
    CompositionSeries series;
    DocumentSettings doc;
    CompositionParameters params_;
    PostedMessages posted;
    CompositionRunner runner;
};

TEST_F(Runner, FinishedRunHandsOverCompositeAndHeightsOnce) {
    ASSERT_EQ(runner.StartRun(series, params_, doc, kFrame), CompositionRunner::Start::Started);
    EXPECT_TRUE(runner.IsBusy());
    EXPECT_EQ(runner.StartRun(series, params_, doc, kFrame), CompositionRunner::Start::Busy);
    ASSERT_EQ(posted.WaitForEnd(), WM_WORK_DONE);
    int calls = 0;
    runner.OnWorkDone([&](const CompositionResult& r) {
        ++calls;
        ASSERT_NE(r.composite, nullptr);
        ASSERT_NE(r.heights, nullptr);
        EXPECT_GT(r.width, 0);
        EXPECT_GT(r.height, 0);
        const void* block = GlobalLock(r.composite);
        EXPECT_EQ(DibGetWidth(block), r.width);
        GlobalUnlock(r.composite);
        // Heights lie within the series' Z range.
        EXPECT_GE(r.heights[r.height / 2][r.width / 2], 0.0);
        EXPECT_LE(r.heights[r.height / 2][r.width / 2], 30.0);
    });
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(runner.IsBusy());
    EXPECT_TRUE(posted.readFailures.empty());
}

TEST_F(Runner, CancelShows875AndTheRunnerIsFreeAgain) {
    posted.onPost = [this](UINT m) {
        if (m == WM_WORK_PROGRESS)
            runner.Cancel();
    };
    ASSERT_EQ(runner.StartRun(series, params_, doc, kFrame), CompositionRunner::Start::Started);
    ASSERT_EQ(posted.WaitForEnd(), WM_WORK_ABORTED);
    EXPECT_EQ(runner.OnWorkAborted(), CompositionRunner::Abort::Cancelled);
    EXPECT_FALSE(runner.IsBusy());
    posted.onPost = nullptr;
    ASSERT_EQ(runner.StartRun(series, params_, doc, kFrame), CompositionRunner::Start::Started);
    ASSERT_EQ(posted.WaitForEnd(), WM_WORK_DONE);
    runner.OnWorkDone(nullptr);
}

TEST_F(Runner, FailedRunWithoutReportsIsUnreadableNotACancel) {
    for (const std::string& f : series.files)
        std::ofstream(f) << "garbage";
    ASSERT_EQ(runner.StartRun(series, params_, doc, kFrame), CompositionRunner::Start::Started);
    ASSERT_EQ(posted.WaitForEnd(), WM_WORK_ABORTED);
    EXPECT_EQ(runner.OnWorkAborted(), CompositionRunner::Abort::Unreadable);
}

TEST_F(Runner, UnreadableFilesShow9201NotACancel) {
    Write("f1.bmp", "not a picture");
    ASSERT_EQ(runner.StartRun(series, params_, doc, kFrame), CompositionRunner::Start::Started);
    ASSERT_EQ(posted.WaitForEnd(), WM_WORK_DONE); // the other three compose
    EXPECT_EQ(posted.readFailures, std::vector<int>{1});
    runner.OnReadFailed();
    runner.OnWorkDone(nullptr);

    for (const std::string& f : series.files)
        std::ofstream(f) << "garbage";
    ASSERT_EQ(runner.StartRun(series, params_, doc, kFrame), CompositionRunner::Start::Started);
    ASSERT_EQ(posted.WaitForEnd(), WM_WORK_ABORTED);
    EXPECT_EQ(posted.readFailures.size(), 5u);
    runner.OnReadFailed();
    EXPECT_EQ(runner.OnWorkAborted(), CompositionRunner::Abort::Reported); // 9201 per file; no 875

    CompositionSeries empty;
    EXPECT_EQ(runner.StartRun(empty, params_, doc, kFrame), CompositionRunner::Start::Refused);
    EXPECT_FALSE(runner.IsBusy());
}

} // namespace
