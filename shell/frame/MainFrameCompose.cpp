// The main frame's composition run, camera connection and camera and lens messages.
#include "devices/camera/gui/InpImgDlg.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/bitmaps/DibConvert.h"
#include "imaging/compose/WorkerMessages.h"
#include "result/FocusProgDialog.h"
#include "platform/MessageSink.h"
#include "platform/Time.h"
#include "shell/frame/MainFrame.h"
#include "shell/capture/MultiView.h"
#include "shell/app/OrsandelApp.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/controls/ScaleStatic.h"
#include "shell/capture/SelectedBox.h"
#include "shell/frame/TopMenuDialog.h"
#include "shell/core/capture/CaptureSettings.h"
#include "shell/core/settings/StartMode.h"
#include "ui/resources/ResourceRegistry.h"
#include "ids/VantorelIds.h"

#include <wx/combobox.h>

void CMainFrame::OnStartComposition() {
    if (!m_pDoc || !m_pBox)
        return;
    COrsandelApp* app = COrsandelApp::GetApp();
    int selection = 0;
    if (m_pCompBar)
        if (wxComboBox* combo = m_pCompBar->SpeedCombo())
            selection = combo->GetSelection();
    CompositionParameters p = PrepareComposition(*m_pDoc, selection);
    if (app)
        app->m_nSmoothing = p.smoothing;
    if (IsComposing())
        return;
    CompositionSeries series;
    if (!BuildCompositionSeries(m_pBox->Entries(), series))
        return; // no size for the series: nothing starts, nothing stays busy
    ApplyCompositionSpeed(p, selection, series.width);
    // An unsaved result is given up (or kept) before the run, not after it.
    if (app && !app->CloseImageFrame(false))
        return;
    if (!m_pProgress) {
        m_pProgress = new CFocusProgDialog(this);
        m_pProgress->Create(false);
    }
    m_pProgress->SetTitle(wxString::FromUTF8(ui::Resources().LoadString(vtid::str::ComposingTitle)));
    m_pProgress->SetMessage("");
    m_pProgress->SetRange(0x7FFFFFFF);
    m_pProgress->SetCancelable(TRUE);
    m_pProgress->SetCancelMessage(WM_WORK_CANCEL);
    m_pProgress->Show();
    if (m_runner.StartRun(series, p, *m_pDoc, GetSafeHwnd()) != CompositionRunner::Start::Started)
        m_pProgress->Hide();
}

LRESULT CMainFrame::OnWorkDone(WPARAM, LPARAM) {
    if (m_pProgress)
        m_pProgress->Hide();
    COrsandelApp* app = COrsandelApp::GetApp();
    m_runner.OnWorkDone([app](const CompositionResult& r) {
        if (app)
            app->OpenImageDocument(nullptr, r.composite, r.heights, r.focusIndex, 1);
    });
    Enable(true);
    return 0;
}

LRESULT CMainFrame::OnWorkAborted(WPARAM reason, LPARAM) {
    const CompositionRunner::Abort why = m_runner.OnWorkAborted(reason);
    if (m_pProgress)
        m_pProgress->Hide();
    switch (why) {
    case CompositionRunner::Abort::Cancelled:
        ShowMessage(vtid::str::Cancelled, MB_OK);
        break;
    case CompositionRunner::Abort::NoMemory:
        ShowMessage(vtid::str::NoMemory, MB_OK);
        break;
    case CompositionRunner::Abort::Unreadable:
        ShowMessage(vtid::str::CannotReadData, MB_OK);
        break;
    case CompositionRunner::Abort::Reported:
        break;
    }
    Enable(true);
    return 0;
}

LRESULT CMainFrame::OnWorkProgress(WPARAM position, LPARAM) {
    if (m_pProgress)
        m_pProgress->SetPos(static_cast<int>(position));
    return 0;
}

LRESULT CMainFrame::OnWorkCancel(WPARAM, LPARAM) {
    m_runner.Cancel();
    return 0;
}

LRESULT CMainFrame::OnWorkReadFailed(WPARAM, LPARAM) {
    m_runner.OnReadFailed();
    ShowMessage(vtid::str::CannotReadData, MB_OK);
    return 0;
}

// ---- camera ----------------------------------------------------------------------------------

void CMainFrame::LoadCameraSettings() {
    if (!m_record) {
        m_record = std::make_unique<CamParamRecord>();
        m_params.m_pRecord = m_record.get();
    }
    ::LoadCameraSettings(*m_record);
    m_strDevice = ReadInputDevice();
}

void CMainFrame::SaveCameraSettings() {
    m_bLayoutRefresh = 1;
    WriteInputDevice(m_strDevice);
    if (m_record)
        ::SaveCameraSettings(*m_record);
}

void CMainFrame::StartCamera() {
    // The module search draws its notice in a yield of the event loop: a live step in there
    // would find no module yet.
    m_cameraStarting = true;
    struct Started {
        bool& flag;
        ~Started() { flag = false; }
    } started{m_cameraStarting};
    m_camDll.SetHostTokens(HandleToToken(GetSafeHwnd()), 1);
    bool opened = true;
    if (m_strModuleName != m_strDevice || m_strDevice.empty()) {
        m_strModuleName = m_strDevice;
        m_params.SetDeviceName(m_strDevice);
        Sleep(100);
        opened = m_camDll.Open(&m_params) != 0;
    }
    if (!opened || !m_camDll.IsLoaded()) {
        m_bCameraFailed = 1;
        return;
    }
    if (!m_camDll.IsBound())
        m_camDll.BindExports();
    if (!m_camDll.IsBound() || !m_camDll.UpdateCaptureInfo(m_record.get())) {
        m_bCameraFailed = 1;
        return;
    }
    m_bCameraFailed = 0;
    m_camDll.StartConnect(m_record.get());
}

