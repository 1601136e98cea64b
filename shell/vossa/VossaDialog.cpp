#include "shell/vossa/VossaDialog.h"

#include "platform/MessageSink.h"
#include "platform/ProgramHelpers.h"
#include "shell/frame/MainFrame.h"
#include "shell/app/OrsandelApp.h"
#include "shell/vossa/VossaImageView.h"
#include "shell/vossa/VossaLiveView.h"
#include "ids/VantorelIds.h"

namespace ids = vtid::VossaPanel;

namespace {
// Show commands of the result window and the commands sent to it.
constexpr int kSwHide = 0;
constexpr int kSwShow = 5;
} // namespace

CVossaDialog::CVossaDialog(CMainFrame* frame) : ui::TemplatePanel(vtid::dlg::VossaPanel), m_pFrame(frame) {
    OnCommand(ids::Start, [this] { OnStart(); });
    OnCommand(ids::End, [this] { OnEnd(); });
    OnCommand(ids::Save, [this] { OnSave(); });
    OnCommand(ids::Transfer, [this] { OnTransfer(); });
    OnCommand(ids::Viewer, [this] { OnViewer(); });
    OnMessage(WM_VOSSA_DONE, &CVossaDialog::OnVossaDone);
}

bool CVossaDialog::OnInitDialog() {
    ui::TemplatePanel::OnInitDialog();
    const std::pair<int, UINT> icons[] = {{ids::Start, vtid::icon::VossaStartIcon},
                                          {ids::End, vtid::icon::VossaEndIcon},
                                          {ids::Transfer, vtid::icon::VossaTransferIcon},
                                          {ids::Viewer, vtid::icon::VossaViewerIcon},
                                          {ids::Save, vtid::icon::VossaSaveIcon}};
    for (const auto& [id, icon] : icons)
        if (wxWindow* b = GetDlgItem(id))
            SetButtonIcon(ui::WindowHandle(b), icon);
    return true;
}

bool CVossaDialog::IsEndEnabled() const {
    wxWindow* end = GetDlgItem(ids::End);
    return end && end->IsEnabled();
}

void CVossaDialog::OnStart() {
    CMainFrame* f = Frame();
    if (!f)
        return;
    if (f->m_strDevice.empty()) {
        ShowMessage(vtid::str::SelectInputDevice, MB_OK);
        return;
    }
    for (int id : {ids::Start, ids::Viewer, ids::Transfer, ids::Save})
        EnableItem(id, false);
    EnableItem(ids::End, true);
    if (f->m_pVossaImageView)
        f->m_pVossaImageView->StartComposition(); // the picture pane goes out of sight
    if (f->m_pVossaLiveView)
        f->m_pVossaLiveView->SetComposing(1);
    m_bRunning = 1;
}

void CVossaDialog::OnEnd() {
    CMainFrame* f = Frame();
    CVossaLiveView* live = f ? f->m_pVossaLiveView : nullptr;
    CVossaImageView* image = f ? f->m_pVossaImageView : nullptr;
    if (live)
        live->SetComposing(0);
    EnableItem(ids::End, false);
    m_bRunning = 0;
    if (image && image->FramesComposed() > 0) {
        image->Compose(); // the buttons come back with the end message of the next frame step
        return;
    }
    // Nothing was composed: nothing to cut, and no end message to wait for.
    if (image)
        image->FreeComposition();
    if (live)
        live->ForgetComposition();
    EnableAfterComposition();
}

void CVossaDialog::Reset() {
    m_bRunning = 0;
    EnableItem(ids::End, false);
    EnableAfterComposition();
}

LRESULT CVossaDialog::OnVossaDone(WPARAM, LPARAM) {
    EnableAfterComposition();
    return 0;
}

void CVossaDialog::EnableAfterComposition() {
    CMainFrame* f = Frame();
    const bool composite = f && f->m_pVossaImageView && f->m_pVossaImageView->HasComposite();
    EnableItem(ids::Start, true);
    for (int id : {ids::Viewer, ids::Transfer, ids::Save})
        EnableItem(id, composite);
}

bool CVossaDialog::OpenComposite(int showCommand) {
    CMainFrame* f = Frame();
    COrsandelApp* app = COrsandelApp::GetApp();
    if (!f || !app || !f->m_pVossaImageView || !f->m_pVossaImageView->HasComposite())
        return false;
    // Saving or handing over would otherwise work on the result the user chose to keep.
    if (app->m_pResultFrame && !app->m_pResultFrame->QueryDiscardResult())
        return false;
    app->OpenImageDocument(nullptr, f->m_pVossaImageView->Composite(), nullptr, nullptr, showCommand);
    return app->m_pResultFrame != nullptr;
}

void CVossaDialog::OnViewer() {
    OpenComposite(kSwShow);
}

void CVossaDialog::OnTransfer() {
    COrsandelApp* app = COrsandelApp::GetApp();
    if (!OpenComposite(kSwHide))
        return;
    app->m_bImageOnly = 1;
    ui::SendMessageTo(app->m_pResultFrame->GetSafeHwnd(), WM_COMMAND, vtid::cmd::TransferToAnalysis, 0);
    app->m_bImageOnly = 0;
}

void CVossaDialog::OnSave() {
    COrsandelApp* app = COrsandelApp::GetApp();
    if (!OpenComposite(kSwHide))
        return;
    ui::SendMessageTo(app->m_pResultFrame->GetSafeHwnd(), WM_COMMAND, vtid::cmd::SaveImage, 0);
}
