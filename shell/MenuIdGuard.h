// The command ids of the program's menus run up to 57665, above the 0x7FFF that wx checks menu
// item ids against (a limit of the 16-bit ids of another platform; GTK keeps the full int and
// delivers it in the command event). While the object lives, that one check is let pass; every
// other assertion goes to the handler installed before.
#pragma once

#include <wx/debug.h>

class MenuIdGuard {
public:
    MenuIdGuard();
    ~MenuIdGuard();
    MenuIdGuard(const MenuIdGuard&) = delete;
    MenuIdGuard& operator=(const MenuIdGuard&) = delete;

private:
    wxAssertHandler_t m_previous;
};
