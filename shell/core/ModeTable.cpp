#include "shell/core/ModeTable.h"

namespace {
const ModeEntry kModes[] = {
    {kModeThumbnails, "FocusBoxCmdDlg", 22, false, true, false, true, true, ModeView::FolderTree, 103, false},
    {kModeManual, "ManiualZDlg", 600, true, false, true, true, true, ModeView::Capture, 186, true, 609, 100},
    {kModeAutomatic, "AutoZDlg", 908, false, false, true, true, true, ModeView::Capture, 184, true, 913, 110},
    {kModeVossa, "VossaZDlg", 266, true, false, true, false, false, ModeView::VossaLive, 188, true, 1221,
     110},
};
} // namespace

const ModeEntry* FindModeEntry(int mode) {
    for (const ModeEntry& m : kModes)
        if (m.mode == mode)
            return &m;
    return nullptr;
}
