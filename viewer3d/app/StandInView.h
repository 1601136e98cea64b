// The view of one pane role until the role's own view exists: it draws the document's picture
// of the role fitted into the pane keeping its aspect (texture display for roles 0, 5 and 6,
// the height display for the contour role 1, the height display cut at the slice level for
// role 2) and leaves roles 3, 4 and 7 blank.
#pragma once

#include "platform/GlobalMemory.h"
#include "platform/WinTypes.h"
#include "ui/CanvasView.h"

namespace brx {

class CView3dDoc;

// The largest rectangle of the image's aspect centred in a client area; empty for empty sizes.
RECT CalcFitRect(int imageWidth, int imageHeight, int clientWidth, int clientHeight);

class CStandInView : public ui::CanvasView {
public:
    CStandInView(wxWindow* parent, int role);
    int Role() const { return role_; }
    void OnDraw(wxDC& dc) override;
    // Where the picture was drawn last (client coordinates); empty before the first drawing.
    RECT LastImageRect() const { return lastRect_; }
    CView3dDoc* Doc() const;
    // The bitmap the role draws (a new slice picture for role 2, owned by the caller), null
    // when the role has none; *owned tells whether the caller frees it.
    HDIB PictureOfRole(bool* owned) const;

private:
    int role_;
    RECT lastRect_{};
};

} // namespace brx
