// Dialogs and panels built from a dialog template of the resource registry. Every control gets
// its numeric id as its wx id, so GetDlgItem(id) and the command tables work with the ids of the
// template. Ids 1 and 2 are OK and Cancel.
//
//   class CSetManual : public ui::TemplateDialog {
//   public:
//       explicit CSetManual(wxWindow* parent) : TemplateDialog(parent, 47) {
//           OnCommand(1306, &CSetManual::OnManual);
//       }
//       void DoDataExchange(ui::DataExchange& dx) override { dx.Text(1296, m_size); }
//       int m_size = 0;
//   };
//   CSetManual dlg(frame); if (dlg.DoModal() == IDOK) ...
#pragma once

#include "platform/MessageSink.h"
#include "ui/CommandRouting.h"
#include "ui/PrivateMessages.h"
#include "ui/ResourceWidgets.h"

#include <wx/dialog.h>
#include <wx/panel.h>

#include <functional>
#include <map>

namespace ui {

class DataExchange;

// Makes the window that stands at a template control's place: a custom control class.
using ControlFactory =
    std::function<wxWindow*(wxWindow* parent, const ControlTemplate& control, const wxRect& pixels)>;

// A factory for CUSTOM controls whose text names the class (for every template).
void RegisterControlClass(const std::string& className, ControlFactory factory);

// The part dialogs and panels share: the template, the controls, data exchange and commands.
class TemplateHost : public CommandTarget {
public:
    TemplateHost(wxWindow* self, int templateId, const ResourceRegistry* registry);
    int TemplateId() const { return templateId_; }
    const DialogTemplate* Template() const { return tmpl_; }
    wxWindow* HostWindow() const { return self_; }

    // Before the window is created: the control of this id is made by the factory instead.
    void ReplaceControl(int controlId, ControlFactory factory);

    wxWindow* GetDlgItem(int controlId) const;
    template <class T> T* Item(int controlId) const { return dynamic_cast<T*>(GetDlgItem(controlId)); }
    void SetDlgItemText(int controlId, const wxString& text);
    wxString GetDlgItemText(int controlId) const;
    void EnableItem(int controlId, bool enable);
    void ShowItem(int controlId, bool show);

    // save true: controls → fields with validation (false when a value was refused; the user
    // has been told and the control has the focus); save false: fields → controls.
    bool UpdateData(bool save = true);
    virtual void DoDataExchange(DataExchange& dx);
    // After the controls exist: the base fills the controls from the fields (UpdateData(false)).
    virtual bool OnInitDialog();

    const DialogBaseUnits& BaseUnits() const { return units_; }
    // Pixels of a rectangle in this template's dialog units.
    wxRect MapDialogRect(const RECT& r) const { return units_.ToPixels(r); }

protected:
    // Builds the font, the client size and the controls. False when the template is missing.
    bool BuildFromTemplate();
    // A command from a control of this window; false when nothing took it.
    virtual bool OnHostCommand(int id);

    wxWindow* self_;
    int templateId_;
    const ResourceRegistry* registry_;
    const DialogTemplate* tmpl_ = nullptr;
    DialogBaseUnits units_;
    std::map<int, ControlFactory> replacements_;

private:
    void onCommand(wxCommandEvent& ev);
};

class TemplateDialog : public wxDialog, public TemplateHost, public MessageTarget {
public:
    TemplateDialog(wxWindow* parent, int templateId, const ResourceRegistry* registry = &Resources());
    using TemplateHost::OnInitDialog;

    // Modal: returns the code given to EndDialog (IDOK, IDCANCEL or another), -1 when the
    // template is missing.
    int DoModal();
    // Modeless: builds the window and shows it. False when the template is missing.
    bool Create(bool show = true);

    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(int code);
    int Result() const { return result_; }

protected:
    bool OnHostCommand(int id) override;
    bool OnUnhandledMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool build();
    void onCharHook(wxKeyEvent& ev);
    void onClose(wxCloseEvent& ev);
    wxWindow* parent_;
    bool built_ = false;
    int result_ = 0;
};

// A panel built from a template: tool panels and button bars live in frames, so the commands
// their controls do not handle themselves travel up to the frame.
class TemplatePanel : public wxPanel, public TemplateHost, public MessageTarget {
public:
    TemplatePanel(int templateId, const ResourceRegistry* registry = &Resources());
    using TemplateHost::OnInitDialog;
    // Creates the window as a child of parent at pos, sized from the template.
    bool Create(wxWindow* parent, const wxPoint& pos = wxDefaultPosition);

protected:
    bool OnUnhandledMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

} // namespace ui
