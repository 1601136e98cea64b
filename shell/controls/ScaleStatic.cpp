#include "shell/controls/ScaleStatic.h"

#include "imaging/bitmaps/Dib.h"
#include "imaging/bitmaps/DibDraw.h"
#include "imaging/gui/WxDibDrawTarget.h"
#include "shell/app/OrsandelApp.h"
#include "shell/app/OrsandelDoc.h"
#include "ids/VantorelIds.h"

#include <wx/dcbuffer.h>
#include <wx/display.h>
#include <wx/settings.h>

static_assert(vtid::CaptureView::LivePicture == vtid::VossaLive::LivePicture,
              "the scale overlay finds the live picture of either view by one id");

CSampleStatic::CSampleStatic(wxWindow* parent, int id, const wxRect& rect, const wxString& caption)
    : wxWindow(parent, id, rect.GetPosition(), rect.GetSize(), wxFULL_REPAINT_ON_RESIZE) {
    SetName(caption);
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) { OnPaint(); });
}

CSampleStatic::~CSampleStatic() {
    if (m_hCopy)
        GlobalFree(m_hCopy);
}

void CSampleStatic::SetImage(HDIB bitmap, int left, int top, int width, int height) {
    if (m_hCopy) {
        GlobalFree(m_hCopy);
        m_hCopy = nullptr;
    }
    if (!bitmap) {
        Refresh(false);
        return;
    }
    m_hCopy = DibDuplicate(bitmap);
    if (m_hCopy) {
        GlobalLockGuard lock(m_hCopy);
        m_width = DibGetWidth(lock.get());
        m_height = DibGetHeight(lock.get());
    }
    m_haveMarker = left != -1;
    m_marker = wxRect(left, top, width, height);
    Refresh(false);
}

void CSampleStatic::OnPaint() {
    wxAutoBufferedPaintDC dc(this);
    const wxSize size = GetClientSize();
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    if (m_hCopy && size.x > 0 && size.y > 0) {
        CWxDibDrawTarget target(dc);
        const RECT dest{0, 0, size.x, size.y};
        const RECT src{0, 0, m_width, m_height};
        DibDraw(&target, &dest, m_hCopy, &src, nullptr);
        if (m_haveMarker && m_width > 0 && m_height > 0) {
            const double sx = static_cast<double>(size.x) / m_width;
            const double sy = static_cast<double>(size.y) / m_height;
            dc.SetPen(wxPen(wxColour(255, 0, 255), 1));
            dc.SetBrush(*wxTRANSPARENT_BRUSH);
            dc.DrawRectangle(static_cast<int>(m_marker.x * sx), static_cast<int>(m_marker.y * sy),
                             static_cast<int>(m_marker.width * sx), static_cast<int>(m_marker.height * sy));
        }
    }
    if (!m_hCopy && !m_emptyText.empty()) {
        dc.SetTextForeground(*wxWHITE);
        dc.SetFont(wxFont(wxFontInfo(wxSize(0, 16)).FaceName("Noto Serif CJK JP")));
        const wxSize t = dc.GetTextExtent(m_emptyText);
        dc.DrawText(m_emptyText, (size.x - t.x) / 2, (size.y - t.y) / 2);
    }
    if (m_overlay)
        m_overlay(dc, size);
}

CScaleStatic::CScaleStatic(wxWindow* parent, int id) : wxWindow(parent, id, wxDefaultPosition, wxSize(0, 0)) {
    Hide(); // drawn over the live pane, not a window of its own on the screen
}

void CScaleStatic::SetLine(POINT end, POINT start, bool valid, double scale) {
    m_end = end;
    m_start = start;
    m_lineValid = valid;
    m_lineScale = scale;
}

ScaleBarInput CScaleStatic::Input() const {
    ScaleBarInput in;
    if (!m_pDoc)
        return in;
    const CMLens& lens = m_pDoc->m_currentLens;
    in.micrometreOn = m_pDoc->m_scale1;
    in.dotOn = m_pDoc->m_scale2;
    in.umPerPixel = lens.m_calib;
    in.barLength = lens.m_scaleLength;
    in.dotLength = lens.m_scaleDots;
    in.ceiling = lens.m_scaleCeiling;
    if (COrsandelApp* app = COrsandelApp::GetApp())
        in.corner = app->m_scalePos;
    in.factor = m_dFactor;
    in.displayScale = m_dDisplayScale;
    in.regName = lens.GetRegName();
    in.lensNumber = m_pDoc->m_lensNumber;
    in.zoom = m_pDoc->m_zoom;
    return in;
}

void CScaleStatic::Redraw(double factor) {
    m_dFactor = factor;
    if (m_dDisplayScale != 0.0 && GetParent())
        // The live picture of the capture view or of the continuous composition's live view.
        if (wxWindow* live = GetParent()->FindWindow(vtid::CaptureView::LivePicture))
            live->Refresh(false);
}

void CScaleStatic::Draw(wxDC& dc, const wxSize& size) {
    if (!m_pDoc || m_dDisplayScale == 0.0)
        return;
    const ScaleBarInput in = Input();
    const double textFactor = wxGetDisplaySize().x / 640.0;
    wxFont font(wxFontInfo(wxSize(0, ScaleLabelFontHeight(textFactor, m_dDisplayScale))).AntiAliased());
    dc.SetFont(font);
    COLORREF k = 0x800080;
    if (COrsandelApp* app = COrsandelApp::GetApp())
        k = static_cast<COLORREF>(app->m_scaleColor);
    const wxColour colour(GetRValue(k), GetGValue(k), GetBValue(k));
    dc.SetTextForeground(colour);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    const ScaleOverlayLayout layout =
        LayoutScaleOverlay(in, RECT{0, 0, size.x, size.y}, [&dc](const std::string& text) {
            const wxSize s = dc.GetTextExtent(wxString::FromUTF8(text));
            return SIZE{s.x, s.y};
        });
    dc.SetPen(wxPen(colour, 2));
    for (const ScaleBarPlacement& b : layout.bars) {
        dc.DrawText(wxString::FromUTF8(b.label), b.labelRect.left, b.labelRect.top);
        dc.DrawLine(b.barLeft, b.barY, b.barRight, b.barY);
        if (b.leftTick)
            dc.DrawLine(b.barLeft, b.labelRect.bottom, b.barLeft, b.barY);
        if (b.rightTick)
            dc.DrawLine(b.barRight - 1, b.labelRect.bottom, b.barRight - 1, b.barY);
    }
    if (!layout.magnification.empty())
        dc.DrawText(wxString::FromUTF8(layout.magnification), layout.magnificationRect.left,
                    layout.magnificationRect.top);
    if (m_lineValid && !(m_end.x == 0 && m_end.y == 0 && m_start.x == 0 && m_start.y == 0)) {
        const double s =
            (m_lineScale > 0.0 && m_lineScale != m_dDisplayScale) ? m_dDisplayScale / m_lineScale : 1.0;
        dc.SetPen(wxPen(*wxWHITE, 2));
        dc.DrawLine(static_cast<int>(m_start.x * s), static_cast<int>(m_start.y * s),
                    static_cast<int>(m_end.x * s), static_cast<int>(m_end.y * s));
    }
}
