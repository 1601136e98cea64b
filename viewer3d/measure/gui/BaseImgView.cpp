#include "viewer3d/measure/gui/BaseImgView.h"

#include "ids/BrelvoxaIds.h"
#include "ui/Clipboard.h"
#include "imaging/gui/WxDibDrawTarget.h"
#include "platform/MessageSink.h"
#include "ui/Document.h"
#include "ui/ResourceWidgets.h"
#include "ui/ViewFrame.h"
#include "ui/resources/ResourceRegistry.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/render/View3dView.h"
#include "viewer3d/measure/core/ImageGeometry.h"
#include "viewer3d/measure/core/PrintTiles.h"
#include "viewer3d/measure/core/SoftwareRaster.h"

#include <wx/dc.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/print.h>
#include <wx/printdlg.h>
#include <wx/weakref.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace v3d {
namespace {

int heightOf(const void* block) {
    return std::abs(static_cast<int>(DibGetHeight(block)));
}

// An 8-bit overlay picture (white where set) as an RGB buffer, red where set.
wxBitmap redSlice(HDIB picture, int width, int height) {
    if (!CWxDibDrawTarget::RoomForPicture(width, height))
        return {};
    GlobalLockGuard lock(picture);
    image::RgbBuffer out(width, height, 0);
    if (!lock || width <= 0 || height <= 0)
        return {};
    const int w = DibGetWidth(lock.get()), h = heightOf(lock.get());
    if (!CWxDibDrawTarget::RoomForPicture(w, h))
        return {};
    image::RgbBuffer source(w, h, 0);
    std::vector<int> row(w);
    for (int y = 0; y < h; ++y) {
        v3d::DibReadRow(row.data(), lock.get(), 0, y, w);
        for (int x = 0; x < w; ++x)
            source.Set(x, y, row[x] ? RGB(255, 255, 255) : RGB(0, 0, 0));
    }
    image::MergeCopyRed(out, RECT{0, 0, width, height}, source);
    wxImage img(width, height);
    if (!img.IsOk())
        return {};
    std::copy(out.rgb.begin(), out.rgb.end(), img.GetData());
    return wxBitmap(img);
}

// The eight frame patterns follow each other from the first.
constexpr int kPatternFirst = bxid::img::FramePattern1;
constexpr const char* kPageFace = "Noto Sans CJK JP";

// One page, in the printer's device pixels (the preview scales them).
class PanePrintout : public wxPrintout {
public:
    explicit PanePrintout(PrintPageSource* source)
        : wxPrintout(wxString::FromUTF8(ui::Resources().LoadString(bxid::str::AppTitle))), source_(source) {}
    bool HasPage(int page) override { return page == 1; }
    void GetPageInfo(int* minPage, int* maxPage, int* from, int* to) override {
        *minPage = *maxPage = *from = *to = 1;
    }
    void OnBeginPrinting() override {
        if (source_)
            source_->BeginPrinting();
    }
    void OnEndPrinting() override {
        if (source_)
            source_->EndPrinting();
    }
    bool OnPrintPage(int) override {
        wxDC* dc = GetDC();
        int w = 0, h = 0, dpiX = 0, dpiY = 0;
        GetPageSizePixels(&w, &h);
        GetPPIPrinter(&dpiX, &dpiY);
        if (!dc || !source_ || w <= 0 || h <= 0 || dpiX <= 0 || dpiY <= 0)
            return false;
        // The page is drawn in the printer's pixels; a preview's DC is smaller and scales them.
        const wxSize target = dc->GetSize();
        if (target.x > 0 && target.y > 0 && (target.x != w || target.y != h))
            dc->SetUserScale(static_cast<double>(target.x) / w, static_cast<double>(target.y) / h);
        return CBaseImgView::PrintPage(*source_, *dc, w, h, dpiX, dpiY);
    }

private:
    PrintPageSource* source_;
};

PrintService printService;

PrintPageSource* sourceAbove(const wxWindow* pane) {
    for (const wxWindow* w = pane; w; w = w->GetParent())
        if (auto* s = dynamic_cast<const PrintPageSource*>(w))
            return const_cast<PrintPageSource*>(s);
    return nullptr;
}

} // namespace

