#include "result/ImagePrintout.h"

#include "imaging/bitmaps/Dib.h"
#include "imaging/gui/WxDibDrawTarget.h"
#include "result/ImageDoc.h"
#include "result/ImageView.h"

#include <wx/dc.h>

#include <algorithm>

wxRect FitOnPage(int width, int height, int pageW, int pageH) {
    if (width <= 0 || height <= 0 || pageW <= 0 || pageH <= 0)
        return wxRect();
    int w, h;
    if (double(width) / height >= double(pageW) / pageH) {
        w = pageW;
        h = int(double(pageW) * height / width);
    } else {
        h = pageH;
        w = int(double(pageH) * width / height);
    }
    return wxRect((pageW - w) / 2, (pageH - h) / 2, w, h);
}

wxRect PrintableArea(wxSize dcSize, const PrintPage& page) {
    const wxRect whole(wxPoint(0, 0), dcSize);
    if (page.pagePixels.x <= 0 || page.pagePixels.y <= 0)
        return whole;
    const wxRect pageRect(wxPoint(0, 0), page.pagePixels);
    const bool paperBeyond = page.paperPixels.Contains(pageRect) && page.paperPixels != pageRect;
    if (paperBeyond || page.pageMM.x <= 0 || page.pageMM.y <= 0)
        return whole;
    // The margin in the DC's pixels: millimetres to printer pixels to the DC's scale.
    const int mx = int(kPrintMarginMM * dcSize.x / page.pageMM.x);
    const int my = int(kPrintMarginMM * dcSize.y / page.pageMM.y);
    return wxRect(mx, my, std::max(dcSize.x - 2 * mx, 0), std::max(dcSize.y - 2 * my, 0));
}

CImagePrintout::CImagePrintout(const CImageDoc* doc) : wxPrintout("Vantorel"), m_doc(doc) {}

void CImagePrintout::GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) {
    *minPage = *pageFrom = *pageTo = 1;
    *maxPage = 1;
}

bool CImagePrintout::OnPrintPage(int page) {
    wxDC* dc = GetDC();
    if (!dc || page != 1 || !m_doc)
        return false;
    HDIB pic = m_doc->GetDrawImage();
    if (!pic)
        return false;
    const BYTE* block = static_cast<const BYTE*>(GlobalLock(pic));
    const int w = DibGetWidth(block), h = DibGetHeight(block);
    wxImage image;
    const bool ok = CWxDibDrawTarget::ExtractRect(block, DibGetBits(block), 0, 0, w, h, image);
    GlobalUnlock(pic);
    if (!ok)
        return false;
    PrintPage sheet;
    GetPageSizePixels(&sheet.pagePixels.x, &sheet.pagePixels.y);
    GetPageSizeMM(&sheet.pageMM.x, &sheet.pageMM.y);
    sheet.paperPixels = GetPaperRectPixels();
    const wxRect area = PrintableArea(dc->GetSize(), sheet);
    m_fitted = FitOnPage(w, h, area.width, area.height);
    if (m_fitted.IsEmpty())
        return false;
    m_fitted.Offset(area.GetPosition());
    image.Rescale(m_fitted.width, m_fitted.height, wxIMAGE_QUALITY_NORMAL);
    dc->DrawBitmap(wxBitmap(image), m_fitted.x, m_fitted.y);
    const RECT r{m_fitted.x, m_fitted.y, m_fitted.GetRight() + 1, m_fitted.GetBottom() + 1};
    CImageView::DrawScaleBars(*dc, *m_doc, r, w, double(m_fitted.width) / w, 1.0, ScaleBarTarget::Print);
    return true;
}
