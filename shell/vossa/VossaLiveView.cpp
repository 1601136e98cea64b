#include "shell/vossa/VossaLiveView.h"

#include "devices/camera/gui/XYCalibSetDlg.h"
#include "devices/serial/ControllerSettings.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/bitmaps/DibConvert.h"
#include "platform/MessageSink.h"
#include "shell/capture/CameraSource.h"
#include "shell/capture/LiveCalibLine.h"
#include "shell/capture/MultiView.h"
#include "shell/settings/ScaleSettingsCommand.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/controls/ScaleStatic.h"
#include "shell/frame/TopMenuDialog.h"
#include "shell/vossa/VossaDialog.h"
#include "shell/vossa/VossaHost.h"
#include "shell/vossa/VossaImageView.h"
#include "shell/core/layout/ViewGeometry.h"
#include "shell/core/layout/VossaGeometry.h"
#include "ids/VantorelIds.h"

#include <wx/dc.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;
double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// The one module whose second extension field asks for still grabs in the live picture.
bool IsStillGrabModule(const std::string& name, const CamParamRecord& r) {
    return name == "DP70" && r.GetInt(VT_CAMPARAM_EXT2) == 1;
}
} // namespace

CVossaLiveView::CVossaLiveView() : ui::FormView(vtid::dlg::VossaLive), m_timers(this) {
    ReplaceControl(vtid::VossaLive::LivePicture,
                   [this](wxWindow* parent, const ui::ControlTemplate& c, const wxRect& r) {
                       m_pLive = new CSampleStatic(parent, c.id, r, wxString::FromUTF8("ライブ画像"));
                       return static_cast<wxWindow*>(m_pLive);
                   });
    ReplaceControl(vtid::VossaLive::ScaleOverlay,
                   [this](wxWindow* parent, const ui::ControlTemplate& c, const wxRect&) {
                       m_pScale = new CScaleStatic(parent, c.id);
                       return static_cast<wxWindow*>(m_pScale);
                   });
    OnUpdateUI(vtid::cmd::InitialMenu, [this](ui::CmdUI& c) {
        VossaHost* host = Host();
        const bool composing = host && host->VossaPanel() && host->VossaPanel()->IsEndEnabled();
        c.Enable(!composing && !(host && host->StageBusyOwner()));
    });
    RegisterLiveScaleCommands(*this, {[this] { return GetDocument(); }, [this] { return Host(); },
                                      [this] { return static_cast<wxWindow*>(m_pLive); }});
    OnUpdateUI(vtid::cmd::ResultScaleSettings, [](ui::CmdUI& c) { c.Enable(true); });
    OnMessage(WM_TIMER, [this](WPARAM id, LPARAM) {
        if (id == kVossaLensTimer)
            OnLensTimer();
        return LRESULT(0);
    });
}

CVossaLiveView::~CVossaLiveView() {
    m_timers.KillTimer(kVossaLensTimer);
    m_lensPort.Close();
    if (m_hLastGood)
        GlobalFree(m_hLastGood);
}

bool CVossaLiveView::Create(wxWindow* parent) {
    if (VossaHost* host = dynamic_cast<VossaHost*>(wxGetTopLevelParent(parent)))
        m_pParams = host->JoinVossaView(this);
    if (!ui::FormView::Create(parent))
        return false;
    SetWindowStyleFlag(GetWindowStyleFlag() & ~wxBORDER_MASK);
    if (m_pLive)
        m_pLive->Hide(); // until the first frame: the caption shows
    AttachCalibLine();
    Bind(wxEVT_SIZE, [this](wxSizeEvent& ev) {
        ev.Skip();
        OnSizeView();
    });
    return true;
}

void CVossaLiveView::OnDraw(wxDC& dc) {
    PaintVossaCaption(dc, GetClientSize(), "LIVE");
}

VossaHost* CVossaLiveView::Host() const {
    return dynamic_cast<VossaHost*>(wxGetTopLevelParent(const_cast<CVossaLiveView*>(this)));
}

CVossaImageView* CVossaLiveView::ImageView() const {
    VossaHost* host = Host();
    return host ? host->VossaImageView() : nullptr;
}

