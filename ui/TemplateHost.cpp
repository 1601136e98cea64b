// Building the controls of a dialog template and the parts dialogs and panels share.
#include "ui/DataExchange.h"
#include "ui/TemplateWindow.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/gauge.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>
#include <wx/treectrl.h>

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace ui {

static std::map<std::string, ControlFactory>& controlClasses() {
    static std::map<std::string, ControlFactory> classes;
    return classes;
}

void RegisterControlClass(const std::string& className, ControlFactory factory) {
    controlClasses()[className] = std::move(factory);
}

TemplateHost::TemplateHost(wxWindow* self, WindowBase* map, int templateId, const ResourceRegistry* registry)
    : self_(self), map_(map), templateId_(templateId), registry_(registry ? registry : &Resources()) {
    tmpl_ = registry_->FindDialog(templateId);
}

void TemplateHost::ReplaceControl(int controlId, ControlFactory factory) {
    replacements_[controlId] = std::move(factory);
}

bool TemplateHost::HasControl(int controlId) const {
    return controlId != -1 && tmpl_ && tmpl_->FindControl(controlId);
}

std::string TemplateHost::ClassName() const {
    const char* mangled = typeid(*this).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> plain(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                 std::free);
    return status == 0 && plain ? std::string(plain.get()) : std::string(mangled);
}

wxWindow* TemplateHost::GetDlgItem(int controlId) const {
    // The window's own controls are its direct children (not those of a panel or dialog inside it).
    if (controlId != -1)
        for (wxWindow* child : self_->GetChildren())
            if (child->GetId() == controlId && !child->IsTopLevel())
                return child;
    if (controlId != -1 && !HasControl(controlId))
        wxFAIL_MSG(wxString::Format("%s: control %d is not in dialog template %d", ClassName(), controlId,
                                    templateId_));
    return nullptr;
}

std::vector<int> TemplateHost::CheckControlIds() {
    std::vector<int> ids = map_ ? map_->MappedIds(commandsAreControls_) : std::vector<int>();
    DataExchange probe = DataExchange::Probe(this);
    DoDataExchange(probe);
    ids.insert(ids.end(), probe.ProbedIds().begin(), probe.ProbedIds().end());
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    std::vector<int> missing;
    for (int id : ids) {
        if (HasControl(id))
            continue;
        missing.push_back(id);
        wxFAIL_MSG(wxString::Format("%s binds control %d, which dialog template %d lacks", ClassName(), id,
                                    templateId_));
    }
    return missing;
}

void TemplateHost::SetDlgItemText(int controlId, const wxString& text) {
    wxWindow* w = GetDlgItem(controlId);
    if (auto* t = dynamic_cast<wxTextCtrl*>(w))
        t->ChangeValue(text);
    else if (w)
        w->SetLabel(text);
}

wxString TemplateHost::GetDlgItemText(int controlId) const {
    wxWindow* w = GetDlgItem(controlId);
    if (auto* t = dynamic_cast<wxTextCtrl*>(w))
        return t->GetValue();
    if (auto* c = dynamic_cast<wxComboBox*>(w))
        return c->GetValue();
    return w ? w->GetLabel() : wxString();
}

void TemplateHost::EnableItem(int controlId, bool enable) {
    if (wxWindow* w = GetDlgItem(controlId))
        w->Enable(enable);
}

void TemplateHost::ShowItem(int controlId, bool show) {
    if (wxWindow* w = GetDlgItem(controlId))
        w->Show(show);
}

bool TemplateHost::UpdateData(bool save) {
    DataExchange dx(this, save);
    DoDataExchange(dx);
    return !dx.Failed();
}

void TemplateHost::DoDataExchange(DataExchange&) {}

bool TemplateHost::OnInitDialog() {
    UpdateData(false);
    return true;
}

namespace {

long alignOf(const ControlTemplate& c) {
    if (c.kind == "RTEXT")
        return wxALIGN_RIGHT;
    if (c.kind == "CTEXT" || c.HasStyle("CENTER"))
        return wxALIGN_CENTRE_HORIZONTAL;
    return wxALIGN_LEFT;
}

long borderOf(const ControlTemplate& c) {
    if (c.HasStyle("SUNKEN") || c.HasStyle("CLIENTEDGE"))
        return wxBORDER_SUNKEN;
    if (c.HasStyle("BORDER"))
        return wxBORDER_SIMPLE;
    return 0;
}

wxWindow* makeControl(wxWindow* parent, const ControlTemplate& c, const wxRect& r,
                      const ResourceRegistry& reg) {
    const wxString text = FromUtf8(c.text);
    // Ids from 0x7FFF on (command buttons of bars) are beyond wx's creation check; they are set
    // once the control exists (BuildFromTemplate).
    const int id = c.id == -1 || c.id >= 0x7FFF ? wxID_ANY : c.id;
    const wxPoint pos = r.GetPosition();
    const wxSize size = r.GetSize();
    const std::string& k = c.kind;
    if (k == "PUSHBUTTON" || k == "DEFPUSHBUTTON") {
        if (c.HasStyle("PUSHLIKE"))
            return new wxToggleButton(parent, id, text, pos, size);
        auto* b = new wxButton(parent, id, text, pos, size);
        if (k == "DEFPUSHBUTTON")
            b->SetDefault();
        return b;
    }
    if (k == "CHECKBOX" || k == "AUTOCHECKBOX") {
        if (c.HasStyle("PUSHLIKE"))
            return new wxToggleButton(parent, id, text, pos, size);
        return new wxCheckBox(parent, id, text, pos, size, c.HasStyle("3STATE") ? long(wxCHK_3STATE) : 0L);
    }
    if (k == "RADIOBUTTON" || k == "AUTORADIOBUTTON")
        return new wxRadioButton(parent, id, text, pos, size, c.HasStyle("GROUP") ? long(wxRB_GROUP) : 0L);
    if (k == "GROUPBOX")
        return new wxStaticBox(parent, id, text, pos, size);
    if (k == "LTEXT" || k == "RTEXT" || k == "CTEXT")
        return new wxStaticText(parent, id, text, pos, size, alignOf(c) | wxST_NO_AUTORESIZE | borderOf(c));
    if (k == "EDITTEXT") {
        long style = borderOf(c);
        if (c.HasStyle("MULTILINE"))
            style |= wxTE_MULTILINE;
        if (c.HasStyle("READONLY"))
            style |= wxTE_READONLY;
        if (c.HasStyle("PASSWORD"))
            style |= wxTE_PASSWORD;
        if (c.HasStyle("RIGHT"))
            style |= wxTE_RIGHT;
        if (c.HasStyle("CENTER"))
            style |= wxTE_CENTRE;
        return new wxTextCtrl(parent, id, text, pos, size, style);
    }
    if (k == "COMBOBOX") {
        long style = c.HasStyle("DROPDOWNLIST") ? wxCB_READONLY : 0;
        if (c.HasStyle("SORT"))
            style |= wxCB_SORT;
        // The template's height includes the drop-down list; the box itself is one line.
        return new wxComboBox(parent, id, wxString(), pos, wxSize(size.x, -1), 0, nullptr, style);
    }
    if (k == "LISTBOX")
        return new wxListBox(parent, id, pos, size, 0, nullptr,
                             (c.HasStyle("SORT") ? wxLB_SORT : 0) | borderOf(c));
    if (k == "SLIDER") {
        long style = c.HasStyle("VERTICAL") ? wxSL_VERTICAL : wxSL_HORIZONTAL;
        if (c.HasStyle("AUTOTICKS"))
            style |= wxSL_AUTOTICKS;
        return new wxSlider(parent, id, 0, 0, 100, pos, size, style);
    }
    if (k == "PROGRESS")
        return new wxGauge(parent, id, 100, pos, size,
                           c.HasStyle("VERTICAL") ? long(wxGA_VERTICAL) : long(wxGA_HORIZONTAL));
    if (k == "LISTVIEW") {
        long style = c.HasStyle("ICONS") ? wxLC_ICON : wxLC_REPORT;
        if (c.HasStyle("SINGLESEL"))
            style |= wxLC_SINGLE_SEL;
        if (c.HasStyle("NOHEADER"))
            style |= wxLC_NO_HEADER;
        return new wxListCtrl(parent, id, pos, size,
                              style | (borderOf(c) ? borderOf(c) : long(wxBORDER_SUNKEN)));
    }
    if (k == "TREEVIEW")
        return new wxTreeCtrl(parent, id, pos, size, wxTR_DEFAULT_STYLE | wxTR_HIDE_ROOT | wxBORDER_SUNKEN);
    if (k == "SPIN")
        return new wxSpinButton(parent, id, pos, size,
                                c.HasStyle("HORIZONTAL") ? long(wxSP_HORIZONTAL) : long(wxSP_VERTICAL));
    if (k == "BITMAP") {
        wxBitmap bmp = LoadBitmapResource(std::atoi(c.text.c_str()), reg);
        return new wxStaticBitmap(parent, id, bmp.IsOk() ? bmp : wxBitmap(1, 1), pos, size, borderOf(c));
    }
    if (k == "FRAME") {
        long border = borderOf(c) ? borderOf(c) : long(wxBORDER_SIMPLE);
        return new wxWindow(parent, id, pos, size, border);
    }
    // CUSTOM without a registered class, and kinds this layer does not know: an empty window
    // that keeps the place and the id.
    return new wxWindow(parent, id, pos, size, borderOf(c));
}

} // namespace

bool TemplateHost::BuildFromTemplate() {
    if (!tmpl_)
        return false;
    wxFont font = DialogFont(tmpl_);
    self_->SetFont(font);
    units_ = BaseUnitsFor(self_, font);
    self_->SetClientSize(
        units_.SizeToPixels(tmpl_->rect.right - tmpl_->rect.left, tmpl_->rect.bottom - tmpl_->rect.top));
    for (const auto& c : tmpl_->controls) {
        wxRect r = units_.ToPixels(c.rect);
        wxWindow* w = nullptr;
        auto repl = replacements_.find(c.id);
        if (repl != replacements_.end() && c.id != -1) {
            w = repl->second(self_, c, r);
        } else if (c.kind == "CUSTOM") {
            auto cls = controlClasses().find(c.text);
            if (cls != controlClasses().end())
                w = cls->second(self_, c, r);
        }
        if (!w)
            w = makeControl(self_, c, r, *registry_);
        if (c.id >= 0x7FFF)
            w->SetId(c.id);
        w->SetFont(font);
        WindowBase::WatchFocus(w);
        if (c.HasStyle("DISABLED"))
            w->Enable(false);
        if (c.HasStyle("HIDDEN"))
            w->Hide();
    }
    return true;
}

bool TemplateHost::CreateChild(wxWindow* parent, const wxPoint& pos) {
    auto* panel = dynamic_cast<wxPanel*>(self_);
    if (!tmpl_ || !panel)
        return false;
    if (!panel->Create(parent, wxID_ANY, pos, wxDefaultSize, wxTAB_TRAVERSAL | wxBORDER_NONE))
        return false;
    BuildFromTemplate();
    panel->SetMinSize(panel->GetSize());
    OnInitDialog();
    return true;
}

} // namespace ui
