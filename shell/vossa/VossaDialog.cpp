#include "shell/vossa/VossaDialog.h"

#include "platform/MessageSink.h"
#include "platform/ProgramHelpers.h"
#include "shell/app/OrsandelApp.h"
#include "shell/capture/CameraSource.h"
#include "shell/vossa/VossaHost.h"
#include "shell/vossa/VossaImageView.h"
#include "shell/vossa/VossaLiveView.h"
#include "ids/VantorelIds.h"

namespace ids = vtid::VossaPanel;

namespace {
// Show commands of the result window and the commands sent to it.
constexpr int kSwHide = 0;
constexpr int kSwShow = 5;
} // namespace

CVossaDialog::CVossaDialog(VossaHost* host) : ui::TemplatePanel(vtid::dlg::VossaPanel), m_pHost(host) {
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
    if (!m_pHost)
        return;
    if (m_pHost->Camera().InputDevice().empty()) {
        ShowMessage(vtid::str::SelectInputDevice, MB_OK);
        return;
    }
    for (int id : {ids::Start, ids::Viewer, ids::Transfer, ids::Save})
        EnableItem(id, false);
    EnableItem(ids::End, true);
    if (CVossaImageView* image = m_pHost->VossaImageView())
        image->StartComposition(); // the picture pane goes out of sight
    if (CVossaLiveView* live = m_pHost->VossaLiveView())
        live->SetComposing(1);
    m_bRunning = 1;
}

void CVossaDialog::OnEnd() {
    CVossaLiveView* live = m_pHost ? m_pHost->VossaLiveView() : nullptr;
    CVossaImageView* image = m_pHost ? m_pHost->VossaImageView() : nullptr;
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
    const CVossaImageView* image = m_pHost ? m_pHost->VossaImageView() : nullptr;
    const bool composite = image && image->HasComposite();
    EnableItem(ids::Start, true);
    for (int id : {ids::Viewer, ids::Transfer, ids::Save})
        EnableItem(id, composite);
}

bool CVossaDialog::OpenComposite(int showCommand) {
    const CVossaImageView* image = m_pHost ? m_pHost->VossaImageView() : nullptr;
    COrsandelApp* app = COrsandelApp::GetApp();
    if (!app || !image || !image->HasComposite())
        return false;
    // Saving or handing over would otherwise work on the result the user chose to keep.
    if (app->m_pResultFrame && !app->m_pResultFrame->QueryDiscardResult())
        return false;
    app->OpenImageDocument(nullptr, image->Composite(), nullptr, nullptr, showCommand);
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
