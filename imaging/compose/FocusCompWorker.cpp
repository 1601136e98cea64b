#include "imaging/compose/FocusCompWorker.h"

#include "imaging/compose/FocusComp.h"
#include "imaging/compose/FocusCompSeriesReader.h"
#include "imaging/compose/PlaneKernels.h"
#include "platform/ProgramHelpers.h"

#include <thread>
#include <vector>

namespace {

bool cancelled(CEvent* cancel) {
    return cancel && cancel->Wait(0) == WAIT_OBJECT_0;
}

void report(HWND notify, UINT position) {
    PostMessage(notify, WM_WORK_PROGRESS, position, 0);
}

// Frees what the engine built so far, the composite included, so that the composer holds
// nothing after an abort.
void freeBuilt(CFocusComp* comp, int afterCompose) {
    comp->FreeAll();
    comp->FreeWorkMaps(afterCompose);
    if (HDIB composite = comp->TakeComposite())
        GlobalFree(composite);
}

UINT aborted(CFocusComp* comp, HWND notify, int afterCompose, WPARAM why = kWorkAbortCancelled) {
    if (comp)
        freeBuilt(comp, afterCompose);
    PostMessage(notify, WM_WORK_ABORTED, why, 0);
    return static_cast<UINT>(-1);
}

// Why a failed engine step ends the run: lack of memory, or (a refusal the run does not
// expect) the usual end.
WPARAM failure(const CFocusComp* comp) {
    return comp->LastError() == FocusCompError::NoMemory ? kWorkAbortNoMemory : kWorkAbortCancelled;
}

} // namespace

UINT FocusCompThreadProc(LPVOID param) {
    auto* block = static_cast<FocusCompThreadBlock*>(param);
    CFocusComp* comp = block->composer;
    HWND notify = block->notifyWindow;
    CEvent* cancel = block->cancelEvent;
    const FocusCompSettings settings = block->settings;
    delete block;
    if (!comp)
        return aborted(nullptr, notify, 0);

    // A composite left from an earlier use belongs to the engine and goes now.
    if (HDIB old = comp->TakeComposite())
        GlobalFree(old);

    const size_t count = comp->m_FileList.size();
    if (count == 0 || comp->m_ZList.size() < count)
        return aborted(comp, notify, 0);
    comp->m_nImageCount = static_cast<int>(count);

    if (!comp->StartSeries(settings))
        return aborted(comp, notify, 0, failure(comp));
    if (cancelled(cancel))
        return aborted(comp, notify, 0);

    // Z values of the images the engine took, in their order: a file that could not be read is
    // skipped together with its Z value.
    std::vector<double> z;
    z.reserve(count);
    const UINT step = kFocusCompStep / static_cast<UINT>(count);
    UINT p = 0;
    {
        // The next files are decoded while the current image is composed; the messages keep
        // the order of the files, and the worker thread alone posts them. The images are
        // composed on the cores the decoders leave: more threads would only take turns with them.
        const unsigned cores = std::thread::hardware_concurrency();
        const int decoders = CFocusCompSeriesReader::DecodersFor(cores, comp->m_FileList);
        const planes::ScopedThreadCount composers(CFocusCompSeriesReader::ComposersFor(cores, decoders));
        CFocusCompSeriesReader reader(comp->m_FileList, decoders);
        // While the first file is decoded, the engine readies its buffers (should memory be
        // short, the first image meets it again and the run ends there).
        comp->PrepareImages();
        for (size_t i = 0; i < count; ++i) {
            const CFocusCompSeriesReader::Frame cur = reader.Next();
            bool noMemory = cur.read == ImageFileRead::NoMemory;
            if (cur.read == ImageFileRead::Read) {
                if (comp->AddImage(cur.image))
                    z.push_back(comp->m_ZList[i]);
                else if (comp->LastError() == FocusCompError::NoMemory)
                    noMemory = true;
                else
                    PostMessage(notify, WM_WORK_READ_FAILED, i, 0); // another size or depth
                reader.Release(cur.image);
            } else if (cur.read == ImageFileRead::Unreadable) {
                PostMessage(notify, WM_WORK_READ_FAILED, i, 0);
            }
            // Without memory for an image the series cannot be composed as asked: the run
            // ends instead of handing over a result that leaves images out.
            if (noMemory)
                return aborted(comp, notify, 0, kWorkAbortNoMemory);
            p += step;
            report(notify, p);
            if (cancelled(cancel))
                return aborted(comp, notify, 0);
        }
    } // the frames are freed before the height map needs its memory; the heights take every core
    // Without a single image there is nothing to hand over.
    if (z.empty())
        return aborted(comp, notify, 0);

    comp->SetZValues(z.data(), static_cast<int>(z.size()));
    p += kFocusCompStageStep;
    report(notify, p);
    if (cancelled(cancel))
        return aborted(comp, notify, 0);

    // The heights are part of the result: without them nothing is handed over.
    if (!comp->BuildHeightMap())
        return aborted(comp, notify, 0, failure(comp));
    if (!comp->Compose())
        return aborted(comp, notify, 0, failure(comp));
    p += kFocusCompStageStep;
    report(notify, p);
    if (cancelled(cancel))
        return aborted(comp, notify, 1);

    report(notify, kFocusCompEnd);
    if (cancelled(cancel))
        return aborted(comp, notify, 1);

    if (!comp->GetComposite() || !comp->GetHeightRows() || !comp->GetMaxRows())
        return aborted(comp, notify, 1);
    PostMessage(notify, WM_WORK_DONE, 0, 0);
    return 1;
}

FocusCompStart StartFocusCompWorker(CFocusComp* composer, const FocusCompSettings& settings, HWND notify,
                                    CEvent* cancel, std::unique_ptr<CWorkerThread>& thread) {
    thread.reset();
    FocusCompStart why = FocusCompStart::Started;
    if (!composer || composer->m_FileList.empty())
        why = FocusCompStart::EmptyFileList;
    else if (composer->m_ZList.size() < composer->m_FileList.size())
        why = FocusCompStart::ShortZList;
    if (why == FocusCompStart::Started) {
        auto* block = new FocusCompThreadBlock{composer, notify, cancel, settings};
        auto worker = std::make_unique<CWorkerThread>(&FocusCompThreadProc, block);
        if (worker->Resume()) {
            thread = std::move(worker);
            return why;
        }
        delete block; // the thread never ran, so the block is still ours
        why = FocusCompStart::NoThread;
    }
    PostMessage(notify, WM_WORK_ABORTED, kWorkAbortCancelled, 0);
    return why;
}
