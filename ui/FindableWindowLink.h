// Makes a top-level window findable by other processes (platform/FindableWindow.h) for as long as
// the link and the window exist, and hands the records sent to it to the window on the UI thread.
//
//     CMainFrame::CMainFrame() : ..., m_findable(this, "BrelvoxaMain",
//             [this](const COPYDATASTRUCT& r) { return OnCopyData(nullptr, &r); }) {}
//
// The window is found by the class name given here and by its title, which changes through
// SetTitle. Activating the window puts it first in the activation order. Records arrive on the
// UI thread, one at a time; the record's bytes are valid during the handler call only. Once the
// window or the link is destroyed no handler runs, and a sender still waiting gets a failure or 0.
#pragma once

#include "platform/FindableWindow.h"

#include <wx/event.h>
#include <wx/toplevel.h>

#include <functional>
#include <memory>
#include <string>

namespace ui {

class FindableWindowLink {
public:
    using Handler = std::function<LRESULT(const COPYDATASTRUCT&)>;

    // Registers the window with its current title. A failed registration leaves the window
    // working but unfindable (IsRegistered is false).
    FindableWindowLink(wxTopLevelWindow* window, const std::string& className, Handler handler);
    ~FindableWindowLink();
    FindableWindowLink(const FindableWindowLink&) = delete;
    FindableWindowLink& operator=(const FindableWindowLink&) = delete;

    bool IsRegistered() const;
    // Sets the window's title and the title other processes find it by.
    void SetTitle(const wxString& title);

private:
    struct Shared;
    void OnActivate(wxActivateEvent& ev);
    void OnDestroy(wxWindowDestroyEvent& ev);
    void Close();

    wxTopLevelWindow* window_;
    std::shared_ptr<Shared> shared_;
};

} // namespace ui
