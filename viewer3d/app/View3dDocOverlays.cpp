// The window document's part of the contour and slice pictures: the pane they are fitted to and
// the resampling of their height image.
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/core/data/PlaneImages.h"
#include "viewer3d/measure/gui/BaseImgView.h"

namespace brx {

bool CView3dDoc::OverlayTargetArea(v3d::PaneContent kind, RECT* area) const {
    for (ui::View* v : GetViews()) {
        auto* pane = dynamic_cast<v3d::CBaseImgView*>(v);
        if (!pane || pane->contentKind != kind)
            continue;
        const wxSize size = pane->GetClientSize();
        if (size.x <= 0 || size.y <= 0)
            continue;
        *area = RECT{0, 0, size.x, size.y};
        return true;
    }
    return false;
}

HDIB CView3dDoc::ResampleImage(HDIB source, int type, int width, int height) {
    // The work slot holds the source only while it is resampled; the result (slot 11) belongs
    // to the caller, so both slots are emptied again.
    imaging_.SetSlotImage(source, v3d::kScratchSlot, type);
    HDIB out = imaging_.ResizeSlotImage(v3d::kScratchSlot, width, height);
    imaging_.SetSlotImage(nullptr, v3d::kScratchSlot);
    imaging_.SetSlotImage(nullptr, v3d::kScratchSlot + 1);
    return out ? out : v3d::ResampleDib(source, width, height);
}

} // namespace brx
