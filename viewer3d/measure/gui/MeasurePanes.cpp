#include "viewer3d/measure/gui/MeasurePanes.h"

#include "ui/Clipboard.h"
#include "ui/ResourceWidgets.h"
#include "ui/View.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"
#include "viewer3d/measure/core/SoftwareRaster.h"

#include <wx/graphics.h>
#include <wx/dc.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/spinbutt.h>

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace brx {

namespace {

constexpr const char* kPaneFace = "Noto Sans CJK JP";

// One side of a pattern frame as runs of one colour.
void patternRun(wxDC& dc, int x0, int y0, int dx, int dy, int length, int phase, const wxColour& text,
                const wxColour& back) {
    int runStart = 0;
    bool runSet = false;
    auto bitAt = [&](int i) {
        const int x = x0 + i * dx, y = y0 + i * dy;
        return ((v3d::image::PatternRow(phase, y & 7) >> (7 - (x & 7))) & 1) != 0;
    };
    for (int i = 0; i <= length; ++i) {
        const bool set = i < length && bitAt(i);
        if (i == length || (i > 0 && set != runSet)) {
            dc.SetPen(wxPen(runSet ? back : text, 1));
            const int xa = x0 + runStart * dx, ya = y0 + runStart * dy;
            const int xb = x0 + (i - 1) * dx, yb = y0 + (i - 1) * dy;
            dc.DrawLine(xa, ya, xb + dx, yb + dy);
            runStart = i;
        }
        if (i < length)
            runSet = set;
    }
}

} // namespace

bool MeasureImageSize(const CView3dDoc& doc, int* width, int* height) {
    HDIB image = doc.regionCut[1] ? doc.regionCut[1] : doc.TexturePlane();
    GlobalLockGuard lock(image);
    if (!lock)
        return false;
    *width = v3d::DibGetWidth(lock.get());
    *height = std::abs(static_cast<int>(v3d::DibGetHeight(lock.get())));
    return *width > 0 && *height > 0;
}

CView3dFrm* FrameOfPane(const wxWindow* pane) {
    for (const wxWindow* w = pane; w; w = w->GetParent())
        if (auto* f = dynamic_cast<const CView3dFrm*>(w))
            return const_cast<CView3dFrm*>(f);
    return nullptr;
}

CMainFrame* MainOfPane(const wxWindow* pane) {
    for (const wxWindow* w = pane; w; w = w->GetParent())
        if (auto* f = dynamic_cast<const CMainFrame*>(w))
            return const_cast<CMainFrame*>(f);
    return dynamic_cast<CMainFrame*>(wxTheApp ? wxTheApp->GetTopWindow() : nullptr);
}

wxFont PaneFont(int pixelHeight, bool bold) {
    wxFont font(wxFontInfo(bold ? 10 : 9).FaceName(kPaneFace).Bold(bold));
    if (pixelHeight > 0)
        font.SetPixelSize(wxSize(0, bold ? pixelHeight * 10 / 9 : pixelHeight));
    return font;
}

int PaperLinePixels(int fontPixels) {
    return fontPixels > 0 ? std::max(1, static_cast<int>(std::lround(fontPixels / 12.0))) : 1;
}

void CrispLines(wxDC& dc) {
    if (wxGraphicsContext* gc = dc.GetGraphicsContext())
        gc->SetAntialiasMode(wxANTIALIAS_NONE);
}

void ShowPaneMenu(wxWindow* pane, int menuId, int x, int y) {
    ShowPaneMenu(pane, ui::BuildPopupMenu(menuId, 0), x, y);
}

void ShowPaneMenu(wxWindow* pane, wxMenu* built, int x, int y) {
    std::unique_ptr<wxMenu> menu(built);
    CView3dFrm* frame = FrameOfPane(pane);
    if (!frame || !menu)
        return;
    if (auto* view = dynamic_cast<ui::View*>(pane))
        frame->SetActiveView(view);
    frame->PopupMenu(menu.get(), frame->ScreenToClient(pane->ClientToScreen(wxPoint(x, y))));
}

bool CopyPaneToClipboard(const wxWindow* pane, PaneRole role) {
    CView3dFrm* frame = FrameOfPane(pane);
    wxImage image;
    if (!frame || !frame->RenderPaneToImage(role, &image))
        return false;
    return ui::PutBitmapOnClipboard(wxBitmap(image));
}

void GiveSpinItsRoom(wxSpinButton* spin, int characters) {
    GtkWidget* widget = spin ? spin->GetHandle() : nullptr;
    if (!widget || !GTK_IS_ENTRY(widget))
        return;
    // The entry asks for that many digits; the spin's own minimum then holds them, its halves
    // and its padding (the best size wx reports takes the padding off again).
    gtk_entry_set_width_chars(GTK_ENTRY(widget), std::max(characters, 1));
    int width = 0, height = 0, natural = 0;
    gtk_widget_get_preferred_width(widget, &width, &natural);
    gtk_widget_get_preferred_height(widget, &height, &natural);
    spin->SetSize(wxSize(width, std::max(height, spin->GetSize().y)));
}

void DrawPatternFrame(wxDC& dc, const RECT& r, int phase, COLORREF text, COLORREF back) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return;
    const wxColour t = ToColour(text), b = ToColour(back);
    CrispLines(dc);
    patternRun(dc, r.left, r.top, 1, 0, w, phase, t, b);        // top
    patternRun(dc, r.left, r.bottom - 1, 1, 0, w, phase, t, b); // bottom
    patternRun(dc, r.left, r.top, 0, 1, h, phase, t, b);        // left
    patternRun(dc, r.right - 1, r.top, 0, 1, h, phase, t, b);   // right
}

} // namespace brx
