#include "shell/ManualDialog.h"

#include "shell/StringStatic.h"

#include "browser/SelListCtrl.h"
#include "imaging/Dib.h"
#include "imaging/FocusComp.h"
#include "imaging/ImageFile.h"
#include "platform/MessageSink.h"
#include "platform/ProgramHelpers.h"
#include "shell/MainFrame.h"
#include "shell/MultiView.h"
#include "shell/OrsandelApp.h"
#include "shell/OrsandelDoc.h"
#include "shell/ScaleStatic.h"
#include "shell/SelectedBox.h"
#include "shell/StageEdit.h"
#include "shell/StageFileDialog.h"
#include "shell/core/CapturePathCheck.h"
#include "ui/resources/ResourceRegistry.h"

#include <wx/checkbox.h>

#include <cstdio>
#include <cstdlib>

namespace {
constexpr int kFolderText = 601, kFileText = 602, kFolderButton = 603, kStartButton = 604;
constexpr int kHeightCheck = 605, kFileName = 606, kHeightEdit = 607, kCaptureButton = 608;
constexpr int kEndButton = 609, kStartLabel = 616, kFileLabel = 617, kHeightLabel = 618;
constexpr int kCaptureLabel = 619, kEndLabel = 620, kUnitLabel = 621;

constexpr UINT kMsgNoDevice = 1035;
constexpr UINT kMsgNoSavePath = 1036;
constexpr UINT kMsgPathMissing = 872;
constexpr UINT kMsgCaptureFailed = 873;
constexpr UINT kMsgNumberingExhausted = 895;
constexpr UINT kIdsSaveTitle = 838;

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

CManualDialog::CManualDialog(CMainFrame* frame) : ui::TemplatePanel(600), m_frame(frame) {
    ReplaceControl(kFileName, StringStaticFactory());
    ReplaceControl(kHeightEdit, [this](wxWindow* parent, const ui::ControlTemplate& c, const wxRect& r) {
        m_pHeight = new CStageEdit(parent, c.id, r.GetPosition(), r.GetSize());
        m_pHeight->SetWindowStyleFlag(m_pHeight->GetWindowStyleFlag() | wxTE_RIGHT);
        return static_cast<wxWindow*>(m_pHeight);
    });
    OnCommand(kFolderButton, [this] { OnSelectFolder(); });
    OnCommand(kStartButton, [this] { OnStartCapture(); });
    OnCommand(kCaptureButton, [this] { OnCapture(); });
    OnCommand(kEndButton, [this] { OnEndCapture(); });
    OnControl(ui::EN_CHANGE, kHeightEdit, [this] { OnHeightChange(); });
    // Enter and Esc close nothing: the panel is no dialog and has no OK or Cancel.
}

// The frame closes only while no picture is being taken (WaitIdle), so the panel goes idle and
// its preview composer goes with it.
CManualDialog::~CManualDialog() = default;

bool CManualDialog::OnInitDialog() {
    ui::TemplatePanel::OnInitDialog();
    COrsandelApp* app = COrsandelApp::GetApp();
    m_strSavePath = app ? app->m_strAutoPath : std::string();
    const std::pair<int, UINT> icons[4] = {
        {kFolderButton, 242}, {kStartButton, 201}, {kCaptureButton, 202}, {kEndButton, 203}};
    for (const auto& [id, icon] : icons)
        if (wxWindow* b = GetDlgItem(id))
            SetButtonIcon(ui::WindowHandle(b), icon);
    UpdatePathDisplay();
    if (app) {
        const std::string folder = FolderOf(m_strSavePath);
        if (!folder.empty())
            app->m_strImagePath = folder;
    }
    SetDlgItemText(kFileName, wxString());
    ShowRunControls(false);
    EnableItem(kCaptureButton, false);
    if (CMultiView* view = m_frame ? m_frame->m_pMultiView : nullptr) {
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
    SetDlgItemText(kFolderText, wxString::FromUTF8(m_strFolderText));
    SetDlgItemText(kFileText, wxString::FromUTF8(m_strFileText));
    // A text too long for its place is cut at the panel's edge: the whole path is in the tip.
    const wxString whole = wxString::FromUTF8(app ? app->m_strAutoPath : std::string());
    for (int id : {kFolderText, kFileText})
        if (wxWindow* w = GetDlgItem(id))
            w->SetToolTip(whole);
}

void CManualDialog::OnSelectFolder() {
    COrsandelApp* app = COrsandelApp::GetApp();
    if (!app)
        return;
    // Pairs of text and pattern: all images, BMP, DIB, TIFF, JPEG, and the framework's all files.
    const ui::ResourceRegistry& r = ui::Resources();
    const std::string filter = r.LoadString(501) + "|" + r.LoadString(510) + "|" + r.LoadString(503) + "|" +
                               r.LoadString(512) + "|" + r.LoadString(504) + "|" + r.LoadString(513) + "|" +
                               r.LoadString(505) + "|" + r.LoadString(514) + "|" + r.LoadString(506) + "|" +
                               r.LoadString(515) + "|" + r.LoadString(61442) + "|" + r.LoadString(519) + "||";
    CStageFileDialog dlg(true, "bmp", app->m_strAutoPath, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST, filter, this);
    dlg.m_title = r.LoadString(kIdsSaveTitle);
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
    const auto* check = Item<wxCheckBox>(kHeightCheck);
    return check && check->GetValue();
}

bool CManualDialog::HeightTextValid() const {
    const std::string text = GetDlgItemText(kHeightEdit).ToStdString();
    const double value = std::atof(text.c_str());
    if (value < -kHeightLimit || value > kHeightLimit)
        return false;
    return !text.empty() && text != "-";
}

void CManualDialog::ShowRunControls(bool run) {
    for (int id : {kStartButton, kHeightCheck, kFolderButton, kStartLabel})
        ShowItem(id, !run);
    for (int id : {kCaptureButton, kEndButton, kFileLabel, kFileName, kCaptureLabel, kEndLabel})
        ShowItem(id, run);
    if (!run)
        for (int id : {kHeightEdit, kHeightLabel, kUnitLabel})
            ShowItem(id, false);
}

void CManualDialog::ShowFileName() {
    SetDlgItemText(kFileName, wxString::FromUTF8(GetFileNamePart(m_strCurrentName)));
    Refresh();
}

void CManualDialog::OnStartCapture() {
    COrsandelApp* app = COrsandelApp::GetApp();
    if (!m_frame || m_frame->m_strDevice.empty()) {
        ShowMessage(kMsgNoDevice, MB_OK);
        return;
    }
    if (!app || app->m_strAutoPath.empty() || app->m_strAutoDir.empty()) {
        ShowMessage(kMsgNoSavePath, MB_OK);
        return;
    }
    ShowRunControls(true);
    CMultiView* view = m_frame->m_pMultiView;
    const bool stage = view && view->m_comm.controller != 0;
    if (HeightInputOn()) {
        for (int id : {kHeightEdit, kHeightLabel, kUnitLabel})
            ShowItem(id, true);
        if (stage) {
            EnableItem(kHeightEdit, false); // the height comes from the stage
            EnableItem(kCaptureButton, true);
        } else {
            EnableItem(kHeightEdit, true);
            EnableItem(kCaptureButton, HeightTextValid());
        }
    } else {
        for (int id : {kHeightEdit, kHeightLabel, kUnitLabel})
            ShowItem(id, false);
        SetDlgItemText(kHeightEdit, "0");
        OnHeightChange();
    }
    m_frame->RemoveFromFocusBox(true);
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
        ShowMessage(kMsgNumberingExhausted, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    EnableItem(kCaptureButton, false);
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
        EnableItem(kCaptureButton, true);
}

void CManualDialog::ReadStageHeight() {
    CMultiView* view = m_frame ? m_frame->m_pMultiView : nullptr;
    if (!view || view->m_comm.controller == 0 || !HeightInputOn())
        return;
    CXyTblCtrl& stage = view->Stage();
    int p1 = 0, p2 = 0;
    if (!stage.GetPosition(&p1, &p2))
        return;
    // The STM6 reports its own step; the others use the Z calibration's micrometres per pulse.
    const double umPerPulse = view->m_comm.controller == CTRL_STM6 ? stage.GetUmPerPulse() : view->m_d1Pulse;
    double height = umPerPulse * p2;
    if (view->m_bReverseZ || view->m_comm.side)
        height = -height + 0.0; // the zero shows as "0.000", not "-0.000"
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", height);
    SetDlgItemText(kHeightEdit, text);
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
        COrsandelDoc* doc = m_frame->Document();
        auto comp = std::make_unique<CFocusComp>();
        comp->Setup(3, 3, doc ? doc->m_scopeType : 0, doc ? doc->m_subsType : 0, doc ? doc->m_subsPos : 1,
                    width, height, 0, 0, nullptr, 0, 0);
        if (comp->AllocMaps()) {
            comp->ClearMaxMap();
            comp->ClearIndexMap();
            comp->ClearWeightMap();
            m_pPreview = std::move(comp);
        }
    }
    if (m_pPreview && m_pPreview->AddImage(picture)) {
        CMultiView* view = m_frame->m_pMultiView;
        if (view && view->PreviewPane() && m_pPreview->GetComposite()) {
            view->PlaceFocusPreview();
            view->PreviewPane()->SetImage(m_pPreview->GetComposite(), -1, 0, 0, 0);
        }
    }
    GlobalFree(picture);
}

CManualDialog::Shot CManualDialog::CaptureOne() {
    CSelListCtrl* list = m_frame ? m_frame->FocusBoxList() : nullptr;
    CSelectedBox* box = m_frame ? m_frame->SelectedBox() : nullptr;
    CMultiView* view = m_frame ? m_frame->m_pMultiView : nullptr;
    EnableItem(kEndButton, false);
    if (!list || list->GetItemCount() < 2)
        m_pPreview.reset(); // a new run starts a new preview
    if (list) {
        list->m_captureBusy = 1;
        list->SetInsertPosition(-1);
    }
    m_bBusy = 1;
    Shot shot = Shot::Failed;
    if (!CanWriteCapturePath(m_strCurrentName)) {
        ShowMessage(kMsgPathMissing, MB_OK);
    } else {
        ReadStageHeight();
        if (!view || !view->CaptureAndSave(m_strCurrentName)) {
            ShowMessage(kMsgCaptureFailed, MB_OK);
        } else {
            const double z = std::atof(GetDlgItemText(kHeightEdit).ToStdString().c_str());
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
    EnableItem(kEndButton, true);
    if (list)
        list->m_captureBusy = 1;
    m_bBusy = 0;
    if (m_closeRequested) {
        m_closeRequested = false;
        m_frame->CallAfter([frame = m_frame] { frame->Close(); });
    }
    return shot;
}

void CManualDialog::OnEndCapture() {
    m_bLimitReached = 0;
    ShowRunControls(false);
    EnableItem(kCaptureButton, false);
    m_bInRun = 0;
}

void CManualDialog::OnHeightChange() {
    // While a picture is taken 608 stays off (the stage height written into 607 changes it).
    if (m_bBusy || !GetDlgItem(kCaptureButton))
        return;
    EnableItem(kCaptureButton, HeightTextValid());
}

bool CManualDialog::WaitIdle() {
    if (m_bBusy) {
        m_closeRequested = true;
        return false;
    }
    m_pPreview.reset();
    return true;
}
