// A document for the scene tests whose height plane and levelled image rise from 0 at the left
// to 255 at the right.
#pragma once

#include "platform/GlobalMemory.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/data/View3dData.h"

#include <vector>

inline void FillRampPlanes(v3d::View3dData& doc, int w, int h) {
    HDIB plane = v3d::DibCreate(w, h, v3d::kKindGrey8);
    doc.levelledHeight = v3d::DibCreate(w, h, v3d::kKindGrey8);
    std::vector<int> row(w);
    for (int x = 0; x < w; ++x)
        row[x] = x * 255 / (w - 1);
    GlobalLockGuard p(plane), l(doc.levelledHeight);
    for (int y = 0; y < h; ++y) {
        v3d::DibWriteRow(row.data(), p.get(), 0, y, w);
        v3d::DibWriteRow(row.data(), l.get(), 0, y, w);
    }
    doc.SetPlanes(nullptr, plane);
    doc.sourceWidth = w;
    doc.sourceHeight = h;
}
