// Dialogs, panels and form views built from a dialog template of the resource registry. Every
// control gets its numeric id as its wx id, so GetDlgItem(id) and the message map work with the
// ids of the template (named through the id headers). Ids 1 and 2 are OK and Cancel.
//
//   class CSetManual : public ui::TemplateDialog {           // namespace ids = vtid::ManualSettingsDialog;
//   public:
//       explicit CSetManual(wxWindow* parent) : TemplateDialog(parent, vtid::dlg::ManualSettingsDialog) {
//           OnCommand(ids::ManualSettings, &CSetManual::OnManual);
//           OnControl(ui::EN_CHANGE, ids::SizeValue, &CSetManual::OnSizeEdit);
//       }
//       void DoDataExchange(ui::DataExchange& dx) override { dx.Text(ids::SizeValue, m_size); }
//       int m_size = 0;
//   };
//   CSetManual dlg(frame); if (dlg.DoModal() == IDOK) ...
#pragma once

#include "platform/MessageSink.h"
#include "ui/ResourceWidgets.h"
#include "ui/View.h"
#include "ui/WindowBase.h"

#include <wx/dialog.h>
#include <wx/panel.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace ui {

class DataExchange;

// Makes the window that stands at a template control's place: a custom control class.
using ControlFactory =
    std::function<wxWindow*(wxWindow* parent, const ControlTemplate& control, const wxRect& pixels)>;

// A factory for CUSTOM controls whose text names the class (for every template).
void RegisterControlClass(const std::string& className, ControlFactory factory);

// The part dialogs, panels and form views share: the template, its controls and data exchange.
// Control lookups find only this window's own controls (a panel and a dialog in one frame may use
// the same ids); a lookup of an id that the template lacks is a programming error and fails a wx
// assertion that names the class, the id and the template.
class TemplateHost {
public:
    TemplateHost(wxWindow* self, WindowBase* map, int templateId, const ResourceRegistry* registry);
    virtual ~TemplateHost() = default;
    int TemplateId() const { return templateId_; }
    const DialogTemplate* Template() const { return tmpl_; }
    wxWindow* HostWindow() const { return self_; }

    // Before the window is created: the control of this id is made by the factory instead.
    void ReplaceControl(int controlId, ControlFactory factory);

    // The control of this id, null before the window is built.
    wxWindow* GetDlgItem(int controlId) const;
    template <class T> T* Item(int controlId) const { return dynamic_cast<T*>(GetDlgItem(controlId)); }
    bool HasControl(int controlId) const;
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

    // The ids this window binds (single-id entries of its message map; for a form view, whose map
    // also takes menu commands, its notification entries only) and exchanges
    // (DoDataExchange, run without touching a control or a field) that its template lacks; each
    // one also fails a wx assertion naming the class and the id. Empty when all are there.
    std::vector<int> CheckControlIds();
    // The class of the window as the checks name it.
    std::string ClassName() const;

    const DialogBaseUnits& BaseUnits() const { return units_; }
    // Pixels of a rectangle in this template's dialog units.
    wxRect MapDialogRect(const RECT& r) const { return units_.ToPixels(r); }

protected:
    // Builds the font, the client size and the controls. False when the template is missing.
    bool BuildFromTemplate();
    // Creates a child window (panel, form view) of parent at pos from the template.
    bool CreateChild(wxWindow* parent, const wxPoint& pos);

    wxWindow* self_;
    WindowBase* map_;
    int templateId_;
    const ResourceRegistry* registry_;
    const DialogTemplate* tmpl_ = nullptr;
    DialogBaseUnits units_;
    std::map<int, ControlFactory> replacements_;
    bool commandsAreControls_ = true;
};

class TemplateDialog : public wxDialog, public WindowBase, public TemplateHost {
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

    // The map first; then ids 1 and 2 run OnOK and OnCancel.
    bool OnCmdMsg(Notification& n) override;

private:
    bool build();
    void onCharHook(wxKeyEvent& ev);
    void onClose(wxCloseEvent& ev);
    wxWindow* parent_;
    bool built_ = false;
    int result_ = 0;
};

// A panel built from a template: tool panels and button bars live in frames, so the commands
// and notifications their controls do not handle themselves travel up to the frame.
class TemplatePanel : public wxPanel, public WindowBase, public TemplateHost {
public:
    TemplatePanel(int templateId, const ResourceRegistry* registry = &Resources());
    using TemplateHost::OnInitDialog;
    // Creates the window as a child of parent at pos, sized from the template.
    bool Create(wxWindow* parent, const wxPoint& pos = wxDefaultPosition);
};

// A view whose window is a form built from a template (capture views): a view of its frame with
// the controls, data exchange and lookups of a template panel.
class FormView : public wxPanel, public View, public TemplateHost {
public:
    FormView(int templateId, const ResourceRegistry* registry = &Resources());
    using TemplateHost::OnInitDialog;
    bool Create(wxWindow* parent, const wxPoint& pos = wxDefaultPosition);
};

} // namespace ui
