// Printing the result: the shown picture fitted to the page with its aspect ratio and centred,
// with the scale bars and the lens label at the page's scale. One page.
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
