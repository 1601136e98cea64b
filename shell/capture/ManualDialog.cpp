#include "shell/capture/ManualDialog.h"

#include "shell/controls/StringStatic.h"

#include "browser/SelListCtrl.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/compose/FocusComp.h"
#include "imaging/files/ImageFile.h"
#include "platform/MessageSink.h"
#include "platform/ProgramHelpers.h"
#include "shell/capture/CameraSource.h"
#include "shell/capture/CaptureHost.h"
#include "shell/capture/MultiView.h"
#include "shell/app/OrsandelApp.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/controls/ScaleStatic.h"
#include "shell/capture/SelectedBox.h"
#include "shell/controls/StageEdit.h"
#include "shell/capture/StageFileDialog.h"
#include "shell/core/capture/CapturePathCheck.h"
#include "shell/core/compose/CompositionRun.h"
#include "ui/resources/ResourceRegistry.h"
#include "ids/VantorelIds.h"

#include <wx/checkbox.h>

#include <cstdio>
#include <cstdlib>

namespace ids = vtid::ManualPanel;

namespace {
constexpr double kHeightLimit = 999999.0;

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace

std::string ShortenFolderText(const std::string& folder) {
    if (folder.size() < 20)
        return folder;
    const size_t last = folder.find_last_of('/');
    if (last == std::string::npos || last == 0)
        return folder;
    const size_t second = folder.find_last_of('/', last - 1);
    if (second == std::string::npos || second == 0)
        return folder;
    const std::string tail = folder.substr(second);
    if (tail.size() < 3)
        return folder;
    return folder.substr(0, 3) + ".." + tail;
}

CManualDialog::CManualDialog(CaptureHost* host) : ui::TemplatePanel(vtid::dlg::ManualPanel), m_pHost(host) {
    ReplaceControl(ids::FileName, StringStaticFactory());
    ReplaceControl(ids::Height, [this](wxWindow* parent, const ui::ControlTemplate& c, const wxRect& r) {
        m_pHeight = new CStageEdit(parent, c.id, r.GetPosition(), r.GetSize());
        m_pHeight->SetWindowStyleFlag(m_pHeight->GetWindowStyleFlag() | wxTE_RIGHT);
        return static_cast<wxWindow*>(m_pHeight);
    });
    OnCommand(ids::SelectFolder, [this] { OnSelectFolder(); });
    OnCommand(ids::StartCapture, [this] { OnStartCapture(); });
    OnCommand(ids::TakePicture, [this] { OnCapture(); });
    OnCommand(ids::EndCapture, [this] { OnEndCapture(); });
    OnControl(ui::EN_CHANGE, ids::Height, [this] { OnHeightChange(); });
    // Enter and Esc close nothing: the panel is no dialog and has no OK or Cancel.
}

// The frame closes only while no picture is being taken (WaitIdle), so the panel goes idle and
// its preview composer goes with it.
CManualDialog::~CManualDialog() = default;

bool CManualDialog::OnInitDialog() {
    ui::TemplatePanel::OnInitDialog();
    COrsandelApp* app = COrsandelApp::GetApp();
    m_strSavePath = app ? app->m_strAutoPath : std::string();
    const std::pair<int, UINT> icons[4] = {{ids::SelectFolder, vtid::icon::SelectFolderIcon},
                                           {ids::StartCapture, vtid::icon::StartCaptureIcon},
                                           {ids::TakePicture, vtid::icon::TakePictureIcon},
                                           {ids::EndCapture, vtid::icon::EndCaptureIcon}};
    for (const auto& [id, icon] : icons)
        if (wxWindow* b = GetDlgItem(id))
            SetButtonIcon(ui::WindowHandle(b), icon);
    UpdatePathDisplay();
    if (app) {
        const std::string folder = FolderOf(m_strSavePath);
        if (!folder.empty())
            app->m_strImagePath = folder;
    }
    SetDlgItemText(ids::FileName, wxString());
    ShowRunControls(false);
    EnableItem(ids::TakePicture, false);
    if (CMultiView* view = m_pHost ? m_pHost->CaptureView() : nullptr) {
        view->InitStageController();
        if (view->m_comm.controller != 0)
            view->ApplySpeed();
    }
    return true;
}

void CManualDialog::UpdatePathDisplay() {
    COrsandelApp* app = COrsandelApp::GetApp();
    const std::string folder = app ? app->m_strAutoDir : std::string();
    if (folder.empty()) {
        m_strFolderText = "          ";
        m_strFileText = "          ";
    } else {
        m_strFolderText = ShortenFolderText(folder);
        m_strFileText = GetFileNamePart(app->m_strAutoPath);
    }
    SetDlgItemText(ids::FolderText, wxString::FromUTF8(m_strFolderText));
    SetDlgItemText(ids::FileText, wxString::FromUTF8(m_strFileText));
    // A text too long for its place is cut at the panel's edge: the whole path is in the tip.
    const wxString whole = wxString::FromUTF8(app ? app->m_strAutoPath : std::string());
    for (int id : {ids::FolderText, ids::FileText})
        if (wxWindow* w = GetDlgItem(id))
            w->SetToolTip(whole);
}

void CManualDialog::OnSelectFolder() {
    COrsandelApp* app = COrsandelApp::GetApp();
    if (!app)
        return;
    // Pairs of text and pattern: all images, BMP, DIB, TIFF, JPEG, and the framework's all files.
    const ui::ResourceRegistry& r = ui::Resources();
    const std::string filter =
        r.LoadString(vtid::str::ImageFilesFilter) + "|" + r.LoadString(vtid::str::ImagePatterns) + "|" +
        r.LoadString(vtid::str::BmpFilesFilter) + "|" + r.LoadString(vtid::str::BmpPattern) + "|" +
        r.LoadString(vtid::str::DibFilesFilter) + "|" + r.LoadString(vtid::str::DibPattern) + "|" +
        r.LoadString(vtid::str::TiffFilesFilter) + "|" + r.LoadString(vtid::str::TifPattern) + "|" +
        r.LoadString(vtid::str::JpegFilesFilter) + "|" + r.LoadString(vtid::str::JpgPattern) + "|" +
        r.LoadString(vtid::str::AllFilesFilter) + "|" + r.LoadString(vtid::str::AnyFilePattern) + "||";
    CStageFileDialog dlg(true, "bmp", app->m_strAutoPath, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST, filter, this);
    dlg.m_title = r.LoadString(vtid::str::SavePathTitle);
    dlg.m_initialDir = app->m_strAutoDir;
    if (dlg.DoModal() != IDOK)
        return;
    m_strSavePath = dlg.GetPathName();
    app->m_strAutoDir = dlg.GetFolderPath();
    app->m_strImagePath = app->m_strAutoDir;
    app->m_strAutoPath = m_strSavePath;
    UpdatePathDisplay();
}

bool CManualDialog::HeightInputOn() const {
    const auto* check = Item<wxCheckBox>(ids::HeightInput);
    return check && check->GetValue();
}

bool CManualDialog::HeightTextValid() const {
    const std::string text = GetDlgItemText(ids::Height).ToStdString();
    const double value = std::atof(text.c_str());
    if (value < -kHeightLimit || value > kHeightLimit)
        return false;
    return !text.empty() && text != "-";
}

void CManualDialog::ShowRunControls(bool run) {
    for (int id : {ids::StartCapture, ids::HeightInput, ids::SelectFolder, ids::StartLabel})
        ShowItem(id, !run);
    for (int id : {ids::TakePicture, ids::EndCapture, ids::FileNameLabel, ids::FileName,
                   ids::TakePictureLabel, ids::EndLabel})
        ShowItem(id, run);
    if (!run)
        for (int id : {ids::Height, ids::HeightLabel, ids::HeightUnit})
            ShowItem(id, false);
}

void CManualDialog::ShowFileName() {
    SetDlgItemText(ids::FileName, wxString::FromUTF8(GetFileNamePart(m_strCurrentName)));
    Refresh();
}

void CManualDialog::OnStartCapture() {
    COrsandelApp* app = COrsandelApp::GetApp();
    if (!m_pHost || m_pHost->Camera().InputDevice().empty()) {
        ShowMessage(vtid::str::SelectInputDevice, MB_OK);
        return;
    }
    if (!app || app->m_strAutoPath.empty() || app->m_strAutoDir.empty()) {
        ShowMessage(vtid::str::NoSavePath, MB_OK);
        return;
    }
    ShowRunControls(true);
    CMultiView* view = m_pHost->CaptureView();
    const bool stage = view && view->m_comm.controller != 0;
    if (HeightInputOn()) {
        for (int id : {ids::Height, ids::HeightLabel, ids::HeightUnit})
            ShowItem(id, true);
        if (stage) {
            EnableItem(ids::Height, false); // the height comes from the stage
            EnableItem(ids::TakePicture, true);
        } else {
            EnableItem(ids::Height, true);
            EnableItem(ids::TakePicture, HeightTextValid());
        }
    } else {
        for (int id : {ids::Height, ids::HeightLabel, ids::HeightUnit})
            ShowItem(id, false);
        SetDlgItemText(ids::Height, "0");
        OnHeightChange();
    }
    m_pHost->RemoveFromFocusBox(true);
    if (view && view->PreviewPane()) {
        view->PreviewPane()->SetImage(nullptr, -1, 0, 0, 0);
        view->PreviewPane()->SetSize(0, 0, 0, 0);
    }
    m_strCurrentName = m_strSavePath;
    CheckNumberedFileName(nullptr, nullptr);
    MakeNumberedFileName(m_strCurrentName, m_strCurrentName, 0);
    ShowFileName();
    m_bLimitReached = 0;
    m_bInRun = 1;
}

void CManualDialog::OnCapture() {
    if (m_bLimitReached) {
        ShowMessage(vtid::str::CaptureLimitReached, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    EnableItem(ids::TakePicture, false);
    std::string name;
    MakeNumberedFileName(m_strCurrentName, name, 0);
    if (CheckNumberedFileName(name.c_str(), &name) != -1) {
        m_strCurrentName = name;
        const Shot shot = CaptureOne();
        // A picture that was not saved does not count: the next press takes the same name.
        if (shot == Shot::Refused) {
            m_bLimitReached = 1; // the box holds no more pictures
        } else if (shot == Shot::Taken) {
            std::string next;
            if (MakeNumberedFileName(m_strCurrentName, next, 1) != 0) {
                m_strCurrentName = next;
                ShowFileName();
            } else {
                m_bLimitReached = 1;
            }
        }
        if (HeightInputOn() && m_pHeight)
            m_pHeight->SetFocus();
    }
    if (m_bInRun)
        EnableItem(ids::TakePicture, true);
}

bool CManualDialog::ReadStageHeight() {
    CMultiView* view = m_pHost ? m_pHost->CaptureView() : nullptr;
    if (!view || view->m_comm.controller == 0 || !HeightInputOn())
        return true;
    CXyTblCtrl& stage = view->Stage();
    int p1 = 0, p2 = 0;
    if (!stage.GetPosition(&p1, &p2))
        return false;
    // The STM6 reports its own step; the others use the Z calibration's micrometres per pulse.
    const double umPerPulse = view->m_comm.controller == CTRL_STM6 ? stage.GetUmPerPulse() : view->m_d1Pulse;
    double height = umPerPulse * p2;
    if (view->m_bReverseZ || view->m_comm.side)
        height = -height + 0.0; // the zero shows as "0.000", not "-0.000"
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", height);
    SetDlgItemText(ids::Height, text);
    return true;
}

void CManualDialog::FeedPreview(const std::string& path) {
    // The saved file is the picture as it was stored: it is read back once for the preview.
    int type = -1;
    HDIB picture = ReadImageFile(path, &type);
    if (!picture)
        return;
    int width = 0, height = 0;
    {
        GlobalLockGuard lock(picture);
        width = DibGetWidth(lock.get());
        height = DibGetHeight(lock.get());
    }
    if (!m_pPreview) {
        COrsandelDoc* doc = m_pHost->Document();
        auto comp = std::make_unique<CFocusComp>();
        if (comp->StartSeries(CompositionSettings(doc, width, height, 3)))
            m_pPreview = std::move(comp);
    }
    if (m_pPreview && m_pPreview->AddImage(picture)) {
        CMultiView* view = m_pHost->CaptureView();
        if (view && view->PreviewPane() && m_pPreview->GetComposite()) {
            view->PlaceFocusPreview();
            view->PreviewPane()->SetImage(m_pPreview->GetComposite(), -1, 0, 0, 0);
        }
    }
    GlobalFree(picture);
}

CManualDialog::Shot CManualDialog::CaptureOne() {
    CSelListCtrl* list = m_pHost ? m_pHost->FocusBoxList() : nullptr;
    CSelectedBox* box = m_pHost ? m_pHost->SelectedBox() : nullptr;
    CMultiView* view = m_pHost ? m_pHost->CaptureView() : nullptr;
    EnableItem(ids::EndCapture, false);
    if (!list || list->GetItemCount() < 2)
        m_pPreview.reset(); // a new run starts a new preview
    if (list) {
        list->m_captureBusy = 1;
        list->SetInsertPosition(-1);
    }
    m_bBusy = 1;
    Shot shot = Shot::Failed;
    if (!CanWriteCapturePath(m_strCurrentName)) {
        ShowMessage(vtid::str::PathMissing, MB_OK);
    } else if (!ReadStageHeight()) {
        // No picture under a height the stage did not give: the user may press again.
        ShowMessage(vtid::str::WrongController, MB_OK);
    } else {
        if (!view || !view->CaptureAndSave(m_strCurrentName)) {
            ShowMessage(vtid::str::CaptureFailed, MB_OK);
        } else {
            const double z = std::atof(GetDlgItemText(ids::Height).ToStdString().c_str());
            // A full box refuses the entry (the list says so): the saved file stays, and the
            // refused entry is not used.
            if (box && box->AddFile(m_strCurrentName, z)) {
                shot = Shot::Taken;
                PumpOneMessage(nullptr); // the box shows its new entry
                FeedPreview(m_strCurrentName);
            } else {
                shot = Shot::Refused;
            }
        }
    }
    EnableItem(ids::EndCapture, true);
    if (list)
        list->m_captureBusy = 1;
    m_bBusy = 0;
    if (m_closeRequested) {
        m_closeRequested = false;
        m_pHost->RetryClose();
    }
    return shot;
}

void CManualDialog::OnEndCapture() {
    m_bLimitReached = 0;
    ShowRunControls(false);
    EnableItem(ids::TakePicture, false);
    m_bInRun = 0;
}

void CManualDialog::OnHeightChange() {
    // While a picture is taken the picture button stays off (the stage height written into the height
    // edit changes it).
    if (m_bBusy || !GetDlgItem(ids::TakePicture))
        return;
    EnableItem(ids::TakePicture, HeightTextValid());
}

bool CManualDialog::WaitIdle() {
    if (m_bBusy) {
        m_closeRequested = true;
        return false;
    }
    m_pPreview.reset();
    return true;
}
