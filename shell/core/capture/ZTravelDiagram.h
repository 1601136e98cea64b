// The geometry of the Z travel diagram of the automatic panel: a vertical bar with end ticks, a
// line at Z = 0, a mark (triangle pointing left, at the bar's right side) per capture position and
// a mark (pointing right, at its left side) for the current Z. Larger Z values are drawn higher.
// All values are in the diagram's coordinate (ZPositionRule.h); rectangles are in client pixels,
// right and bottom exclusive.
#pragma once

#include <optional>
#include <vector>

struct DiagramRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const DiagramRect&) const = default;
};

struct DiagramPoint {
    int x = 0, y = 0;
    bool operator==(const DiagramPoint&) const = default;
};

struct DiagramTriangle {
    DiagramPoint tip, first, second;
};

struct ZTravelDiagramGeometry {
    DiagramRect bar;                       // white with a black outline
    DiagramRect topTick, bottomTick;       // black, one pixel high
    std::optional<DiagramRect> zeroLine;   // black; absent when Z = 0 lies outside the bar
    std::vector<DiagramTriangle> captures; // red, one per position
    DiagramTriangle current;               // green
};

// The diagram in a client rectangle for the current Z and the capture positions. With no
// positions the current mark stands at the bottom end. When every value is the same (no span)
// the marks stand at the middle of the bar, and the zero line there too when that value is 0.
ZTravelDiagramGeometry ComputeZTravelDiagram(const DiagramRect& client, double current,
                                             const std::vector<double>& positions);
