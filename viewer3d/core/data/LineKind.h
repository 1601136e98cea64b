// The kinds of measuring line a 3D document's profile is taken along. The measurement state
// keeps a line position and its fixed flag per kind, and the graph cursors are kept per kind:
// the kind is their index.
#pragma once

namespace v3d {

enum LineKind : int {
    kLineHorizontal = 0, // along an image row (the line position is the row)
    kLineVertical = 1,   // along an image column (the line position is the column)
    kLineFree = 2,       // between the two end points the user drew
};

inline constexpr int kLineKindCount = 3;
// Stands for every kind where the line positions of all kinds are set again at once.
inline constexpr int kAllLineKinds = -1;

} // namespace v3d
