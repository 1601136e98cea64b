// The composition of a series of image files on a worker thread. The starter fills a
// CFocusComp's file list and Z list, starts the worker with StartFocusCompWorker and the
// series' settings, and keeps the thread; the worker starts the engine's series itself (so
// that memory short for the maps ends the run like any other lack of memory), reports to the
// notify window by posted messages only (imaging/compose/WorkerMessages.h) and stops when the
// cancel event is set.
//
// Progress: each file of the list adds 1932735276 / n, the Z hand-over and the height map
// 107374182 each, and the last report is exactly 0x7FFFFFFF, always before WM_WORK_DONE.
//
// Messages of a run, in order: WM_WORK_PROGRESS after every file and stage; WM_WORK_READ_FAILED
// (wParam: the file's index) for a file that is no readable image or has another size or depth
// than the series (the notify window shows 9201; the run goes on without it and its Z value);
// then exactly one end: WM_WORK_DONE, or WM_WORK_ABORTED with wParam kWorkAbortCancelled
// (cancel, refusal, nothing readable: the notify window shows 875) or kWorkAbortNoMemory (the
// maps, an image, the heights or the cut lacked memory: it shows 876 instead). WM_WORK_DONE
// comes only with the composite, the height rows and the best-focus rows all present.
// The files are read ahead by a CFocusCompSeriesReader into reused bitmaps.
//
// Ownership: the composer and the cancel event stay with the starter. After WM_WORK_DONE the
// composer holds the composite, the height rows and the best-focus rows for the notify window.
// After WM_WORK_ABORTED it holds nothing: the worker has freed whatever it built, the composite
// included, so the starter only deletes the composer. The starter joins the thread before it
// touches the composer (the worker posts its end message as its last act, so the join is short).
#pragma once

#include "imaging/compose/FocusCompSettings.h"
#include "imaging/compose/WorkerMessages.h"
#include "imaging/files/ImageFileDecodeInto.h"
#include "platform/GlobalMemory.h"
#include "platform/Sync.h"
#include "platform/Thread.h"
#include "platform/WinTypes.h"

#include <memory>
#include <string>

class CFocusComp;

constexpr UINT kFocusCompStep = 1932735276u;     // 90 % of the range, shared by the images
constexpr UINT kFocusCompStageStep = 107374182u; // 5 % for the Z values and for the height map
constexpr UINT kFocusCompEnd = 0x7FFFFFFFu;

// Argument block of FocusCompThreadProc, allocated with new by the starter and deleted by the
// worker as its first action.
struct FocusCompThreadBlock {
    CFocusComp* composer = nullptr; // holding the file list and the Z list
    HWND notifyWindow = nullptr;    // receives the worker messages
    CEvent* cancelEvent = nullptr;  // signalled means cancel
    FocusCompSettings settings{};   // the series the worker starts the composer with
};

// The worker: 1 after WM_WORK_DONE, (UINT)-1 after WM_WORK_ABORTED.
UINT FocusCompThreadProc(LPVOID block);

enum class FocusCompStart {
    Started,
    EmptyFileList, // nothing to compose
    ShortZList,    // fewer Z values than files
    NoThread,      // the system gave no thread
};

// Checks the series, then creates the worker suspended and resumes it. When it does not start,
// WM_WORK_ABORTED(1, 0) is posted to the notify window (so the starter's usual end handling
// runs) and thread stays empty.
FocusCompStart StartFocusCompWorker(CFocusComp* composer, const FocusCompSettings& settings,
                                    HWND notifyWindow, CEvent* cancelEvent,
                                    std::unique_ptr<CWorkerThread>& thread);

// Reads one file of a series by the format of its name (string-table entries 512-515); shows
// nothing, so it may run on any thread. image is null unless the result is Read.
ImageFileRead ReadSeriesImageFile(const std::string& path, HDIB* image, int* imageType);
