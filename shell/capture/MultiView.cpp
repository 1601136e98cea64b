#include "shell/capture/MultiView.h"

#include "devices/serial/gui/StageSerchDialog.h"
#include "devices/serial/gui/XyTblSpeedDlg.h"
#include "devices/serial/gui/ZCtrlSetDlg.h"
#include "devices/serial/ZCalibration.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/bitmaps/DibConvert.h"
#include "platform/MessageSink.h"
#include "platform/Time.h"
#include "shell/capture/CameraSource.h"
#include "shell/capture/CaptureHost.h"
#include "shell/app/OrsandelApp.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/settings/ScaleSettingsCommand.h"
#include "shell/controls/ScaleStatic.h"
#include "shell/frame/TopMenuDialog.h"
#include "shell/core/capture/CaptureFile.h"
#include "shell/core/settings/StartMode.h"
#include "shell/core/layout/ViewGeometry.h"
#include "ids/VantorelIds.h"

#include <wx/dc.h>

namespace {
constexpr int kRefGrabKind = 7; // REFPARAM entry 7: 1 live, 0 still, -1 first grab
} // namespace

CMultiView::CMultiView() : ui::FormView(vtid::dlg::CaptureView), m_timers(this) {
    const ZCalibrationValues z = ReadZCalibrationSettings();
    m_bTwoPoint = z.mode == 1 ? 1 : 0;
    m_dMovement = z.distance;
    m_d1Pulse = z.umPerPulse;
    m_nPoint1 = z.point1;
    m_nPoint2 = z.point2;
    ReplaceControl(vtid::CaptureView::LivePicture,
                   [this](wxWindow* parent, const ui::ControlTemplate& c, const wxRect& r) {
                       m_pLive = new CSampleStatic(parent, c.id, r, "ライブ画像");
                       m_pLive->SetEmptyText("LIVE");
                       return static_cast<wxWindow*>(m_pLive);
                   });
    ReplaceControl(vtid::CaptureView::Preview,
                   [this](wxWindow* parent, const ui::ControlTemplate& c, const wxRect& r) {
                       m_pPreview = new CSampleStatic(parent, c.id, r, "フォーカス合成");
                       m_pPreview->SetEmptyText("FOCUSING PREVIEW");
                       return static_cast<wxWindow*>(m_pPreview);
                   });
    ReplaceControl(vtid::CaptureView::ScaleOverlay,
                   [this](wxWindow* parent, const ui::ControlTemplate& c, const wxRect&) {
                       m_pScale = new CScaleStatic(parent, c.id);
                       return static_cast<wxWindow*>(m_pScale);
                   });
    OnCommand(vtid::cmd::StageControllerSettings, [this] { OnStageControllerSettings(); });
    OnCommand(vtid::cmd::SpeedSettings, [this] { OnSpeedSettings(); });
    OnCommand(vtid::cmd::ZCalibrationSettings, [this] { OnZCalibration(); });
    RegisterLiveScaleCommands(*this, {[this] { return GetDocument(); }, [this] { return Host(); },
                                      [this] { return static_cast<wxWindow*>(m_pLive); }});
    // The stage settings wait while a manual capture run is under way.
    auto running = [this] { return Host() && Host()->IsManualCaptureRunning(); };
    OnUpdateUI(vtid::cmd::StageControllerSettings,
               [this, running](ui::CmdUI& c) { c.Enable(!StageBusy() && !running()); });
    OnUpdateUI(vtid::cmd::ZCalibrationSettings, [this, running](ui::CmdUI& c) {
        c.Enable(!StageBusy() && !running() && m_comm.controller != CTRL_MFS &&
                 m_comm.controller != CTRL_STM6);
    });
    OnUpdateUI(vtid::cmd::SpeedSettings, [this, running](ui::CmdUI& c) {
        c.Enable(!StageBusy() && !running() && m_comm.controller != CTRL_MFS);
    });
    OnMessage(WM_TIMER, [this](WPARAM id, LPARAM) {
        if (id == kLensTimer)
            OnLensTimer();
        return LRESULT(0);
    });
    ReadCommSettings();
    m_speed = ReadSpeedPresets();
}

