#include "shell/SelectedBox.h"

#include "imaging/ProgramHelpers.h"
#include "platform/MessageSink.h"
#include "shell/core/ViewGeometry.h"
#include "ui/resources/ResourceRegistry.h"

#include <wx/listctrl.h>
#include <wx/stattext.h>

namespace {
constexpr int kList = 1022;
constexpr int kMaxEntries = 257; // 256 images and the placeholder
constexpr UINT kMsgTooMany = 890;

SeriesEntry Placeholder() {
    SeriesEntry e;
    e.path = "Last Position";
    e.number = kPlaceholderNumber;
    return e;
}
} // namespace

CSelectedBox::CSelectedBox() : ui::TemplatePanel(151) {
    m_entries.push_back(Placeholder());
    Bind(wxEVT_SIZE, [this](wxSizeEvent& ev) {
        ev.Skip();
        OnSize();
    });
}

bool CSelectedBox::OnInitDialog() {
    ui::TemplatePanel::OnInitDialog();
    if (auto* list = Item<wxListCtrl>(kList)) {
        list->SetBackgroundColour(*wxBLACK);
        list->SetTextColour(*wxWHITE);
        if (list->GetColumnCount() == 0)
            list->AppendColumn("");
    }
    const wxFont font(wxFontInfo(wxSize(0, 12)));
    for (int id : {1010, 1103, 1104, 1105, 1106})
        if (wxWindow* w = GetDlgItem(id))
            w->SetFont(font);
    SetDlgItemText(1103, wxString::FromUTF8(ui::Resources().LoadString(10008)));
    SetDlgItemText(1104, wxString::FromUTF8(ui::Resources().LoadString(10009)));
    SetDlgItemText(1105, wxString::FromUTF8(ui::Resources().LoadString(10010)));
    Refill();
    m_initialising = false;
    return true;
}

int CSelectedBox::MinimumWidth() const {
    // The title must not run into "合計" at 89 pixels from the right.
    wxWindow* title = GetDlgItem(1103);
    return title ? title->GetBestSize().x + 2 + 89 : 0;
}

wxStaticText* CSelectedBox::GetCountStatic() const {
    return Item<wxStaticText>(1106);
}

bool CSelectedBox::AddFile(const std::string& path, double z) {
    if (static_cast<int>(m_entries.size()) >= kMaxEntries) {
        ShowMessage(kMsgTooMany, MB_OK);
        return false;
    }
    SeriesEntry e;
    e.path = path;
    e.number = static_cast<int>(m_entries.size());
    e.z = z;
    m_entries.insert(m_entries.end() - 1, e);
    Refill();
    return true;
}

void CSelectedBox::RemoveAll() {
    m_entries.clear();
    m_entries.push_back(Placeholder());
    Refill();
}

void CSelectedBox::Refill() {
    if (auto* list = Item<wxListCtrl>(kList)) {
        list->DeleteAllItems();
        long row = 0;
        for (const SeriesEntry& e : m_entries)
            list->InsertItem(row++, wxString::FromUTF8(GetFileNamePart(e.path)));
    }
    UpdateCountText();
}

void CSelectedBox::UpdateCountText() {
    char text[16];
    std::snprintf(text, sizeof text, "%3d", static_cast<int>(m_entries.size()) - 1);
    SetDlgItemText(1106, text);
    if (wxWindow* count = GetDlgItem(1106))
        count->SetSize(count->GetBestSize());
}

void CSelectedBox::OnSize() {
    const wxSize size = GetClientSize();
    const RECT client{0, 0, size.x, size.y};
    if (m_initialising || RectEmpty(client))
        return;
    if (client.right == m_lastClient.right && client.bottom == m_lastClient.bottom)
        return;
    m_lastClient = client;
    wxWindow* title = GetDlgItem(1010);
    if (!title)
        return;
    const wxRect t = title->GetRect();
    const FocusBoxLayout out = LayoutFocusBox(client, RECT{t.x, t.y, t.GetRight() + 1, t.GetBottom() + 1});
    title->SetSize(out.title.left, out.title.top, RectWidth(out.title), RectHeight(out.title));
    auto moveLeft = [this](int id, int left) {
        if (wxWindow* w = GetDlgItem(id))
            w->Move(left, w->GetPosition().y);
    };
    moveLeft(1106, out.countLeft);
    moveLeft(1104, out.totalLeft);
    moveLeft(1105, out.unitLeft);
    if (wxWindow* list = GetDlgItem(kList))
        list->SetSize(out.list.left, out.list.top, RectWidth(out.list), RectHeight(out.list));
}
