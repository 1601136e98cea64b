#include "shell/core/layout/ViewGeometry.h"

#include <algorithm>
#include <cmath>

int CaptureViewSplit(const RECT& client) {
    return client.bottom - static_cast<int>(RectWidth(client) / 3.6);
}

RECT CaptureViewUpperArea(const RECT& client) {
    return MakeRect(client.left - 1, client.top - 1, client.right - 5, CaptureViewSplit(client) - 5);
}

std::optional<RECT> CaptureViewLiveRect(const RECT& client, int frameW, int frameH) {
    if (RectEmpty(client) || frameW <= 0 || frameH <= 0)
        return std::nullopt;
    const RECT upper = CaptureViewUpperArea(client);
    const RECT area = MakeRect(upper.left + 20, upper.top + 20, upper.right - 20, upper.bottom - 20);
    const int aw = RectWidth(area);
    const int ah = RectHeight(area);
    if (aw <= 0 || ah <= 0)
        return std::nullopt;
    const double r = static_cast<double>(frameW) / frameH;
    RECT fit = area;
    if (aw > ah) {
        const double w = std::min(ah * r, static_cast<double>(aw));
        fit.right = static_cast<int>(area.left + w);
        fit.bottom = static_cast<int>(area.top + RectWidth(fit) / r);
    } else {
        const double h = std::min(aw / r, static_cast<double>(ah));
        fit.bottom = static_cast<int>(area.top + h);
        fit.right = static_cast<int>(area.left + RectHeight(fit) * r);
    }
    const int w = RectWidth(fit);
    const int h = RectHeight(fit);
    const int left = (RectWidth(upper) - w) / 2;
    const int top = (RectHeight(upper) - h) / 2;
    return MakeRect(left, top, left + w, top + h);
}

std::optional<RECT> CaptureViewPreviewRect(const RECT& client, int frameW, int frameH) {
    if (RectEmpty(client))
        return std::nullopt;
    RECT area = MakeRect(client.left, CaptureViewSplit(client) + 16, client.right, client.bottom + 2);
    if (frameW > 0 && frameH > 0 && RectHeight(area) > 0) {
        const int w = static_cast<int>(RectHeight(area) * (static_cast<double>(frameW) / frameH));
        const int left = client.left + (RectWidth(client) - w) / 2;
        area.left = left;
        area.right = left + w;
    }
    return area;
}

TopMenuLayout LayoutTopMenu(const TopMenuInput& in) {
    TopMenuLayout out;
    const RECT& b = in.client;
    const int bh = RectHeight(b);
    out.band = MakeRect(0, 0, in.paneWidth + 3, bh);
    const int bandH = RectHeight(out.band);
    out.upShown = in.thumbnailDown;
    {
        const int top = (bandH - in.up.cy) / 2;
        out.up = MakeRect(10, top, 10 + in.up.cx, top + in.up.cy);
    }
    const int multiLeft = in.paneWidth + 3 + 30;
    const int multiTop = (bandH - in.multi.cy) / 2;
    out.multi = MakeRect(multiLeft, multiTop, multiLeft + in.multi.cx, multiTop + in.multi.cy);
    out.thumb =
        MakeRect(out.multi.right + 8, multiTop, out.multi.right + 8 + in.multi.cx, multiTop + in.multi.cy);
    const int m = in.pictureWidth;
    out.picture = MakeRect(b.right - m, b.top, b.right, b.bottom);
    if (!in.thumbnailDown)
        out.band = MakeRect(0, -1, RectWidth(b) - m - 1, bh + 3);
    if (out.picture.left < out.thumb.right) {
        const int shift = out.thumb.right - out.picture.left;
        out.picture.left += shift;
        out.picture.right += shift;
    }
    int right = out.picture.left - (5 + 3);
    const int ph = RectHeight(out.picture);
    for (int i = 0; i < 6; ++i) {
        const SIZE s = in.lens[i];
        const int top = out.picture.top + (ph - s.cy) / 2;
        out.lens[i] = MakeRect(right - s.cx, top, right, top + s.cy);
        right = out.lens[i].left - 3;
    }
    out.minimumWidth = out.thumb.right + m + 24;
    return out;
}