CMultiView::~CMultiView() {
    m_timers.KillTimer(kLensTimer);
    DeleteZCalibration();
    WriteZOriginSetting(m_nZOrigin);
    if (m_hLastGood)
        GlobalFree(m_hLastGood);
}

bool CMultiView::Create(wxWindow* parent) {
    if (!ui::FormView::Create(parent))
        return false;
    AttachCalibLine();
    Bind(wxEVT_SIZE, [this](wxSizeEvent& ev) {
        ev.Skip();
        OnSizeView();
    });
    return true;
}

void CMultiView::OnDraw(wxDC& dc) {
    const wxSize s = GetClientSize();
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.SetPen(*wxBLACK_PEN);
    dc.DrawRectangle(0, 0, s.x, s.y);
    const RECT client{0, 0, s.x, s.y};
    if (RectEmpty(client))
        return;
    const RECT upper = CaptureViewUpperArea(client);
    const int split = CaptureViewSplit(client);
    dc.SetTextForeground(*wxWHITE);
    dc.SetFont(wxFont(wxFontInfo(wxSize(0, 16)).FaceName("Noto Serif CJK JP")));
    auto centred = [&dc](const wxString& text, int left, int top, int right, int bottom) {
        const wxSize t = dc.GetTextExtent(text);
        dc.DrawText(text, left + (right - left - t.x) / 2, top + (bottom - top - t.y) / 2);
    };
    centred("LIVE", upper.left, upper.top, upper.right, upper.bottom);
    centred("FOCUSING PREVIEW", client.left - 1, split, client.right - 5, client.bottom + 2);
}

CaptureHost* CMultiView::Host() const {
    return dynamic_cast<CaptureHost*>(wxGetTopLevelParent(const_cast<CMultiView*>(this)));
}

CameraSource* CMultiView::Camera() const {
    CaptureHost* host = Host();
    return host ? &host->Camera() : nullptr;
}

COrsandelDoc* CMultiView::GetDocument() const {
    return dynamic_cast<COrsandelDoc*>(ui::View::GetDocument());
}

bool CMultiView::StageBusy() const {
    CaptureHost* host = Host();
    return host && host->StageBusyOwner() != nullptr;
}

void CMultiView::OnInitialUpdate() {
    COrsandelDoc* doc = GetDocument();
    COrsandelApp* app = COrsandelApp::GetApp();
    if (!doc || !app)
        return;
    doc->LoadLensSlots(*app);
    if (CaptureHost* host = Host()) {
        if (CTopMenuDialog* bar = host->TopMenu()) {
            bar->SetPressed(vtid::TopMenuBar::ShowScale1, doc->m_scale1 != 0);
            bar->SetPressed(vtid::TopMenuBar::ShowScale2, doc->m_scale2 != 0);
            bar->SetLensName(wxString::FromUTF8(doc->m_currentLens.GetRegName()));
        }
    }
    if (m_pScale)
        m_pScale->SetDocument(doc);
}

void CMultiView::OnSizeView() {
    const wxSize s = GetClientSize();
    const RECT client{0, 0, s.x, s.y};
    if (RectEmpty(client) || !m_pLive)
        return;
    PlaceFocusPreview();
    if (m_pLive->HasImage()) {
        ResizeLivePane(-1, -1);
    } else {
        const RECT upper = CaptureViewUpperArea(client);
        m_pLive->SetSize(upper.left, upper.top, RectWidth(upper), RectHeight(upper));
    }
    Refresh();
}

void CMultiView::ResizeLivePane(int width, int height) {
    if ((width != -1 && width != m_nFrameWidth) || (height != -1 && height != m_nFrameHeight))
        Refresh();
    if (width != -1)
        m_nFrameWidth = width;
    if (height != -1)
        m_nFrameHeight = height;
    const wxSize s = GetClientSize();
    const auto rect = CaptureViewLiveRect(RECT{0, 0, s.x, s.y}, m_nFrameWidth, m_nFrameHeight);
    if (!rect || !m_pLive)
        return;
    m_pLive->SetSize(rect->left, rect->top, RectWidth(*rect), RectHeight(*rect));
    if (m_pScale && m_nFrameWidth > 0)
        m_pScale->SetDisplayScale(static_cast<double>(RectWidth(*rect)) / m_nFrameWidth);
}

