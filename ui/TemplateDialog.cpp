#include "ui/TemplateWindow.h"

#include "ui/DialogPlacement.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/textctrl.h>

namespace ui {

TemplateDialog::TemplateDialog(wxWindow* parent, int templateId, const ResourceRegistry* registry)
    : wxDialog(), WindowBase(this), TemplateHost(this, this, templateId, registry), parent_(parent) {
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
    else if (wxWindow* top = parent ? wxGetTopLevelParent(parent) : nullptr; top && !top->IsShown())
        CentreOnScreen(); // a window not on the screen yet (the main window while it is made) has no place to
                          // centre on
    else
        CentreOnParent();
    KeepInWorkArea(this, parent);
    return true;
}

int TemplateDialog::DoModal() {
    if (!build())
        return -1;
    result_ = IDCANCEL;
    OnInitDialog();
    KeepAboveOwner above(this, GetParent());
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

bool TemplateDialog::OnCmdMsg(Notification& n) {
    if (WindowBase::OnCmdMsg(n))
        return true;
    if (n.code != BN_CLICKED)
        return false;
    if (n.id == IDOK) {
        OnOK();
        return true;
    }
    if (n.id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void TemplateDialog::onCharHook(wxKeyEvent& ev) {
    if (ev.GetKeyCode() == WXK_ESCAPE && !ev.HasAnyModifiers()) {
        RouteCommandId(IDCANCEL);
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
            wxWindow* button = HasControl(id) ? GetDlgItem(id) : nullptr;
            if (button && button->IsEnabled()) {
                RouteCommandId(id);
                return;
            }
        }
    }
    ev.Skip();
}

void TemplateDialog::onClose(wxCloseEvent& ev) {
    if (ev.CanVeto()) {
        ev.Veto();
        RouteCommandId(IDCANCEL);
        return;
    }
    ev.Skip();
}

TemplatePanel::TemplatePanel(int templateId, const ResourceRegistry* registry)
    : wxPanel(), WindowBase(this), TemplateHost(this, this, templateId, registry) {}

bool TemplatePanel::Create(wxWindow* parent, const wxPoint& pos) {
    return CreateChild(parent, pos);
}

FormView::FormView(int templateId, const ResourceRegistry* registry)
    : wxPanel(), View(this), TemplateHost(this, this, templateId, registry) {
    commandsAreControls_ = false; // a view's map also takes menu commands
    // The form's own drawing (behind its controls) is the view's OnDraw, as a canvas's is.
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
        wxPaintDC dc(this);
        OnDraw(dc);
    });
}

bool FormView::Create(wxWindow* parent, const wxPoint& pos) {
    return CreateChild(parent, pos);
}

} // namespace ui
