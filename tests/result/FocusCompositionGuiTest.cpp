// A composition of a small series in the worker, driven like the main frame drives it: the
// progress dialog follows the posted progress, Cancel stops the worker, and the frame's handlers
// run on the UI thread.
#include "ids/VantorelIds.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/compose/FocusComp.h"
#include "imaging/compose/FocusCompWorker.h"
#include "imaging/files/ImageFile.h"
#include "result/FocusProgDialog.h"
#include "imaging/gui/GuiHooks.h"
#include "platform/ProgramHelpers.h"
#include "platform/ScriptedMessageSink.h"
#include "ui/RoutedFrame.h"
#include "ui/testing/GuiTest.h"

#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <wx/thread.h>

#include <fstream>

using ui::testing::PumpUntil;

namespace {

// The notify window: the frame side of a composition run.
class RunFrame : public ui::RoutedFrame {
public:
    RunFrame() : RoutedFrame(nullptr, "Vantorel", wxDefaultPosition, wxSize(700, 500)) {
        OnMessage(WM_WORK_PROGRESS, [this](WPARAM w, LPARAM) -> LRESULT {
            onUiThread &= wxThread::IsMain();
            PumpOneMessage(GetSafeHwnd());
            progress->SetPos(static_cast<int>(w));
            shown.push_back(progress->GetPos());
            return 0;
        });
        OnMessage(WM_WORK_CANCEL, [this](WPARAM, LPARAM) -> LRESULT {
            cancel.SetEvent();
            return 0;
        });
        OnMessage(WM_WORK_READ_FAILED, [this](WPARAM w, LPARAM) -> LRESULT {
            failed.push_back(w);
            ShowMessage(vtid::str::CannotReadData, MB_OK | MB_ICONEXCLAMATION);
            return 0;
        });
        OnMessage(WM_WORK_DONE, [this](WPARAM, LPARAM) -> LRESULT { return finish(WM_WORK_DONE); });
        OnMessage(WM_WORK_ABORTED, [this](WPARAM w, LPARAM) -> LRESULT {
            finish(WM_WORK_ABORTED);
            // The worker says which message ends the run: out of memory, or cancelled.
            ShowMessage(w == kWorkAbortNoMemory ? vtid::str::NoMemory : vtid::str::Cancelled,
                        MB_OK | MB_ICONEXCLAMATION);
            return 0;
        });
        OnMessage(WM_USER + 77, [this](WPARAM, LPARAM) -> LRESULT { return settled = true; });
    }

    // Once the run has ended (the worker is joined), a message posted now arrives after every
    // message the worker posted: whatever it sent late has been handled when this returns.
    bool Settle() {
        settled = false;
        return Post(WM_USER + 77) && PumpUntil([this] { return settled; });
    }

    bool Start(CFocusComp* comp, const FocusCompSettings& settings) {
        composer = comp;
        if (!progress) {
            progress = new CFocusProgDialog(this);
            progress->SetCancelable(TRUE);
            progress->Create(false);
        }
        progress->SetTitle(wxString::FromUTF8("ﾌｫｰｶｽ合成中"));
        progress->SetMessage(wxString());
        progress->SetRange(0x7FFFFFFF);
        progress->SetCancelMessage(WM_WORK_CANCEL);
        progress->Show();
        cancel.ResetEvent();
        return StartFocusCompWorker(comp, settings, GetSafeHwnd(), &cancel, worker) ==
               FocusCompStart::Started;
    }

    LRESULT finish(UINT how) {
        onUiThread &= wxThread::IsMain();
        if (worker)
            worker->Join(); // never leaves a running thread behind
        ends.push_back(how);
        exitCode = worker ? worker->GetExitCode() : 0;
        worker.reset();
        progress->EndDialog(0);
        return 0;
    }

