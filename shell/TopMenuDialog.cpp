#include "shell/TopMenuDialog.h"

#include "shell/StringStatic.h"

#include "platform/ProgramHelpers.h"

#include "shell/MainFrame.h"
#include "shell/core/StartMode.h"
#include "shell/core/ViewGeometry.h"

#include <wx/stattext.h>
#include <wx/tglbtn.h>

#include <utility>

namespace {
const int kLensControls[6] = {1393, 1392, 1388, 1391, 1390, 1389};
const std::pair<int, UINT> kButtonIcons[] = {{800, 230},  {829, 309},  {804, 310}, {1389, 284},
                                             {1390, 313}, {1391, 312}, {1393, 261}};

SIZE SizeOf(wxWindow* w) {
    if (!w)
        return SIZE{0, 0};
    const wxSize s = w->GetSize();
    return SIZE{s.x, s.y};
}
} // namespace

CTopMenuDialog::CTopMenuDialog(CMainFrame* frame) : ui::TemplatePanel(154), m_frame(frame) {
    ReplaceControl(954, SysColStaticFactory());
    OnCommand(800, [this] { m_frame->FolderUp(); });
    OnCommand(804, [this] {
        SetPressed(804, true);
        m_frame->RestoreCaptureLayout();
        RecalcLayout();
    });
    OnCommand(829, [this] {
        SetPressed(829, true);
        m_frame->ShowCaptureFolder();
        RecalcLayout();
        m_frame->SetFocus();
    });
    for (int id : {1389, 1390, 1391})
        OnCommand(id, [this, id] { m_frame->RouteCommandId(id); });
    OnCommand(1393, [this] { m_frame->RouteCommandId(32813); });
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
        SetPressed(829, true);
        EnableItem(804, false);
    } else {
        SetPressed(804, true);
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
    // 804 and 829 are a pair: one of them is down.
    if (pressed && (id == 804 || id == 829))
        if (auto* other = Item<wxToggleButton>(id == 804 ? 829 : 804))
            other->SetValue(false);
}

void CTopMenuDialog::ShowLensControls(bool show) {
    for (int id : {1389, 1390, 1391, 1388, 1392, 1393})
        ShowItem(id, show);
}

void CTopMenuDialog::SetLensName(const wxString& name) {
    SetDlgItemText(1392, name);
}

int CTopMenuDialog::RecalcLayout() {
    const wxSize client = GetClientSize();
    if (m_initialising || !m_frame || client.x <= 0 || client.y <= 0)
        return -1;
    const std::optional<int> paneWidth = m_frame->ReferencePaneWidth(IsPressed(829));
    if (!paneWidth)
        return -1;
    EnableItem(804, m_frame->StartMode() != kModeThumbnails);
    TopMenuInput in;
    in.client = RECT{0, 0, client.x, client.y};
    in.paneWidth = *paneWidth;
    in.thumbnailDown = IsPressed(829);
    in.up = SizeOf(GetDlgItem(800));
    in.multi = SizeOf(GetDlgItem(804));
    in.pictureWidth = SizeOf(GetDlgItem(954)).cx;
    for (int i = 0; i < 6; ++i)
        in.lens[i] = SizeOf(GetDlgItem(kLensControls[i]));
    const TopMenuLayout out = LayoutTopMenu(in);
    auto place = [this](int id, const RECT& r) {
        if (wxWindow* w = GetDlgItem(id))
            w->SetSize(r.left, r.top, r.right - r.left, r.bottom - r.top);
    };
    place(825, out.band);
    ShowItem(800, out.upShown);
    if (out.upShown)
        place(800, out.up);
    place(804, out.multi);
    place(829, out.thumb);
    place(954, out.picture);
    for (int i = 0; i < 6; ++i)
        place(kLensControls[i], out.lens[i]);
    m_minimumWidth = out.minimumWidth;
    Refresh();
    return 0;
}
