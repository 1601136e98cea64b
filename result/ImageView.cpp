#include "result/ImageView.h"

#include "imaging/bitmaps/Dib.h"
#include "imaging/gui/WxDibDrawTarget.h"
#include "platform/MessageSink.h"
#include "platform/Settings.h"
#include "platform/WindowMessages.h"
#include "result/ImageDoc.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/display.h>
#include <wx/settings.h>

#include <algorithm>
#include <cstring>

int FitZoomPercent(int cw, int ch, int w, int h) {
    if (w <= 0 || h <= 0)
        return 100;
    double f;
    if (w < h) {
        f = double(ch) / h;
        if (cw < w * f)
            f = double(cw) / w;
    } else {
        f = double(cw) / w;
        if (ch < h * f)
            f = double(ch) / h;
    }
    int p = int(f * 100);
    p = p / 10 * 10;
    return std::clamp(p, 10, 400);
}

CImageView::CImageView(wxWindow* parent) : CZoomView(parent) {
    SetBackgroundColour(*wxBLACK);
    Bind(wxEVT_LEFT_DOWN, &CImageView::onMouse, this);
    Bind(wxEVT_LEFT_UP, &CImageView::onMouse, this);
    Bind(wxEVT_MOTION, &CImageView::onMouse, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CImageView::onCaptureLost, this);
    OnMessage(WM_TIMER, &CImageView::OnTimer);
}

void CImageView::SetCalibrationActive(bool active) {
    m_calibActive = active;
    SetCursor(active ? wxCursor(wxCURSOR_CROSS) : wxNullCursor);
    if (!active && m_drawingLine)
        EndLine();
}

void CImageView::EraseCalibrationLine(bool keepScreen) {
    m_lineStart = m_lineEnd = POINT{0, 0};
    if (!keepScreen)
        Refresh(false);
}

POINT CImageView::ToImage(const wxPoint& client) const {
    int vx = 0, vy = 0;
    GetViewStart(&vx, &vy);
    const int w = m_imageRect.right - m_imageRect.left, h = m_imageRect.bottom - m_imageRect.top;
    return POINT{std::clamp<LONG>(client.x + vx - m_imageRect.left, 0, std::max(0, w - 1)),
                 std::clamp<LONG>(client.y + vy - m_imageRect.top, 0, std::max(0, h - 1))};
}

void CImageView::onMouse(wxMouseEvent& ev) {
    ev.Skip();
    if (!m_calibActive)
        return;
    if (ev.LeftDown()) {
        if (!HasCapture())
            CaptureMouse();
        m_lineStart = m_lineEnd = ToImage(ev.GetPosition());
        m_startZoom = ZoomFactor();
        m_drawingLine = true;
        Refresh(false);
        return;
    }
    if (ev.LeftUp()) {
        EndLine();
        return;
    }
    if (!ev.Dragging() || !ev.LeftIsDown() || !m_drawingLine) {
        for (UINT id = 1; id <= 4; ++id)
            m_timers.KillTimer(id);
        return;
    }
    POINT end = ToImage(ev.GetPosition());
    if (ev.ShiftDown()) {
        if (std::abs(end.y - m_lineStart.y) < std::abs(end.x - m_lineStart.x))
            end.y = m_lineStart.y;
        else
            end.x = m_lineStart.x;
    }
    m_lineEnd = end;
    if (CImageDoc* doc = GetImageDoc()) {
        const double s = m_startZoom;
        const double dx = (std::abs(m_lineEnd.x - m_lineStart.x) + 1) / s;
        const double dy = (std::abs(m_lineEnd.y - m_lineStart.y) + 1) / s;
        doc->m_calibLineLength = std::sqrt(dx * dx + dy * dy);
    }
    // Scrolling while the mouse is at or beyond an edge: 1 down, 2 up, 3 right, 4 left.
    const wxPoint p = ev.GetPosition();
    const wxSize c = GetClientSize();
    auto run = [&](UINT id, bool on) {
        if (on && !m_timers.IsRunning(id))
            m_timers.SetTimer(id, 30);
        else if (!on)
            m_timers.KillTimer(id);
    };
    run(2, p.y <= 0);
    run(1, p.y + 1 >= c.y);
    run(4, p.x <= 0);
    run(3, p.x + 1 >= c.x);
    Refresh(false);
}

