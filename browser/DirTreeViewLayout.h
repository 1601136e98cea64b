// The folder tree's pane width beside the top menu bar: when the pane (width) would reach under
// the top menu's control 954 (left edge left954) once the offset d = right829 - right825 is added,
// the pane gets left954 - d - 30 (at least 0); -1 keeps the width.
#pragma once

#include <algorithm>

inline int PaneWidthForTopMenu(int width, int right825, int right829, int left954) {
    const int d = right829 - right825;
    if (width + d > left954 - 30)
        return std::max(0, left954 - d - 30);
    return -1;
}
