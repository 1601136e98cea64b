#include "shell/core/ModeTable.h"

namespace {
const ModeEntry kModes[] = {
    {kModeThumbnails, "FocusBoxCmdDlg", 22, false, true, false, true, true, ModeView::FolderTree, 103, false},
    {kModeManual, "ManiualZDlg", 600, true, false, true, true, true, ModeView::Capture, 186, true},
    {kModeAutomatic, "AutoZDlg", 908, false, false, true, true, true, ModeView::Capture, 184, true},
    {kModeVossa, "VossaZDlg", 266, true, false, true, false, false, ModeView::VossaLive, 188, true},
};
} // namespace

const ModeEntry* FindModeEntry(int mode) {
    for (const ModeEntry& m : kModes)
        if (m.mode == mode)
            return &m;
    return nullptr;
}
