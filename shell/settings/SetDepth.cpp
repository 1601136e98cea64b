#include "shell/settings/SetDepth.h"

#include "browser/SelListCtrl.h"
#include "platform/MessageSink.h"
#include "platform/Settings.h"
#include "shell/capture/EDListCtrl.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/controls/StageEdit.h"
#include "shell/core/settings/SettingsDialogRules.h"
#include "ui/ResourceWidgets.h"
#include "ids/VantorelIds.h"

#include <algorithm>
#include <vector>

namespace ids = vtid::HeightSettingsDialog;

namespace {
constexpr int kNameWidth = 90;

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
} // namespace

CSetDepth::CSetDepth(wxWindow* parent, COrsandelDoc* doc, CSelListCtrl* box)
    : TemplateDialog(parent, vtid::dlg::HeightSettingsDialog), m_doc(doc), m_box(box) {
    for (int id : {ids::Start, ids::Interval})
        ReplaceControl(id, [](wxWindow* p, const ui::ControlTemplate& c, const wxRect& r) {
            return static_cast<wxWindow*>(new CStageEdit(p, c.id, r.GetPosition(), r.GetSize()));
        });
    ReplaceControl(ids::HeightList, [this](wxWindow* p, const ui::ControlTemplate& c, const wxRect& r) {
        m_list = new CEDListCtrl(p, c.id, r.GetPosition(), r.GetSize(), true);
        return static_cast<wxWindow*>(m_list);
    });
    OnCommand(ids::EnterCoordinates, &CSetDepth::OnCoordinates);
}

int CSetDepth::RowCount() const {
    return m_list ? m_list->GetItemCount() : 0;
}

std::string CSetDepth::CellText(int row, int column) const {
    return m_list ? ui::ToUtf8(m_list->GetItemText(row, column)) : std::string();
}

void CSetDepth::SetCellText(int row, int column, const std::string& text) {
    if (m_list)
        m_list->SetItemText(row, column, wxString::FromUTF8(text));
}

bool CSetDepth::OnInitDialog() {
    TemplateDialog::OnInitDialog();
    CEDListCtrl* list = m_list;
    list->InsertColumn(0, wxString::FromUTF8("ﾌｧｲﾙ名"), CEDListCtrl::LVCFMT_LEFT, kNameWidth);
    list->InsertColumn(1, wxString::FromUTF8("高さ"), CEDListCtrl::LVCFMT_LEFT, 0);
    if (m_doc) {
        SetDlgItemText(ids::Start, wxString::FromUTF8(FormatDoubleText(m_doc->m_depthStart)));
        SetDlgItemText(ids::Interval, wxString::FromUTF8(FormatDoubleText(m_doc->m_depthInterval)));
    }
    if (m_box) {
        int row = 0;
        for (const auto& entry : m_box->Items()) {
            if (entry->IsPlaceholder())
                continue;
            list->InsertItem(row, wxString::FromUTF8(FileNameOf(entry->m_path)));
            SetCellText(row, 1, FormatDoubleText(entry->m_position));
            ++row;
        }
    }
    // The names are shown whole: the column is widened where the dialog font needs more.
    list->AutoSizeColumn(0);
    const int nameWidth = std::max(kNameWidth, list->GetColumnWidth(0));
    list->SetColumnWidth(0, nameWidth);
    // The last column takes the rest of the list's width, at least its title's.
    list->AutoSizeColumn(1);
    list->SetColumnWidth(1, std::max(list->GetColumnWidth(1), list->GetClientSize().x - nameWidth));
    return true;
}

void CSetDepth::OnCoordinates() {
    if (m_list)
        m_list->EndEdit();
    const double start = ParseDepthText(ui::ToUtf8(GetDlgItemText(ids::Start)));
    const double interval = ParseDepthText(ui::ToUtf8(GetDlgItemText(ids::Interval)));
    const auto heights = DepthSequence(start, interval, static_cast<size_t>(RowCount()));
    if (!heights) {
        ShowMessage(vtid::str::StartIntervalOutOfRange, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    for (int row = 0; row < RowCount(); ++row)
        SetCellText(row, 1, FormatDoubleText((*heights)[static_cast<size_t>(row)]));
}

void CSetDepth::OnOK() {
    if (m_list)
        m_list->EndEdit(); // a cell still being typed counts
    std::vector<double> heights;
    for (int row = 0; row < RowCount(); ++row)
        heights.push_back(ParseDepthText(CellText(row, 1)));
    // A refused height keeps the dialog open before anything is stored or written.
    if (FirstDepthOutOfRange(heights) >= 0) {
        ShowMessage(vtid::str::HeightOutOfRange, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (m_doc) {
        m_doc->m_tan = 0;
        m_doc->SaveCompositionSettings();
        m_doc->m_depthStart = ParseDepthText(ui::ToUtf8(GetDlgItemText(ids::Start)));
        m_doc->m_depthInterval = ParseDepthText(ui::ToUtf8(GetDlgItemText(ids::Interval)));
    }
    if (m_box) {
        size_t row = 0;
        for (const auto& entry : m_box->Items()) {
            if (entry->IsPlaceholder() || row >= heights.size())
                continue;
            entry->m_position = heights[row++];
            entry->m_reserved1 = m_doc ? m_doc->m_tan : 0;
            m_box->RedrawItem(entry.get(), true);
        }
    }
    EndDialog(IDOK);
}