CBaseImgView::CBaseImgView(wxWindow* parent, wxWindowID id) : ui::CanvasView(parent, id) {
    // A pane is worked with the mouse only and never takes the keyboard focus: a focused window
    // hands its X window to the input method, which (XIM, as Japanese locales choose) makes it a
    // native X child window that the pane's paints no longer reach, so that it kept what a drag
    // or a closed dialog had left on it.
    SetCanFocus(false);
    LoadPatternBrushes();
    OnCommand(bxid::cmd::Copy, [this] { OnCopy(); });
    OnCommand(bxid::cmd::Print, [this] { OnFilePrint(false); });
    OnCommand(bxid::cmd::PrintDirect, [this] { OnFilePrint(false); });
    OnCommand(bxid::cmd::PrintPreview, [this] { OnFilePrint(true); });
    OnMessage(ui::WM_CONTEXTMENU, &CBaseImgView::OnContextMenu);
    EndBaseClassEntries(); // a derived pane's own copy and menu come first
}

int CBaseImgView::LoadPatternBrushes() {
    for (auto& b : patternBrushes_)
        b = wxBrush();
    for (int k = 0; k < 8; ++k) {
        const wxBitmap bitmap = ui::LoadBitmapResource(kPatternFirst + k);
        if (!bitmap.IsOk())
            return k;
        patternBrushes_[k] = wxBrush(bitmap);
    }
    return 8;
}

LRESULT CBaseImgView::OnContextMenu(WPARAM, LPARAM point) {
    const wxPoint screen(static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point)));
    ShowContextMenu(screen == wxDefaultPosition ? wxPoint(0, 0) : ScreenToClient(screen));
    return 0;
}

void CBaseImgView::ShowContextMenu(wxPoint client) {
    std::unique_ptr<wxMenu> menu(ui::BuildPopupMenu(bxid::menu::CopyMenu, 0));
    if (!menu)
        return;
    // Owned by the document frame, which routes the item through this pane as its active view.
    ui::ViewFrame* frame = GetParentFrame();
    if (auto* owner = dynamic_cast<wxWindow*>(frame)) {
        frame->SetActiveView(this);
        owner->PopupMenu(menu.get(), owner->ScreenToClient(ClientToScreen(client)));
    } else {
        PopupMenu(menu.get(), client);
    }
}

bool CBaseImgView::OnCopy() {
    const wxSize size = GetClientSize();
    if (size.x <= 0 || size.y <= 0)
        return false;
    wxBitmap bitmap(size.x, size.y, 24);
    {
        wxMemoryDC dc(bitmap);
        DrawTo(dc);
    }
    const RECT r = imageRect;
    const wxRect part = wxRect(r.left, r.top, r.right - r.left, r.bottom - r.top).Intersect(wxRect(size));
    if (part.IsEmpty())
        return false;
    return ui::PutBitmapOnClipboard(bitmap.GetSubBitmap(part));
}

PrintResult CBaseImgView::OnFilePrint(bool preview) {
    PrintPageSource* source = sourceAbove(this);
    if (!source)
        return PrintResult::Failed;
    wxWindow* parent = wxGetTopLevelParent(this);
    for (wxWindow* w = this; w; w = w->GetParent())
        if (dynamic_cast<PrintPageSource*>(w) == source)
            parent = w;
    return RunPrint(parent, source, preview, this);
}

std::string CBaseImgView::PrintHeader() const {
    const ui::Document* doc = GetDocument();
    View3dData* d = data();
    if (!doc)
        return std::string();
    const std::string name = doc->GetPathName().empty() ? doc->GetTitle() : doc->GetPathName();
    const std::string extra =
        d && d->ScreenMode() == kScreen3d ? d->GetViewState()->CommentUtf8() : std::string();
    const std::string format = ui::Resources().LoadString(bxid::str::DataNameCaption);
    std::string out(format.size() + name.size() + extra.size() + 16, '\0');
    const int n = std::snprintf(out.data(), out.size(), format.c_str(), name.c_str(), extra.c_str());
    out.resize(n > 0 ? std::min<size_t>(static_cast<size_t>(n), out.size() - 1) : 0);
    return out;
}

