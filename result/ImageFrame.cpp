#include "result/ImageFrame.h"

#include "ui/RecentFileList.h"

#include "devices/camera/CalibrationSettings.h"
#include "devices/camera/LensTable.h"
#include "devices/camera/gui/XYCalibSetDlg.h"
#include "ids/VantorelIds.h"
#include "imaging/compose/WorkerMessages.h"
#include "result/FocusProgDialog.h"
#include "platform/File.h"
#include "platform/MessageSink.h"
#include "platform/Settings.h"
#include "platform/WindowMessages.h"
#include "ui/DialogPlacement.h"
#include "ui/DockingBars.h"
#include "ui/Services.h"
#include "ui/StageControlBar.h"
#include "ui/resources/ResourceRegistry.h"
#include "result/ImageDoc.h"
#include "result/ImagePrintout.h"
#include "result/ImageView.h"
#include "result/NoiseCutDialog.h"
#include "result/SetOutputAppDlg.h"
#include "result/SetScaleDlg.h"
#include "result/ViewerMenuDialog.h"

#include <wx/app.h>
#include <wx/display.h>
#include <wx/dialog.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <utility>

namespace {

// The menu's commands and the tool bar's buttons, which the bar sends to the frame.
namespace cmd = vtid::cmd;
namespace bar = vtid::ViewerBar;

bool FileReadable(const std::string& path) {
    return !path.empty() && RegularFileReadable(path);
}

constexpr const char* kImageExtension = "bmp";
constexpr const char* k3dExtension = "vv3";

namespace str = vtid::str;

// A file dialog's filter from pairs of string ids (name, pattern), ended by all files with the
// pattern given.
std::string FilterOf(std::initializer_list<std::pair<UINT, UINT>> pairs, const char* allFiles) {
    const auto& r = ui::Resources();
    std::string filter;
    for (const auto& [name, pattern] : pairs)
        filter += r.LoadString(name) + "|" + r.LoadString(pattern) + "|";
    return filter + r.LoadString(str::AllFilesFilter) + "|" + allFiles;
}

// The image files first (the open dialog's own entry or the save dialog's), then each kind, then
// all files.
std::string ImageFilter(bool open) {
    return FilterOf({open ? std::pair<UINT, UINT>{str::ImageFilesFilterOpen, str::ImageFilesPatternOpen}
                          : std::pair<UINT, UINT>{str::ImageFilesFilter, str::ImagePatterns},
                     {str::BmpFilesFilter, str::BmpPattern},
                     {str::DibFilesFilter, str::DibPattern},
                     {str::TiffFilesFilter, str::TifPattern},
                     {str::JpegFilesFilter, str::JpgPattern}},
                    "*.*");
}

} // namespace

