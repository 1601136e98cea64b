// Which window of the program the screen shows at a point, as the X server stacks the windows:
// a top-level that is hidden, minimised or covered by another window there does not count.
#pragma once

#include <wx/gdicmn.h>

class wxWindow;

// The deepest shown window of this program under the screen point, or null when the window
// the screen shows there is another program's, or nothing is there.
wxWindow* WindowShownAt(const wxPoint& screen);
