#include "shell/core/settings/ModeTable.h"

#include "ids/VantorelIds.h"

namespace {
const ModeEntry kModes[] = {
    {kModeThumbnails, "FocusBoxCmdDlg", vtid::dlg::FocusBoxCommandBar, false, true, false, true, true,
     ModeView::FolderTree, vtid::menu::ThumbnailsMenu, false},
    {kModeManual, "ManiualZDlg", vtid::dlg::ManualPanel, true, false, true, true, true, ModeView::Capture,
     vtid::menu::ManualMenu, true, vtid::ManualPanel::EndCapture, 100},
    {kModeAutomatic, "AutoZDlg", vtid::dlg::AutoPanel, false, false, true, true, true, ModeView::Capture,
     vtid::menu::AutomaticMenu, true, vtid::AutoPanel::StartCapture, 110},
    {kModeVossa, "VossaZDlg", vtid::dlg::VossaPanel, true, false, true, false, false, ModeView::VossaLive,
     vtid::menu::VossaMenu, true, vtid::VossaPanel::Save, 110},
};
} // namespace

const ModeEntry* FindModeEntry(int mode) {
    for (const ModeEntry& m : kModes)
        if (m.mode == mode)
            return &m;
    return nullptr;
}
