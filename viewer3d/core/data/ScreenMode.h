// The two screens a 3D document is shown on. The document keeps the one its frame shows; the
// frame's panes, the main frame's panel and menu, the region pair the image pane cuts into and
// the printed report follow it.
#pragma once

namespace v3d {

enum ScreenMode : int {
    kScreen3d = 0,      // the 3D view beside the image, contour and slice panes and the area graph
    kScreenMeasure = 1, // the measurement image with its measuring line and the profile graph
};

} // namespace v3d
