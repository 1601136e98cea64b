#include "imaging/FocusCompWorker.h"

#include "imaging/FocusComp.h"
#include "imaging/ProgramHelpers.h"

#include <future>
#include <system_error>
#include <vector>

namespace {

bool cancelled(CEvent* cancel) {
    return cancel && cancel->Wait(0) == WAIT_OBJECT_0;
}

void report(HWND notify, UINT position) {
    PumpOneMessage(nullptr); // a no-op on this thread; kept for the UI-thread callers' sake
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

// One file of the series as the reader left it.
struct ReadFile {
    ImageFileRead read = ImageFileRead::Unreadable;
    HDIB image = nullptr;
};

ReadFile readFile(const std::string& path) {
    ReadFile r;
    int type = 0;
    r.read = ReadSeriesImageFile(path, &r.image, &type);
    if (r.read != ImageFileRead::Read)
        r.image = nullptr;
    return r;
}

// Reads the file on a thread of its own; where no thread can be had, when it is asked for.
std::future<ReadFile> readAhead(const std::string& path) {
    try {
        return std::async(std::launch::async, readFile, path);
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, readFile, path);
    }
}

// Waits for a file still being read and frees its image.
void dropRead(std::future<ReadFile>& next) {
    if (!next.valid())
        return;
    const ReadFile r = next.get();
    if (r.image)
        GlobalFree(r.image);
}

UINT aborted(CFocusComp* comp, HWND notify, int afterCompose) {
    if (comp)
        freeBuilt(comp, afterCompose);
    PostMessage(notify, WM_WORK_ABORTED, 1, 0);
    return static_cast<UINT>(-1);
}

} // namespace

UINT FocusCompThreadProc(LPVOID param) {
    auto* block = static_cast<FocusCompThreadBlock*>(param);
    CFocusComp* comp = block->composer;
    HWND notify = block->notifyWindow;
    CEvent* cancel = block->cancelEvent;
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

    if (!comp->AllocMaps() || cancelled(cancel))
        return aborted(comp, notify, 0);
    comp->ClearMaxMap();
    if (cancelled(cancel))
        return aborted(comp, notify, 0);
    comp->ClearIndexMap();
    if (cancelled(cancel))
        return aborted(comp, notify, 0);
    comp->ClearWeightMap();
    if (cancelled(cancel))
        return aborted(comp, notify, 0);

    // Z values of the images the engine took, in their order: a file that could not be read is
    // skipped together with its Z value.
    std::vector<double> z;
    z.reserve(count);
    const UINT step = kFocusCompStep / static_cast<UINT>(count);
    UINT p = 0;
    // The next file is read while the current image is composed; the messages keep the order
    // of the files, and the worker thread alone posts them.
    std::future<ReadFile> next = readAhead(comp->m_FileList[0]);
    for (size_t i = 0; i < count; ++i) {
        const ReadFile cur = next.get();
        if (i + 1 < count)
            next = readAhead(comp->m_FileList[i + 1]);
        if (cur.read == ImageFileRead::Read) {
            if (comp->AddImage(cur.image))
                z.push_back(comp->m_ZList[i]);
            else
                PostMessage(notify, WM_WORK_READ_FAILED, i, 0);
            GlobalFree(cur.image);
        } else if (cur.read == ImageFileRead::Unreadable) {
            PostMessage(notify, WM_WORK_READ_FAILED, i, 0);
        }
        p += step;
        report(notify, p);
        if (cancelled(cancel)) {
            dropRead(next);
            return aborted(comp, notify, 0);
        }
    }
    // Without a single image there is nothing to hand over.
    if (z.empty())
        return aborted(comp, notify, 0);

    comp->SetZValues(z.data(), static_cast<int>(z.size()));
    p += kFocusCompStageStep;
    report(notify, p);
    if (cancelled(cancel))
        return aborted(comp, notify, 0);

    comp->BuildHeightMap();
    BOOL composed = comp->Compose();
    p += kFocusCompStageStep;
    report(notify, p);
    if (!composed || cancelled(cancel))
        return aborted(comp, notify, 1);

    report(notify, kFocusCompEnd);
    if (cancelled(cancel))
        return aborted(comp, notify, 1);

    PostMessage(notify, WM_WORK_DONE, 0, 0);
    return 1;
}

FocusCompStart StartFocusCompWorker(CFocusComp* composer, HWND notify, CEvent* cancel,
                                    std::unique_ptr<CWorkerThread>& thread) {
    thread.reset();
    FocusCompStart why = FocusCompStart::Started;
    if (!composer || composer->m_FileList.empty())
        why = FocusCompStart::EmptyFileList;
    else if (composer->m_ZList.size() < composer->m_FileList.size())
        why = FocusCompStart::ShortZList;
    if (why == FocusCompStart::Started) {
        auto* block = new FocusCompThreadBlock{composer, notify, cancel};
        auto worker = std::make_unique<CWorkerThread>(&FocusCompThreadProc, block);
        if (worker->Resume()) {
            thread = std::move(worker);
            return why;
        }
        delete block; // the thread never ran, so the block is still ours
        why = FocusCompStart::NoThread;
    }
    PostMessage(notify, WM_WORK_ABORTED, 1, 0);
    return why;
}
