#include "viewer3d/app/GeneralSetDlg.h"

#include "ids/BrelvoxaIds.h"
#include "platform/MessageSink.h"
#include "ui/DataExchange.h"
#include "ui/resources/ResourceRegistry.h"
#include "viewer3d/measure/gui/MeasurePanes.h"

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/radiobut.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace brx {

namespace {
namespace general = bxid::GeneralSettingsDialog;
namespace filter = bxid::FilterSettingsDialog;
} // namespace

CGeneralSetDlg::CGeneralSetDlg(wxWindow* parent)
    : ui::TemplateDialog(parent, bxid::dlg::GeneralSettingsDialog) {
    OnCommand(general::RemoveOnRead, [this] {
        EnableItem(general::RemoveAbove, Item<wxCheckBox>(general::RemoveOnRead)->GetValue());
    });
}

bool CGeneralSetDlg::OnInitDialog() {
    edit_ = threshold;
    ui::TemplateDialog::OnInitDialog();
    CentreOnParent();
    EnableItem(general::RemoveAbove, option != 0);
    return true;
}

void CGeneralSetDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(general::RemoveAbove, edit_);
    dx.MinMax(general::RemoveAbove, edit_, 0.0, 100000.0);
    dx.Check(general::RemoveOnRead, option);
    if (dx.m_bSaveAndValidate && !dx.Failed())
        threshold = static_cast<float>(edit_);
}

CFilterSetDlg::CFilterSetDlg(wxWindow* parent) : ui::TemplateDialog(parent, bxid::dlg::FilterSettingsDialog) {
    OnControl(ui::CBN_SELCHANGE, filter::Cutoff, [this] {
        auto* combo = Item<wxComboBox>(filter::Cutoff);
        if (combo && combo->GetSelection() >= 0)
            takeText(combo->GetString(combo->GetSelection()), 64);
    });
    OnControl(ui::CBN_EDITCHANGE, filter::Cutoff, [this] { takeText(GetDlgItemText(filter::Cutoff), 9); });
}

void CFilterSetDlg::takeText(const wxString& text, size_t maxChars) {
    if (text.empty())
        return;
    cutoff = std::strtod(text.Left(maxChars).utf8_string().c_str(), nullptr);
}

bool CFilterSetDlg::OnInitDialog() {
    ui::TemplateDialog::OnInitDialog();
    CentreOnParent();
    if (!(cutoff > 0.0))
        cutoff = 80.0;
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", cutoff);
    if (auto* combo = Item<wxComboBox>(filter::Cutoff)) {
        for (const char* item : {"80", "250", "800", "2500", "8000"})
            combo->Append(item);
        combo->ChangeValue(text);
    }
    Item<wxRadioButton>(endEffect == 1 ? filter::EndEffectOff : filter::EndEffectOn)->SetValue(true);
    return true;
}

void CFilterSetDlg::OnOK() {
    endEffect = Item<wxRadioButton>(filter::EndEffectOff)->GetValue() ? 1 : 0;
    if (cutoff > 0.0) {
        EndDialog(IDOK);
        return;
    }
    ShowMessage(bxid::str::CutoffNotPositive, MB_OK | MB_ICONEXCLAMATION);
}

CAboutDlg::CAboutDlg(wxWindow* parent) : ui::TemplateDialog(parent, bxid::dlg::AboutDialog) {}

bool CAboutDlg::OnInitDialog() {
    ui::TemplateDialog::OnInitDialog();
    const auto& r = ui::Resources();
    SetDlgItemText(bxid::AboutDialog::ProductText,
                   wxString::FromUTF8(r.LoadString(bxid::str::ProductName) + " " +
                                      r.LoadString(bxid::str::ProductVersion)));
    return true;
}

} // namespace brx

#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/core/bitmaps/Dib.h"

#include <wx/spinbutt.h>
#include <wx/textctrl.h>

namespace brx {

namespace {
namespace colour = bxid::PseudoColorDialog;
} // namespace

CPseudoColorDlg::CPseudoColorDlg(wxWindow* parent, CView3dDoc* doc, std::function<void()> redraw)
    : ui::TemplateDialog(parent, bxid::dlg::PseudoColorDialog), doc_(doc), redraw_(std::move(redraw)) {
    OnControl(ui::CBN_SELCHANGE, colour::Palette, [this] {
        const int sel = Item<wxComboBox>(colour::Palette)->GetSelection();
        if (sel != paletteIndex && doc_) {
            paletteIndex = sel;
            doc_->SetPaletteIndex(sel);
            apply();
        }
    });
    OnControl(ui::EN_CHANGE, colour::MeshDivisions, [this] {
        if (!ready_ || !doc_)
            return;
        const int v = std::atoi(GetDlgItemText(colour::MeshDivisions).utf8_string().c_str());
        divisions = std::clamp(v, lower, upper);
        doc_->SetWireframeDivisions(divisions); // below 10 the document refuses it
        if (auto* spin = Item<wxSpinButton>(colour::MeshDivisionsSpin))
            spin->SetValue(divisions);
        apply();
    });
    // The spin's position is the count of the edit beside it.
    OnNotify(ui::UDN_DELTAPOS, colour::MeshDivisionsSpin,
             [this](ui::Notification& n) { SetDlgItemText(colour::MeshDivisions, wxString::Format("%d", n.position)); });
}

void CPseudoColorDlg::apply() {
    if (doc_->RebuildGlLists() && redraw_)
        redraw_();
}

bool CPseudoColorDlg::OnInitDialog() {
    ui::TemplateDialog::OnInitDialog();
    CentreOnParent();
    auto* combo = Item<wxComboBox>(colour::Palette);
    for (const char* name :
         {"Rainbow", "RainbowII", "Mono", "Gold", "Blue", "Green", "Red", "Yellow", "Cyan", "Magenta"})
        combo->Append(name);
    if (doc_) {
        paletteIndex = doc_->GetViewState()->paletteIndex;
        divisions = doc_->GetViewState()->wireframeDivisions;
        int w = 0, h = 0;
        if (HDIB t = doc_->TexturePlane()) {
            GlobalLockGuard lock(t);
            w = v3d::DibGetWidth(lock.get());
            h = v3d::DibGetHeight(lock.get());
        }
        lower = 10;
        upper = std::max(w, h);
        if (upper <= 10)
            upper = 100;
    }
    divisions = std::clamp(divisions, lower, upper);
    startPalette_ = paletteIndex;
    startDivisions_ = divisions;
    combo->SetSelection(paletteIndex);
    if (auto* spin = Item<wxSpinButton>(colour::MeshDivisionsSpin)) {
        spin->SetRange(lower, upper);
        spin->SetValue(divisions);
        GiveSpinItsRoom(spin, int(std::to_string(upper).size())); // its position is the count
    }
    SetDlgItemText(colour::MeshDivisions, wxString::Format("%d", divisions));
    ready_ = true;
    return true;
}

void CPseudoColorDlg::OnOK() {
    paletteIndex = Item<wxComboBox>(colour::Palette)->GetSelection();
    divisions =
        std::clamp(std::atoi(GetDlgItemText(colour::MeshDivisions).utf8_string().c_str()), lower, upper);
    EndDialog(IDOK);
}

void CPseudoColorDlg::OnCancel() {
    if (doc_) {
        doc_->SetPaletteIndex(startPalette_);
        doc_->SetWireframeDivisions(startDivisions_);
        apply();
    }
    EndDialog(IDCANCEL);
}

} // namespace brx
