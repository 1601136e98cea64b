// Printing of a 3D document frame: the pane that prints, the screenshot waiting to be printed,
// the report page, and what is prepared around a print run.
#include "ids/BrelvoxaIds.h"
#include "viewer3d/app/MainFrame.h"
#include "ui/Clipboard.h"
#include "viewer3d/app/ReportPage.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"
#include "viewer3d/measure/gui/BaseImgView.h"
#include "viewer3d/render/View3dView.h"
#include "viewer3d/measure/gui/ScreenBitmapFile.h"
#include "ui/Services.h"
#include "ui/resources/ResourceRegistry.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/display.h>

namespace brx {

void CView3dFrm::OnFilePrint(bool preview) {
    CView3dDoc* d = Doc();
    if (!d)
        return;
    const PaneRole role = d->ScreenMode() == v3d::kScreenMeasure ? kPaneProfileGraph : kPaneSlice;
    auto* pane = dynamic_cast<v3d::CBaseImgView*>(GetPaneWindow(role));
    if (pane)
        pane->OnFilePrint(preview);
    else
        v3d::CBaseImgView::RunPrint(this, this, preview); // the pane of the role is not a 2D pane yet
}

wxBitmap CView3dFrm::GrabMainWindow() const {
    wxWindow* top = main_;
    if (!top)
        return wxBitmap();
    // The main window's rectangle cut to its screen.
    const int index = wxDisplay::GetFromWindow(top);
    const wxRect screen = wxDisplay(index == wxNOT_FOUND ? 0u : static_cast<unsigned>(index)).GetGeometry();
    const wxRect area = top->GetScreenRect().Intersect(screen);
    if (area.IsEmpty())
        return wxBitmap();
    wxBitmap shot(area.width, area.height, 24);
    wxScreenDC from;
    wxMemoryDC to(shot);
    if (!to.Blit(0, 0, area.width, area.height, &from, area.x, area.y))
        return wxBitmap();
    to.SelectObject(wxNullBitmap);
    return shot;
}

bool CView3dFrm::CaptureScreenshot() {
    const wxBitmap shot = GrabMainWindow();
    if (!shot.IsOk())
        return false;
    SetScreenshot(shot);
    return true;
}

void CView3dFrm::OnScreenshotToClipboard() {
    const wxBitmap shot = GrabMainWindow();
    ui::PutBitmapOnClipboard(shot);
}

void CView3dFrm::OnScreenshotToFile() {
    // Taken before the save dialog covers the window.
    const wxBitmap shot = GrabMainWindow();
    if (!shot.IsOk())
        return;
    const auto& r = ui::Resources();
    ui::FileDialogRequest request;
    request.open = false;
    request.filter = r.LoadString(bxid::str::BmpFiles) + "|" + r.LoadString(bxid::str::BmpPattern);
    const ui::FileDialogResult chosen = ui::RunFileDialog(this, request);
    if (chosen.paths.empty())
        return;
    std::string path = chosen.paths.front();
    const size_t slash = path.find_last_of('/'), dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        path += ".bmp"; // a name without an extension still gives a bitmap file
    v3d::SaveBitmapAsBmp(shot, path);
}

void CView3dFrm::SetScreenshot(const wxBitmap& shot) {
    screenshot_ = shot.IsOk() ? std::make_unique<wxBitmap>(shot) : nullptr;
}

void CView3dFrm::ClearScreenshot() {
    screenshot_.reset();
}

const wxBitmap* CView3dFrm::PrintScreenshot() const {
    return screenshot_ && screenshot_->IsOk() ? screenshot_.get() : nullptr;
}

void CView3dFrm::PrintReport(wxDC& dc, int pageWidth, int pageHeight, int dpiX, int dpiY) {
    PrintReportPage(this, dc, pageWidth, pageHeight, dpiX, dpiY);
}

void CView3dFrm::BeginPrinting() {
    CView3dDoc* d = Doc();
    if (!d)
        return;
    d->printing = 1;
    // The 3D picture of the page, rendered once off screen by the 3D pane.
    if (view3d_) {
        d->FreeRenderCache();
        d->renderCache = view3d_->RenderToDib();
    }
}

void CView3dFrm::EndPrinting() {
    CView3dDoc* d = Doc();
    if (!d)
        return;
    d->printing = 0;
    d->FreeRenderCache();
    main_->SwitchModeMenu(d->ScreenMode(), 1);
}

} // namespace brx
