#include "viewer/WideIdGuard.h"

#include <wx/string.h>

namespace {

wxAssertHandler_t g_previous = nullptr;

void PassWideIds(const wxString& file, int line, const wxString& func, const wxString& cond,
                 const wxString& msg) {
    if (msg.Contains("invalid itemid value") || msg.Contains("invalid id value"))
        return;
    if (g_previous)
        g_previous(file, line, func, cond, msg);
}

} // namespace

WideIdGuard::WideIdGuard() {
    m_previous = wxSetAssertHandler(&PassWideIds);
    g_previous = m_previous;
}

WideIdGuard::~WideIdGuard() {
    wxSetAssertHandler(m_previous);
    g_previous = nullptr;
}
