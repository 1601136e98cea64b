// The base of the 2D panes of a 3D document frame: one of the document's pictures fitted into
// the client area with its aspect kept, the contour or slice overlay of the height map, and the
// fitted rectangle the derived panes draw their overlays in, by the content kind (PaneContent;
// any other kind: the background only).
//
// A pane also owns the eight crawling frame patterns (bitmaps 6011..6018), shows the edit menu
// 154 on a right click, copies its picture to the clipboard and prints (or previews) a page:
// the frame's screenshot when the frame holds one, else the frame's report page. Entries that
// a derived pane maps itself (its own copy, its own menu) come before these.
#pragma once

#include "platform/WinTypes.h"
#include "ui/CanvasView.h"
#include "viewer3d/core/data/View3dData.h"
#include "viewer3d/measure/core/ImageGeometry.h"

#include <wx/brush.h>

#include <array>
#include <functional>
#include <string>

class wxBitmap;
class wxPrintData;
class wxPrintout;
class wxWindow;

namespace v3d {

class PrintPageSource;

// What became of a print run: printed or previewed, given up by the user in the printer
// dialog, or failed (no printer job could be started, no preview could be made).
enum class PrintResult { Done, Cancelled, Failed };
// What a print request asks for: the page printed (printer dialog first), the page in a preview
// window, or the printer set-up dialog.
enum class PrintRequest { Print, Preview, Setup };
// How print requests are carried out. The real service drives the printer dialogs and the
// preview window; a test puts its own in (an empty function puts the real one back). The source
// is null for the set-up.
using PrintService =
    std::function<PrintResult(wxWindow* parent, PrintPageSource* source, PrintRequest request)>;
PrintService SetPrintService(PrintService service);
// The printer and paper the user chose last (set-up or printer dialog), used by every run.
wxPrintData& PrintSettings();
// The printer set-up dialog (the application's print set-up command).
PrintResult RunPrintSetup(wxWindow* parent);

// What a printed page of a pane shows, given by the document frame that holds the pane.
class PrintPageSource {
public:
    virtual ~PrintPageSource() = default;
    // The captured main window waiting to be printed; null (or not valid): print the report.
    virtual const wxBitmap* PrintScreenshot() const = 0;
    // Draws the report page of the shown screen on a page of w x h device pixels.
    virtual void PrintReport(wxDC& dc, int pageWidth, int pageHeight, int dpiX, int dpiY) = 0;
    // Around each print or preview rendering (printing flag, the 3D picture kept for the page).
    virtual void BeginPrinting() {}
    virtual void EndPrinting() {}
};

class CBaseImgView : public ui::CanvasView {
public:
    explicit CBaseImgView(wxWindow* parent, wxWindowID id = wxID_ANY);

    void OnDraw(wxDC& dc) override;
    // Paints the pane into another device context (a bitmap) as on the screen.
    void DrawTo(wxDC& dc) { OnDraw(dc); }

    int16_t contentKind = kContentImage; // PaneContent
    COLORREF frameColour = RGB(255, 255, 0);
    COLORREF backgroundColour = RGB(255, 255, 255);
    RECT imageRect{};  // where the image was fitted at the last paint
    RECT clientRect{}; // client area at the last paint
    int imageWidth = 0, imageHeight = 0;
    RECT roiRect{};
    int antsPhase = 0;
    int previewFlag = 0;

    // The pattern brushes of bitmaps 6011..6018 (8 x 8 stipples); a bitmap that does not load
    // stops the loading and leaves it and the rest empty. The number loaded.
    int LoadPatternBrushes();
    const wxBrush& PatternBrush(int phase) const { return patternBrushes_[phase & 7]; }

    // The edit popup (menu 154) at a client point, routed through this pane.
    void ShowContextMenu(wxPoint client);
    // The pane's picture (the part where the image was fitted) on the clipboard as an image;
    // false when there is none or the clipboard did not take it.
    virtual bool OnCopy();
    // Prints or previews the page of the frame that holds the pane (Failed when the pane is
    // in no frame that prints).
    PrintResult OnFilePrint(bool preview);

    // Font and metrics of a printed page (text sized once: 9 points on paper); with a header,
    // the data name line at (text left, top margin).
    static image::PrintPageMetrics SetupPrintPage(wxDC& dc, int pageWidth, int pageHeight, int dpiX, int dpiY,
                                                  const std::string* header);
    // The header line of a document: its path (or title) and, on the 3D screen, its name text.
    std::string PrintHeader() const;
    // The screenshot fitted into the text area of the page, copied in tiles of at most 1024.
    static void PrintFrameScreenshot(wxDC& dc, const image::PrintPageMetrics& m, const wxBitmap& shot);
    // One page of a source: the screenshot when there is one, else the report.
    static bool PrintPage(PrintPageSource& source, wxDC& dc, int pageWidth, int pageHeight, int dpiX,
                          int dpiY);
    // The one-page printout of a source (owned by the caller).
    static wxPrintout* MakePrintout(PrintPageSource* source);
    // Prints (printer dialog) or opens a preview window under parent; the pane, when given,
    // carries the preview flag while its preview window is open. A failure is told to the user
    // (0xF106); a run the user cancelled is not.
    static PrintResult RunPrint(wxWindow* parent, PrintPageSource* source, bool preview,
                                CBaseImgView* pane = nullptr);

protected:
    // WM_CONTEXTMENU: the edit popup where the pointer is (at the pane's corner from the keyboard).
    LRESULT OnContextMenu(WPARAM, LPARAM point);
    static bool openPreview(wxWindow* parent, PrintPageSource* source, CBaseImgView* pane);

    View3dData* data() const;
    // The picture a kind shows (null: none); the contour and slice kinds give the height display
    // image, whose size the overlay is fitted by.
    HDIB pictureOf(View3dData& d, int kind) const;

private:
    std::array<wxBrush, 8> patternBrushes_;
};

} // namespace v3d
