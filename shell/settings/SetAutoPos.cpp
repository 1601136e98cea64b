#include "shell/settings/SetAutoPos.h"

#include "ui/DataExchange.h"
#include "ui/ResourceWidgets.h"
#include "ids/VantorelIds.h"

#include <wx/combobox.h>
#include <wx/dcbuffer.h>

namespace ids = vtid::AlignmentSettingsDialog;

CSetAutoPos::CSetAutoPos(wxWindow* parent) : TemplateDialog(parent, vtid::dlg::AlignmentSettingsDialog) {
    ReplaceControl(ids::AreaFrame, [this](wxWindow* p, const ui::ControlTemplate& c, const wxRect& r) {
        m_frameWindow = new wxWindow(p, c.id, r.GetPosition(), r.GetSize(), wxBORDER_NONE);
        m_frameWindow->SetBackgroundStyle(wxBG_STYLE_PAINT);
        m_frameWindow->Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
            wxAutoBufferedPaintDC dc(m_frameWindow);
            DrawFrame(dc, m_frameWindow->GetClientSize());
        });
        auto toDialog = [this](const wxMouseEvent& ev) {
            return ev.GetPosition() + m_frameWindow->GetPosition();
        };
        m_frameWindow->Bind(wxEVT_MOTION, [this, toDialog](wxMouseEvent& ev) { MouseMove(toDialog(ev)); });
        m_frameWindow->Bind(wxEVT_LEFT_DOWN, [this, toDialog](wxMouseEvent& ev) { MouseDown(toDialog(ev)); });
        m_frameWindow->Bind(wxEVT_LEFT_UP, [this](wxMouseEvent&) { MouseUp(); });
        return m_frameWindow;
    });
    OnControl(ui::CBN_SELCHANGE, ids::AreaCount, &CSetAutoPos::OnDefaultPositions);
    OnCommand(ids::DefaultPositions, &CSetAutoPos::OnDefaultPositions);
    Bind(wxEVT_MOTION, [this](wxMouseEvent& ev) { MouseMove(ev.GetPosition()); });
    Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& ev) { MouseDown(ev.GetPosition()); });
    Bind(wxEVT_LEFT_UP, [this](wxMouseEvent&) { MouseUp(); });
}

void CSetAutoPos::DoDataExchange(ui::DataExchange& dx) {
    dx.ComboIndex(ids::AreaCount, m_countIndex);
}

bool CSetAutoPos::OnInitDialog() {
    if (auto* combo = Item<wxComboBox>(ids::AreaCount)) {
        combo->Clear();
        for (const char* text : {"2箇所", "3個所", "4箇所"})
            combo->Append(wxString::FromUTF8(text));
    }
    TemplateDialog::OnInitDialog();
    m_frame = wxRect(m_frameWindow->GetPosition(), m_frameWindow->GetSize());
    m_dragging = false;
    m_dragCursor = ui::LoadCursorResource(vtid::cursor::MoveAreaCursor);
    return true;
}

void CSetAutoPos::DrawFrame(wxDC& dc, const wxSize& size) const {
    dc.SetBrush(*wxWHITE_BRUSH);
    dc.SetPen(*wxBLACK_PEN);
    dc.DrawRectangle(0, 0, size.x, size.y);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.SetPen(wxPen(*wxRED, 1));
    for (const MatchPoint& p : m_points) {
        if (!p.InUse())
            continue;
        const PixelPoint c = MatchPointPixels(p, size.x, size.y);
        dc.DrawRectangle(c.x - kMatchSquareHalf, c.y - kMatchSquareHalf, 2 * kMatchSquareHalf,
                         2 * kMatchSquareHalf);
    }
}

void CSetAutoPos::MouseMove(const wxPoint& p) {
    const MatchDragResult r = MoveOverMatchFrame(m_points, p.x, p.y, m_frame.x, m_frame.y, m_frame.width,
                                                 m_frame.height, m_dragging);
    if (r.overPoint && m_frameWindow)
        m_frameWindow->SetCursor(m_dragCursor);
    else if (m_frameWindow)
        m_frameWindow->SetCursor(wxNullCursor);
    if (r.moved && m_frameWindow)
        m_frameWindow->Refresh(false);
}

void CSetAutoPos::MouseDown(const wxPoint& p) {
    if (!PointerInMatchFrame(p.x, p.y, m_frame.x, m_frame.y, m_frame.width, m_frame.height))
        return;
    m_dragging = true;
    if (m_frameWindow)
        m_frameWindow->SetCursor(m_dragCursor);
}

void CSetAutoPos::MouseUp() {
    m_dragging = false;
}

void CSetAutoPos::OnDefaultPositions() {
    UpdateData(true);
    m_points = DefaultMatchPoints(m_countIndex);
    if (m_frameWindow)
        m_frameWindow->Refresh(false);
}