CImageFrame::CImageFrame(wxWindow* parent)
    : RoutedFrame(parent, "Vantorel.Viewer", wxDefaultPosition, wxSize(1024, 768)) {
    auto doc = std::make_unique<CImageDoc>();
    m_doc = doc.get();
    m_toolBar = new CViewerMenuDialog();
    LoadMenuResource(vtid::menu::ResultMenu);
    m_view = new CImageView(this);
    m_view->SetDocument(m_doc);
    SetDocument(std::move(doc));
    m_bars = std::make_unique<ui::DockingBars>(this);
    m_bars->SetCenter(m_view);
    (new CStageControlBar)->Create(*m_bars, this, m_toolBar, "TopMenuDlg", ui::DockSide::Top);
    m_bars->Update();
    m_toolBar->onZoom = [this](int step) {
        if (m_doc->m_busy == 0)
            m_view->ZoomToStep(step);
    };

    const std::pair<int, int> zooms[] = {
        {cmd::Zoom20, 20}, {cmd::Zoom50, 50}, {cmd::Zoom100, 100}, {cmd::Zoom200, 200}, {cmd::Zoom400, 400}};
    for (const auto& [id, pct] : zooms) {
        OnCommand(id, [this, pct] { ZoomField(pct); });
        OnUpdateUI(id, [this, pct](ui::CmdUI& c) {
            c.Enable(NotBusy());
            c.SetCheck(m_toolBar->GetZoomValue() == pct);
        });
    }
    OnCommand(cmd::ZoomIn, [this] {
        if (NotBusy())
            m_toolBar->SetZoomValue(m_toolBar->GetZoomValue() + 10);
    });
    OnCommand(cmd::ZoomOut, [this] {
        if (NotBusy())
            m_toolBar->SetZoomValue(m_toolBar->GetZoomValue() - 10);
    });
    OnCommand(cmd::FitToWindow, &CImageFrame::OnFit);
    OnCommand(bar::FitToWindow, &CImageFrame::OnFit);
    OnCommand(cmd::ShowImage, &CImageFrame::OnShowImage);
    OnCommand(cmd::ShowHeight, &CImageFrame::OnShowHeight);
    OnCommand(cmd::UmScale, &CImageFrame::OnUmScale);
    OnCommand(cmd::DotScale, &CImageFrame::OnDotScale);
    OnCommand(cmd::SaveImage, &CImageFrame::OnSaveImage);
    OnCommand(bar::SaveImage, &CImageFrame::OnSaveImage);
    OnCommand(cmd::Save3dData, &CImageFrame::OnSave3d);
    OnCommand(bar::Save3dData, &CImageFrame::OnSave3d);
    OnCommand(cmd::LoadImage, &CImageFrame::OnLoadImage);
    OnCommand(cmd::TransferTo3d, &CImageFrame::OnTransfer3d);
    OnCommand(bar::TransferTo3d, &CImageFrame::OnTransfer3d);
    OnCommand(cmd::TransferToAnalysis, &CImageFrame::OnTransferAnalysis);
    OnCommand(bar::TransferToAnalysis, &CImageFrame::OnTransferAnalysis);
    OnCommand(cmd::NoiseCut, &CImageFrame::OnNoiseCut);
    OnCommand(cmd::CloseResult, &CImageFrame::OnCloseCommand);
    OnCommand(cmd::ResultScaleSettings, &CImageFrame::OnScaleSettings);
    OnCommand(bar::ScaleSettings, &CImageFrame::OnScaleSettings);
    OnCommand(cmd::TransferPrograms, &CImageFrame::OnProgramPaths);
    OnCommand(cmd::Print, [this] {
        if (!NotBusy())
            return;
        wxPrinter printer;
        CImagePrintout printout(m_doc);
        printer.Print(this, &printout, true);
    });
    OnCommand(cmd::PrintPreview, [this] {
        if (!NotBusy())
            return;
        auto* preview = new wxPrintPreview(new CImagePrintout(m_doc), new CImagePrintout(m_doc));
        if (!preview->IsOk()) {
            delete preview;
            return;
        }
        auto* pf = new wxPreviewFrame(preview, this, wxString::FromUTF8("印刷プレビュー"));
        pf->Initialize();
        pf->Show();
    });
    auto notBusy = [this](ui::CmdUI& c) { c.Enable(NotBusy()); };
    for (int id : {cmd::ZoomIn, cmd::ZoomOut, cmd::FitToWindow, bar::FitToWindow, cmd::SaveImage,
                   bar::SaveImage, cmd::Save3dData, bar::Save3dData, cmd::LoadImage, cmd::CloseResult,
                   cmd::Print, cmd::PrintPreview, cmd::ResultScaleSettings, bar::ScaleSettings})
        OnUpdateUI(id, notBusy);
    auto heights = [this](ui::CmdUI& c) { c.Enable(NotBusy() && !m_doc->m_working.Empty()); };
    OnUpdateUI(cmd::NoiseCut, heights);
    OnUpdateUI(cmd::ShowImage, [this, heights](ui::CmdUI& c) {
        heights(c);
        c.SetCheck(m_doc->m_displayMode == 0);
    });
    OnUpdateUI(cmd::ShowHeight, [this, heights](ui::CmdUI& c) {
        heights(c);
        c.SetCheck(m_doc->m_displayMode == 1);
    });
    OnUpdateUI(cmd::UmScale, [this](ui::CmdUI& c) {
        c.Enable(NotBusy());
        c.SetCheck(m_doc->m_lens.scaleLength != 0 && m_doc->m_scaleOn);
    });
    OnUpdateUI(cmd::DotScale, [this](ui::CmdUI& c) {
        c.Enable(NotBusy());
        c.SetCheck(m_doc->m_lens.scaleDots != 0 && m_doc->m_dotScaleOn);
    });
    for (int id : {cmd::TransferTo3d, bar::TransferTo3d})
        OnUpdateUI(id, [this](ui::CmdUI& c) { c.Enable(NotBusy() && FileReadable(m_doc->m_viewerPath)); });
    for (int id : {cmd::TransferToAnalysis, bar::TransferToAnalysis})
        OnUpdateUI(id, [this](ui::CmdUI& c) { c.Enable(NotBusy() && FileReadable(m_doc->m_analysisPath)); });

    OnMessage(WM_WORK_DONE, &CImageFrame::OnWorkDone);
    OnMessage(WM_WORK_PROGRESS, &CImageFrame::OnWorkProgress);
    OnMessage(WM_WORK_CANCEL, &CImageFrame::OnWorkCancel);
    RegisterLensCommands();
    Bind(wxEVT_CLOSE_WINDOW, &CImageFrame::onClose, this);
    m_view->Bind(wxEVT_SET_FOCUS, &CImageFrame::onFocus, this);
    m_view->Bind(wxEVT_SIZE, &CImageFrame::onViewSize, this);
    Bind(wxEVT_ICONIZE, &CImageFrame::onIconize, this);
    Bind(wxEVT_ACTIVATE, &CImageFrame::onActivate, this);
    InitialUpdateFrame();
    m_toolBar->SetLensName(m_doc->m_lens.registeredName);
    const int display = wxDisplay::GetFromWindow(this);
    SetSize(PlaceInWorkArea(GetRect(),
                            wxDisplay(display == wxNOT_FOUND ? 0u : unsigned(display)).GetClientArea()));
    // The guess above knows nothing of the window manager's frame: once the window is framed on
    // the screen it is placed again, frame included.
    ui::KeepInWorkArea(this, this);
}