void CImageView::EndLine() {
    if (HasCapture())
        ReleaseMouse();
    for (UINT id = 1; id <= 4; ++id)
        m_timers.KillTimer(id);
    if (m_drawingLine) {
        m_drawingLine = false;
        if (onLineEnded)
            onLineEnded();
    }
}

void CImageView::onCaptureLost(wxMouseCaptureLostEvent&) {
    EndLine();
}

LRESULT CImageView::OnTimer(WPARAM id, LPARAM) {
    int vx = 0, vy = 0;
    GetViewStart(&vx, &vy);
    const int line = 10;
    switch (id) {
    case 1:
        Scroll(vx, vy + line);
        break;
    case 2:
        Scroll(vx, std::max(0, vy - line));
        break;
    case 3:
        Scroll(vx + line, vy);
        break;
    case 4:
        Scroll(std::max(0, vx - line), vy);
        break;
    default:
        break;
    }
    return 0;
}

CImageDoc* CImageView::GetImageDoc() const {
    return dynamic_cast<CImageDoc*>(GetDocument());
}

void CImageView::OnInitialUpdate() {
    CImageDoc* doc = GetImageDoc();
    if (doc && doc->m_image) {
        m_imageSize = wxSize(doc->m_width, doc->m_height);
        const wxSize c = GetClientSize();
        ZoomToStep((FitZoomPercent(c.x, c.y, m_imageSize.x, m_imageSize.y) - 100) / 10);
    } else {
        m_imageSize = wxSize(0, 0);
        ZoomToStep(0);
    }
    if (doc) {
        doc->m_displayMode = 0;
        // Either window may have changed the lens, its calibration or the program paths since.
        doc->LoadScaleSettings();
        doc->LoadProgramPaths();
    }
    Refresh(false);
}

void CImageView::OnUpdate(ui::View*, LPARAM, CObject*) {
    CImageDoc* doc = GetImageDoc();
    if (doc && doc->m_image && (doc->m_width != m_imageSize.x || doc->m_height != m_imageSize.y)) {
        m_imageSize = wxSize(doc->m_width, doc->m_height);
        ZoomToStep(m_zoomStep);
    }
    Refresh(false);
}

int CImageView::FitPercent() const {
    const wxSize c = GetClientSize();
    return FitZoomPercent(c.x, c.y, m_imageSize.x, m_imageSize.y);
}

void CImageView::ZoomToStep(int step) {
    step = std::clamp(step, -9, 30);
    // Relative position of each axis: position / limit, or the middle when either is 0.
    int sx = 0, sy = 0;
    GetViewStart(&sx, &sy);
    const wxSize client = GetClientSize();
    const int limX = m_totalDevice.x - client.x, limY = m_totalDevice.y - client.y;
    const double rx = sx > 0 && limX > 0 ? double(sx) / limX : 0.5;
    const double ry = sy > 0 && limY > 0 ? double(sy) / limY : 0.5;
    m_zoomStep = step;
    const double factor = 1.0 + step / 10.0;
    m_totalLogical = wxSize(int(m_imageSize.x * factor), int(m_imageSize.y * factor));
    m_totalDevice = m_totalLogical;
    m_zoomNum = int(kZoomDenominator * (step + 10) / 10.0);
    SetVirtualSize(m_totalDevice);
    const int nx = m_totalDevice.x - client.x, ny = m_totalDevice.y - client.y;
    ScrollToDevicePosition(nx > 0 ? int(nx * rx) : 0, ny > 0 ? int(ny * ry) : 0);
    Refresh(false);
}