CompositionBarLayout LayoutCompositionBar(const CompositionBarInput& in) {
    CompositionBarLayout out;
    const int r = in.client.right;
    const int b = in.client.bottom;
    auto place = [](int right, int bottom, SIZE s) {
        return MakeRect(right - s.cx, bottom - s.cy, right, bottom);
    };
    out.settings = place(r - 10, b - 5, in.settings);
    out.start = place(out.settings.left - 5, b - 5, in.start);
    out.height = place(out.start.left - 5, b - 5, in.height);
    out.combo = place(out.height.left - 5, b - 10, in.combo);
    out.label = MakeRect(out.combo.left, b - 25 - in.label.cy, out.combo.left + in.label.cx, b - 25);
    const int top = in.client.top + (RectHeight(in.client) - in.initialMenu.cy) / 2;
    out.initialMenu = MakeRect(8, top, 8 + in.initialMenu.cx, top + in.initialMenu.cy);
    return out;
}

FocusBoxLayout LayoutFocusBox(const RECT& client, const RECT& title) {
    FocusBoxLayout out;
    const int w = RectWidth(client);
    out.title = MakeRect(title.left, title.top, title.left + w, title.bottom);
    out.countLeft = w - 61;
    out.totalLeft = w - 89;
    out.unitLeft = w - 36;
    out.list = MakeRect(out.title.left, out.title.bottom, client.right, client.bottom);
    return out;
}

FocusBoxButtonsLayout LayoutFocusBoxButtons(const RECT& client, int titleBottom, const SIZE (&sizes)[9]) {
    FocusBoxButtonsLayout out;
    const int h31 = sizes[8].cy;
    out.minimumHeight = 16 * h31;
    auto centred = [&](int i, int top) {
        const int left = client.left + (RectWidth(client) - sizes[i].cx) / 2;
        out.button[i] = MakeRect(left, top, left + sizes[i].cx, top + sizes[i].cy);
    };
    // 31, 30, 29 from the bottom, then 28 and 27, one button height apart.
    int bottom = client.bottom - 20;
    for (int i : {8, 7, 6, 5, 4}) {
        centred(i, bottom - sizes[i].cy);
        bottom = out.button[i].top - sizes[i].cy;
    }
    centred(0, titleBottom + 20);
    centred(1, out.button[0].bottom + 10);
    // 25 and 26 in the middle of the room between 24 and 27.
    const int room = out.button[4].top - out.button[1].bottom;
    const int pair = sizes[2].cy + sizes[3].cy + 10;
    const int top = out.button[1].bottom + (room - pair) / 2;
    centred(2, top);
    centred(3, out.button[2].bottom + 10);
    return out;
}

ControlBarSizes ControlBarSizesFor(SIZE dialog) {
    ControlBarSizes s;
    s.floating = dialog;
    s.horizontal = SIZE{dialog.cx, dialog.cy + 9};
    s.vertical = SIZE{dialog.cx + 9, dialog.cy};
    return s;
}

int ClampControlBarExtent(int requested, int oldExtent, int frameExtent, int minimum) {
    return std::max(minimum, std::min(requested, oldExtent + frameExtent));
}

RECT PlaceOnDisplays(const RECT& stored, const std::vector<RECT>& displays) {
    if (displays.empty())
        return stored;
    for (const RECT& d : displays) {
        const int l = std::max(stored.left, d.left);
        const int r = std::min(stored.right, d.right);
        const int t = std::max(stored.top, d.top);
        const int b = std::min(stored.bottom, d.bottom);
        // At least a grip of the title bar must be reachable on some display.
        if (r - l >= 40 && b - t >= 20)
            return stored;
    }
    const RECT& d = displays.front();
    const int w = std::min(std::max(RectWidth(stored), 1), RectWidth(d));
    const int h = std::min(std::max(RectHeight(stored), 1), RectHeight(d));
    const int left = d.left + (RectWidth(d) - w) / 2;
    const int top = d.top + (RectHeight(d) - h) / 2;
    return MakeRect(left, top, left + w, top + h);
}
