#include "shell/core/compose/CompositionRunner.h"

#include "imaging/compose/FocusCompWorker.h"
#include "shell/core/settings/DocumentSettings.h"

CompositionRunner::CompositionRunner() : m_cancel(FALSE, FALSE) {}

CompositionRunner::~CompositionRunner() {
    if (m_worker) {
        m_cancel.SetEvent();
        m_worker->Join();
    }
}

CompositionRunner::Start CompositionRunner::StartRun(const CompositionSeries& series,
                                                     const CompositionParameters& p,
                                                     const DocumentSettings& doc, HWND notify) {
    if (m_busy)
        return Start::Busy;
    if (series.files.empty() || series.z.size() < series.files.size() || series.width <= 0 ||
        series.height <= 0)
        return Start::Refused;
    auto composer = std::make_unique<CFocusComp>();
    composer->m_FileList = series.files;
    composer->m_ZList = series.z;
    FocusCompSettings settings = CompositionSettings(&doc, series.width, series.height, p.sizeParameter);
    settings.alignment.on = doc.m_autoPos != 0;
    settings.alignment.matchCount = doc.m_areaNo;
    for (size_t i = 0; i < settings.alignment.points.size(); ++i)
        settings.alignment.points[i] = POINT{doc.m_iniCompPos[2 * i], doc.m_iniCompPos[2 * i + 1]};
    settings.coarse = {p.coarseGrid != 0, p.reducedWidth};
    m_cancel.ResetEvent();
    m_cancelRequested = false;
    m_readFailureShown = false;
    m_busy = true;
    m_composer = std::move(composer);
    // A worker that does not start posts WM_WORK_ABORTED itself, so the usual end runs.
    StartFocusCompWorker(m_composer.get(), settings, notify, &m_cancel, m_worker);
    return Start::Started;
}

void CompositionRunner::Cancel() {
    m_cancelRequested = true;
    m_cancel.SetEvent();
}

void CompositionRunner::Finish() {
    if (m_worker) {
        m_worker->Join();
        m_worker.reset();
    }
    m_busy = false;
}

void CompositionRunner::OnWorkDone(const std::function<void(const CompositionResult&)>& receive) {
    Finish();
    if (!m_composer)
        return;
    CompositionResult r;
    r.composite = m_composer->TakeComposite();
    r.heights = m_composer->GetHeightRows();
    r.focusIndex = m_composer->GetMaxRows();
    r.width = m_composer->OutputWidth();
    r.height = m_composer->OutputHeight();
    if (receive)
        receive(r);
    if (r.composite)
        GlobalFree(r.composite);
    m_composer->FreeAll();
    m_composer->FreeWorkMaps(1);
    m_composer.reset();
}

CompositionRunner::Abort CompositionRunner::OnWorkAborted(WPARAM reason) {
    Finish();
    Abort message = Abort::Reported;
    if (m_cancelRequested)
        message = Abort::Cancelled;
    else if (reason == kWorkAbortNoMemory ||
             (m_composer && m_composer->LastError() == FocusCompError::NoMemory))
        message = Abort::NoMemory;
    else if (!m_readFailureShown)
        message = Abort::Unreadable;
    if (m_composer) {
        if (HDIB composite = m_composer->TakeComposite())
            GlobalFree(composite);
        m_composer.reset();
    }
    m_cancelRequested = false;
    return message;
}
