#include "ui/DataExchange.h"

#include "ui/MessageBoxes.h"
#include "ui/ResourceWidgets.h"
#include "ui/TemplateWindow.h"

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace ui {

namespace {

wxString textOf(wxWindow* w) {
    if (auto* t = dynamic_cast<wxTextCtrl*>(w))
        return t->GetValue();
    if (auto* c = dynamic_cast<wxComboBox*>(w))
        return c->GetValue();
    return w ? w->GetLabel() : wxString();
}

void setText(wxWindow* w, const wxString& s) {
    if (auto* t = dynamic_cast<wxTextCtrl*>(w)) {
        if (t->GetValue() != s)
            t->ChangeValue(s);
    } else if (auto* c = dynamic_cast<wxComboBox*>(w)) {
        c->SetValue(s);
    } else if (w) {
        w->SetLabel(s);
    }
}

std::string trimmed(const wxString& s) {
    std::string t = ToUtf8(s);
    size_t a = t.find_first_not_of(" \t");
    size_t b = t.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : t.substr(a, b - a + 1);
}

// A whole decimal integer (sign allowed) within long's range.
bool parseLong(const wxString& s, long long& out) {
    std::string t = trimmed(s);
    if (t.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtoll(t.c_str(), &end, 10);
    return errno == 0 && end && *end == '\0';
}

bool parseDouble(const wxString& s, double& out) {
    std::string t = trimmed(s);
    if (t.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtod(t.c_str(), &end);
    return errno == 0 && end && *end == '\0' && std::isfinite(out);
}

// Shortest text that reads back as the same double (at most 15 significant digits).
std::string formatDouble(double v) {
    char buf[64];
    for (int prec = 6; prec <= 17; ++prec) {
        std::snprintf(buf, sizeof buf, "%.*g", prec, v);
        if (std::strtod(buf, nullptr) == v)
            break;
    }
    return buf;
}

} // namespace

DataExchange::DataExchange(TemplateHost* host, bool save)
    : m_bSaveAndValidate(save), host_(host), window_(host ? host->HostWindow() : nullptr) {}

DataExchange DataExchange::Probe(TemplateHost* host) {
    DataExchange dx(host, false);
    dx.probing_ = true;
    return dx;
}

bool DataExchange::skip(int id) {
    if (probing_) {
        probed_.push_back(id);
        return true;
    }
    return failed_;
}

wxWindow* DataExchange::Item(int id) const {
    if (host_) {
        if (probing_) {
            probed_.push_back(id);
            return host_->HasControl(id) ? host_->GetDlgItem(id) : nullptr;
        }
        return host_->GetDlgItem(id);
    }
    return window_ ? window_->FindWindow(id) : nullptr;
}

void DataExchange::fail(int id, UINT stringId, const std::string& a1, const std::string& a2) {
    failed_ = true;
    std::vector<std::string> args;
    if (!a1.empty())
        args.push_back(a1);
    if (!a2.empty())
        args.push_back(a2);
    ShowMessageById(stringId, MB_OK | MB_ICONEXCLAMATION, args);
    if (wxWindow* w = Item(id)) {
        w->SetFocus();
        if (auto* t = dynamic_cast<wxTextCtrl*>(w))
            t->SelectAll();
    }
}

void DataExchange::Text(int id, int& value) {
    if (skip(id))
        return;
    wxWindow* w = Item(id);
    if (!m_bSaveAndValidate) {
        setText(w, wxString::Format("%d", value));
        return;
    }
    long long v;
    if (!parseLong(textOf(w), v) || v < INT_MIN || v > INT_MAX)
        return fail(id, IDS_DX_NEED_INTEGER);
    value = static_cast<int>(v);
}

void DataExchange::Text(int id, double& value) {
    if (skip(id))
        return;
    wxWindow* w = Item(id);
    if (!m_bSaveAndValidate) {
        setText(w, FromUtf8(formatDouble(value)));
        return;
    }
    double v;
    if (!parseDouble(textOf(w), v))
        return fail(id, IDS_DX_NEED_NUMBER);
    value = v;
}

void DataExchange::Text(int id, std::string& value) {
    if (skip(id))
        return;
    if (m_bSaveAndValidate)
        value = ToUtf8(textOf(Item(id)));
    else
        setText(Item(id), FromUtf8(value));
}

void DataExchange::Text(int id, wxString& value) {
    if (skip(id))
        return;
    if (m_bSaveAndValidate)
        value = textOf(Item(id));
    else
        setText(Item(id), value);
}

void DataExchange::Check(int id, int& value) {
    if (skip(id))
        return;
    wxWindow* w = Item(id);
    if (auto* c = dynamic_cast<wxCheckBox*>(w)) {
        if (m_bSaveAndValidate)
            value = c->Get3StateValue() == wxCHK_UNDETERMINED ? 2 : (c->GetValue() ? 1 : 0);
        else if (c->Is3State())
            c->Set3StateValue(value == 2 ? wxCHK_UNDETERMINED : (value ? wxCHK_CHECKED : wxCHK_UNCHECKED));
        else
            c->SetValue(value != 0);
    } else if (auto* t = dynamic_cast<wxToggleButton*>(w)) {
        if (m_bSaveAndValidate)
            value = t->GetValue() ? 1 : 0;
        else
            t->SetValue(value != 0);
    }
}

void DataExchange::Radio(int firstId, int& value) {
    if (skip(firstId) || !window_)
        return;
    // The group: the first button and the radio buttons that follow it among the window's
    // children, up to the next button that starts a group.
    const wxWindowList& kids =
        Item(firstId) ? Item(firstId)->GetParent()->GetChildren() : window_->GetChildren();
    bool inGroup = false;
    int index = 0;
    int found = -1;
    for (wxWindow* w : kids) {
        auto* rb = dynamic_cast<wxRadioButton*>(w);
        if (!inGroup) {
            if (w->GetId() == firstId && rb)
                inGroup = true;
            else
                continue;
        } else if (!rb || rb->HasFlag(wxRB_GROUP)) {
            break;
        }
        if (m_bSaveAndValidate) {
            if (rb->GetValue() && found < 0)
                found = index;
        } else {
            rb->SetValue(index == value);
        }
        ++index;
    }
    if (m_bSaveAndValidate && inGroup)
        value = found;
}

void DataExchange::ComboIndex(int id, int& value) {
    if (skip(id))
        return;
    auto* items = dynamic_cast<wxItemContainer*>(Item(id));
    if (!items)
        return;
    if (m_bSaveAndValidate) {
        value = items->GetSelection();
    } else if (value >= 0 && static_cast<unsigned>(value) < items->GetCount()) {
        items->SetSelection(value);
    } else {
        items->SetSelection(wxNOT_FOUND);
    }
}

void DataExchange::MinMax(int id, int value, int low, int high) {
    if (skip(id) || !m_bSaveAndValidate)
        return;
    if (value < low || value > high)
        fail(id, IDS_DX_INT_RANGE, std::to_string(low), std::to_string(high));
}

void DataExchange::MinMax(int id, double value, double low, double high) {
    if (skip(id) || !m_bSaveAndValidate)
        return;
    if (!(value >= low && value <= high))
        fail(id, IDS_DX_NUMBER_RANGE, formatDouble(low), formatDouble(high));
}

void DataExchange::MaxChars(int id, const std::string& value, size_t count) {
    if (skip(id) || !m_bSaveAndValidate)
        return;
    if (FromUtf8(value).length() > count)
        fail(id, IDS_DX_TEXT_TOO_LONG, std::to_string(count));
}

} // namespace ui
