#include "shell/capture/AutoEditDialog.h"

#include "platform/MessageSink.h"
#include "platform/Settings.h"
#include "shell/capture/EDListCtrl.h"
#include "shell/core/capture/AutoFocusSettings.h"
#include "shell/core/capture/CapturePositions.h"
#include "shell/core/capture/PositionListEdit.h"
#include "ids/VantorelIds.h"

#include <algorithm>

namespace ids = vtid::PositionListEditor;

CAutoEditDialog::CAutoEditDialog(wxWindow* parent, AutoEditOwner* owner)
    : ui::TemplateDialog(parent, vtid::dlg::PositionListEditor), m_owner(owner) {
    ReplaceControl(ids::PositionList,
                   [this](wxWindow* p, const ui::ControlTemplate& c, const wxRect& r) -> wxWindow* {
                       m_list = new CEDListCtrl(p, c.id, r.GetPosition(), r.GetSize());
                       return m_list;
                   });
    OnCommand(ids::Add, &CAutoEditDialog::OnAdd);
    OnCommand(ids::Delete, &CAutoEditDialog::OnDelete);
    OnCommand(ids::Move, &CAutoEditDialog::OnMove);
}

bool CAutoEditDialog::OnInitDialog() {
    ui::TemplateDialog::OnInitDialog();
    m_list->SetPlainFirstColumn(false);
    m_list->InsertColumn(0, ui::LoadResString(vtid::str::NumberColumn), CEDListCtrl::LVCFMT_RIGHT, 40);
    m_list->InsertColumn(1, ui::LoadResString(vtid::str::PositionColumn), CEDListCtrl::LVCFMT_RIGHT, 40);
    m_list->AutoSizeColumn(1);
    LoadPositions({});
    return true;
}

void CAutoEditDialog::LoadPositions(const std::vector<double>& positions) {
    m_list->DeleteAllItems();
    int row = 0;
    for (double v : positions) {
        m_list->InsertItem(row, wxString());
        m_list->SetItemText(row, 1, wxString::FromUTF8(FormatDoubleText(v)));
        ++row;
    }
    m_list->InsertItem(row, wxString()); // the trailing row
    m_list->AutoSizeColumn(1);
}

std::vector<std::string> CAutoEditDialog::CellTexts() const {
    std::vector<std::string> cells;
    for (int row = 0; row + 1 < m_list->GetItemCount(); ++row)
        cells.push_back(ui::ToUtf8(m_list->GetItemText(row, 1)));
    return cells;
}

void CAutoEditDialog::OnAdd() {
    m_list->EndEdit();
    const AddRowPlan plan = PlanAddRow(m_list->GetCurrentRow(), m_list->GetItemCount());
    // The displayed Z: the value the panel shows and moves to, so a row added and moved to later
    // lands where the drive was, whatever the sign of the axis. A drive that did not answer
    // gives no row: the last Z shown is not where the drive is known to be.
    const std::optional<double> read = m_owner->GetDisplayedZ();
    if (!read) {
        ShowMessage(vtid::str::WrongController, MB_OK);
        return;
    }
    const double z = *read;
    const int row = m_list->InsertItem(plan.insertAt, wxString());
    m_list->SetItemText(row, 1, wxString::FromUTF8(FormatDoubleText(z)));
    for (int r : {plan.insertAt, plan.insertAt + 1})
        m_list->SetSelected(r, false);
    m_list->SetSelected(plan.selectRow, true);
    m_list->SetFocusedRow(plan.selectRow);
    m_list->SetCurrentRow(plan.selectRow);
    m_list->EnsureVisible(plan.selectRow);
    m_list->AutoSizeColumn(1);
}

void CAutoEditDialog::OnDelete() {
    m_list->EndEdit();
    std::vector<bool> selected;
    for (int row = 0; row < m_list->GetItemCount(); ++row)
        selected.push_back(m_list->IsSelected(row));
    const DeletePlan plan = PlanDeleteRows(selected);
    for (auto it = plan.deleted.rbegin(); it != plan.deleted.rend(); ++it)
        m_list->DeleteItem(*it);
    if (plan.selectRow >= 0 && plan.selectRow < m_list->GetItemCount()) {
        m_list->SetSelected(plan.selectRow, true);
        m_list->SetFocusedRow(plan.selectRow);
    }
    m_list->AutoSizeColumn(1);
}

void CAutoEditDialog::OnMove() {
    m_list->EndEdit();
    const int row = m_list->GetCurrentRow();
    // The trailing row holds no position: nothing to move to.
    if (row < 0 || row >= m_list->GetItemCount() || m_list->IsTrailingRow(row))
        return;
    const auto target = MoveTargetFromCell(ui::ToUtf8(m_list->GetItemText(row, 1)));
    if (!target) {
        ShowMessage(vtid::str::MoveTooFar, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!m_owner->MoveToZ(*target))
        ShowMessage(vtid::str::WrongController, MB_OK);
}

void CAutoEditDialog::OnOK() {
    m_list->EndEdit();
    const auto positions = PositionsFromCells(CellTexts());
    if (!positions) {
        ShowMessage(vtid::str::ListValueOutOfRange, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_owner->OnEditorAccepted(*positions);
    m_owner->OnEditorClosed();
    WritePositionListSetting(*positions);
    EndDialog(IDOK);
}

void CAutoEditDialog::OnCancel() {
    m_list->EndEdit(true);
    m_owner->OnEditorClosed();
    EndDialog(IDCANCEL);
}