void CImageView::RefreshPicture() {
    CImageDoc* doc = GetImageDoc();
    HDIB pic = doc ? doc->GetDrawImage() : nullptr;
    if (pic == m_pictureKey && doc && doc->m_generation == m_pictureGeneration)
        return;
    m_pictureKey = pic;
    m_pictureGeneration = doc ? doc->m_generation : -1;
    m_picture = wxImage();
    if (!pic)
        return;
    const BYTE* block = static_cast<const BYTE*>(GlobalLock(pic));
    const int w = DibGetWidth(block), h = DibGetHeight(block);
    CWxDibDrawTarget::ExtractRect(block, DibGetBits(block), 0, 0, w, h, m_picture);
    GlobalUnlock(pic);
}

void CImageView::OnDraw(wxDC& dc) {
    m_imageRect = RECT{};
    const wxSize client = GetClientSize();
    int vx = 0, vy = 0;
    GetViewStart(&vx, &vy);
    const wxSize area(std::max(client.x, m_totalDevice.x), std::max(client.y, m_totalDevice.y));
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(vx, vy, client.x, client.y);
    CImageDoc* doc = GetImageDoc();
    RefreshPicture();
    if (!doc || !m_picture.IsOk())
        return;
    const double f = ZoomFactor();
    const int zw = int(m_imageSize.x * f), zh = int(m_imageSize.y * f);
    const int ox = zw < area.x ? (area.x - zw) / 2 : 0, oy = zh < area.y ? (area.y - zh) / 2 : 0;
    m_imageRect = RECT{ox, oy, ox + zw, oy + zh};
    // Only the part inside the window is scaled and drawn.
    const int x0 = std::max(vx, ox), y0 = std::max(vy, oy);
    const int x1 = std::min(vx + client.x, ox + zw), y1 = std::min(vy + client.y, oy + zh);
    if (x1 > x0 && y1 > y0) {
        const int sx0 = std::clamp(int((x0 - ox) / f), 0, m_picture.GetWidth() - 1);
        const int sy0 = std::clamp(int((y0 - oy) / f), 0, m_picture.GetHeight() - 1);
        const int sx1 = std::clamp(int(std::ceil((x1 - ox) / f)), sx0 + 1, m_picture.GetWidth());
        const int sy1 = std::clamp(int(std::ceil((y1 - oy) / f)), sy0 + 1, m_picture.GetHeight());
        wxImage part = m_picture.GetSubImage(wxRect(sx0, sy0, sx1 - sx0, sy1 - sy0));
        const int dw = int((sx1 - sx0) * f + 0.5), dh = int((sy1 - sy0) * f + 0.5);
        if (dw != part.GetWidth() || dh != part.GetHeight())
            part.Rescale(std::max(dw, 1), std::max(dh, 1), wxIMAGE_QUALITY_NEAREST);
        dc.DrawBitmap(wxBitmap(part), ox + int(sx0 * f), oy + int(sy0 * f));
    }
    if (m_lineStart.x != m_lineEnd.x || m_lineStart.y != m_lineEnd.y) {
        // The line, rescaled when the zoom changed since it was started.
        const double k = f / m_startZoom;
        dc.SetPen(wxPen(*wxWHITE, 2));
        dc.DrawLine(ox + int(m_lineStart.x * k), oy + int(m_lineStart.y * k), ox + int(m_lineEnd.x * k),
                    oy + int(m_lineEnd.y * k));
    }
    const double scale = wxDisplay().GetGeometry().GetWidth() / 640.0;
    const ScaleBarLayout l =
        DrawScaleBars(dc, *doc, m_imageRect, m_imageSize.x, scale, f, ScaleBarTarget::Screen);
    if (l.failure && !m_failurePending) {
        // The box comes after the paint: the switch and its button are cleared first.
        m_failurePending = true;
        const bool tooShort = l.failure == kMsgScaleTooShort;
        const bool dot = l.failedDotBar;
        CallAfter([this, tooShort, dot] { ReportScaleFailure(tooShort, dot); });
    }
}

void CImageView::ReportScaleFailure(bool tooShort, bool dotBar) {
    CImageDoc* doc = GetImageDoc();
    if (doc) {
        if (dotBar)
            doc->m_dotScaleOn = 0;
        else
            doc->m_scaleOn = 0;
    }
    ++m_scaleFailures;
    if (wxWindow* frame = wxGetTopLevelParent(this))
        frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    if (tooShort)
        ShowMessage(kMsgScaleTooShort, MB_OK | MB_ICONEXCLAMATION);
    else
        ShowMessage(kMsgScaleTooLong, MB_OK | MB_ICONEXCLAMATION);
    m_failurePending = false;
    Refresh(false);
}