image::PrintPageMetrics CBaseImgView::SetupPrintPage(wxDC& dc, int pageWidth, int pageHeight, int dpiX,
                                                     int dpiY, const std::string* header) {
    // The font is sized once for the printer: 9 points on paper whatever its resolution.
    wxFont font(wxFontInfo(9).FaceName(kPageFace));
    font.SetPixelSize(wxSize(0, image::PageFontPixels(dpiY)));
    dc.SetFont(font);
    const wxSize ch = dc.GetTextExtent("0");
    const image::PrintPageMetrics m = image::MakePageMetrics(pageWidth, pageHeight, dpiX, dpiY, ch.x, ch.y);
    if (header) {
        dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
        dc.SetTextForeground(*wxBLACK);
        dc.DrawText(wxString::FromUTF8(*header), m.textLeft, m.topMargin);
    }
    return m;
}

void CBaseImgView::PrintFrameScreenshot(wxDC& dc, const image::PrintPageMetrics& m, const wxBitmap& shot) {
    if (!shot.IsOk())
        return;
    const wxImage whole = shot.ConvertToImage();
    const RECT dest = image::ScreenshotPlacement(m, whole.GetWidth(), whole.GetHeight());
    for (const image::PrintTile& t : image::ScreenshotTiles(dest, whole.GetWidth(), whole.GetHeight())) {
        const wxRect from(t.source.left, t.source.top, t.source.right - t.source.left,
                          t.source.bottom - t.source.top);
        // Nearest samples, as a colour-on-colour stretch copies them.
        wxImage piece = whole.GetSubImage(from);
        piece.Rescale(t.dest.right - t.dest.left, t.dest.bottom - t.dest.top, wxIMAGE_QUALITY_NEAREST);
        dc.DrawBitmap(wxBitmap(piece), t.dest.left, t.dest.top);
    }
}

bool CBaseImgView::PrintPage(PrintPageSource& source, wxDC& dc, int pageWidth, int pageHeight, int dpiX,
                             int dpiY) {
    const wxBitmap* shot = source.PrintScreenshot();
    if (shot && shot->IsOk()) {
        const image::PrintPageMetrics m = SetupPrintPage(dc, pageWidth, pageHeight, dpiX, dpiY, nullptr);
        PrintFrameScreenshot(dc, m, *shot);
        return true;
    }
    source.PrintReport(dc, pageWidth, pageHeight, dpiX, dpiY);
    return true;
}

wxPrintout* CBaseImgView::MakePrintout(PrintPageSource* source) {
    return new PanePrintout(source);
}

PrintResult CBaseImgView::RunPrint(wxWindow* parent, PrintPageSource* source, bool preview,
                                   CBaseImgView* pane) {
    if (!source)
        return PrintResult::Failed;
    PrintResult result = PrintResult::Failed;
    if (printService) {
        result = printService(parent, source, preview ? PrintRequest::Preview : PrintRequest::Print);
    } else if (!preview) {
        wxPrintDialogData data(PrintSettings());
        wxPrinter printer(&data);
        std::unique_ptr<wxPrintout> printout(MakePrintout(source));
        if (printer.Print(parent, printout.get(), true)) {
            PrintSettings() = printer.GetPrintDialogData().GetPrintData();
            result = PrintResult::Done;
        } else {
            result = wxPrinter::GetLastError() == wxPRINTER_CANCELLED ? PrintResult::Cancelled
                                                                      : PrintResult::Failed;
        }
    } else {
        result = openPreview(parent, source, pane) ? PrintResult::Done : PrintResult::Failed;
    }
    if (result == PrintResult::Failed)
        ShowMessage(bxid::str::CannotStartPrinting, MB_OK | MB_ICONEXCLAMATION);
    return result;
}

bool CBaseImgView::openPreview(wxWindow* parent, PrintPageSource* source, CBaseImgView* pane) {
    wxPrintDialogData data(PrintSettings());
    auto* view = new wxPrintPreview(MakePrintout(source), MakePrintout(source), &data);
    if (!view->IsOk()) {
        delete view;
        return false;
    }
    auto* window =
        new wxPreviewFrame(view, parent, wxString::FromUTF8(ui::Resources().LoadString(bxid::str::AppTitle)),
                           wxDefaultPosition, wxSize(900, 1000));
    if (pane) {
        pane->previewFlag = 1;
        // The flag ends with the preview window, unless the pane went first.
        wxWeakRef<CBaseImgView> weak(pane);
        window->Bind(wxEVT_DESTROY, [weak, window](wxWindowDestroyEvent& ev) {
            if (ev.GetEventObject() == window && weak)
                weak->previewFlag = 0;
            ev.Skip();
        });
    }
    window->Initialize();
    window->Show();
    return true;
}