void CMultiView::PlaceFocusPreview() {
    const wxSize s = GetClientSize();
    const auto rect = CaptureViewPreviewRect(RECT{0, 0, s.x, s.y}, m_nFrameWidth, m_nFrameHeight);
    if (rect && m_pPreview)
        m_pPreview->SetSize(rect->left, rect->top, RectWidth(*rect), RectHeight(*rect));
}

void CMultiView::GrabLiveFrame() {
    CameraSource* source = Camera();
    COrsandelDoc* doc = GetDocument();
    if (!source || !doc || source->CameraFailed() || HasNoLiveGrab(source->CameraModuleName()))
        return;
    CCamDll& cam = source->CameraModule();
    CamParamRecord* record = source->CameraParameters().m_pRecord;
    if (!record)
        return;
    if (source->LayoutRefreshPending() && cam.IsLoaded() && cam.IsBound() && cam.IsHaveLiveMode()) {
        SetupDxmMarker();
        source->SetLayoutRefresh(false);
    }
    m_nFrameType = -1;
    record->SetFrameWindow(HandleToToken(GetSafeHwnd()));
    doc->FreeFrame();
    if (!cam.IsLoaded() || !cam.IsBound())
        return;
    const bool live = cam.IsHaveLiveMode() != 0;
    if (live && record->RefParam(kRefGrabKind) == 0)
        record->SetRefParam(kRefGrabKind, 1);
    if (!cam.UpdateCaptureInfo(record) || cam.ParamSet(record) != VT_CAM_OK)
        return;
    const int low = record->RangeLow();
    const int high = record->RangeHi();
    const int width = cam.GetWidth();
    const int height = cam.GetHeight();
    HDIB frame = cam.CreateFrameDib(width, height, &m_nFrameType);
    if (!frame) {
        cam.ParamClear(record);
        return;
    }
    int ok = 0;
    {
        GlobalLockGuard lock(frame);
        ok = cam.SetFrameToDib(record, DibGetBits(lock.get()), width, height) == VT_CAM_OK;
    }
    cam.ParamClear(record);
    if (!ok) {
        if (m_hLastGood && DibCopyInto(m_hLastGood, frame)) {
            doc->m_hFrame = frame;
        } else {
            GlobalFree(frame);
        }
    } else {
        doc->m_hFrame = frame;
        if (m_hLastGood)
            GlobalFree(m_hLastGood);
        m_hLastGood = DibDuplicate(frame);
    }
    if (!doc->m_hFrame)
        return;
    HDIB display = DibConvertForDisplay(doc->m_hFrame, nullptr, low, high, m_nFrameType, -1);
    ResizeLivePane(width, height);
    if (m_pLive)
        m_pLive->SetImage(display ? display : doc->m_hFrame, m_marker.left, m_marker.top, m_marker.right,
                          m_marker.bottom);
    if (m_pScale)
        m_pScale->Redraw(m_comm.controller == CTRL_MII ? width / 1600.0 : 1.0);
    if (display)
        GlobalFree(display);
}

void CMultiView::SetupDxmMarker() {
    CameraSource* source = Camera();
    if (!source || source->CameraFailed() || !source->CameraParameters().m_pRecord)
        return;
    CamParamRecord& r = *source->CameraParameters().m_pRecord;
    r.SetRefParam(kRefGrabKind, -1);
    m_marker = RECT{-1, -1, -1, -1};
    const std::string& name = source->CameraModuleName();
    if (name != "DXM1200" && name != "DXM1200F")
        return;
    static const int kLarge[10][2] = {{3840, 3072}, {3600, 2880}, {3200, 2560}, {2560, 2048}, {2250, 1800},
                                      {1600, 1200}, {1280, 1024}, {1024, 768},  {800, 600},   {640, 480}};
    static const int kSmall[4][2] = {{1280, 1024}, {1024, 768}, {800, 600}, {640, 480}};
    int refW = 0, refH = 0, w = 0, h = 0;
    if (r.RefParam(8) == 0 && r.Ext1() >= 0 && r.Ext1() <= 9) {
        refW = 3840;
        refH = 3072;
        w = kLarge[r.Ext1()][0];
        h = kLarge[r.Ext1()][1];
    } else if (r.RefParam(8) == 1 && r.RefParam(6) >= 0 && r.RefParam(6) <= 3) {
        refW = 1280;
        refH = 1024;
        w = kSmall[r.RefParam(6)][0];
        h = kSmall[r.RefParam(6)][1];
    } else {
        return; // a size the tables do not give: no marker
    }
    int mw = static_cast<int>(static_cast<double>(w) / refW * 640);
    int mh = static_cast<int>(static_cast<double>(h) / refH * 512);
    if (r.RefParam(4) != 0 && r.RefParam(4) != 2)
        std::swap(mw, mh);
    m_marker = RECT{static_cast<int>(r.Ext7() - 1), static_cast<int>(r.Ext6() - 1), mw, mh};
}

