// The automatic panel's window, the focus drive's position, jogs, range and states. The series
// is in AutoDialogSeries.cpp, the position files and the editor in AutoDialogList.cpp.
#include "shell/capture/AutoDialog.h"

#include "devices/serial/ZCalibration.h"
#include "devices/serial/PulseValue.h"
#include "devices/serial/XyTblCtrl.h"
#include "imaging/compose/FocusComp.h"
#include "imaging/compose/WorkerMessages.h"
#include "platform/MessageSink.h"
#include "platform/ProgramHelpers.h"
#include "platform/Settings.h"
#include "shell/controls/ButtonOn.h"
#include "shell/capture/CaptureHost.h"
#include "shell/capture/MultiView.h"
#include "shell/app/OrsandelApp.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/controls/StageEdit.h"
#include "shell/capture/TakePicStatic.h"
#include "shell/frame/TopMenuDialog.h"
#include "shell/core/capture/AutoFocusSettings.h"
#include "shell/core/capture/CapturePositions.h"
#include "shell/core/capture/ZPositionRule.h"
#include "shell/core/settings/InitialSettings.h"
#include "ui/DataExchange.h"
#include "ids/VantorelIds.h"

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include <cmath>
#include <optional>
#include <cstdio>
#include <cstdlib>

namespace ids = vtid::AutoPanel;

namespace {
constexpr double kLimit = kCaptureCoordinateLimit;

// Controls that follow the panel's idle or running state (EnableControls).
constexpr int kStateControls[] = {
    ids::ZeroZ,    ids::JogUp,      ids::JogDown,          ids::StepDown,     ids::StepUp,
    ids::EditList, ids::SaveList,   ids::LoadList,         ids::StartCapture, ids::SetStart,
    ids::SetEnd,   ids::SelectPath, ids::UseEqualInterval, ids::AutoCompose};
// The range controls that only the equal-interval mode uses.
constexpr int kRangeControls[] = {ids::SetStart,    ids::StartPosition, ids::SetEnd,
                                  ids::EndPosition, ids::Interval,      ids::PictureCount};

// A folder as the folder text shows it: whole when shorter than 20 characters, else its first three
// characters, "..", and the tail from its second-last '/'.
std::string ShortenFolder(const std::string& folder) {
    if (folder.size() < 20)
        return folder;
    const size_t last = folder.rfind('/');
    if (last == std::string::npos || last == 0)
        return folder;
    const size_t second = folder.rfind('/', last - 1);
    if (second == std::string::npos || second < 1)
        return folder;
    const std::string tail = folder.substr(second);
    if (tail.size() < 3)
        return folder;
    return folder.substr(0, 3) + ".." + tail;
}
} // namespace

