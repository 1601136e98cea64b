#include "shell/frame/TopMenuDialog.h"

#include "shell/controls/StringStatic.h"

#include "platform/ProgramHelpers.h"

#include "shell/frame/MainFrame.h"
#include "shell/core/settings/StartMode.h"
#include "shell/core/layout/ViewGeometry.h"
#include "ids/VantorelIds.h"

#include <wx/stattext.h>
#include <wx/tglbtn.h>

#include <utility>

namespace ids = vtid::TopMenuBar;

namespace {
// The lens controls in the order the layout places them.
const int kLensControls[6] = {ids::SelectLens,    ids::LensName,   ids::LensLabel,
                              ids::ScaleSettings, ids::ShowScale2, ids::ShowScale1};
const std::pair<int, UINT> kButtonIcons[] = {
    {ids::FolderUp, vtid::icon::FolderUpIcon},    {ids::Thumbnails, vtid::icon::ThumbnailsIcon},
    {ids::MultiView, vtid::icon::MultiViewIcon},  {ids::ShowScale1, vtid::icon::Scale1Icon},
    {ids::ShowScale2, vtid::icon::Scale2Icon},    {ids::ScaleSettings, vtid::icon::ScaleSettingsIcon},
    {ids::SelectLens, vtid::icon::SelectLensIcon}};

SIZE SizeOf(wxWindow* w) {
    if (!w)
        return SIZE{0, 0};
    const wxSize s = w->GetSize();
    return SIZE{s.x, s.y};
}
} // namespace

CTopMenuDialog::CTopMenuDialog(CMainFrame* frame) : ui::TemplatePanel(vtid::dlg::TopMenuBar), m_frame(frame) {
    ReplaceControl(ids::Picture, SysColStaticFactory());
    OnCommand(ids::FolderUp, [this] { m_frame->FolderUp(); });
    OnCommand(ids::MultiView, [this] {
        SetPressed(ids::MultiView, true);
        m_frame->RestoreCaptureLayout();
        RecalcLayout();
    });
    OnCommand(ids::Thumbnails, [this] {
        SetPressed(ids::Thumbnails, true);
        m_frame->ShowCaptureFolder();
        RecalcLayout();
        m_frame->SetFocus();
    });
    for (int id : {ids::ShowScale1, ids::ShowScale2, ids::ScaleSettings})
        OnCommand(id, [this, id] { m_frame->RouteCommandId(id); });
    OnCommand(ids::SelectLens, [this] { m_frame->RouteCommandId(vtid::cmd::SelectLens); });
    OnMessage(WM_TOPMENU_RECALC, [this](WPARAM, LPARAM) {
        RecalcLayout();
        return LRESULT(0);
    });
    Bind(wxEVT_SIZE, [this](wxSizeEvent& ev) {
        ev.Skip();
        RecalcLayout();
    });
}

bool CTopMenuDialog::OnInitDialog() {
    ui::TemplatePanel::OnInitDialog();
    if (m_frame->StartMode() == kModeThumbnails) {
        SetPressed(ids::Thumbnails, true);
        EnableItem(ids::MultiView, false);
    } else {
        SetPressed(ids::MultiView, true);
    }
    m_initialising = false;
    for (const auto& [id, icon] : kButtonIcons)
        if (wxWindow* b = GetDlgItem(id))
            SetButtonIcon(ui::WindowHandle(b), icon);
    return true;
}

bool CTopMenuDialog::IsPressed(int id) const {
    auto* b = Item<wxToggleButton>(id);
    return b && b->GetValue();
}

void CTopMenuDialog::SetPressed(int id, bool pressed) {
    if (auto* b = Item<wxToggleButton>(id))
        b->SetValue(pressed);
    // The multi view and thumbnail buttons are a pair: one of them is down.
    if (pressed && (id == ids::MultiView || id == ids::Thumbnails))
        if (auto* other = Item<wxToggleButton>(id == ids::MultiView ? ids::Thumbnails : ids::MultiView))
            other->SetValue(false);
}

void CTopMenuDialog::ShowLensControls(bool show) {
    for (int id : {ids::ShowScale1, ids::ShowScale2, ids::ScaleSettings, ids::LensLabel, ids::LensName,
                   ids::SelectLens})
        ShowItem(id, show);
}

void CTopMenuDialog::SetLensName(const wxString& name) {
    SetDlgItemText(ids::LensName, name);
}

int CTopMenuDialog::RecalcLayout() {
    const wxSize client = GetClientSize();
    if (m_initialising || !m_frame || client.x <= 0 || client.y <= 0)
        return -1;
    const std::optional<int> paneWidth = m_frame->ReferencePaneWidth(IsPressed(ids::Thumbnails));
    if (!paneWidth)
        return -1;
    EnableItem(ids::MultiView, m_frame->StartMode() != kModeThumbnails);
    TopMenuInput in;
    in.client = RECT{0, 0, client.x, client.y};
    in.paneWidth = *paneWidth;
    in.thumbnailDown = IsPressed(ids::Thumbnails);
    in.up = SizeOf(GetDlgItem(ids::FolderUp));
    in.multi = SizeOf(GetDlgItem(ids::MultiView));
    in.pictureWidth = SizeOf(GetDlgItem(ids::Picture)).cx;
    for (int i = 0; i < 6; ++i)
        in.lens[i] = SizeOf(GetDlgItem(kLensControls[i]));
    const TopMenuLayout out = LayoutTopMenu(in);
    auto place = [this](int id, const RECT& r) {
        if (wxWindow* w = GetDlgItem(id))
            w->SetSize(r.left, r.top, r.right - r.left, r.bottom - r.top);
    };
    place(ids::FolderPaneBand, out.band);
    ShowItem(ids::FolderUp, out.upShown);
    if (out.upShown)
        place(ids::FolderUp, out.up);
    place(ids::MultiView, out.multi);
    place(ids::Thumbnails, out.thumb);
    place(ids::Picture, out.picture);
    for (int i = 0; i < 6; ++i)
        place(kLensControls[i], out.lens[i]);
    m_minimumWidth = out.minimumWidth;
    Refresh();
    return 0;
}