PrintService SetPrintService(PrintService service) {
    PrintService old = std::move(printService);
    printService = std::move(service);
    return old;
}

wxPrintData& PrintSettings() {
    static wxPrintData settings;
    return settings;
}

PrintResult RunPrintSetup(wxWindow* parent) {
    if (printService)
        return printService(parent, nullptr, PrintRequest::Setup);
    wxPageSetupDialogData data(PrintSettings());
    wxPageSetupDialog dialog(parent, &data);
    if (dialog.ShowModal() != wxID_OK)
        return PrintResult::Cancelled;
    PrintSettings() = dialog.GetPageSetupDialogData().GetPrintData();
    return PrintResult::Done;
}

View3dData* CBaseImgView::data() const {
    auto* doc = dynamic_cast<SceneDocument*>(GetDocument());
    return doc ? &doc->SceneData() : nullptr;
}

HDIB CBaseImgView::pictureOf(View3dData& d, int kind) const {
    switch (kind) {
    case kContentImage:
        return d.textureDisplay ? d.textureDisplay : d.TexturePlane();
    case kContentMeasureImage:
        if (d.regionCut[1])
            return d.regionCutDisplay[1] ? d.regionCutDisplay[1] : d.regionCut[1];
        return pictureOf(d, kContentImage);
    case kContentContour:
    case kContentSlice:
        return d.heightDisplay;
    default:
        return nullptr;
    }
}

void CBaseImgView::OnDraw(wxDC& dc) {
    const wxSize size = dc.GetSize();
    clientRect = RECT{0, 0, size.x, size.y};
    dc.SetBackground(wxBrush(
        wxColour(GetRValue(backgroundColour), GetGValue(backgroundColour), GetBValue(backgroundColour))));
    dc.Clear();
    View3dData* d = data();
    if (!d || contentKind < kContentImage || contentKind > kContentMeasureImage)
        return;
    HDIB picture = pictureOf(*d, contentKind);
    int w = 0, h = 0;
    {
        GlobalLockGuard lock(picture);
        if (!lock)
            return; // a missing image leaves the background
        w = DibGetWidth(lock.get());
        h = heightOf(lock.get());
    }
    RECT fit;
    if (!image::CalcFitRect(w, h, size.x, size.y, &fit))
        return; // an image of no size: background only
    if (contentKind == kContentImage || contentKind == kContentMeasureImage) {
        CWxDibDrawTarget target(dc);
        RECT src{0, 0, w, h};
        v3d::DibDraw(&target, &fit, picture, &src, nullptr);
    } else {
        // The document builds the overlay pictures for the fitted rectangle; a pane shows the
        // one it holds, rebuilt when flagged or when the pane changed size by more than a tenth.
        const bool contour = contentKind == kContentContour;
        HDIB overlay = contour ? d->contourOverlay : d->binaryOverlay;
        int& stale = contour ? d->contourStale : d->binaryStale;
        if (image::OverlayNeedsRebuild(overlay != nullptr, stale != 0, imageRect, fit))
            stale = 1;
        if (stale || !overlay) {
            if (contour)
                d->BuildContourImage(&fit);
            else
                d->BuildBinaryImage(&fit);
            overlay = contour ? d->contourOverlay : d->binaryOverlay;
        }
        if (overlay) {
            const int fw = fit.right - fit.left, fh = fit.bottom - fit.top;
            if (contentKind == kContentSlice) {
                wxBitmap red = redSlice(overlay, fw, fh);
                if (red.IsOk())
                    dc.DrawBitmap(red, fit.left, fit.top);
            } else {
                CWxDibDrawTarget target(dc);
                GlobalLockGuard lock(overlay);
                RECT src{0, 0, DibGetWidth(lock.get()), heightOf(lock.get())};
                v3d::DibDraw(&target, &fit, overlay, &src, nullptr);
            }
        }
    }
    if (fit.left != imageRect.left || fit.top != imageRect.top || fit.right != imageRect.right ||
        fit.bottom != imageRect.bottom) {
        imageRect = fit;
        imageWidth = w;
        imageHeight = h;
    }
}

} // namespace v3d
