#include "tools/testcam/RenderCamDialog.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/radiobox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>

namespace testcam {

DialogAnswer RunRenderCamDialog(RenderCamSettings* settings) {
    if (!wxTheApp || !settings)
        return DialogAnswer::NoWindows;
    // A plain dialog built here and gone before the module returns: the module registers no
    // window classes, so it can be unloaded afterwards.
    wxDialog dlg(wxTheApp->GetTopWindow(), wxID_ANY, wxString::FromUTF8("テストカメラの入力モード"));
    auto* top = new wxBoxSizer(wxVERTICAL);

    auto* sizeRow = new wxBoxSizer(wxHORIZONTAL);
    sizeRow->Add(new wxStaticText(&dlg, wxID_ANY, wxString::FromUTF8("フレームサイズ：")), 0,
                 wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    const wxString sizes[] = {wxString::FromUTF8("640 × 480"), wxString::FromUTF8("320 × 240"),
                              wxString::FromUTF8("1280 × 960"), wxString::FromUTF8("1280 × 1024")};
    auto* size = new wxChoice(&dlg, kFrameSizeChoice, wxDefaultPosition, wxDefaultSize, 4, sizes);
    size->SetSelection(std::clamp(settings->frameSize, 0, 3));
    sizeRow->Add(size, 1);
    top->Add(sizeRow, 0, wxEXPAND | wxALL, 10);

    const wxString modes[] = {wxString::FromUTF8("モノクロ"), wxString::FromUTF8("カラー")};
    auto* mode = new wxRadioBox(&dlg, kColourModeBox, wxString::FromUTF8("カラーモード"), wxDefaultPosition,
                                wxDefaultSize, 2, modes, 1, wxRA_SPECIFY_ROWS);
    mode->SetSelection(settings->colourMode == 1 ? 1 : 0);
    top->Add(mode, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);

    top->Add(dlg.CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    dlg.SetSizerAndFit(top);
    dlg.CentreOnParent();
    if (dlg.ShowModal() != wxID_OK)
        return DialogAnswer::Cancel;
    settings->frameSize = size->GetSelection();
    settings->colourMode = mode->GetSelection();
    return DialogAnswer::Ok;
}

} // namespace testcam