CAutoDialog::CAutoDialog(CaptureHost* host) : ui::TemplatePanel(vtid::dlg::AutoPanel), m_pHost(host) {
    ReplaceControl(ids::TravelDiagram,
                   [this](wxWindow* parent, const ui::ControlTemplate& c, const wxRect& r) {
                       m_pDiagram = new CTakePicStatic(parent, c.id, r.GetPosition(), r.GetSize());
                       return static_cast<wxWindow*>(m_pDiagram);
                   });
    for (int id : {ids::JogUp, ids::JogDown})
        ReplaceControl(id, [this](wxWindow* parent, const ui::ControlTemplate& c, const wxRect& r) {
            auto* b = new CButtonOn(parent, c.id, wxString::FromUTF8(c.text), r.GetPosition(), r.GetSize());
            (c.id == ids::JogUp ? m_pJogUp : m_pJogDown) = b;
            return static_cast<wxWindow*>(b);
        });
    ReplaceControl(ids::JogStep, [](wxWindow* parent, const ui::ControlTemplate& c, const wxRect& r) {
        // The template's height includes the drop-down list.
        return static_cast<wxWindow*>(new CStageComboBox(parent, c.id, r.GetPosition(), wxSize(r.width, -1)));
    });
    for (int id : {ids::StartPosition, ids::EndPosition, ids::Interval})
        ReplaceControl(id, [](wxWindow* parent, const ui::ControlTemplate& c, const wxRect& r) {
            auto* edit = new CStageEdit(parent, c.id, r.GetPosition(), r.GetSize());
            edit->SetWindowStyleFlag(edit->GetWindowStyleFlag() | wxTE_RIGHT);
            return static_cast<wxWindow*>(edit);
        });

    OnCommand(ids::StepUp, [this] { OnJogStep(true); });
    OnCommand(ids::StepDown, [this] { OnJogStep(false); });
    OnCommand(ids::ZeroZ, [this] { OnZero(); });
    OnCommand(ids::SetStart, [this] { OnSetStartOrEnd(true); });
    OnCommand(ids::SetEnd, [this] { OnSetStartOrEnd(false); });
    for (int id : {ids::StartPosition, ids::EndPosition, ids::Interval})
        OnControl(ui::EN_CHANGE, id, [this] { OnRangeEdit(); });
    OnCommand(ids::AutoInterval, [this] {
        if (auto* edit = Item<wxTextCtrl>(ids::Interval))
            edit->SetEditable(!GetCheckState(ids::AutoInterval));
    });
    OnCommand(ids::UseEqualInterval, [this] { OnEqualInterval(); });
    // The tick is the panel's own at once: a later transfer into the controls (a start or end
    // position taken, the lens's interval) shows it as the user left it.
    OnCommand(ids::AutoCompose, [this] { m_bAutoComp = GetCheckState(ids::AutoCompose) ? 1 : 0; });
    OnCommand(ids::EditList, [this] { OnEditor(); });
    OnCommand(ids::SaveList, [this] { OnSaveList(); });
    OnCommand(ids::LoadList, [this] { OnLoadList(); });
    OnCommand(ids::SelectPath, [this] { OnSelectPath(); });
    OnCommand(ids::StartCapture, [this] { OnStart(); });
    OnCommand(ids::StopCapture, [this] { OnStop(); });
    OnMessage(WM_WORK_CANCEL, &CAutoDialog::OnWorkCancel);
    Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& ev) {
        ev.Skip();
        if (ev.GetEventObject() == this)
            OnDestroyPanel();
    });
}

CAutoDialog::~CAutoDialog() {
    FreeComposer();
}

// ---- access -------------------------------------------------------------------------------

CMultiView* CAutoDialog::View() const {
    return m_pHost ? m_pHost->CaptureView() : nullptr;
}

CXyTblCtrl* CAutoDialog::Stage() const {
    CMultiView* v = View();
    return v ? &v->Stage() : nullptr;
}

int CAutoDialog::ControllerType() const {
    CXyTblCtrl* xy = Stage();
    return xy ? xy->GetType() : CTRL_NONE;
}

int CAutoDialog::Sign() const {
    CMultiView* v = View();
    return v ? ZDisplaySign(v->m_bReverseZ != 0, v->m_comm.side) : 1;
}

double CAutoDialog::UmPerPulse() const {
    CMultiView* v = View();
    return v ? v->m_d1Pulse : 0.0;
}

int CAutoDialog::Origin() const {
    CMultiView* v = View();
    return v ? v->m_nZOrigin : 0;
}

bool CAutoDialog::GetCheckState(int id) const {
    if (auto* t = Item<wxToggleButton>(id))
        return t->GetValue();
    if (auto* c = Item<wxCheckBox>(id))
        return c->GetValue();
    return false;
}

// ---- dialog start ---------------------------------------------------------------------------

