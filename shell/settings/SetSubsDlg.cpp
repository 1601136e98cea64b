#include "shell/settings/SetSubsDlg.h"

#include "ui/DataExchange.h"
#include "ui/ResourceWidgets.h"
#include "ids/VantorelIds.h"

#include <wx/dcclient.h>

namespace ids = vtid::StereoDetailsDialog;

namespace {
constexpr int kManual = 1;
// The picture's feature areas are three bands; each band's button sits beside its middle.
constexpr int kBandMiddles[3] = {23, 57, 91};
} // namespace

CSetSubsDlg::CSetSubsDlg(wxWindow* parent) : TemplateDialog(parent, vtid::dlg::StereoDetailsDialog) {
    ReplaceControl(ids::AreaPicture, [this](wxWindow* p, const ui::ControlTemplate& c, const wxRect& r) {
        m_picture =
            new wxWindow(p, c.id, r.GetPosition(), wxSize(kPictureWidth, kPictureHeight), wxBORDER_NONE);
        m_picture->Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
            wxPaintDC dc(m_picture);
            const wxBitmap bitmap = ui::LoadBitmapResource(vtid::img::FeatureAreasPicture);
            if (bitmap.IsOk())
                dc.DrawBitmap(bitmap, 0, 0);
        });
        return m_picture;
    });
    for (int method = 0; method < 2; ++method)
        OnCommand(ids::AutoMatch + method, [this, method] { OnMethod(method); });
    for (int area = 0; area < 3; ++area)
        OnCommand(ids::Area1 + area, [this, area] { m_area = area; });
}

void CSetSubsDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Radio(ids::AutoMatch, m_method);
    dx.Radio(ids::Area1, m_area);
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
        if (wxWindow* b = GetDlgItem(ids::Area1 + i)) {
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
    for (int id : {ids::Area1, ids::Area2, ids::Area3, ids::AreaPrompt})
        EnableItem(id, manual);
}
