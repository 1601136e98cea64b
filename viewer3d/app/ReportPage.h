// The printed report page of a 3D document frame: the header with the data name and the cells of
// the shown screen, each drawn by the pane that shows it on the screen. 3D screen: image, contour,
// slice, 3D and area graph; measurement screen: measurement image, profile image with the
// measuring overlay, profile graph and the measured results. Text is sized once for the page's
// resolution: 9 points on paper.
#pragma once

#include "viewer3d/measure/core/ImageGeometry.h"

#include <array>

class wxDC;

namespace brx {

class CView3dFrm;

struct ReportPage {
    v3d::image::PrintPageMetrics metrics;
    v3d::image::ReportCells cells;
    std::array<bool, 5> drawn{}; // per cell: its pane or picture drew into it
};

// Draws the page of the frame's current screen on a device context of pageWidth x pageHeight
// device pixels at dpiX x dpiY.
ReportPage PrintReportPage(CView3dFrm* frame, wxDC& dc, int pageWidth, int pageHeight, int dpiX, int dpiY);

} // namespace brx

