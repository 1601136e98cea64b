// The roles of the eight panes of a 3D document frame. The 3D screen shows the image over the
// contour image on the left, the 3D view beside them and the slice image and the area graph
// below; the measurement screen shows its image beside the measurement image over the profile
// graph. A role is also the number of its pane's file in a split save.
#pragma once

#include "viewer3d/core/data/ScreenMode.h"

namespace brx {

enum PaneRole : int {
    kPaneImage = 0,        // the image of the 3D screen
    kPaneContour = 1,      // the contour image
    kPaneSlice = 2,        // the black-and-white slice image
    kPane3d = 3,           // the 3D view
    kPaneAreaGraph = 4,    // the area and perimeter graph
    kPaneMeasureImage = 5, // the image of the measurement screen
    kPaneAnalysis = 6,     // the measurement image with the measuring line
    kPaneProfileGraph = 7, // the profile graph of the measuring line
};

inline constexpr int kPaneRoleCount = 8;

// The image pane of a screen: the one the image commands copy and the idle tick goes to.
inline PaneRole ImagePaneOf(v3d::ScreenMode screen) {
    return screen == v3d::kScreenMeasure ? kPaneMeasureImage : kPaneImage;
}

} // namespace brx