ScaleBarLayout CImageView::DrawScaleBars(wxDC& dc, const CImageDoc& doc, const RECT& rect, int imageWidth,
                                         double scale, double zoom, ScaleBarTarget target) {
    ScaleBarInput in;
    in.position = doc.m_lens.scalePosition;
    in.umBarOn = doc.m_scaleOn != 0;
    in.dotBarOn = doc.m_dotScaleOn != 0;
    in.lensName = doc.m_lens.name;
    in.registeredName = doc.m_lens.registeredName;
    in.umPerPixel = doc.m_lens.umPerPixel;
    in.scaleLengthUm = doc.m_lens.scaleLength;
    in.scaleDots = doc.m_lens.scaleDots;
    in.ceilingUnit = doc.m_lens.scaleCeiling;
    in.image = rect;
    in.imageWidth = imageWidth;
    in.scale = scale;
    in.zoom = zoom;
    in.target = target;
    auto fontOf = [](int height) {
        wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
        font.SetPixelSize(wxSize(0, height));
        return font;
    };
    const ScaleBarLayout l = LayoutScaleBars(in, [&](const std::string& text, int height) {
        dc.SetFont(fontOf(height));
        const wxSize s = dc.GetTextExtent(wxString::FromUTF8(text));
        return SIZE{s.x, s.y};
    });
    const COLORREF c = doc.m_lens.scaleColour;
    const wxColour colour(GetRValue(c), GetGValue(c), GetBValue(c));
    dc.SetTextForeground(colour);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    for (const ScaleBar& b : l.bars) {
        dc.SetFont(fontOf(b.fontHeight));
        dc.DrawText(wxString::FromUTF8(b.label), b.labelRect.left, b.labelRect.top);
        dc.SetPen(wxPen(colour, b.penWidth));
        dc.DrawLine(b.x0 + 1, b.y, b.x1 - 1, b.y);
        dc.DrawLine(b.x0 + 1, b.tickTop, b.x0 + 1, b.y);
        dc.DrawLine(b.x1 - 1, b.tickTop, b.x1 - 1, b.y);
    }
    if (!l.lensLabel.empty()) {
        dc.SetFont(fontOf(l.lensFontHeight));
        dc.DrawText(wxString::FromUTF8(l.lensLabel), l.lensRect.left, l.lensRect.top);
    }
    return l;
}

HDIB RenderScaleBars(const CImageDoc& doc, HDIB picture) {
    if (!picture)
        return nullptr;
    const BYTE* block = static_cast<const BYTE*>(GlobalLock(picture));
    const int w = DibGetWidth(block), h = DibGetHeight(block);
    wxImage image;
    const bool ok = CWxDibDrawTarget::ExtractRect(block, DibGetBits(block), 0, 0, w, h, image);
    GlobalUnlock(picture);
    if (!ok)
        return nullptr;
    wxBitmap bitmap(image, 24);
    {
        wxMemoryDC dc(bitmap);
        CImageView::DrawScaleBars(dc, doc, RECT{0, 0, w, h}, w, 1.0, 1.0, ScaleBarTarget::BurnIn);
    }
    const wxImage drawn = bitmap.ConvertToImage();
    HDIB out = DibCreate(w, h, 1);
    if (!out)
        return nullptr;
    {
        // The picture's resolution goes with it (the header's pixels per metre, across and down).
        const BYTE* from = static_cast<const BYTE*>(GlobalLock(picture));
        BYTE* to = static_cast<BYTE*>(GlobalLock(out));
        std::memcpy(to + 24, from + 24, 8);
        GlobalUnlock(out);
        GlobalUnlock(picture);
    }
    const unsigned char* rgb = drawn.GetData();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int p = 0; p < 3; ++p)
                DibSetPixel(out, x, y, p, rgb[(size_t(y) * size_t(w) + size_t(x)) * 3 + size_t(p)]);
    return out;
}
