#include "shell/core/layout/VossaGeometry.h"

#include "shell/core/layout/ViewGeometry.h"

#include <algorithm>

std::optional<RECT> VossaPictureRect(const RECT& client, int frameW, int frameH) {
    if (RectEmpty(client) || frameW <= 0 || frameH <= 0)
        return std::nullopt;
    const RECT area = MakeRect(client.left - 1, client.top - 1, client.right - 5, client.bottom - 5);
    const int aw = RectWidth(area) - 40;
    const int ah = RectHeight(area) - 40;
    if (aw <= 0 || ah <= 0)
        return std::nullopt;
    int w = 0;
    int h = 0;
    if (aw > ah) {
        w = static_cast<int>(std::min(static_cast<double>(aw), static_cast<double>(ah) * frameW / frameH));
        h = static_cast<int>(static_cast<double>(w) * frameH / frameW);
    } else {
        h = static_cast<int>(std::min(static_cast<double>(ah), static_cast<double>(aw) * frameH / frameW));
        w = static_cast<int>(static_cast<double>(h) * frameW / frameH);
    }
    if (w <= 0 || h <= 0)
        return std::nullopt;
    const int left = area.left + (RectWidth(area) - w) / 2;
    const int top = area.top + (RectHeight(area) - h) / 2;
    return MakeRect(left, top, left + w, top + h);
}
