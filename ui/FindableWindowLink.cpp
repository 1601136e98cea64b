#include "ui/FindableWindowLink.h"

#include <wx/app.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>

namespace ui {

// What the listener thread and the UI thread share. The listener waits in deliver() until the UI
// thread has run the handler, or until the link closes before the handler started; while the
// handler runs the record's buffer must stay, so the listener keeps waiting then.
struct FindableWindowLink::Shared {
    std::mutex mutex;
    std::condition_variable cv;
    Handler handler;
    FindableWindow window;
    bool closing = false;
    bool handlerRunning = false;
    bool unregisterAfterHandler = false; // the link closed from inside the handler

    struct Job {
        bool started = false;
        bool done = false;
        LRESULT result = 0;
    };

    // Listener thread. Queueing the call for the UI thread allocates inside the toolkit while
    // it holds the lock of its event queue, and a failed allocation there leaves that lock held:
    // the UI thread then waits on it for good. So a record is refused, as when the window is
    // gone, while memory is too short to be sure the queueing can allocate.
    static LRESULT deliver(const std::shared_ptr<Shared>& self, const COPYDATASTRUCT& record) {
        constexpr size_t kQueueingRoom = size_t(4) << 20;
        void* room = std::malloc(kQueueingRoom);
        if (!room)
            return 0;
        std::free(room);
        auto job = std::make_shared<Job>();
        {
            std::lock_guard<std::mutex> lock(self->mutex);
            if (self->closing || !wxTheApp)
                return 0;
            wxTheApp->CallAfter([self, job, record] { self->run(*job, record); });
        }
        std::unique_lock<std::mutex> lock(self->mutex);
        self->cv.wait(lock, [&] { return job->done || (self->closing && !job->started); });
        return job->result;
    }

    // UI thread.
    void run(Job& job, const COPYDATASTRUCT& record) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (closing)
                return;
            job.started = true;
            handlerRunning = true;
        }
        LRESULT result = 0;
        try {
            result = handler ? handler(record) : 0;
        } catch (...) {
            result = 0;
        }
        bool unregister;
        {
            std::lock_guard<std::mutex> lock(mutex);
            job.result = result;
            job.done = true;
            handlerRunning = false;
            unregister = unregisterAfterHandler;
            unregisterAfterHandler = false;
        }
        cv.notify_all();
        if (unregister)
            window.Unregister(); // the listener has its result now and can end
    }
};

FindableWindowLink::FindableWindowLink(wxTopLevelWindow* window, const std::string& className,
                                       Handler handler)
    : window_(window), shared_(std::make_shared<Shared>()) {
    shared_->handler = std::move(handler);
    std::weak_ptr<Shared> weak = shared_;
    // The listener holds the shared part only while it delivers, so that the link's end frees it.
    shared_->window.Register(className, window_->GetTitle().utf8_string(), [weak](const COPYDATASTRUCT& r) {
        auto self = weak.lock();
        return self ? Shared::deliver(self, r) : 0;
    });
    window_->Bind(wxEVT_ACTIVATE, &FindableWindowLink::OnActivate, this);
    window_->Bind(wxEVT_DESTROY, &FindableWindowLink::OnDestroy, this);
}

FindableWindowLink::~FindableWindowLink() {
    if (window_) {
        window_->Unbind(wxEVT_ACTIVATE, &FindableWindowLink::OnActivate, this);
        window_->Unbind(wxEVT_DESTROY, &FindableWindowLink::OnDestroy, this);
    }
    Close();
}

bool FindableWindowLink::IsRegistered() const {
    return shared_->window.IsRegistered();
}

void FindableWindowLink::SetTitle(const wxString& title) {
    if (window_)
        window_->SetTitle(title);
    shared_->window.SetTitle(title.utf8_string());
}

void FindableWindowLink::OnActivate(wxActivateEvent& ev) {
    ev.Skip();
    if (ev.GetActive())
        shared_->window.ReportActivation();
}

void FindableWindowLink::OnDestroy(wxWindowDestroyEvent& ev) {
    ev.Skip();
    if (ev.GetEventObject() != window_)
        return; // a child window
    window_ = nullptr;
    Close();
}

void FindableWindowLink::Close() {
    bool inHandler;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        if (shared_->closing)
            return;
        shared_->closing = true;
        // Closed from inside the handler (further up this thread's stack): the listener waits
        // for that handler, so it is joined when the handler has returned.
        inHandler = shared_->handlerRunning;
        shared_->unregisterAfterHandler = inHandler;
    }
    shared_->cv.notify_all();
    if (!inHandler)
        shared_->window.Unregister();
}

} // namespace ui
