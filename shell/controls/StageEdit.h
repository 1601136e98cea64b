// Numeric edits of the capture panels and calibration dialogs: CStageEdit takes digits, one
// point and (when allowed) a leading minus, and completes a bare point when it loses the focus;
// CStageComboBox gives its own edit the same filter without the minus. A paste into either goes
// through the filter as typed text does.
#pragma once

#include <wx/combobox.h>
#include <wx/textctrl.h>

class CStageEdit : public wxTextCtrl {
public:
    CStageEdit(wxWindow* parent, int id, const wxPoint& pos = wxDefaultPosition,
               const wxSize& size = wxDefaultSize);
    void AllowMinus(bool allow) { m_bAllowMinus = allow; }
    // Whether a typed character is taken at the current text and selection.
    bool FilterChar(int ch) const;

private:
    bool m_bAllowMinus = true;
};

class CStageComboBox : public wxComboBox {
public:
    CStageComboBox(wxWindow* parent, int id, const wxPoint& pos = wxDefaultPosition,
                   const wxSize& size = wxDefaultSize);
    bool FilterChar(int ch) const;
};