wxRect PlaceInWorkArea(wxRect window, const wxRect& area) {
    window.width = std::min(window.width, area.width);
    window.height = std::min(window.height, area.height);
    window.x = std::clamp(window.x, area.x, area.GetRight() + 1 - window.width);
    window.y = std::clamp(window.y, area.y, area.GetBottom() + 1 - window.height);
    return window;
}

CImageFrame::~CImageFrame() {
    if (m_doc)
        m_doc->StopWorker();
    if (m_progress)
        m_progress->Destroy();
}

bool CImageFrame::NotBusy() const {
    return m_doc->m_busy == 0;
}

void CImageFrame::onActivate(wxActivateEvent& ev) {
    ev.Skip();
    // The program's message boxes open over the top window: while this window is the active
    // one, they belong to it and do not bring the main window forward.
    if (ev.GetActive() && wxTheApp) {
        wxTheApp->SetTopWindow(this);
        PostThreadMessage(WM_VIEWER_ACTIVE, 0, 0);
    }
}

void CImageFrame::onFocus(wxFocusEvent& ev) {
    PostThreadMessage(WM_VIEWER_ACTIVE, 0, 0);
    ev.Skip();
}

bool CImageFrame::AgreeToReplace() {
    const bool agreed = std::exchange(m_discardAgreed, false);
    const bool replace = agreed || QueryDiscardResult();
    m_discardAgreed = false;
    return replace;
}

bool CImageFrame::ShowResult(HDIB image, const double* const* heights, const int* const* focus,
                             int smoothing) {
    if (!image || !AgreeToReplace())
        return false;
    if (!m_doc->SetResultImage(image))
        return false;
    m_doc->SetHeightData(heights, focus);
    SetTitle(wxString::FromUTF8(m_doc->m_title));
    m_doc->m_cutAmount = 0;
    m_doc->m_cutType = 0;
    m_doc->m_previewSwitch = 1;
    m_doc->m_filterSize = smoothing;
    m_doc->m_busy = 0;
    m_newResultShown = true;
    InitialUpdate();
    if (!m_doc->m_working.Empty()) {
        StartProgress();
        m_doc->RunNoiseCut(GetSafeHwnd());
    }
    return true;
}

bool CImageFrame::ShowImageFile(const std::string& path) {
    if (!AgreeToReplace())
        return false;
    const bool opened = m_doc->OnOpenDocument(path);
    // Opening stopped a noise cut that was still running: its progress window goes with it.
    EndProgress();
    if (!opened)
        return false;
    SetTitle(wxString::FromUTF8(path));
    InitialUpdate();
    return true;
}

