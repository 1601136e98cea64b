// The automatic panel's series: start checks, the capture loop over the positions, the running
// composer of the preview, and the stop.
#include "shell/capture/AutoDialog.h"

#include "browser/SelListCtrl.h"
#include "devices/serial/XyTblCtrl.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/compose/FocusComp.h"
#include "imaging/files/ImageFile.h"
#include "imaging/compose/WorkerMessages.h"
#include "platform/MessageSink.h"
#include "platform/ProgramHelpers.h"
#include "platform/Sync.h"
#include "platform/Time.h"
#include "shell/capture/CaptureHost.h"
#include "shell/capture/MultiView.h"
#include "shell/app/OrsandelApp.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/app/PaintPump.h"
#include "shell/controls/ScaleStatic.h"
#include "shell/capture/SelectedBox.h"
#include "shell/core/capture/CapturePathCheck.h"
#include "shell/core/capture/CapturePositions.h"
#include "shell/core/compose/CompositionRun.h"
#include "ids/VantorelIds.h"

#include <cstdio>
#include <optional>

void CAutoDialog::OnStart() {
    // One series at a time: a start reached from inside the running loop does nothing.
    if (m_bCapturing || !m_pHost)
        return;
    // A value outside the edits' range stops here, at the range message.
    if (!UpdateData(true))
        return;
    if (ControllerType() == CTRL_NONE)
        return;
    COrsandelApp* app = COrsandelApp::GetApp();
    if (!app || app->m_strAutoPath.empty() || app->m_strAutoDir.empty()) {
        ShowMessage(vtid::str::NoSavePath, MB_OK);
        return;
    }
    m_strPath = app->m_strAutoPath;
    switch (CheckSeriesStart(m_nListMode == 0, m_nCount, m_positions.size())) {
    case 0:
        break;
    case vtid::str::NoPictures:
        ShowMessage(vtid::str::NoPictures, MB_OK);
        return;
    case vtid::str::TooManyPictures:
        ShowMessage(vtid::str::TooManyPictures, MB_OK);
        return;
    default:
        ShowMessage(vtid::str::RangeCountNotSet, MB_OK);
        return;
    }
    EnableControls(false);
    if (CMultiView* view = View())
        if (CSampleStatic* preview = view->PreviewPane()) {
            preview->SetSize(0, 0, 0, 0);
            preview->Refresh();
        }
    m_pHost->RemoveFromFocusBox(true);
    m_lastEnd = RunSeries();
    EnableControls(true);
    if (m_bCloseAfterSeries) {
        m_pHost->RetryClose();
        return;
    }
    // Only a series that took every picture goes on to the composition.
    if (m_lastEnd == SeriesEnd::Completed && GetCheckState(vtid::AutoPanel::AutoCompose))
        m_pHost->StartComposition();
}

