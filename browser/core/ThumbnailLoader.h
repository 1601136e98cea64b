// The thumbnail loader of one browser list: a worker thread that makes a thumbnail for every item
// of a pass and reports to its list by posting messages through a sink.
//
// The loader works on a copy of the list's items taken when the pass starts (path, position,
// placeholder or not) and never touches the list; the list stops and joins the loader before it
// changes its items. Every message carries the pass number in lParam so that a list can ignore
// messages of a pass it has already left:
//   WM_THUMB_READY (wParam = the item's position)   the item's record holds a thumbnail (or the
//                                                   item is the placeholder)
//   WM_THUMB_PASS_DONE (wParam 0)                   the pass ended
//   WM_THUMB_PASS_STOPPED (wParam 1)                Stop ended the pass
// First walk: every item gets its image record in the document's map (made when missing); a
// cache file older or newer than its image is removed and the record's thumbnail dropped. Second
// walk: records without a thumbnail get one (LoadThumbnail). Map lookups, record creation and
// attaching a thumbnail happen under the program-wide lock; decoding runs outside it and the
// record is checked again before the thumbnail is attached, so a record never gets two.
#pragma once

#include "browser/core/BrowserMessages.h"
#include "imaging/bitmaps/MyImageData.h"
#include "platform/Sync.h"
#include "platform/Thread.h"

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

using CImageDataMap = std::map<std::string, std::unique_ptr<CMyImageData>>;

// The lock that guards the document's image map and its records' thumbnails.
CCriticalSection& ImageDataLock();

class ThumbLoaderSink {
public:
    virtual ~ThumbLoaderSink() = default;
    // Called on the loader's thread.
    virtual void Post(UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

struct LoaderItem {
    std::string path;
    int position = 0;
    bool placeholder = false;
};

struct LoaderPass {
    std::vector<LoaderItem> items;
    CImageDataMap* map = nullptr;
    int generation = 0;
    bool ignoreCache = false; // the folder tree's refresh: decode and rewrite every cache file
    int maxSide = 192;
};

class CThumbnailLoader {
public:
    explicit CThumbnailLoader(ThumbLoaderSink& sink);
    ~CThumbnailLoader();
    CThumbnailLoader(const CThumbnailLoader&) = delete;
    CThumbnailLoader& operator=(const CThumbnailLoader&) = delete;

    // Starts a pass (a running one is stopped and joined first).
    void Start(LoaderPass pass);
    // Asks the pass to stop (seen within one thumbnail) and waits for the thread.
    void Stop();
    // Asks the pass to stop without waiting.
    void RequestStop() { stop_.SetEvent(); }
    // Waits for the thread to end.
    void Join();
    bool IsRunning() const;

    // After Join: positions of the items whose image gave no thumbnail, and the number of
    // images decoded or read from the cache by this pass.
    const std::vector<int>& FailedPositions() const { return failed_; }
    int LoadedCount() const { return loaded_; }

private:
    DWORD Run();
    bool StopAsked() { return stop_.Wait(0) == WAIT_OBJECT_0; }

    ThumbLoaderSink& sink_;
    LoaderPass pass_;
    CEvent stop_{FALSE, TRUE};
    std::unique_ptr<CWorkerThread> thread_;
    std::vector<int> failed_;
    int loaded_ = 0;
};
