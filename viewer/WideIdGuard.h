// The result window's menu and tool bar use command ids above the 0x7FFF that wx checks menu
// item and window ids against (a limit of 16-bit ids elsewhere; GTK keeps the full int and
// delivers it in the events). While the object lives, those two range checks are let pass;
// every other assertion goes to the handler installed before.
#pragma once

#include <wx/debug.h>

class WideIdGuard {
public:
    WideIdGuard();
    ~WideIdGuard();
    WideIdGuard(const WideIdGuard&) = delete;
    WideIdGuard& operator=(const WideIdGuard&) = delete;

private:
    wxAssertHandler_t m_previous;
};
