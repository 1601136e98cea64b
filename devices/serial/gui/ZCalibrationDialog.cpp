#include "devices/serial/gui/ZCalibrationDialog.h"

#include "devices/serial/PulseValue.h"
#include "devices/serial/XyTblCtrl.h"
#include "ids/VantorelIds.h"
#include "platform/MessageSink.h"
#include "ui/FilteredPaste.h"
#include "ui/Timers.h"

#include <wx/dcclient.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

namespace {
namespace ids = vtid::ZCalibrationDialog;
// The point rows: their labels, edits and position buttons.
constexpr int kPointRows[] = {ids::Point1Label, ids::Point1, ids::TakePoint1,
                              ids::Point2Label, ids::Point2, ids::TakePoint2};
// The black bar under the confirm button: inset from the sides, and its top and bottom below
// the button, in pixels.
constexpr int kBarInset = 10, kBarTop = 10, kBarBottom = 13;

// Whether a typed character may enter a numeric edit at the insertion point: digits; in the
// distance edit one point; in a point edit one minus at the front.
bool AcceptsChar(wxTextCtrl* edit, wxChar ch, bool distance) {
    if (ch >= '0' && ch <= '9')
        return true;
    long from = 0, to = 0;
    edit->GetSelection(&from, &to);
    const wxString text = edit->GetValue();
    const wxString kept = text.Left(from) + text.Mid(to);
    if (ch == '.')
        return distance && kept.Find('.') == wxNOT_FOUND;
    if (ch == '-')
        return !distance && from == 0 && kept.Find('-') == wxNOT_FOUND;
    return false;
}
} // namespace

CZCalibrationDialog::CZCalibrationDialog(wxWindow* parent, ZCalibrationOwner owner)
    : TemplateDialog(parent, vtid::dlg::ZCalibrationDialog), m_owner(std::move(owner)) {
    OnCommand(ids::ByTwoPoints, [this] { SetCalibMode(kZCalibTwoPoint); });
    OnCommand(ids::ByOnePulse, [this] { SetCalibMode(kZCalibOnePulse); });
    OnCommand(ids::TakePoint1, [this] { ReadPosition(ids::Point1); });
    OnCommand(ids::TakePoint2, [this] { ReadPosition(ids::Point2); });
    OnControl(ui::EN_CHANGE, ids::Distance, [this] { Recompute(); });
    OnControl(ui::EN_CHANGE, ids::Point1, [this] { Recompute(); });
    OnControl(ui::EN_CHANGE, ids::Point2, [this] { Recompute(); });
    Bind(wxEVT_PAINT, &CZCalibrationDialog::OnPaint, this);
}

bool CZCalibrationDialog::OnInitDialog() {
    TemplateDialog::OnInitDialog();
    m_dDistance = 0.0;
    m_dResult = 0.0;
    m_nPoint1 = 0;
    m_nPoint2 = 0;
    for (int id : {ids::Distance, ids::Point1, ids::Point2})
        if (auto* edit = Item<wxTextCtrl>(id)) {
            edit->Unbind(wxEVT_CHAR, &CZCalibrationDialog::OnCharInEdit, this);
            edit->Bind(wxEVT_CHAR, &CZCalibrationDialog::OnCharInEdit, this);
            ui::FilterPastes(edit, edit, [edit, distance = id == ids::Distance](int ch) {
                return AcceptsChar(edit, static_cast<wxChar>(ch), distance);
            });
        }
    Recompute();
    return true;
}

void CZCalibrationDialog::OnCharInEdit(wxKeyEvent& ev) {
    auto* edit = dynamic_cast<wxTextCtrl*>(ev.GetEventObject());
    const wxChar ch = ev.GetUnicodeKey();
    // Editing keys, shortcuts and control characters (backspace, tab) pass.
    if (!edit || ch == WXK_NONE || ch < 0x20 || ch == 0x7f || ev.ControlDown() || ev.AltDown()) {
        ev.Skip();
        return;
    }
    if (AcceptsChar(edit, ch, edit->GetId() == ids::Distance))
        ev.Skip();
    else
        wxBell();
}

int CZCalibrationDialog::GetCalibMode() const {
    auto* twoPoint = Item<wxRadioButton>(ids::ByTwoPoints);
    return twoPoint && twoPoint->GetValue() ? kZCalibTwoPoint : kZCalibOnePulse;
}

void CZCalibrationDialog::SetCalibMode(int mode) {
    const bool twoPoint = mode == kZCalibTwoPoint;
    // One button of the group is always checked: checking one unchecks the other.
    if (auto* radio = Item<wxRadioButton>(twoPoint ? ids::ByTwoPoints : ids::ByOnePulse))
        radio->SetValue(true);
    for (int id : kPointRows)
        ShowItem(id, twoPoint);
    Recompute();
    m_dSavedResult = m_dResult;
}

void CZCalibrationDialog::Recompute() {
    m_dDistance = ParseZDistance(GetDlgItemText(ids::Distance).utf8_string());
    m_nPoint1 = ParseZPoint(GetDlgItemText(ids::Point1).utf8_string());
    m_nPoint2 = ParseZPoint(GetDlgItemText(ids::Point2).utf8_string());
    m_dResult = ZCalibrationResult(GetCalibMode(), m_dDistance, m_nPoint1, m_nPoint2);
    SetDlgItemText(ids::Result, wxString::FromUTF8(FormatPulseLabel(m_dResult)));
}

void CZCalibrationDialog::ReadPosition(int editId) {
    int value = 0;
    bool read = false;
    {
        ui::WaitCursor wait;
        int first = 0, second = 0;
        read = m_owner.stage && m_owner.stage->GetPosition(&first, &second);
        if (read)
            value = second;
    }
    SetDlgItemText(editId, wxString::Format("%d", value));
    Recompute();
    // The 0 written is no position of the drive: the user is told, so that no calibration is
    // confirmed with it unnoticed.
    if (!read)
        ShowMessage(vtid::str::WrongController, MB_OK);
}

void CZCalibrationDialog::OnOK() {
    Recompute();
    const double stored = TruncatePulseValue(m_dResult);
    // A result that is zero, or that the four stored decimals would make zero, would leave the
    // capture without a step: the user is asked for a distance and the dialog stays.
    if (m_dResult == 0.0 || stored == 0.0) {
        ShowMessage(vtid::str::NoDistance, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    ZCalibrationValues values;
    values.mode = GetCalibMode();
    values.distance = m_dDistance;
    values.point1 = m_nPoint1;
    values.point2 = m_nPoint2;
    values.umPerPulse = stored;
    if (m_owner.accepted)
        m_owner.accepted(values);
    WriteZCalibrationSettings(values);
    if (m_owner.ended)
        m_owner.ended(true);
    EndDialog(IDOK);
}

void CZCalibrationDialog::OnCancel() {
    if (m_owner.ended)
        m_owner.ended(false);
    EndDialog(IDCANCEL);
}

void CZCalibrationDialog::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    wxWindow* confirm = HasControl(IDOK) ? GetDlgItem(IDOK) : nullptr;
    if (!confirm)
        return;
    const wxRect button = confirm->GetRect();
    const int top = button.GetY() + button.GetHeight() + kBarTop;
    const int width = GetClientSize().x - 2 * kBarInset;
    if (width <= 0)
        return;
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.DrawRectangle(kBarInset, top, width, kBarBottom - kBarTop);
}
