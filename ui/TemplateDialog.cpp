#include "ui/TemplateWindow.h"

#include <wx/button.h>
#include <wx/textctrl.h>

namespace ui {

TemplateDialog::TemplateDialog(wxWindow* parent, int templateId, const ResourceRegistry* registry)
    : wxDialog(), TemplateHost(this, templateId, registry), MessageTarget(this), parent_(parent) {
    Bind(wxEVT_CHAR_HOOK, &TemplateDialog::onCharHook, this);
    Bind(wxEVT_CLOSE_WINDOW, &TemplateDialog::onClose, this);
}

bool TemplateDialog::build() {
    if (built_)
        return true;
    if (!tmpl_)
        return false;
    wxWindow* parent = parent_;
    long style = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX;
    if (tmpl_->HasStyle("RESIZE"))
        style |= wxRESIZE_BORDER;
    if (tmpl_->HasStyle("NOCAPTION"))
        style = wxBORDER_SIMPLE;
    if (!wxDialog::Create(parent, wxID_ANY, FromUtf8(tmpl_->caption), wxDefaultPosition, wxDefaultSize,
                          style))
        return false;
    built_ = true;
    BuildFromTemplate();
    if (tmpl_->HasStyle("ABSOLUTE"))
        Move(MapDialogRect(tmpl_->rect).GetPosition());
    else
        CentreOnParent();
    return true;
}

int TemplateDialog::DoModal() {
    if (!build())
        return -1;
    result_ = IDCANCEL;
    OnInitDialog();
    return ShowModal();
}

bool TemplateDialog::Create(bool show) {
    if (!build())
        return false;
    OnInitDialog();
    if (show)
        Show();
    return true;
}

void TemplateDialog::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void TemplateDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void TemplateDialog::EndDialog(int code) {
    result_ = code;
    if (IsModal())
        EndModal(code);
    else
        Hide();
}

bool TemplateDialog::OnHostCommand(int id) {
    if (HandleCommand(id))
        return true;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool TemplateDialog::OnUnhandledMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    result = 0;
    if (message == WM_COMMAND)
        return OnHostCommand(LOWORD(wParam));
    if (message == WM_CLOSE) {
        OnCancel();
        return true;
    }
    return false;
}

void TemplateDialog::onCharHook(wxKeyEvent& ev) {
    if (ev.GetKeyCode() == WXK_ESCAPE && !ev.HasAnyModifiers()) {
        OnHostCommand(IDCANCEL);
        return;
    }
    if ((ev.GetKeyCode() == WXK_RETURN || ev.GetKeyCode() == WXK_NUMPAD_ENTER) && !ev.HasAnyModifiers()) {
        wxWindow* focus = FindFocus();
        auto* text = dynamic_cast<wxTextCtrl*>(focus);
        if (!(text && text->IsMultiLine()) && !dynamic_cast<wxButton*>(focus)) {
            // Enter presses the default button of the template, else OK.
            int id = IDOK;
            if (tmpl_)
                for (const auto& c : tmpl_->controls)
                    if (c.kind == "DEFPUSHBUTTON")
                        id = c.id;
            wxWindow* button = GetDlgItem(id);
            if (button && button->IsEnabled()) {
                OnHostCommand(id);
                return;
            }
        }
    }
    ev.Skip();
}

void TemplateDialog::onClose(wxCloseEvent& ev) {
    if (ev.CanVeto()) {
        ev.Veto();
        OnHostCommand(IDCANCEL);
        return;
    }
    ev.Skip();
}

TemplatePanel::TemplatePanel(int templateId, const ResourceRegistry* registry)
    : wxPanel(), TemplateHost(this, templateId, registry), MessageTarget(this) {}

bool TemplatePanel::Create(wxWindow* parent, const wxPoint& pos) {
    if (!tmpl_)
        return false;
    if (!wxPanel::Create(parent, wxID_ANY, pos, wxDefaultSize, wxTAB_TRAVERSAL | wxBORDER_NONE))
        return false;
    BuildFromTemplate();
    SetMinSize(GetSize());
    OnInitDialog();
    return true;
}

bool TemplatePanel::OnUnhandledMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    result = 0;
    if (message == WM_COMMAND)
        return OnHostCommand(LOWORD(wParam));
    return false;
}

} // namespace ui