HDIB CMultiView::GrabStill(int* type, int* width, int* height) {
    CameraSource* source = Camera();
    CamParamRecord* record = source ? source->CameraParameters().m_pRecord : nullptr;
    if (!record || !source->CameraModule().IsLoaded() || !source->CameraModule().IsBound())
        return nullptr;
    CCamDll& cam = source->CameraModule();
    const int updated = cam.UpdateCaptureInfo(record);
    Sleep(300);
    if (!updated || cam.ParamSet(record) != VT_CAM_OK)
        return nullptr;
    *width = cam.GetWidth();
    *height = cam.GetHeight();
    HDIB picture = cam.CreateFrameDib(*width, *height, type);
    if (!picture)
        return nullptr;
    if (!cam.GrabFrame(picture, *width, *height)) {
        GlobalFree(picture);
        return nullptr;
    }
    return picture;
}

int CMultiView::CaptureAndSave(const std::string& path) {
    ui::WaitCursor wait;
    GrabLiveFrame();
    CameraSource* source = Camera();
    CamParamRecord* record = source ? source->CameraParameters().m_pRecord : nullptr;
    if (!record)
        return 0;
    record->SetFrameWindow(HandleToToken(GetSafeHwnd()));
    CCamDll& cam = source->CameraModule();
    if (cam.IsLoaded() && cam.IsBound() && cam.IsHaveLiveMode())
        record->SetRefParam(kRefGrabKind, 0);
    int type = -1, width = 0, height = 0;
    HDIB picture = GrabStill(&type, &width, &height);
    if (!picture)
        return 0;
    m_nFrameWidth = width;
    m_nFrameHeight = height;
    PlaceFocusPreview();
    const bool saved = SaveCapturedPicture(picture, type, path);
    GlobalFree(picture);
    if (!saved) {
        ShowMessage(vtid::str::CannotSaveImage, MB_OK);
        return 0;
    }
    return 1;
}

void CMultiView::OnActivateView(bool activate, ui::View* activated, ui::View*) {
    m_timers.KillTimer(kLensTimer);
    if (m_lensPort.FollowView(m_comm.controller, m_comm.lensPort, activate && activated == this))
        m_timers.SetTimer(kLensTimer, 1000);
}

int CMultiView::ReadLensState(int* lens, double* zoom) {
    return m_lensPort.ReadLensState(lens, zoom);
}

void CMultiView::OnLensTimer() {
    ++m_nLensPolls;
    auto* target = dynamic_cast<ui::MessageTarget*>(wxGetTopLevelParent(this));
    m_lensPort.PollTo(target ? target->GetSafeHwnd() : HWND{});
}

void CMultiView::ReadCommSettings() {
    m_comm = ReadControllerSettings();
}

int CMultiView::InitStageController() {
    m_timers.KillTimer(kLensTimer);
    ReadCommSettings();
    m_speed = ReadSpeedPresets();
    const int t = m_comm.controller;
    m_bReverseZ =
        (t == CTRL_MMC2 || t == CTRL_MSC2 || t == CTRL_QTCD1 || t == CTRL_QTCM2 || t == CTRL_MII) ? 0 : 1;
    std::unique_ptr<CStageSerchDialog> notice;
    const ControllerCheck check = OpenControllerWithSettings(
        m_xy, m_comm, m_speed, [&] { notice = std::make_unique<CStageSerchDialog>(this); },
        [&] { notice.reset(); });
    if (check != ControllerCheck::Opened) {
        m_comm.controller = CTRL_NONE;
        m_xy.SetType(CTRL_NONE);
        return 0;
    }
    return 1;
}