void CImageFrame::InitialUpdate() {
    m_doc->m_lensTable = m_pLensTable;
    // A minimised window has no client area, and what was laid out in it has none either: the
    // window comes back first, and the picture is fitted once the view has the size it is shown at.
    if (IsIconized())
        Iconize(false);
    m_view->OnInitialUpdate();
    m_toolBar->SetLensName(m_doc->m_lens.registeredName);
    m_fitPending = !ViewHasItsSize();
    if (!m_fitPending)
        m_toolBar->SetZoomValue(m_view->FitPercent());
}

bool CImageFrame::ViewHasItsSize() const {
    const wxSize c = m_view->GetClientSize();
    return !IsIconized() && c.x > 1 && c.y > 1;
}

void CImageFrame::onViewSize(wxSizeEvent& ev) {
    ev.Skip();
    if (m_fitPending && ViewHasItsSize()) {
        // The new picture's own fit, also while its noise cut runs (which keeps the user's zoom
        // commands away).
        m_fitPending = false;
        const int fit = m_view->FitPercent();
        m_toolBar->SetZoomValue(fit);
        m_view->ZoomToStep((fit - 100) / 10);
    }
}

void CImageFrame::onIconize(wxIconizeEvent& ev) {
    ev.Skip();
    // Back from the task bar: what was laid out while minimised gets the window's size again.
    if (!ev.IsIconized())
        Layout();
}

bool CImageFrame::QueryDiscardResult() {
    if (!m_newResultShown || !m_doc->m_image)
        return true; // nothing shown that could be lost
    if (!m_doc->m_saved) {
        if (ShowMessage(kMsgDiscardResult, MB_YESNO | MB_ICONQUESTION) == IDNO)
            return false;
        m_doc->m_saved = 0;
    }
    m_discardAgreed = true;
    return true;
}

bool CImageFrame::CloseResult() {
    if (!QueryDiscardResult())
        return false;
    m_newResultShown = false;
    if (m_pCalibSetDlg && m_pCalibSetDlg->IsShown()) {
        m_pCalibSetDlg->Hide(); // the calibration ends with the window
        m_view->SetCalibrationActive(false);
        m_view->EraseCalibrationLine(false);
    }
    if (m_closingApp) {
        Destroy();
        return true;
    }
    Hide();
    return true;
}

void CImageFrame::onClose(wxCloseEvent& ev) {
    if (!m_closingApp || !ev.CanVeto()) {
        if (m_closingApp) {
            ev.Skip();
            return;
        }
        ev.Veto();
        CloseResult();
        return;
    }
    if (!QueryDiscardResult()) {
        ev.Veto();
        return;
    }
    ev.Skip();
}

void CImageFrame::OnCloseCommand() {
    CloseResult();
}

void CImageFrame::ZoomField(int percent) {
    if (NotBusy())
        m_toolBar->SetZoomValue(percent);
}

void CImageFrame::OnFit() {
    if (NotBusy())
        m_toolBar->SetZoomValue(m_view->FitPercent());
}

void CImageFrame::OnShowImage() {
    if (!NotBusy())
        return;
    m_doc->m_displayMode = 0;
    m_view->Refresh(false);
}

void CImageFrame::OnShowHeight() {
    if (!NotBusy() || m_doc->m_working.Empty())
        return;
    m_doc->m_displayMode = 1;
    m_view->Refresh(false);
}

void CImageFrame::OnUmScale() {
    if (!NotBusy())
        return;
    if (m_doc->m_lens.scaleLength == 0) {
        ShowMessage(vtid::str::NoScaleSettings, MB_OK | MB_ICONEXCLAMATION);
        m_doc->m_scaleOn = 0;
    } else {
        m_doc->m_scaleOn = !m_doc->m_scaleOn;
    }
    WriteUmScaleSwitch(m_doc->m_scaleOn);
    m_view->Refresh(false);
}

void CImageFrame::OnDotScale() {
    if (!NotBusy())
        return;
    m_doc->m_dotScaleOn = m_doc->m_dotScaleOn == 0 && m_doc->m_lens.scaleDots != 0 ? 1 : 0;
    WriteDotScaleSwitch(m_doc->m_dotScaleOn);
    m_view->Refresh(false);
}