COrsandelDoc* CVossaLiveView::GetDocument() const {
    return m_pDoc ? m_pDoc : dynamic_cast<COrsandelDoc*>(ui::View::GetDocument());
}

void CVossaLiveView::OnInitialUpdate() {
    m_pDoc = dynamic_cast<COrsandelDoc*>(ui::View::GetDocument());
    if (m_pScale)
        m_pScale->SetDocument(m_pDoc);
}

void CVossaLiveView::OnSizeView() {
    if (m_pLive && m_pLive->HasImage())
        LayoutPanes(-1, -1);
    Refresh();
}

void CVossaLiveView::LayoutPanes(int width, int height) {
    const int w = width == -1 ? m_nLayoutWidth : width;
    const int h = height == -1 ? m_nLayoutHeight : height;
    if (w != m_nLayoutWidth || h != m_nLayoutHeight)
        Refresh();
    m_nLayoutWidth = w;
    m_nLayoutHeight = h;
    if (CVossaImageView* image = ImageView())
        if (w > 0 && h > 0)
            image->SetImageSize(w, h);
    const wxSize s = GetClientSize();
    const auto rect = VossaPictureRect(RECT{0, 0, s.x, s.y}, w, h);
    if (!rect || !m_pLive)
        return;
    const wxRect r(rect->left, rect->top, RectWidth(*rect), RectHeight(*rect));
    if (m_pLive->GetRect() != r)
        m_pLive->SetSize(r);
    if (m_pScale) {
        m_pScale->SetSize(r);
        m_pScale->SetDisplayScale(static_cast<double>(r.width) / w);
    }
}

void CVossaLiveView::AttachCalibLine() {
    AttachLiveCalibLine(
        m_calibLine, m_pLive, m_pScale,
        {[this] { return Host(); }, [this] { return GetDocument(); }, [this] { return m_nLayoutWidth; }});
}

void CVossaLiveView::ResetCalibLine() {
    ResetLiveCalibLine(m_calibLine, m_pScale);
}

int CVossaLiveView::CalibPictureWidth() const {
    return m_pLive && m_pLive->PictureWidth() > 0 ? m_pLive->PictureWidth() : 1;
}

void CVossaLiveView::DiscardOneGrab() {
    VossaHost* host = Host();
    CamParamRecord* record = m_pParams ? m_pParams->m_pRecord : nullptr;
    if (!host || !record)
        return;
    CCamDll& cam = host->Camera().CameraModule();
    if (!cam.UpdateCaptureInfo(record) || cam.ParamSet(record) != VT_CAM_OK)
        return;
    const int width = cam.GetWidth();
    const int height = cam.GetHeight();
    int type = -1;
    if (HDIB scratch = cam.CreateFrameDib(width, height, &type)) {
        {
            GlobalLockGuard lock(scratch);
            cam.SetFrameToDib(record, DibGetBits(lock.get()), width, height);
        }
        GlobalFree(scratch);
    }
    cam.ParamClear(record);
}

