// Geometry of the capture view (live and preview panes), the top menu bar, the composition bar,
// the focus image box and its command bar, the docking bars' extents and the window placement.
// Rectangles are left, top, right, bottom.
#pragma once

#include "platform/WinTypes.h"

#include <optional>
#include <vector>

inline int RectWidth(const RECT& r) {
    return r.right - r.left;
}
inline int RectHeight(const RECT& r) {
    return r.bottom - r.top;
}
inline bool RectEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}
inline RECT MakeRect(int l, int t, int r, int b) {
    return RECT{l, t, r, b};
}

// ---- capture view ----
// The split between the live area and the preview: bottom - width / 3.6 (truncated).
int CaptureViewSplit(const RECT& client);
// The live area above the split: (left - 1, top - 1, right - 5, split - 5).
RECT CaptureViewUpperArea(const RECT& client);
// The live picture's rectangle for a frame of frameW × frameH: the upper area shrunk by 20 on
// every side, fitted to the frame's ratio and centred. Nothing for an empty client or a frame
// without width or height.
std::optional<RECT> CaptureViewLiveRect(const RECT& client, int frameW, int frameH);
// The preview pane: (left, split + 16, right, bottom + 2), narrowed to the frame's ratio and
// centred when a frame size is known. Nothing for an empty client.
std::optional<RECT> CaptureViewPreviewRect(const RECT& client, int frameW, int frameH);

// ---- top menu bar (dialog 154) ----
struct TopMenuInput {
    RECT client{};               // the bar's client rectangle
    int paneWidth = 0;           // width of the reference pane (folder tree or the mode's panel)
    bool thumbnailDown = false;  // 829 pressed
    SIZE up{}, multi{}, thumb{}; // 800, 804, 829
    int pictureWidth = 0;        // 954
    RECT picture{};              // 954 now (its top and height are kept)
    SIZE lens[6]{};              // 1393, 1392, 1388, 1391, 1390, 1389 in that order
};
struct TopMenuLayout {
    RECT band{}; // 825
    bool upShown = false;
    RECT up{}, multi{}, thumb{}, picture{};
    RECT lens[6]{}; // same order as the input
    int minimumWidth = 0;
};
TopMenuLayout LayoutTopMenu(const TopMenuInput& in);

// ---- composition bar (dialog 141) ----
struct CompositionBarInput {
    RECT client{};
    SIZE settings{}, start{}, height{}, combo{}, label{}, initialMenu{}; // 820 819 818 823 824 950
};
struct CompositionBarLayout {
    RECT settings{}, start{}, height{}, combo{}, label{}, initialMenu{};
};
CompositionBarLayout LayoutCompositionBar(const CompositionBarInput& in);

// ---- focus image box (dialog 151) ----
struct FocusBoxLayout {
    RECT title{};                                   // 1010: its right edge follows the width
    int countLeft = 0, totalLeft = 0, unitLeft = 0; // 1106, 1104, 1105
    RECT list{};                                    // 1022
};
// title is the title static's rectangle (its height as the text gives it).
FocusBoxLayout LayoutFocusBox(const RECT& client, const RECT& title);

// ---- focus-box command bar (dialog 22): buttons 23 .. 31 ----
struct FocusBoxButtonsLayout {
    RECT button[9]{}; // 23 .. 31
    int minimumHeight = 0;
};
FocusBoxButtonsLayout LayoutFocusBoxButtons(const RECT& client, int titleBottom, const SIZE (&sizes)[9]);

// ---- docking bars ----
struct ControlBarSizes {
    SIZE floating{}, horizontal{}, vertical{};
};
// The sizes of a bar hosting a dialog of the given template size: floating = the template;
// docked top or bottom its height grows, docked left or right its width grows by 9 (edge 6 +
// border 3).
ControlBarSizes ControlBarSizesFor(SIZE dialog);
// The extent after dragging the sizing edge: at least the minimum (32), at most the old extent
// plus the frame's size along that axis.
int ClampControlBarExtent(int requested, int oldExtent, int frameExtent, int minimum = 32);

// ---- window placement ----
// The stored placement when some part of it lies on a display; otherwise the same size (cut to
// the display) moved onto the first display.
RECT PlaceOnDisplays(const RECT& stored, const std::vector<RECT>& displays);
