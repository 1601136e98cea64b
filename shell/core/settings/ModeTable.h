// What entering each of the four modes shows: its panel bar, menu, view, bars and camera.
#pragma once

#include "shell/core/settings/StartMode.h"

enum class ModeView { FolderTree, Capture, VossaLive };

struct ModeEntry {
    int mode = 0;
    const char* barName = ""; // docking bar of the mode's panel
    int panelDialog = 0;      // template of the panel
    bool showWithoutActivation = false;
    bool thumbnailDown = false;  // top menu: 829 down (else 804 down)
    bool lensControls = false;   // top menu items 1388 .. 1393 shown
    bool compositionBar = false; // 819, 820, 823, 824 (and 818) shown
    bool focusBox = false;       // focus image box bar shown
    ModeView view = ModeView::FolderTree;
    int menu = 0;
    bool camera = false; // the camera connection starts
    // The frame is kept tall enough for this button of the panel (0: none) and a margin below it.
    int lastButton = 0;
    int lastButtonMargin = 0;
};

// The entry of one of the four modes; null for any other value (no mode is entered).
const ModeEntry* FindModeEntry(int mode);