bool CAutoDialog::OnInitDialog() {
    ui::TemplatePanel::OnInitDialog();
    COrsandelApp* app = COrsandelApp::GetApp();
    if (app) {
        m_strPath = app->m_strAutoPath;
        const size_t slash = m_strPath.rfind('/');
        if (slash != std::string::npos)
            app->m_strImagePath = m_strPath.substr(0, slash);
    }
    const std::pair<int, UINT> icons[] = {{ids::JogUp, vtid::icon::JogUpIcon},
                                          {ids::JogDown, vtid::icon::JogDownIcon},
                                          {ids::EditList, vtid::icon::EditListIcon},
                                          {ids::StartCapture, vtid::icon::StartSeriesIcon},
                                          {ids::StopCapture, vtid::icon::StopSeriesIcon},
                                          {ids::SelectPath, vtid::icon::SelectFolderIcon},
                                          {ids::ZeroZ, vtid::icon::ZeroZIcon},
                                          {ids::StepUp, vtid::icon::StepUpIcon},
                                          {ids::StepDown, vtid::icon::StepDownIcon},
                                          {ids::SaveList, vtid::icon::SaveListIcon},
                                          {ids::LoadList, vtid::icon::LoadListIcon}};
    for (const auto& [id, icon] : icons)
        if (wxWindow* b = GetDlgItem(id))
            SetButtonIcon(ui::WindowHandle(b), icon);
    if (wxWindow* z = GetDlgItem(ids::ZPosition)) {
        wxFont font = z->GetFont();
        font.SetPixelSize(wxSize(0, 20));
        z->SetFont(font);
        z->SetWindowStyleFlag(z->GetWindowStyleFlag() | wxBORDER_SIMPLE);
        z->SetBackgroundColour(*wxWHITE);
        z->SetForegroundColour(*wxBLACK);
    }
    UpdatePathDisplay();
    const AutoPanelSettings stored = ReadAutoPanelSettings();
    m_dJogStep = stored.jogStep;
    if (auto* combo = Item<wxComboBox>(ids::JogStep)) {
        for (const char* step : {"0.1", "0.5", "1", "5", "10", "50", "100"})
            combo->Append(step);
        combo->SetValue(wxString::FromUTF8(FormatDoubleText(m_dJogStep)));
    }
    m_dStart = m_dEnd = m_dInterval = 0.0;
    m_nCount = 0;
    m_bAutoComp = stored.autoCompose;
    ComputeRange();
    ShowRangeControls(true);

    CMultiView* view = View();
    CXyTblCtrl* xy = Stage();
    if (view && xy) {
        view->InitStageController();
        const int type = xy->GetType();
        // A drive that could not be sent home, or to the lens's origin offset below, is said
        // so: the zero taken then is not the one the user expects.
        bool driven = true;
        if (type == CTRL_MII)
            driven = xy->GoHome() && xy->WaitStop();
        if (type != CTRL_NONE)
            view->ApplySpeed();
        int p1 = 0, p2 = 0;
        if (type == CTRL_STM6) {
            view->m_nZOrigin = 0;
            ReadZPosition();
        } else if (type != CTRL_NONE && xy->GetPosition(&p1, &p2)) {
            SetZOrigin();
        }
        if (type == CTRL_MII) {
            COrsandelDoc* doc = view->GetDocument();
            int lens = -1;
            double zoom = -1.0;
            if (view->ReadLensState(&lens, &zoom) == 1 && doc) {
                doc->m_lensNumber = lens;
                doc->m_zoom = zoom;
            }
            if (doc && doc->m_lensNumber != -1) {
                double offset = ReadOriginOffset(doc->m_lensNumber);
                if (offset == kNoOriginOffset) {
                    WriteOriginOffset(doc->m_lensNumber, 0.0);
                    offset = 0.0;
                }
                if (offset != 0.0 && driven)
                    driven = MoveToZ(-offset);
            }
        }
        if (!driven)
            ShowMessage(vtid::str::WrongController, MB_OK);
    }
    ShowCalibration(" um/pulse");
    if (m_pDiagram)
        m_pDiagram->SetPanel(this);
    if (ControllerType() == CTRL_STM6) {
        ShowItem(ids::JogUp, false);
        ShowItem(ids::JogDown, false);
    } else {
        for (CButtonOn* b : {m_pJogUp, m_pJogDown})
            if (b) {
                b->SetController(Stage(), b == m_pJogUp ? 1 : 0);
                b->SetAfterStop([this] { ReadZPosition(); });
                b->SetOnFailure([] { ShowMessage(vtid::str::WrongController, MB_OK); });
            }
    }
    EnableControls(true);
    m_bInitialised = false; // the transfer below must not recompute from half-filled edits
    UpdateData(false);
    m_bInitialised = true;
    return true;
}

