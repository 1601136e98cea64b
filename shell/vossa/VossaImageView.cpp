#include "shell/vossa/VossaImageView.h"

#include "devices/camera/ProcParameter.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/bitmaps/DibConvert.h"
#include "imaging/compose/FocusComp.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/controls/ScaleStatic.h"
#include "shell/core/compose/CompositionRun.h"
#include "shell/core/layout/ViewGeometry.h"
#include "shell/core/layout/VossaGeometry.h"
#include "shell/vossa/VossaHost.h"
#include "ids/VantorelIds.h"

#include <wx/dc.h>

#include <chrono>

void PaintVossaCaption(wxDC& dc, const wxSize& client, const wxString& caption) {
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.SetPen(*wxBLACK_PEN);
    dc.DrawRectangle(0, 0, client.x, client.y);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(*wxWHITE);
    dc.SetFont(wxFont(wxFontInfo(wxSize(0, 16)).FaceName("Noto Serif CJK JP")));
    const wxSize t = dc.GetTextExtent(caption);
    dc.DrawText(caption, (client.x - t.x) / 2, (client.y - t.y) / 2);
}

CVossaImageView::CVossaImageView() : ui::FormView(vtid::dlg::VossaPreview) {
    ReplaceControl(vtid::VossaPreview::Preview,
                   [this](wxWindow* parent, const ui::ControlTemplate& c, const wxRect& r) {
                       m_pPicture = new CSampleStatic(parent, c.id, r, wxString::FromUTF8("フォーカス合成"));
                       return static_cast<wxWindow*>(m_pPicture);
                   });
}

CVossaImageView::~CVossaImageView() {
    // Whatever the composer holds goes with the view (also when it never got a frame).
    FreeComposition();
}

bool CVossaImageView::Create(wxWindow* parent) {
    if (VossaHost* host = dynamic_cast<VossaHost*>(wxGetTopLevelParent(parent)))
        m_pParams = host->JoinVossaView(this);
    if (!ui::FormView::Create(parent))
        return false;
    SetWindowStyleFlag(GetWindowStyleFlag() & ~wxBORDER_MASK);
    HidePicture();
    Bind(wxEVT_SIZE, [this](wxSizeEvent& ev) {
        ev.Skip();
        LayoutPicture();
        Refresh();
    });
    return true;
}

COrsandelDoc* CVossaImageView::GetVossaDocument() const {
    return dynamic_cast<COrsandelDoc*>(ui::View::GetDocument());
}

void CVossaImageView::OnInitialUpdate() {
    m_pDoc = GetVossaDocument();
}

void CVossaImageView::OnDraw(wxDC& dc) {
    PaintVossaCaption(dc, GetClientSize(), "FOCUSING PREVIEW");
}

void CVossaImageView::StartComposition() {
    FreeComposition();
    COrsandelDoc* doc = m_pDoc ? m_pDoc : GetVossaDocument();
    m_pComposer = std::make_unique<CFocusComp>();
    // Size parameter 8; the frames are not aligned (there are no pattern points) and the maps
    // have one cell per pixel.
    if (!m_pComposer->StartSeries(CompositionSettings(doc, m_nImageWidth, m_nImageHeight, 8)))
        m_pComposer.reset(); // short of memory: frames are not composed
    m_nFramesComposed = 0;
    HidePicture();
}

void CVossaImageView::AddFrame(HDIB frame, int* imageType) {
    if (!frame || !m_pComposer)
        return;
    {
        GlobalLockGuard lock(frame);
        const int w = DibGetWidth(lock.get());
        const int h = DibGetHeight(lock.get());
        if (m_nFramesComposed == 0 && (w != m_pComposer->Width() || h != m_pComposer->Height())) {
            m_nImageWidth = w;
            m_nImageHeight = h;
            StartComposition();
            if (!m_pComposer)
                return;
        }
    }
    const auto t0 = std::chrono::steady_clock::now();
    const int added = m_pComposer->AddImage(frame);
    m_dLastAddMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    if (!added)
        return; // another size or depth than the series: not counted, nothing new to show
    ++m_nFramesComposed;
    HDIB composite = m_pComposer->GetComposite();
    if (!composite || !m_pPicture)
        return;
    const CamParamRecord* record = m_pParams ? m_pParams->m_pRecord : nullptr;
    HDIB shown = DibConvertForDisplay(composite, nullptr, record ? record->RangeLow() : 0,
                                      record ? record->RangeHi() : 255, imageType ? *imageType : -1, -1);
    m_pPicture->SetImage(shown ? shown : composite, -1, 0, 0, 0);
    if (shown)
        GlobalFree(shown);
    if (!m_pPicture->IsShown()) {
        LayoutPicture();
        m_pPicture->Show();
    }
}

bool CVossaImageView::Compose() {
    return m_pComposer && m_nFramesComposed > 0 && m_pComposer->Compose();
}

void CVossaImageView::FreeComposition() {
    if (!m_pComposer)
        return;
    m_pComposer->FreeAll();
    if (HDIB composite = m_pComposer->TakeComposite())
        GlobalFree(composite);
    m_pComposer->FreeWorkMaps(1);
    m_pComposer.reset();
}

HDIB CVossaImageView::Composite() const {
    return m_pComposer && m_nFramesComposed > 0 ? m_pComposer->GetComposite() : nullptr;
}

void CVossaImageView::SetImageSize(int width, int height) {
    m_nImageWidth = width;
    m_nImageHeight = height;
    LayoutPicture();
}

void CVossaImageView::HidePicture() {
    if (!m_pPicture)
        return;
    m_pPicture->SetImage(nullptr, -1, 0, 0, 0);
    m_pPicture->SetSize(0, 0, 0, 0);
    m_pPicture->Hide();
}

void CVossaImageView::LayoutPicture() {
    if (!m_pPicture || !m_pPicture->HasImage())
        return;
    const wxSize s = GetClientSize();
    const auto rect = VossaPictureRect(RECT{0, 0, s.x, s.y}, m_nImageWidth, m_nImageHeight);
    if (!rect)
        return;
    const wxRect r(rect->left, rect->top, RectWidth(*rect), RectHeight(*rect));
    if (m_pPicture->GetRect() != r) // the step lays out at every frame: move only on a change
        m_pPicture->SetSize(r);
}
