// The base of the 2D panes of a 3D document frame: one of the document's pictures fitted into
// the client area with its aspect kept, the contour or slice overlay of the height map, and the
// fitted rectangle the derived panes draw their overlays in. Kinds: 0 colour image, 1 contour
// picture, 2 slice picture (red), 3 measurement image; above 3 the background only.
#pragma once

#include "platform/WinTypes.h"
#include "ui/CanvasView.h"
#include "viewer3d/core/View3dData.h"

namespace v3d {

class CBaseImgView : public ui::CanvasView {
public:
    explicit CBaseImgView(wxWindow* parent, wxWindowID id = wxID_ANY);

    void OnDraw(wxDC& dc) override;
    // Paints the pane into another device context (a bitmap) as on the screen.
    void DrawTo(wxDC& dc) { OnDraw(dc); }

    int16_t contentKind = 0;
    COLORREF frameColour = RGB(255, 255, 0);
    COLORREF backgroundColour = RGB(255, 255, 255);
    RECT imageRect{};  // where the image was fitted at the last paint
    RECT clientRect{}; // client area at the last paint
    int imageWidth = 0, imageHeight = 0;
    RECT roiRect{};
    int antsPhase = 0;
    int previewFlag = 0;

protected:
    View3dData* data() const;
    // The picture a kind shows (null: none); kinds 1 and 2 give the height display image, whose
    // size the overlay is fitted by.
    HDIB pictureOf(View3dData& d, int kind) const;
};

} // namespace v3d
