// Data exchange between member fields and the controls of a template dialog or panel. One
// DoDataExchange serves both directions: saving (controls → fields, with validation) when the
// dialog closes with OK or UpdateData(true) is called, loading (fields → controls) when it opens.
//
//   void DoDataExchange(ui::DataExchange& dx) override {   // namespace ids = vtid::ManualSettingsDialog;
//       dx.Text(ids::SizeValue, m_size);
//       dx.MinMax(ids::SizeValue, m_size, 0, 20);
//       dx.Check(ids::AutoAlign, m_autoPos);
//       dx.Radio(ids::Fine, m_type);
//   }
//
// A value that does not parse or lies outside its range shows a message, puts the focus on the
// control and stops the exchange; the fields after it keep their values.
#pragma once

#include "ids/CommonIds.h"
#include "platform/WinTypes.h"

#include <wx/string.h>

#include <string>
#include <vector>

class wxWindow;

namespace ui {

class TemplateHost;

// String ids of the layer's own messages (resources/common/ui.txt), under the names the
// programs' code and tests know them by.
constexpr UINT IDS_DX_NEED_INTEGER = uiid::str::NeedInteger;
constexpr UINT IDS_DX_NEED_NUMBER = uiid::str::NeedNumber;
constexpr UINT IDS_DX_INT_RANGE = uiid::str::IntegerRange;    // %1 .. %2
constexpr UINT IDS_DX_NUMBER_RANGE = uiid::str::NumberRange;  // %1 .. %2
constexpr UINT IDS_DX_TEXT_TOO_LONG = uiid::str::TextTooLong; // %1 characters

class DataExchange {
public:
    // Controls of a template window (its own controls, looked up strictly), or of any window.
    DataExchange(TemplateHost* host, bool saveAndValidate);
    DataExchange(wxWindow* window, bool saveAndValidate);
    // An exchange that only notes the ids it is asked for: it touches no control and no field
    // (Item still gives the control of an id the template has). Used by the id checks.
    static DataExchange Probe(TemplateHost* host);
    const std::vector<int>& ProbedIds() const { return probed_; }

    const bool m_bSaveAndValidate;
    bool Failed() const { return failed_; }

    // Edits and statics (and combo boxes with an edit).
    void Text(int id, int& value);
    void Text(int id, UINT& value);
    void Text(int id, double& value);
    void Text(int id, std::string& value); // UTF-8
    void Text(int id, wxString& value);
    // Check boxes and push-like buttons: 0, 1 (2 indeterminate).
    void Check(int id, int& value);
    // A radio group that starts at firstId: the index of the checked button, -1 for none.
    void Radio(int firstId, int& value);
    void Slider(int id, int& value);
    // Selection index of a combo box or list box (-1 none).
    void ComboIndex(int id, int& value);
    void ListIndex(int id, int& value) { ComboIndex(id, value); }
    // Progress bar position (loading only).
    void Progress(int id, int value);

    // Validation, on saving only.
    void MinMax(int id, int value, int low, int high);
    void MinMax(int id, double value, double low, double high);
    void MaxChars(int id, const std::string& value, size_t count);

    wxWindow* Item(int id) const;

private:
    // True when the exchange of this id is to be left out (after a failure; while probing).
    bool skip(int id);
    void fail(int id, UINT stringId, const std::string& a1 = {}, const std::string& a2 = {});
    TemplateHost* host_ = nullptr;
    wxWindow* window_;
    bool failed_ = false;
    bool probing_ = false;
    mutable std::vector<int> probed_;
};

} // namespace ui
