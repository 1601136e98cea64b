#include "shell/MenuIdGuard.h"

#include <wx/string.h>

namespace {
wxAssertHandler_t g_previous = nullptr;

void PassMenuIdRange(const wxString& file, int line, const wxString& func, const wxString& cond,
                     const wxString& msg) {
    if (msg.Contains("invalid itemid value"))
        return;
    if (g_previous)
        g_previous(file, line, func, cond, msg);
}
} // namespace

MenuIdGuard::MenuIdGuard() {
    m_previous = wxSetAssertHandler(&PassMenuIdRange);
    g_previous = m_previous;
}

MenuIdGuard::~MenuIdGuard() {
    wxSetAssertHandler(m_previous);
    g_previous = nullptr;
}
