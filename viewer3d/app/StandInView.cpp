#include "viewer3d/app/StandInView.h"

#include "imaging/gui/WxDibDrawTarget.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/core/Dib.h"

#include <wx/dc.h>

#include <vector>

namespace brx {

RECT CalcFitRect(int iw, int ih, int cw, int ch) {
    if (iw <= 0 || ih <= 0 || cw <= 0 || ch <= 0)
        return RECT{};
    int w = cw, h = int(int64_t(cw) * ih / iw);
    if (h > ch) {
        h = ch;
        w = int(int64_t(ch) * iw / ih);
    }
    w = std::max(w, 1);
    h = std::max(h, 1);
    const int left = (cw - w) / 2, top = (ch - h) / 2;
    return RECT{left, top, left + w, top + h};
}

CStandInView::CStandInView(wxWindow* parent, int role) : ui::CanvasView(parent, wxID_ANY), role_(role) {
    SetBackgroundColour(*wxWHITE);
}

CView3dDoc* CStandInView::Doc() const {
    return dynamic_cast<CView3dDoc*>(GetDocument());
}

HDIB CStandInView::PictureOfRole(bool* owned) const {
    *owned = false;
    CView3dDoc* doc = Doc();
    if (!doc)
        return nullptr;
    switch (role_) {
    case 0:
    case 5:
    case 6: {
        const int pair = role_ == 0 ? 0 : 1;
        if (doc->regionCut[pair])
            return doc->regionCutDisplay[pair] ? doc->regionCutDisplay[pair] : doc->regionCut[pair];
        return doc->textureDisplay ? doc->textureDisplay : doc->TexturePlane();
    }
    case 1:
        return doc->heightDisplay;
    case 2: {
        // The height display cut at the slice level: white at and above it, black below.
        HDIB display = doc->heightDisplay;
        if (!display)
            return nullptr;
        GlobalLockGuard in(display);
        const int w = v3d::DibGetWidth(in.get()), h = v3d::DibGetHeight(in.get());
        HDIB slice = v3d::DibCreate(w, h, v3d::kKindGrey8);
        if (!slice)
            return nullptr;
        const double zScale = doc->GetPitch(2);
        const double level = doc->GetViewState()->sliceLevel / (zScale > 0 ? zScale : 1.0) + doc->minLevel;
        GlobalLockGuard out(slice);
        std::vector<int> row(static_cast<size_t>(w));
        for (int y = 0; y < h; ++y) {
            v3d::DibReadRow(row.data(), in.get(), 0, y, w);
            for (int& v : row)
                v = v >= level ? 255 : 0;
            v3d::DibWriteRow(row.data(), out.get(), 0, y, w);
        }
        *owned = true;
        return slice;
    }
    default:
        return nullptr;
    }
}

void CStandInView::OnDraw(wxDC& dc) {
    bool owned = false;
    HDIB picture = PictureOfRole(&owned);
    lastRect_ = RECT{};
    if (!picture)
        return;
    int iw = 0, ih = 0;
    {
        GlobalLockGuard lock(picture);
        iw = v3d::DibGetWidth(lock.get());
        ih = v3d::DibGetHeight(lock.get());
    }
    const wxSize client = GetClientSize();
    const RECT dest = CalcFitRect(iw, ih, client.x, client.y);
    if (dest.right > dest.left) {
        CWxDibDrawTarget target(dc);
        const RECT src{0, 0, iw, ih};
        v3d::DibDraw(&target, &dest, picture, &src, nullptr);
        lastRect_ = dest;
    }
    if (owned)
        GlobalFree(picture);
}

} // namespace brx