std::string CImageFrame::AskFileName(bool open, const std::string& filter, const char* defaultExt) {
    ui::FileDialogRequest req;
    req.open = open;
    req.filter = filter;
    // The program's image folder; one kept relative to the working folder is taken from there.
    if (m_pImagePath && !m_pImagePath->empty())
        req.folder = std::filesystem::absolute(*m_pImagePath).lexically_normal().string();
    if (open)
        req.filterIndex = m_openFilterIndex;
    // A name typed without an extension gets the kind's in the dialog, which then asks before it
    // replaces a file of that name, as for a name typed in full.
    req.defaultExtension = open ? std::string() : std::string(defaultExt);
    const ui::FileDialogResult r = ui::RunFileDialog(this, req);
    if (r.paths.empty())
        return {};
    if (open)
        m_openFilterIndex = r.filterIndex;
    // The next dialog starts where this one ended.
    if (m_pImagePath)
        *m_pImagePath = std::filesystem::path(r.paths.front()).parent_path().string();
    // An opened file exists as it is named; a new one takes the extension of its kind.
    return open ? r.paths.front() : WithDefaultExtension(r.paths.front(), defaultExt);
}

std::string WithDefaultExtension(const std::string& path, const std::string& ext) {
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || ext.empty() || name.find('.') != std::string::npos)
        return path;
    return path + "." + ext;
}

void CImageFrame::OnSaveImage() {
    if (!NotBusy())
        return;
    const std::string path = AskFileName(false, ImageFilter(false), kImageExtension);
    if (!path.empty())
        m_doc->SaveImage(path);
}