void CMultiView::ApplySpeed() {
    ApplySpeedPreset(m_xy, m_speed);
    WriteSpeedPresets(m_speed);
}

void CMultiView::EndStageOperation() {
    if (CaptureHost* host = Host())
        host->SetStageBusyOwner(nullptr);
    EnableAutoPanel(true);
}

void CMultiView::OnStageControllerSettings() {
    if (StageBusy())
        return;
    m_timers.KillTimer(kLensTimer);
    CZCtrlSetDlg dlg(this);
    dlg.m_nController = m_comm.controller;
    dlg.m_nPort = m_comm.port;
    dlg.m_nLensPort = m_comm.lensPort;
    dlg.m_nBaud = m_comm.baud;
    dlg.m_nData = m_comm.data;
    dlg.m_nParity = m_comm.parity;
    dlg.m_nStop = m_comm.stop;
    dlg.m_nFlow = m_comm.xflow;
    dlg.m_nSide = m_comm.side;
    if (dlg.DoModal() != IDOK)
        return;
    m_comm.controller = dlg.m_nController;
    m_comm.port = dlg.m_nPort;
    m_comm.lensPort = dlg.m_nLensPort;
    m_comm.baud = dlg.m_nBaud;
    m_comm.data = dlg.m_nData;
    m_comm.parity = dlg.m_nParity;
    m_comm.stop = dlg.m_nStop;
    m_comm.xflow = dlg.m_nFlow;
    m_comm.side = m_comm.controller == CTRL_MII ? 0 : dlg.m_nSide;
    SpeedPresets presets;
    presets.mode = m_speed.mode;
    std::unique_ptr<CStageSerchDialog> notice;
    const ControllerCheck check = OpenControllerWithSettings(
        m_xy, m_comm, presets, [&] { notice = std::make_unique<CStageSerchDialog>(this); },
        [&] { notice.reset(); });
    if (check == ControllerCheck::PortFailed) {
        ShowMessage(vtid::str::CannotOpenPort, MB_OK);
        m_comm.controller = CTRL_NONE;
    } else if (check == ControllerCheck::WrongController) {
        ShowMessage(vtid::str::WrongController, MB_OK);
        m_comm.controller = CTRL_NONE;
    }
    PresetsForChosenController(m_comm.controller, m_speed);
    if (m_comm.controller != CTRL_NONE)
        ApplySpeed();
    else
        m_xy.SetType(CTRL_NONE);
    WriteControllerSettings(m_comm);
    EndStageOperation();
}

void CMultiView::OnSpeedSettings() {
    if (StageBusy())
        return;
    CXyTblSpeedDlg dlg(this);
    dlg.m_nController = m_comm.controller;
    dlg.m_nMode = m_speed.mode;
    // The SZX takes only the preset; the STM6 has no low speeds, so its dialog keeps them at 0
    // (stored lows above its highs of at most 100 would refuse every setting).
    if (m_comm.controller != CTRL_SZX) {
        dlg.m_nHHigh = m_speed.high[0];
        dlg.m_nMHigh = m_speed.high[1];
        dlg.m_nLHigh = m_speed.high[2];
        dlg.m_nHRate = m_speed.rate[0];
        dlg.m_nMRate = m_speed.rate[1];
        dlg.m_nLRate = m_speed.rate[2];
        if (m_comm.controller != CTRL_STM6) {
            dlg.m_nHLow = m_speed.low[0];
            dlg.m_nMLow = m_speed.low[1];
            dlg.m_nLLow = m_speed.low[2];
        }
    }
    if (dlg.DoModal() == IDOK) {
        m_speed.mode = dlg.m_nMode;
        if (m_comm.controller != CTRL_SZX) {
            m_speed.high[0] = dlg.m_nHHigh;
            m_speed.high[1] = dlg.m_nMHigh;
            m_speed.high[2] = dlg.m_nLHigh;
            m_speed.rate[0] = dlg.m_nHRate;
            m_speed.rate[1] = dlg.m_nMRate;
            m_speed.rate[2] = dlg.m_nLRate;
            if (m_comm.controller != CTRL_STM6) {
                m_speed.low[0] = dlg.m_nHLow;
                m_speed.low[1] = dlg.m_nMLow;
                m_speed.low[2] = dlg.m_nLLow;
            }
        }
    }
    ApplySpeed();
}