void CMainFrame::StopCamera() {
    // The module goes first; the record and the module list are freed once, after it.
    if (m_camDll.IsLoaded()) {
        if (m_camDll.IsBound() && m_record && m_camDll.UpdateCaptureInfo(m_record.get()))
            m_camDll.StopConnect(m_record.get());
        if (m_camDll.IsBound())
            m_camDll.ResetBinding();
        m_camDll.Close();
    }
    m_params.FreeModuleList();
    m_params.m_pRecord = nullptr;
    m_record.reset();
}

LRESULT CMainFrame::OnCameraAlloc(WPARAM, LPARAM) {
    m_nFrameType = -1;
    if (m_pDoc)
        m_pDoc->FreeFrame();
    if (m_camDll.IsLoaded() && m_record && m_pDoc) {
        m_camDll.UpdateCaptureInfo(m_record.get());
        m_pDoc->m_hFrame = m_camDll.CreateFrameDib(m_camDll.GetWidth(), m_camDll.GetHeight(), &m_nFrameType);
    } else {
        ShowMessage(vtid::str::ImageInputFailed, MB_OK);
    }
    return 0;
}

LRESULT CMainFrame::OnCameraFree(WPARAM, LPARAM) {
    if (m_pDoc)
        m_pDoc->FreeFrame();
    return 0;
}

LRESULT CMainFrame::OnCameraGrab(WPARAM, LPARAM) {
    if (!m_camDll.IsLoaded() || !m_camDll.IsBound() || !m_record || !m_pDoc || !m_pDoc->m_hFrame)
        return 0; // no frame bitmap: nothing to grab into
    m_camDll.UpdateCaptureInfo(m_record.get());
    m_record->SetFrameWindow(HandleToToken(GetSafeHwnd()));
    m_camDll.ParamSet(m_record.get());
    const int width = m_camDll.GetWidth();
    const int height = m_camDll.GetHeight();
    {
        GlobalLockGuard lock(m_pDoc->m_hFrame);
        if (DibGetWidth(lock.get()) >= width && DibGetHeight(lock.get()) >= height)
            m_camDll.SetFrameToDib(m_record.get(), DibGetBits(lock.get()), width, height);
    }
    m_camDll.ParamClear(m_record.get());
    HDIB display = DibConvertForDisplay(m_pDoc->m_hFrame, nullptr, m_record->RangeLow(), m_record->RangeHi(),
                                        m_nFrameType, -1);
    if (m_pMultiView && IsActiveView<CMultiView>()) {
        m_pMultiView->ResizeLivePane(width, height);
        if (m_pMultiView->LivePane())
            m_pMultiView->LivePane()->SetImage(display ? display : m_pDoc->m_hFrame, -1, 0, 0, 0);
    }
    if (display)
        GlobalFree(display);
    return 0;
}

LRESULT CMainFrame::OnLensState(WPARAM lens, LPARAM zoomTimes10) {
    COrsandelApp* app = COrsandelApp::GetApp();
    if (!m_pDoc || !app)
        return 0;
    if (m_pDoc->SelectLensByNumber(static_cast<int>(lens), zoomTimes10 / 10.0, *app))
        if (m_pTopMenu)
            m_pTopMenu->SetLensName(wxString::FromUTF8(m_pDoc->m_currentLens.GetRegName()));
    ApplyLensIntervalToAutoPanel(true);
    return 0;
}

void CMainFrame::OnSelectInputDevice() {
    CInpImgDlg dlg(this, &m_params);
    if (!m_bCameraFailed && m_record)
        m_camDll.StopConnect(m_record.get());
    bool refused = false;
    if (dlg.DoModal() == IDOK) {
        const std::string name = dlg.m_deviceName;
        if (StartMode() == kModeVossa && IsVossaRefusedDevice(name)) {
            ShowMessage(vtid::str::VossaNotWithDevice, MB_OK);
            refused = true;
        } else {
            CDeviceWaitDialog wait(this);
            if (name != m_strModuleName) {
                if (m_camDll.IsLoaded()) {
                    if (m_camDll.IsBound())
                        m_camDll.ResetBinding();
                    m_camDll.Close();
                }
                m_strModuleName = name;
                if (m_camDll.LoadSelectedModule(name) && m_camDll.BindExports())
                    m_strDevice = name;
            }
            if (!m_camDll.IsLoaded()) {
                m_strModuleName.clear();
                m_bCameraFailed = 1;
            } else {
                m_bCameraFailed = 0;
            }
            wait.Close();
        }
    }
    if (!m_bCameraFailed && m_record)
        m_camDll.StartConnect(m_record.get());
    if (!refused)
        RouteCommandId(vtid::cmd::InputMode);
}

void CMainFrame::OnInputMode() {
    m_bCameraFailed = 1;
    if (m_strModuleName.empty() || !m_record) {
        ShowMessage(vtid::str::SelectInputDevice, MB_OK);
        return;
    }
    if (m_camDll.IsBound())
        m_camDll.DlogSetParam(HandleToToken(GetSafeHwnd()), m_record.get(), 2);
    if (m_record->Bpp() != 8) {
        m_record->SetBpp(8);
        m_record->SetRangeHi(255);
        ShowMessage(m_record->ColorMode() == 0 ? vtid::str::GreyReadAs8Bit : vtid::str::ColourReadAs24Bit,
                    MB_OK);
    }
    m_bCameraFailed = 0;
    m_bLayoutRefresh = 1;
}