void CImageFrame::OnSave3d() {
    if (!NotBusy())
        return;
    if (m_doc->m_working.Empty()) {
        ShowMessage(kMsgNo3dData, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const std::string path =
        AskFileName(false, FilterOf({{str::Vv3FilesFilter, str::Vv3FilesPattern}}, "*"), k3dExtension);
    if (!path.empty())
        m_doc->SaveVv3(path);
}

void CImageFrame::OnLoadImage() {
    if (!NotBusy())
        return;
    const std::string path = AskFileName(true, ImageFilter(true), kImageExtension);
    if (path.empty() || !QueryDiscardResult())
        return;
    if (ShowImageFile(path)) {
        m_doc->m_saved = 1;
        if (m_recentFiles)
            m_recentFiles->Add(path);
    }
}

void CImageFrame::OnTransfer3d() {
    if (NotBusy())
        m_doc->TransferHeightMap();
}

void CImageFrame::OnTransferAnalysis() {
    if (NotBusy())
        m_doc->TransferToAnalysis(false);
}

void CImageFrame::EndProgress() {
    if (m_progress)
        m_progress->Destroy();
    m_progress = nullptr;
}

void CImageFrame::StartProgress() {
    EndProgress();
    m_progress = new CFocusProgDialog(this);
    m_progress->SetCancelable(TRUE);
    m_progress->Create();
    m_progress->SetTitle(wxString::FromUTF8("ノイズ領域補間中"));
    m_progress->SetMessage("");
    m_progress->SetRange(100);
    m_progress->SetCancelMessage(WM_WORK_CANCEL);
    m_progress->Show();
}

void CImageFrame::OnNoiseCut() {
    if (!NotBusy() || m_doc->m_working.Empty())
        return;
    const int savedMode = m_doc->m_displayMode;
    m_doc->m_displayMode = 1;
    m_view->Refresh(false);
    CNoiseCutDialog dlg(this, m_doc, m_view);
    if (dlg.DoModal() == IDOK) {
        m_doc->m_cutAmount = dlg.m_amount;
        m_doc->m_cutType = dlg.m_method;
        m_doc->m_previewSwitch = dlg.m_preview;
        m_doc->m_filterSize = dlg.m_smoothing;
        WriteIniInt("NOISECUT", "CUTEDIT", dlg.m_amount);
        WriteIniInt("NOISECUT", "CUTTYPE", dlg.m_method);
        WriteIniInt("NOISECUT", "PREVCHK", dlg.m_preview);
        WriteIniInt("NOISECUT", "FILTERSIZE", dlg.m_smoothing);
        if (m_doc->m_cutType == 0)
            StartProgress();
        m_doc->RunNoiseCut(GetSafeHwnd());
    } else {
        m_doc->DiscardPreview();
    }
    m_doc->m_previewFlag = 0;
    m_doc->m_displayMode = savedMode;
    m_view->Refresh(false);
}

LRESULT CImageFrame::OnWorkDone(WPARAM run, LPARAM) {
    if (!m_doc->OnWorkDone(run))
        return 0; // the report of a run that was replaced
    EndProgress();
    m_view->Refresh(false);
    return 0;
}

LRESULT CImageFrame::OnWorkProgress(WPARAM w, LPARAM) {
    if (m_progress)
        m_progress->SetPos(int(w));
    return 0;
}

LRESULT CImageFrame::OnWorkCancel(WPARAM, LPARAM) {
    m_doc->CancelNoiseCut();
    return 0;
}

void CImageFrame::OnScaleSettings() {
    if (!NotBusy())
        return;
    CSetScaleDlg dlg(this);
    ResultLens& lens = m_doc->m_lens;
    dlg.m_lensName = lens.name.empty() ? lens.registeredName : lens.name;
    dlg.m_length = lens.scaleLength;
    dlg.m_pixels = lens.scaleDots;
    dlg.m_step = lens.scaleCeiling;
    // The colour and corner are the program's: slot 1's, the colour read as a real.
    const LensScale programScale = ReadLensScale(LensKeys::Slot(0));
    dlg.m_position = programScale.position;
    dlg.m_colour = COLORREF(int(programScale.colour));
    if (dlg.DoModal() == IDOK) {
        lens.scaleLength = dlg.m_length;
        lens.scaleDots = dlg.m_pixels;
        lens.scaleCeiling = dlg.m_step;
        lens.scalePosition = dlg.m_position;
        lens.scaleColour = dlg.m_colour;
        const int slot = m_doc->m_slot;
        // A lens of the lens file keeps its scale in its own record too.
        CMLens* tableLens = (slot < 0 || slot > 4) && m_pLensTable
                                ? m_pLensTable->At(m_pLensTable->IndexOf(lens.name))
                                : nullptr;
        if (tableLens) {
            tableLens->m_scaleLength = dlg.m_length;
            tableLens->m_scaleDots = dlg.m_pixels;
            tableLens->m_scaleCeiling = dlg.m_step;
            tableLens->m_scalePos = dlg.m_position;
            tableLens->m_scaleColor = dlg.m_colour;
        }
        if (slot >= 0 && slot <= 4) {
            CalibSlot& s = m_doc->m_slots[slot];
            s.length = dlg.m_length;
            s.dots = dlg.m_pixels;
            s.ceiling = dlg.m_step;
            s.position = dlg.m_position;
            s.colour = dlg.m_colour;
        }
        WriteProgramScale(dlg.m_colour, dlg.m_position);
        WriteLensScale(
            slot >= 0 && slot <= 4 ? LensKeys::Slot(slot) : LensKeys::Own(lens.name),
            LensScale{dlg.m_length, dlg.m_pixels, dlg.m_step, dlg.m_position, double(dlg.m_colour)});
        for (int i = 0; i < 5; ++i) {
            if (dlg.m_allLenses1) {
                m_doc->m_slots[i].length = dlg.m_length;
                WriteScaleLength(LensKeys::Slot(i), dlg.m_length);
            }
            if (dlg.m_allLenses2) {
                m_doc->m_slots[i].dots = dlg.m_pixels;
                WriteScaleDots(LensKeys::Slot(i), dlg.m_pixels);
            }
        }
        // Every lens of the lens file takes the values applied to all, in its own section.
        for (int i = 0; m_pLensTable && i < m_pLensTable->Count(); ++i) {
            CMLens* l = m_pLensTable->At(i);
            const LensKeys own = LensKeys::Own(l->GetName());
            if (dlg.m_allLenses1) {
                l->m_scaleLength = dlg.m_length;
                WriteScaleLength(own, dlg.m_length);
            }
            if (dlg.m_allLenses2) {
                l->m_scaleDots = dlg.m_pixels;
                WriteScaleDots(own, dlg.m_pixels);
            }
        }
    }
    m_view->Refresh(false);
}

void CImageFrame::OnProgramPaths() {
    CSetOutputAppDlg dlg(this);
    dlg.m_viewerPath = m_doc->m_viewerPath;
    dlg.m_analysisPath = m_doc->m_analysisPath;
    if (dlg.DoModal() == IDOK) {
        m_doc->m_viewerPath = dlg.m_viewerPath;
        m_doc->m_analysisPath = dlg.m_analysisPath;
    }
    m_doc->SaveProgramPaths();
}

wxWindow* CImageFrame::OpenChildDialog() const {
    for (wxWindow* child : GetChildren())
        if (child->IsTopLevel() && child->IsShown() && wxDynamicCast(child, wxDialog))
            return child;
    return nullptr;
}