CAutoDialog::SeriesEnd CAutoDialog::RunSeries() {
    CSelListCtrl* list = m_pHost->FocusBoxList();
    CSelectedBox* box = m_pHost->SelectedBox();
    CMultiView* view = View();
    CXyTblCtrl* xy = Stage();
    if (!list || !box || !view || !xy)
        return SeriesEnd::Failed;
    if (list->GetItemCount() < 2)
        FreeComposer();
    std::string name = m_strPath;
    CheckNumberedFileName(nullptr, nullptr);
    MakeNumberedFileName(name, name, 0);
    list->m_captureBusy = 1;
    m_bCapturing = 1;
    m_bStopRequest = 0;
    const int type = xy->GetType();
    const bool reopen = type == CTRL_SZX || type == CTRL_STM6 || type == CTRL_MII;
    if (reopen)
        xy->Open(view->m_comm.port, view->m_comm.baud, view->m_comm.data, view->m_comm.parity,
                 view->m_comm.stop, view->m_comm.xflow);
    // The loop runs over its own copy: the range edits stay live while it pumps messages.
    const std::vector<double> positions = m_positions;
    SeriesEnd end = SeriesEnd::Completed;
    for (size_t i = 0; i < positions.size(); ++i) {
        std::string checked;
        if (CheckNumberedFileName(name.c_str(), &checked) == -1) {
            end = SeriesEnd::Declined;
            break;
        }
        name = checked;
        // A picture is taken only where the drive has reported its arrival and its Z: a move,
        // a wait or a read that failed ends the series with the pictures taken so far.
        const bool moved = MoveToZ(positions[i]);
        m_pHost->RedrawNow();
        const std::optional<double> reached = moved ? ReadZ() : std::nullopt;
        if (!reached) {
            ShowMessage(vtid::str::WrongController, MB_OK);
            end = SeriesEnd::ControllerFailed;
            break;
        }
        const double z = *reached;
        // The folder must take the file; the test leaves no file behind and truncates none.
        if (!CanWriteCapturePath(name)) {
            ShowMessage(vtid::str::PathMissing, MB_OK);
            m_bStopRequest = 1;
            if (COrsandelApp* app = COrsandelApp::GetApp()) {
                app->m_strAutoDir.clear();
                app->m_strAutoPath.clear();
            }
            UpdatePathDisplay();
            end = SeriesEnd::Failed;
            break;
        }
        PumpOneMessage(ui::WindowHandle(this));
        PumpUntilPainted(this); // the Z the drive reached is on the screen
        if (m_bStopRequest) {
            end = SeriesEnd::Stopped;
            break;
        }
        // A failed capture leaves the folder as it was (the picture is saved beside the target
        // and renamed over it only when complete) and never counts as a picture.
        if (!view->CaptureAndSave(name)) {
            ShowMessage(vtid::str::CaptureFailed, MB_OK);
            end = SeriesEnd::Failed;
            break;
        }
        list->SetInsertPosition(-1);
        if (!box->AddFile(name, z)) {
            std::remove(name.c_str());
            end = SeriesEnd::Failed;
            break;
        }
        CFileInfoStruc* entry = nullptr;
        for (auto it = list->Items().rbegin(); it != list->Items().rend(); ++it)
            if (!(*it)->IsPlaceholder() && (*it)->m_path == name) {
                entry = it->get();
                break;
            }
        PumpOneMessage(ui::WindowHandle(this));
        PumpUntilPainted(this); // the box shows the new picture
        if (m_bStopRequest) {
            end = SeriesEnd::Stopped;
            break;
        }
        if (entry) {
            {
                CSingleLock lock(&ImageDataLock(), TRUE);
                if (entry->m_record)
                    entry->m_record->m_state = 1;
            }
            entry->SetLoaded(true);
        }
        AddToComposer(name);
        if (MakeNumberedFileName(name, name, 1) == 0 && i + 1 < positions.size()) {
            ShowMessage(vtid::str::CaptureLimitReached, MB_OK | MB_ICONEXCLAMATION);
            end = SeriesEnd::Stopped;
            break;
        }
    }
    if (reopen)
        xy->Close();
    m_bCapturing = 0;
    Sleep(10);
    FreeComposer();
    if (m_bStopRequest) {
        ShowMessage(vtid::str::CaptureStopped, MB_OK);
        if (end == SeriesEnd::Completed)
            end = SeriesEnd::Stopped;
    }
    list->m_captureBusy = 0;
    return end;
}

bool CAutoDialog::AddToComposer(const std::string& path) {
    CMultiView* view = View();
    COrsandelDoc* doc = view ? view->GetDocument() : nullptr;
    if (!doc)
        return false;
    // The box's loader keeps a reduced thumbnail; the composer takes the picture as saved.
    int type = -1;
    HDIB picture = ReadImageFile(path, &type);
    if (!picture)
        return false;
    int width = 0, height = 0;
    {
        GlobalLockGuard lock(picture);
        width = DibGetWidth(lock.get());
        height = DibGetHeight(lock.get());
    }
    if (!m_pComposer) {
        m_pComposer = std::make_unique<CFocusComp>();
        if (!m_pComposer->StartSeries(CompositionSettings(doc, width, height, 3))) {
            m_pComposer.reset();
            GlobalFree(picture);
            return false;
        }
    }
    const int added = m_pComposer->AddImage(picture);
    GlobalFree(picture);
    if (!added)
        return false;
    if (HDIB composite = m_pComposer->GetComposite())
        if (CSampleStatic* preview = view->PreviewPane()) {
            preview->SetImage(composite, -1, 0, 0, 0);
            preview->Update();
        }
    return true;
}

void CAutoDialog::FreeComposer() {
    if (!m_pComposer)
        return;
    m_pComposer->FreeAll();
    if (HDIB composite = m_pComposer->TakeComposite())
        GlobalFree(composite);
    m_pComposer->FreeWorkMaps(0);
    m_pComposer.reset();
}

void CAutoDialog::OnStop() {
    ui::PostMessageTo(ui::WindowHandle(this), WM_WORK_CANCEL, 0, 0);
    PumpOneMessage(ui::WindowHandle(this));
    ReadZPosition();
}

LRESULT CAutoDialog::OnWorkCancel(WPARAM, LPARAM) {
    // Only a request: the loop ends at its next look, and the controls come back when it has.
    m_bStopRequest = 1;
    return 0;
}