void CAutoDialog::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(ids::StartPosition, m_dStart);
    dx.MinMax(ids::StartPosition, m_dStart, -kLimit, kLimit);
    dx.Text(ids::EndPosition, m_dEnd);
    dx.MinMax(ids::EndPosition, m_dEnd, -kLimit, kLimit);
    dx.Text(ids::Interval, m_dInterval);
    dx.MinMax(ids::Interval, m_dInterval, -kLimit, kLimit);
    dx.Check(ids::AutoCompose, m_bAutoComp);
}

// ---- the focus drive ----------------------------------------------------------------------

void CAutoDialog::ShowCalibration(const char* unit) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f%s", UmPerPulse(), unit);
    SetDlgItemText(ids::PulseSize, wxString::FromUTF8(text));
}

void CAutoDialog::ShowPulseValue(double umPerPulse) {
    SetDlgItemText(ids::PulseSize, wxString::FromUTF8(FormatPulseLabel(umPerPulse)));
}

void CAutoDialog::RefreshCalibration() {
    CXyTblCtrl* xy = Stage();
    CMultiView* view = View();
    if (!xy || !view || xy->GetType() != CTRL_STM6)
        return;
    const double u = xy->GetUmPerPulse();
    view->m_d1Pulse = u;
    ShowCalibration("  um/pulse");
    WriteZPulseSetting(TruncatePulseValue(u));
}

double CAutoDialog::ReadZPosition() {
    return ReadZ().value_or(m_dCurrentZ);
}

std::optional<double> CAutoDialog::ReadZ() {
    CXyTblCtrl* xy = Stage();
    int p1 = 0, p2 = 0;
    const bool read = xy && xy->GetType() != CTRL_NONE && xy->GetPosition(&p1, &p2);
    if (read) {
        RefreshCalibration();
        m_dRawZ = RawZ(p2, Origin(), UmPerPulse());
        m_dCurrentZ = DisplayedZ(p2, Origin(), UmPerPulse(), Sign());
        char text[64];
        std::snprintf(text, sizeof text, "%.3f", m_dCurrentZ);
        SetDlgItemText(ids::ZPosition, text);
        if (wxWindow* z = GetDlgItem(ids::ZPosition))
            z->Refresh();
        InvalidateDiagram();
    }
    Update();
    if (!read)
        return std::nullopt;
    return m_dCurrentZ;
}

bool CAutoDialog::MoveToZ(double z) {
    CXyTblCtrl* xy = Stage();
    if (!xy || xy->GetType() == CTRL_NONE)
        return true;
    RefreshCalibration();
    const std::optional<int> target = ZMoveTarget(z, UmPerPulse(), Origin(), Sign());
    if (!target)
        return true; // no calibration: a division by it would send an arbitrary target
    // The wait is asked only of a move that went out; a wait that fails has stopped the drive.
    return xy->MoveAbs(2, 0, *target) && xy->WaitStop();
}

bool CAutoDialog::SetZOrigin() {
    CXyTblCtrl* xy = Stage();
    CMultiView* view = View();
    if (!xy || !view || xy->GetType() == CTRL_NONE)
        return true;
    bool answered = true;
    if (xy->GetType() == CTRL_STM6) {
        answered = xy->ResetController();
    } else {
        int p1 = 0, p2 = 0;
        answered = xy->GetPosition(&p1, &p2);
        if (answered) {
            view->m_nZOrigin = p2;
            m_nOrigin = p2;
        }
    }
    return ReadZ().has_value() && answered;
}

void CAutoDialog::OnZero() {
    if (!SetZOrigin())
        ShowMessage(vtid::str::WrongController, MB_OK);
}

void CAutoDialog::OnJogStep(bool up) {
    CXyTblCtrl* xy = Stage();
    if (!xy || m_bCapturing || !UpdateData(true))
        return;
    RefreshCalibration();
    const double u = UmPerPulse();
    if (!(u > 0))
        return;
    m_dJogStep = std::atof(GetDlgItemText(ids::JogStep).ToUTF8().data());
    if (m_dJogStep < -9999 || m_dJogStep > 9999) {
        ShowMessage(vtid::str::MoveTooFar, MB_OK);
        return;
    }
    const int pulses = static_cast<int>(m_dJogStep / u);
    const bool moved = xy->MoveRel(2, 0, up ? pulses : -pulses) && xy->WaitStop();
    // The Z shown is where the drive reports itself, also after a move that failed.
    const bool read = ReadZ().has_value();
    if (!moved || !read)
        ShowMessage(vtid::str::WrongController, MB_OK);
}

