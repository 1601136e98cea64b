// Where the continuous composition's two views put their picture: the client rectangle widened
// by 1 at the left and top and narrowed by 5 at the right and bottom, less a 20-pixel margin on
// every side, fitted to the frame's width : height ratio and centred in that area.
// Rectangles are left, top, right, bottom.
#pragma once

#include "platform/WinTypes.h"

#include <optional>

// The picture rectangle for a frame of frameW x frameH in a view's client rectangle. Nothing
// for an empty client, a client too small for the margins, or a frame without width or height.
std::optional<RECT> VossaPictureRect(const RECT& client, int frameW, int frameH);
