#include "browser/core/ThumbnailLoader.h"

#include "browser/core/ThumbnailCache.h"
#include "platform/ProgramHelpers.h"

CCriticalSection& ImageDataLock() {
    return GetProgramCriticalSection();
}

CThumbnailLoader::CThumbnailLoader(ThumbLoaderSink& sink) : sink_(sink) {}

CThumbnailLoader::~CThumbnailLoader() {
    Stop();
}

void CThumbnailLoader::Start(LoaderPass pass) {
    Stop();
    pass_ = std::move(pass);
    failed_.clear();
    loaded_ = 0;
    stop_.ResetEvent();
    thread_ = std::make_unique<CWorkerThread>([this] { return Run(); });
    thread_->Resume();
}

void CThumbnailLoader::Stop() {
    if (!thread_)
        return;
    stop_.SetEvent();
    Join();
}

void CThumbnailLoader::Join() {
    if (thread_)
        thread_->Join();
    thread_.reset();
}

bool CThumbnailLoader::IsRunning() const {
    return thread_ && thread_->IsRunning();
}

DWORD CThumbnailLoader::Run() {
    const LPARAM gen = pass_.generation;
    auto stopped = [&] {
        sink_.Post(WM_THUMB_PASS_STOPPED, 1, gen);
        return DWORD(-1);
    };
    CImageDataMap& map = *pass_.map;

    // First walk: a record for every item; stale cache files go.
    for (const LoaderItem& item : pass_.items) {
        std::this_thread::yield();
        if (!item.placeholder) {
            CSingleLock lock(&ImageDataLock(), TRUE);
            auto it = map.find(item.path);
            if (it != map.end()) {
                if (RemoveStaleThumbnailCache(item.path))
                    it->second->SetThumbnail(nullptr);
            } else {
                auto record = std::make_unique<CMyImageData>();
                record->SetPath(item.path);
                map[item.path] = std::move(record);
            }
        }
        if (StopAsked())
            return stopped();
    }

    // Second walk: thumbnails.
    for (const LoaderItem& item : pass_.items) {
        if (StopAsked())
            return stopped();
        if (item.placeholder) {
            sink_.Post(WM_THUMB_READY, WPARAM(item.position), gen);
            continue;
        }
        bool needed = false;
        {
            CSingleLock lock(&ImageDataLock(), TRUE);
            auto it = map.find(item.path);
            if (it == map.end())
                continue;
            needed = it->second->GetThumbnail() == nullptr;
        }
        if (needed) {
            std::unique_ptr<CMyThumbnl> thumb = LoadThumbnail(item.path, pass_.maxSide, pass_.ignoreCache);
            if (StopAsked())
                return stopped();
            if (!thumb) {
                failed_.push_back(item.position);
                continue;
            }
            ++loaded_;
            CSingleLock lock(&ImageDataLock(), TRUE);
            auto it = map.find(item.path);
            if (it == map.end())
                continue;
            CMyImageData& record = *it->second;
            if (!record.GetThumbnail()) { // another list's loader may have been first
                record.m_cacheValue1 = thumb->m_cacheValue1;
                record.m_cacheValue2 = thumb->m_cacheValue2;
                record.m_cacheValue3 = thumb->m_cacheValue3;
                record.SetThumbnail(std::move(thumb));
            }
        }
        sink_.Post(WM_THUMB_READY, WPARAM(item.position), gen);
    }
    if (StopAsked())
        return stopped();
    sink_.Post(WM_THUMB_PASS_DONE, 0, gen);
    return 0;
}