// ---- diagram ----------------------------------------------------------------------------------

void CAutoDialog::InvalidateDiagram() {
    if (m_pDiagram)
        m_pDiagram->Refresh(false);
}

double CAutoDialog::DiagramCurrent() {
    // The raw Z of the last read: a paint does not talk to the drive.
    return DiagramCurrentZ(ControllerType(), m_dRawZ);
}

std::vector<double> CAutoDialog::DiagramPositions() const {
    CMultiView* v = View();
    const int type = ControllerType();
    std::vector<double> out;
    out.reserve(m_positions.size());
    for (double p : m_positions)
        out.push_back(DiagramPositionZ(type, v && v->m_bReverseZ != 0, v ? v->m_comm.side : 0, p));
    return out;
}

// ---- range ------------------------------------------------------------------------------------

void CAutoDialog::ComputeRange() {
    EqualIntervalRange range = ComputeEqualIntervalRange(m_dStart, m_dEnd, m_dInterval);
    m_nCount = range.count;
    m_positions = std::move(range.positions);
    SetDlgItemText(ids::PictureCount, RangeCountText(m_nCount));
}

void CAutoDialog::SetPositions(std::vector<double> positions) {
    m_positions = std::move(positions);
    InvalidateDiagram();
}

void CAutoDialog::OnRangeEdit() {
    // Only the user's typing recomputes; a transfer into the edits does not.
    if (!m_bInitialised || m_nListMode != 1)
        return;
    auto value = [this](int id) { return std::atof(GetDlgItemText(id).ToUTF8().data()); };
    m_dStart = value(ids::StartPosition);
    m_dEnd = value(ids::EndPosition);
    m_dInterval = value(ids::Interval);
    ComputeRange();
    InvalidateDiagram();
}

void CAutoDialog::OnSetStartOrEnd(bool start) {
    if (ControllerType() == CTRL_NONE)
        return;
    // Only a Z the drive reports now becomes the start or the end.
    const std::optional<double> z = ReadZ();
    if (!z) {
        ShowMessage(vtid::str::WrongController, MB_OK);
        return;
    }
    (start ? m_dStart : m_dEnd) = *z;
    m_bInitialised = false;
    UpdateData(false);
    m_bInitialised = true;
    ComputeRange();
    InvalidateDiagram();
}

void CAutoDialog::ShowRangeControls(bool equalInterval) {
    for (int id : {ids::SaveList, ids::EditedNotice, ids::UseEqualInterval})
        ShowItem(id, !equalInterval);
    for (int id : kRangeControls)
        EnableItem(id, equalInterval);
}

void CAutoDialog::OnEqualInterval() {
    auto value = [this](int id) { return std::atof(GetDlgItemText(id).ToUTF8().data()); };
    m_dStart = value(ids::StartPosition);
    m_dEnd = value(ids::EndPosition);
    m_dInterval = value(ids::Interval);
    ComputeRange();
    ShowRangeControls(true);
    InvalidateDiagram();
    m_nListMode = 1;
}

void CAutoDialog::ApplyLensInterval(double interval, bool compare) {
    auto* edit = Item<wxTextCtrl>(ids::Interval);
    if (!edit)
        return;
    edit->SetEditable(true);
    if (!GetCheckState(ids::AutoInterval))
        return;
    if (interval != 0.0) {
        edit->SetEditable(false);
        char text[64], shown[64];
        std::snprintf(text, sizeof text, "%.2f", interval);
        std::snprintf(shown, sizeof shown, "%.2f", std::atof(edit->GetValue().ToUTF8().data()));
        if (compare && std::string(text) == shown)
            return;
        edit->SetValue(text); // as typed: the range follows
        // The interval is the panel's own too, in every list mode: the refresh below writes the
        // fields back into the edits.
        m_dInterval = std::atof(text);
    } else {
        if (auto* t = Item<wxToggleButton>(ids::AutoInterval))
            t->SetValue(false);
        edit->SetValue("0");
        m_dInterval = 0.0;
    }
    m_bInitialised = false;
    UpdateData(false);
    m_bInitialised = true;
    if (m_nListMode == 1)
        ComputeRange();
    InvalidateDiagram();
}

