#include "ui/ProgramHooks.h"

#include "ui/PrivateMessages.h"
#include "ui/ResourceWidgets.h"

#include <wx/anybutton.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/thread.h>

#include <map>

namespace ui {

void PumpOneMessageImpl(HWND) {
    if (!wxThread::IsMain() || !wxTheApp)
        return;
    MessagePumpScope pumping;
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
        if (loop->Pending())
            loop->Dispatch();
    }
    wxTheApp->ProcessPendingEvents();
    DeliverQueuedMessages();
}

void* SetButtonIconImpl(HWND handle, UINT iconId) {
    auto* button = dynamic_cast<wxAnyButton*>(WindowFromHandle(handle));
    if (!button)
        return nullptr;
    wxBitmap icon = LoadIconResource(static_cast<int>(iconId));
    if (!icon.IsOk())
        return nullptr;
    // The previous image stays alive here, keyed by the button's handle.
    static std::map<HWND, wxBitmap> previous;
    wxBitmap before = button->GetBitmap();
    button->SetBitmap(icon);
    if (!before.IsOk()) {
        previous.erase(handle);
        return nullptr;
    }
    previous[handle] = before;
    return &previous[handle];
}

} // namespace ui
