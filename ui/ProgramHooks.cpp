#include "ui/ProgramHooks.h"

#include "ui/PrivateMessages.h"
#include "ui/ResourceWidgets.h"

#include <wx/anybutton.h>
#include <wx/app.h>
#include <wx/thread.h>

#include <map>

#include <glib.h>

namespace ui {

void PumpOneMessageImpl(HWND) {
    if (!wxThread::IsMain() || !wxTheApp)
        return;
    MessagePumpScope pumping;
    // One non-blocking round of the main context: the window events that are ready now. (The
    // event loop's Dispatch would wait for an event when the one it saw pending was taken by
    // someone else first.)
    g_main_context_iteration(nullptr, FALSE);
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