void CVossaLiveView::GrabAndCompose() {
    VossaHost* host = Host();
    COrsandelDoc* doc = GetDocument();
    CamParamRecord* record = m_pParams ? m_pParams->m_pRecord : nullptr;
    if (!host || !doc || !record)
        return;
    ++m_nSteps;
    CameraSource& source = host->Camera();
    if (source.CameraFailed())
        return;
    const auto started = Clock::now();
    CCamDll& cam = source.CameraModule();
    const bool usable = cam.IsLoaded() && cam.IsBound();
    m_nImageType = -1;
    if (usable && source.LayoutRefreshPending() && cam.IsHaveLiveMode()) {
        if (IsStillGrabModule(source.CameraModuleName(), *record)) {
            record->SetGrabKind(0);
            record->SetExt1(2);
            record->SetInt(VT_CAMPARAM_EXT2, 1); // the refresh stays pending
        } else {
            record->SetGrabKind(-1);
            DiscardOneGrab();
            source.SetLayoutRefresh(false);
        }
    }
    record->SetFrameWindow(HandleToToken(GetSafeHwnd()));
    doc->FreeFrame();
    if (!cam.IsLoaded()) {
        // Once until a module loads or the mode is entered again: a box at every step of the
        // ticker would keep the user from the input device command.
        if (!m_bNoCameraShown) {
            m_bNoCameraShown = true;
            ShowMessage(vtid::str::ImageInputFailed, MB_OK);
        }
        return;
    }
    m_bNoCameraShown = false;
    if (!usable)
        return;
    if (cam.IsHaveLiveMode() && record->GrabKind() == 0 &&
        !IsStillGrabModule(source.CameraModuleName(), *record))
        record->SetGrabKind(1);
    if (!cam.UpdateCaptureInfo(record) || cam.ParamSet(record) != VT_CAM_OK)
        return;
    int width = cam.GetWidth();
    int height = cam.GetHeight();
    int type = -1;
    HDIB frame = cam.CreateFrameDib(width, height, &type);
    bool delivered = false;
    if (frame) {
        GlobalLockGuard lock(frame);
        delivered = cam.SetFrameToDib(record, DibGetBits(lock.get()), width, height) == VT_CAM_OK;
    }
    cam.ParamClear(record);
    if (delivered) {
        ++m_nDelivered;
        doc->m_hFrame = frame;
        m_nImageType = type;
        if (m_hLastGood)
            GlobalFree(m_hLastGood);
        m_hLastGood = DibDuplicate(frame);
        m_nLastGoodType = type;
    } else {
        if (frame)
            GlobalFree(frame);
        if (m_hLastGood) {
            doc->m_hFrame = DibDuplicate(m_hLastGood);
            m_nImageType = m_nLastGoodType;
            GlobalLockGuard lock(m_hLastGood);
            width = DibGetWidth(lock.get());
            height = DibGetHeight(lock.get());
        }
    }
    m_times.grab = MsSince(started);
    m_times.compose = 0.0;
    const auto composeStart = Clock::now();
    if (m_bComposing && delivered)
        if (CVossaImageView* image = ImageView()) {
            // The composer works on its own copies; the frame stays the document's.
            image->AddFrame(doc->m_hFrame, &m_nImageType);
            m_times.compose = image->LastAddMs();
        }
    const double afterCompose = MsSince(composeStart) - m_times.compose; // the preview's display
    const auto displayStart = Clock::now();
    if (doc->m_hFrame) {
        HDIB shown = DibConvertForDisplay(doc->m_hFrame, nullptr, record->RangeLow(), record->RangeHi(),
                                          m_nImageType, -1);
        LayoutPanes(width, height);
        if (m_pLive) {
            m_pLive->SetImage(shown ? shown : doc->m_hFrame, -1, 0, 0, 0);
            m_pLive->Show();
        }
        if (shown)
            GlobalFree(shown);
        const CMultiView* capture = host->CaptureView();
        const bool mii = capture && capture->m_comm.controller == CTRL_MII;
        if (m_pScale)
            m_pScale->Redraw(mii ? width / 1600.0 : 1.0);
    }
    m_times.display = afterCompose + MsSince(displayStart);
    if (!m_bComposing && m_bWasComposing)
        if (CVossaDialog* panel = host->VossaPanel())
            ui::PostMessageTo(panel->GetSafeHwnd(), WM_VOSSA_DONE, 0, 0);
    m_bWasComposing = m_bComposing;
}

// ---- lens port ---------------------------------------------------------------------------------

void CVossaLiveView::OnActivateView(bool activate, ui::View* activated, ui::View*) {
    m_timers.KillTimer(kVossaLensTimer);
    const ControllerCommSettings comm = ReadControllerSettings();
    m_nLensPort = comm.lensPort;
    if (m_lensPort.FollowView(comm.controller, m_nLensPort, activate && activated == this))
        m_timers.SetTimer(kVossaLensTimer, 1000);
}

void CVossaLiveView::OnLensTimer() {
    ++m_nLensPolls;
    // The frame receives the lens states.
    auto* frame = dynamic_cast<ui::MessageTarget*>(Host());
    m_lensPort.PollTo(frame ? frame->GetSafeHwnd() : HWND{});
}
