// Printing the result: the shown picture fitted to the printable area of the page with its aspect
// ratio and centred, with the scale bars and the lens label at the page's scale. One page.
#pragma once

#include <wx/print.h>

class CImageDoc;

class CImagePrintout : public wxPrintout {
public:
    explicit CImagePrintout(const CImageDoc* doc);

    bool OnPrintPage(int page) override;
    bool HasPage(int page) override { return page == 1; }
    void GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) override;

    // Where the picture went on the last page drawn (page pixels).
    wxRect FittedRect() const { return m_fitted; }

private:
    const CImageDoc* m_doc;
    wxRect m_fitted;
};

// The picture of width x height fitted into a page of pageW x pageH, centred.
wxRect FitOnPage(int width, int height, int pageW, int pageH);

// What the printout knows of the page: the printer's page (GetPageSizePixels) and its size in
// millimetres, and the paper around it (GetPaperRectPixels, relative to the page's top left).
struct PrintPage {
    wxSize pagePixels;
    wxSize pageMM;
    wxRect paperPixels;
};
// The margin the toolkit's page setup leaves on each side of a paper by default (a quarter inch),
// kept when the page the printer reports is the whole paper.
constexpr double kPrintMarginMM = 6.35;
// The part of a page the printer prints on, in the pixels of a DC of dcSize that shows that page
// (a preview's DC is smaller): the printer's page where the paper reaches beyond it, the page is
// then the printable area; else the page less kPrintMarginMM on each side, as printers do not print
// up to the paper's edges.
wxRect PrintableArea(wxSize dcSize, const PrintPage& page);