// ---- states -----------------------------------------------------------------------------------

void CAutoDialog::EnableControls(bool enable) {
    if (m_pHost) {
        if (!enable) {
            if (!m_pHost->StageBusyOwner())
                m_pHost->SetStageBusyOwner(this);
        } else if (m_pHost->StageBusyOwner() == this) {
            m_pHost->SetStageBusyOwner(nullptr);
        }
    }
    for (int id : kStateControls)
        EnableItem(id, enable);
    EnableItem(ids::StopCapture, !enable);
    // An edited or loaded list stays: the range buttons would replace it by the range.
    if (enable && m_nListMode == 0)
        ShowRangeControls(false);
    if (!m_pHost)
        return;
    if (CTopMenuDialog* top = m_pHost->TopMenu())
        for (int id : {vtid::TopMenuBar::MultiView, vtid::TopMenuBar::Thumbnails})
            top->EnableItem(id, enable);
    m_pHost->EnableCompositionBar(enable);
}

void CAutoDialog::EnableListControls(bool enable) {
    for (int id : {ids::EditList, ids::SaveList, ids::LoadList, ids::SetStart, ids::SetEnd, ids::SelectPath,
                   ids::UseEqualInterval})
        EnableItem(id, enable);
    if (m_pHost)
        if (CTopMenuDialog* top = m_pHost->TopMenu())
            for (int id : {vtid::TopMenuBar::MultiView, vtid::TopMenuBar::Thumbnails})
                top->EnableItem(id, enable);
    EnableItem(ids::StartCapture, !m_pHost || !m_pHost->StageBusyOwner());
    EnableItem(ids::StopCapture, false);
}

void CAutoDialog::OnEditorAccepted(const std::vector<double>& positions) {
    m_positions = positions;
    InvalidateDiagram();
    m_nListMode = 0;
    ShowRangeControls(false);
}

void CAutoDialog::OnEditorClosed() {
    EnableListControls(true);
    if (CMultiView* view = View())
        view->EndStageOperation();
    EnableItem(ids::StartCapture, true);
    if (m_nListMode == 0)
        ShowRangeControls(false);
}

// ---- path -------------------------------------------------------------------------------------

void CAutoDialog::UpdatePathDisplay() {
    COrsandelApp* app = COrsandelApp::GetApp();
    const std::string blanks(52, ' ');
    const std::string folder = app ? app->m_strAutoDir : std::string();
    if (folder.empty()) {
        m_strFolderDisplay = m_strNameDisplay = blanks;
    } else {
        m_strFolderDisplay = ShortenFolder(folder);
        m_strNameDisplay = GetFileNamePart(app->m_strAutoPath);
    }
    SetDlgItemText(ids::FolderText, blanks);
    SetDlgItemText(ids::FolderText, wxString::FromUTF8(m_strFolderDisplay));
    SetDlgItemText(ids::FileText, blanks);
    SetDlgItemText(ids::FileText, wxString::FromUTF8(m_strNameDisplay));
}

// ---- close ------------------------------------------------------------------------------------

bool CAutoDialog::RequestClose() {
    if (!m_bCapturing)
        return true;
    m_bStopRequest = 1;
    m_bCloseAfterSeries = 1;
    return false;
}

void CAutoDialog::OnDestroyPanel() {
    m_bStopRequest = 1;
    if (m_pEditor) {
        // A child of the panel: it goes with the panel's children.
        m_pEditor->Hide();
        m_pEditor = nullptr;
    }
    FreeComposer();
    if (m_bInitialised) {
        const std::string step = GetDlgItemText(ids::JogStep).ToUTF8().data();
        WriteAutoPanelSettings(
            {std::atof(step.substr(0, 80).c_str()), GetCheckState(ids::AutoCompose) ? 1 : 0});
    }
    m_bInitialised = false;
}
