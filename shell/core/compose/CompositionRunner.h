// One batch composition of the focus image box at a time: builds the composer from the series,
// runs the composition worker, and ends the run on the worker's messages. The frame forwards
// the worker messages here and shows what the returned message ids say.
#pragma once

#include "imaging/compose/FocusComp.h"
#include "imaging/compose/WorkerMessages.h"
#include "platform/Sync.h"
#include "platform/Thread.h"
#include "platform/WinTypes.h"
#include "shell/core/compose/CompositionRun.h"

#include <atomic>
#include <functional>
#include <memory>

class DocumentSettings;

// What a finished composition hands over. The rows and the composite stay the runner's: the
// receiver copies what it keeps.
struct CompositionResult {
    HDIB composite = nullptr;
    double** heights = nullptr; // OutputHeight rows of OutputWidth
    int** focusIndex = nullptr;
    int width = 0, height = 0;
};

class CompositionRunner {
public:
    enum class Start { Started, Busy, Refused };

    CompositionRunner();
    // Joins a worker still running and frees the composer.
    ~CompositionRunner();
    CompositionRunner(const CompositionRunner&) = delete;
    CompositionRunner& operator=(const CompositionRunner&) = delete;

    // Sets up a composer with the series and the document's microscope and alignment settings
    // and starts the worker, which reports to notify. Busy while one runs; Refused for an empty
    // series (nothing stays busy).
    Start StartRun(const CompositionSeries& series, const CompositionParameters& p,
                   const DocumentSettings& doc, HWND notify);
    bool IsBusy() const { return m_busy; }
    // Progress dialog's cancel: the worker stops at its next check.
    void Cancel();

    // WM_WORK_DONE: joins the worker, hands the result to receive, frees the result and the
    // composer. Not busy afterwards.
    void OnWorkDone(const std::function<void(const CompositionResult&)>& receive);
    // Why a run ended without a result, as the user is told.
    enum class Abort {
        Cancelled,  // message 875
        NoMemory,   // message 876
        Unreadable, // message 9201: the run failed and no unreadable file was reported yet
        Reported,   // the unreadable files were reported one by one: nothing more to say
    };
    // WM_WORK_ABORTED with the worker's reason (wParam): joins the worker (however long it
    // takes) and frees the composer once.
    Abort OnWorkAborted(WPARAM reason = kWorkAbortCancelled);
    // WM_WORK_READ_FAILED: a file of the series could not be read (the frame shows 9201).
    void OnReadFailed() { m_readFailureShown = true; }

private:
    void Finish();

    std::unique_ptr<CFocusComp> m_composer;
    std::unique_ptr<CWorkerThread> m_worker;
    CEvent m_cancel;
    std::atomic<bool> m_cancelRequested{false};
    bool m_busy = false;
    bool m_readFailureShown = false;
};
