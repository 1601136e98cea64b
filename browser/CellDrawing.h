// Drawing of the lists' cells: the 3D frames, the fitted thumbnail and the captions.
#pragma once

#include "imaging/bitmaps/MyImageData.h"

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/image.h>

namespace cell_drawing {

// The thumbnail's pixels as an image (8-bit grey through its table, 24-bit as they are).
wxImage ThumbToImage(const CMyThumbnl& thumb);
// The largest rectangle of the picture's aspect (sw x sh) inside area, centred.
wxRect FitRect(const wxRect& area, int sw, int sh);
// The frame of a cell: black, button face with a raised 3D border, the picture frame in the
// shadow colour and the picture area in button face. Returns the picture area.
wxRect DrawCellFrame(wxDC& dc, const wxRect& cell, int captionBand);
// Three nested one-pixel frames in green around a selected cell.
void DrawSelection(wxDC& dc, const wxRect& cell);
// The caption font.
wxFont CaptionFont();

} // namespace cell_drawing
