#include "browser/CellDrawing.h"

#include <wx/settings.h>

namespace cell_drawing {

wxImage ThumbToImage(const CMyThumbnl& thumb) {
    const int w = int(thumb.GetWidth()), h = int(thumb.GetHeight());
    if (w <= 0 || h <= 0 || !thumb.m_bits)
        return wxImage();
    wxImage img(w, h, false);
    unsigned char* out = img.GetData();
    const int bits = thumb.m_bitsPerPixel;
    const size_t stride = SECImage::PaddedRowBytes(bits, uint64_t(w));
    for (int y = 0; y < h; ++y) {
        const BYTE* row = thumb.m_bits + stride * size_t(h - 1 - y);
        for (int x = 0; x < w; ++x) {
            unsigned char* o = out + 3 * (size_t(y) * w + x);
            if (bits == 24) {
                o[0] = row[3 * x + 2];
                o[1] = row[3 * x + 1];
                o[2] = row[3 * x];
            } else if (bits == 8 && thumb.m_colorTable) {
                const BYTE* e = thumb.m_colorTable + 4 * row[x];
                o[0] = e[2];
                o[1] = e[1];
                o[2] = e[0];
            } else {
                o[0] = o[1] = o[2] = 128;
            }
        }
    }
    return img;
}

wxRect FitRect(const wxRect& area, int sw, int sh) {
    if (sw <= 0 || sh <= 0)
        return area;
    int w = area.width, h = area.height;
    if (int64_t(sw) * area.height > int64_t(sh) * area.width)
        h = int(int64_t(area.width) * sh / sw);
    else
        w = int(int64_t(area.height) * sw / sh);
    return wxRect(area.x + (area.width - w) / 2, area.y + (area.height - h) / 2, std::max(1, w),
                  std::max(1, h));
}

wxRect DrawCellFrame(wxDC& dc, const wxRect& cell, int captionBand) {
    const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    const wxColour light = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT);
    const wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.DrawRectangle(cell);
    wxRect r = wxRect(cell).Deflate(1);
    dc.SetBrush(wxBrush(face));
    dc.SetPen(wxPen(face));
    dc.DrawRectangle(r);
    dc.SetPen(wxPen(light));
    dc.DrawLine(r.GetLeft(), r.GetBottom(), r.GetLeft(), r.GetTop());
    dc.DrawLine(r.GetLeft(), r.GetTop(), r.GetRight(), r.GetTop());
    dc.SetPen(*wxBLACK_PEN);
    dc.DrawLine(r.GetRight(), r.GetTop(), r.GetRight(), r.GetBottom());
    dc.DrawLine(r.GetLeft(), r.GetBottom(), r.GetRight() + 1, r.GetBottom());
    wxRect pic = wxRect(cell).Deflate(2);
    pic = wxRect(wxPoint(pic.GetLeft() + 5, pic.GetTop() + 5),
                 wxPoint(pic.GetRight() - 5, pic.GetBottom() - captionBand));
    pic.Inflate(1);
    dc.SetPen(wxPen(shadow));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(pic);
    pic.Deflate(3);
    dc.SetPen(wxPen(face));
    dc.SetBrush(wxBrush(face));
    dc.DrawRectangle(pic);
    return pic;
}

void DrawSelection(wxDC& dc, const wxRect& cell) {
    dc.SetPen(wxPen(wxColour(0, 255, 0)));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    for (int i = 0; i < 3; ++i)
        dc.DrawRectangle(wxRect(cell).Deflate(i));
}

wxFont CaptionFont() {
    return wxFont(wxFontInfo(8).Family(wxFONTFAMILY_MODERN));
}

} // namespace cell_drawing