    CFocusComp* composer = nullptr;
    CFocusProgDialog* progress = nullptr;
    CEvent cancel{FALSE, FALSE};
    std::unique_ptr<CWorkerThread> worker;
    std::vector<int> shown;
    std::vector<WPARAM> failed;
    std::vector<UINT> ends;
    DWORD exitCode = 0;
    bool onUiThread = true;
    bool settled = false;
};

class FocusCompositionGui : public ::testing::Test {
protected:
    void SetUp() override {
        InstallImagingGuiServices();
        frame = new RunFrame;
        frame->Show();
    }
    void TearDown() override {
        CFocusComp::FailAllocationsForTesting(0);
        EXPECT_TRUE(ui::testing::DestroyAndWait(frame));
    }
    // n images; image i is sharp in band i of the picture. `settings` are the series' then.
    std::unique_ptr<CFocusComp> series(int n, int w, int h) {
        auto comp = std::make_unique<CFocusComp>();
        settings = {.width = w, .height = h, .sizeParam = 8};
        for (int i = 0; i < n; ++i) {
            HDIB dib = DibCreateOfKind(w, h, 1);
            {
                GlobalLockGuard lock(dib);
                BYTE* bits = DibGetBits(lock.get());
                const size_t stride = DibStride(w, 24);
                for (int y = 0; y < h; ++y) {
                    bool sharp = (h - 1 - y) * n / h == i;
                    for (int x = 0; x < w * 3; ++x)
                        bits[y * stride + x] = sharp ? (((x / 3 + y) & 1) ? 220 : 30) : 120;
                }
            }
            char name[32];
            std::snprintf(name, sizeof name, "img%03d.bmp", i);
            std::string path = dir / name;
            EXPECT_TRUE(SaveImageFile(dib, path, 3, 75));
            GlobalFree(dib);
            comp->m_FileList.push_back(path);
            comp->m_ZList.push_back(10.0 * i);
        }
        return comp;
    }
    FocusCompSettings settings;
    ScratchFolder dir{"vt-compose-gui"};
    RunFrame* frame = nullptr;
};

TEST_F(FocusCompositionGui, SeriesReachesDoneWithTheExactProgressSequence) {
    auto comp = series(4, 64, 48);
    ASSERT_TRUE(frame->Start(comp.get(), settings));
    ASSERT_TRUE(PumpUntil([&] { return !frame->ends.empty(); }, 20000));
    ASSERT_TRUE(frame->Settle());
    EXPECT_EQ(frame->ends, std::vector<UINT>{WM_WORK_DONE});
    EXPECT_EQ(frame->exitCode, 1u);
    const int step = 1932735276 / 4;
    EXPECT_EQ(frame->shown, (std::vector<int>{step, 2 * step, 3 * step, 4 * step, 4 * step + 107374182,
                                              4 * step + 2 * 107374182, 0x7FFFFFFF}));
    EXPECT_TRUE(frame->onUiThread);
    EXPECT_FALSE(frame->progress->IsShown());
    ASSERT_NE(comp->GetComposite(), nullptr);
    EXPECT_EQ(comp->ImagesAdded(), 4);
    // The frame hands the results on and frees them, then the composer.
    GlobalFree(comp->TakeComposite());
    comp->FreeAll();
    comp->FreeWorkMaps(1);
}

TEST_F(FocusCompositionGui, UnreadableFileIsToldOnTheUiThreadAndSkipped) {
    CScriptedMessageSink sink(IDOK);
    auto comp = series(3, 32, 24);
    std::ofstream(comp->m_FileList[1]) << "BM broken";
    ASSERT_TRUE(frame->Start(comp.get(), settings));
    ASSERT_TRUE(PumpUntil([&] { return !frame->ends.empty(); }, 20000));
    EXPECT_EQ(frame->ends, std::vector<UINT>{WM_WORK_DONE});
    EXPECT_EQ(frame->failed, std::vector<WPARAM>{1});
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::CannotReadData});
    EXPECT_EQ(comp->ImagesAdded(), 2);
}

TEST_F(FocusCompositionGui, CancelMidSeriesEndsAbortedWithNothingKept) {
    CScriptedMessageSink sink(IDOK);
    // Enough images that the click lands while the worker is still adding them, however fast
    // the composer is.
    auto comp = series(160, 320, 240);
    ASSERT_TRUE(frame->Start(comp.get(), settings));
    // Cancel as soon as the first image is reported.
    ASSERT_TRUE(PumpUntil([&] { return !frame->shown.empty(); }, 20000));
    ui::testing::Click(frame->progress->GetDlgItem(IDCANCEL));
    EXPECT_TRUE(frame->progress->IsCancelled());
    ASSERT_TRUE(PumpUntil([&] { return !frame->ends.empty(); }, 20000));
    ASSERT_TRUE(frame->Settle());
    EXPECT_EQ(frame->ends, std::vector<UINT>{WM_WORK_ABORTED});
    EXPECT_EQ(frame->exitCode, static_cast<DWORD>(-1));
    EXPECT_LT(frame->shown.size(), 160u);
    EXPECT_EQ(comp->GetComposite(), nullptr);
    EXPECT_EQ(comp->GetHeightRows(), nullptr);
    EXPECT_EQ(comp->GetIndexRows(), nullptr);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::Cancelled});
}

TEST_F(FocusCompositionGui, LackOfMemoryIsToldWithTheMemoryMessage) {
    CScriptedMessageSink sink(IDOK);
    auto comp = series(3, 32, 24);
    CFocusComp::FailAllocationsForTesting(static_cast<unsigned>(FocusCompStore::HeightRows));
    ASSERT_TRUE(frame->Start(comp.get(), settings));
    ASSERT_TRUE(PumpUntil([&] { return !frame->ends.empty(); }, 20000));
    CFocusComp::FailAllocationsForTesting(0);
    EXPECT_EQ(frame->ends, std::vector<UINT>{WM_WORK_ABORTED});
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::NoMemory});
    EXPECT_EQ(comp->GetComposite(), nullptr);
}

TEST_F(FocusCompositionGui, RefusedSeriesStillEndsThroughTheAbortHandler) {
    CScriptedMessageSink sink(IDOK);
    auto comp = series(2, 16, 16);
    comp->m_ZList.pop_back();
    EXPECT_FALSE(frame->Start(comp.get(), settings));
    ASSERT_TRUE(PumpUntil([&] { return !frame->ends.empty(); }));
    EXPECT_EQ(frame->ends, std::vector<UINT>{WM_WORK_ABORTED});
    EXPECT_TRUE(frame->shown.empty());
}

} // namespace
