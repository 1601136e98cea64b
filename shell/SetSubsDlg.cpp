#include "shell/SetSubsDlg.h"

#include "ui/DataExchange.h"
#include "ui/ResourceWidgets.h"

#include <wx/dcclient.h>

namespace {
constexpr int kManual = 1;
constexpr int kAreaPicture = 274;
// The picture's feature areas are three bands; each band's button sits beside its middle.
constexpr int kBandMiddles[3] = {23, 57, 91};
} // namespace

CSetSubsDlg::CSetSubsDlg(wxWindow* parent) : TemplateDialog(parent, 264) {
    ReplaceControl(1238, [this](wxWindow* p, const ui::ControlTemplate& c, const wxRect& r) {
        m_picture =
            new wxWindow(p, c.id, r.GetPosition(), wxSize(kPictureWidth, kPictureHeight), wxBORDER_NONE);
        m_picture->Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
            wxPaintDC dc(m_picture);
            const wxBitmap bitmap = ui::LoadBitmapResource(kAreaPicture);
            if (bitmap.IsOk())
                dc.DrawBitmap(bitmap, 0, 0);
        });
        return m_picture;
    });
    for (int method = 0; method < 2; ++method)
        OnCommand(1232 + method, [this, method] { OnMethod(method); });
    for (int area = 0; area < 3; ++area)
        OnCommand(1234 + area, [this, area] { m_area = area; });
}

void CSetSubsDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Radio(1232, m_method);
    dx.Radio(1234, m_area);
}

bool CSetSubsDlg::OnInitDialog() {
    TemplateDialog::OnInitDialog();
    PlaceAreaButtons();
    UpdateEnabling();
    return true;
}

void CSetSubsDlg::PlaceAreaButtons() {
    if (!m_picture)
        return;
    const wxPoint at = m_picture->GetPosition();
    for (int i = 0; i < 3; ++i)
        if (wxWindow* b = GetDlgItem(1234 + i)) {
            const wxSize s = b->GetSize();
            b->Move(at.x + kPictureWidth + 8, at.y + kBandMiddles[i] - s.y / 2);
        }
}

void CSetSubsDlg::OnMethod(int method) {
    m_method = method;
    UpdateEnabling();
}

void CSetSubsDlg::UpdateEnabling() {
    const bool manual = m_method == kManual;
    for (int id : {1234, 1235, 1236, 1237})
        EnableItem(id, manual);
}
