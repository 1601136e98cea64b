#include "shell/capture/SelectedBox.h"

#include "browser/SelListCtrl.h"
#include "browser/core/BrowserMessages.h"
#include "imaging/bitmaps/MyImageData.h"
#include "platform/WindowMessages.h"
#include "shell/core/layout/ViewGeometry.h"
#include "ui/resources/ResourceRegistry.h"
#include "ids/VantorelIds.h"

#include <wx/stattext.h>

namespace ids = vtid::FocusImageBox;

CSelectedBox::CSelectedBox(BrowserContext* context)
    : ui::TemplatePanel(vtid::dlg::FocusImageBox), m_context(context) {
    ReplaceControl(ids::List,
                   [this](wxWindow* parent, const ui::ControlTemplate& c, const wxRect& r) -> wxWindow* {
                       m_list = new CSelListCtrl(parent, c.id, r.GetPosition(), r.GetSize());
                       return m_list;
                   });
    Bind(wxEVT_SIZE, [this](wxSizeEvent& ev) {
        ev.Skip();
        OnSize();
    });
}

bool CSelectedBox::OnInitDialog() {
    ui::TemplatePanel::OnInitDialog();
    const wxFont font(wxFontInfo(wxSize(0, 12)));
    for (int id : {ids::TitleBand, ids::Title, ids::TotalLabel, ids::UnitLabel, ids::Count})
        if (wxWindow* w = GetDlgItem(id))
            w->SetFont(font);
    SetDlgItemText(ids::Title, wxString::FromUTF8(ui::Resources().LoadString(vtid::str::FocusImageBoxTitle)));
    SetDlgItemText(ids::TotalLabel, wxString::FromUTF8(ui::Resources().LoadString(vtid::str::TotalLabel)));
    SetDlgItemText(ids::UnitLabel, wxString::FromUTF8(ui::Resources().LoadString(vtid::str::PicturesUnit)));
    if (m_list) {
        m_list->SetBackgroundColour(*wxBLACK);
        if (m_context) {
            m_list->SetContext(m_context);
            m_context->focusBox = m_list;
        }
        ::SendMessage(m_list->GetSafeHwnd(), WM_LIST_SET_LINK,
                      WPARAM(ui::WindowHandle(GetDlgItem(ids::Count))), 0);
        m_list->InitList();
    }
    UpdateCountText();
    m_initialising = false;
    return true;
}

int CSelectedBox::MinimumWidth() const {
    // The title must not run into "合計" at 89 pixels from the right.
    wxWindow* title = GetDlgItem(ids::Title);
    return title ? title->GetBestSize().x + 2 + 89 : 0;
}

wxStaticText* CSelectedBox::GetCountStatic() const {
    return Item<wxStaticText>(ids::Count);
}

std::vector<SeriesEntry> CSelectedBox::Entries() const {
    std::vector<SeriesEntry> out;
    if (!m_list)
        return out;
    CSingleLock lock(&ImageDataLock(), TRUE);
    for (const auto& item : m_list->Items()) {
        SeriesEntry e;
        e.path = item->m_path;
        e.number = item->m_number;
        e.z = item->m_position;
        if (const CMyImageData* r = item->m_record) {
            e.haveRecord = r->m_cacheValue2 > 0 && r->m_cacheValue3 > 0;
            e.width = r->m_cacheValue2;
            e.height = r->m_cacheValue3;
        }
        out.push_back(std::move(e));
    }
    return out;
}

bool CSelectedBox::AddFile(const std::string& path, double z) {
    if (!m_list)
        return false;
    m_list->m_captureBusy = 1;
    m_list->SetAppendMode(true);
    CFileInfoStruc* item = m_list->AddFile(path);
    if (item) {
        item->m_position = z;
        m_list->RedrawItem(item, true);
        // The new entry gets its record and thumbnail from a pass of the list's loader.
        m_list->WaitForLoader(this);
        if (item->m_record) {
            CSingleLock lock(&ImageDataLock(), TRUE);
            item->m_record->m_state = 1;
        }
        item->m_selected = 1;
        m_list->EnsureVisible(m_list->IndexOf(item));
    }
    m_list->SetAppendMode(false);
    return item != nullptr;
}

void CSelectedBox::RemoveAll() {
    if (m_list)
        m_list->RemoveItems(true);
}

void CSelectedBox::UpdateCountText() {
    if (m_list) {
        m_list->UpdateCountText();
    } else {
        SetDlgItemText(ids::Count, "  0");
    }
    if (wxWindow* count = GetDlgItem(ids::Count))
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
    wxWindow* title = GetDlgItem(ids::TitleBand);
    if (!title)
        return;
    const wxRect t = title->GetRect();
    const FocusBoxLayout out = LayoutFocusBox(client, RECT{t.x, t.y, t.GetRight() + 1, t.GetBottom() + 1});
    // A box smaller than its title gives empty (not negative) rectangles.
    title->SetSize(out.title.left, out.title.top, std::max(0L, long(RectWidth(out.title))),
                   std::max(0L, long(RectHeight(out.title))));
    auto moveLeft = [this](int id, int left) {
        if (wxWindow* w = GetDlgItem(id))
            w->Move(left, w->GetPosition().y);
    };
    moveLeft(ids::Count, out.countLeft);
    moveLeft(ids::TotalLabel, out.totalLeft);
    moveLeft(ids::UnitLabel, out.unitLeft);
    if (wxWindow* list = GetDlgItem(ids::List))
        list->SetSize(out.list.left, out.list.top, std::max(0L, long(RectWidth(out.list))),
                      std::max(0L, long(RectHeight(out.list))));
}
