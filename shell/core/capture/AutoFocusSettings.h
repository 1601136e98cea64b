// [AUTOFOCUS] of the settings file, read and written here for the automatic capture panel and
// its position editor: the range (START, END, GAP, SHEET), the position list (LIST), the jog
// step (UPDOWN) and the automatic composition box (AUTOCOMP). Every read and write goes to the
// file when it is called.
#pragma once

#include <vector>

// The panel's own keys: the jog step (UPDOWN, real, 1.0) and the automatic composition box
// (AUTOCOMP, int, 0).
struct AutoPanelSettings {
    double jogStep = 1.0;
    int autoCompose = 0;
};
AutoPanelSettings ReadAutoPanelSettings();
// UPDOWN, then AUTOCOMP.
void WriteAutoPanelSettings(const AutoPanelSettings& s);

// START, END, GAP (reals) and SHEET (int), in that order: the range as the editor opens or a
// file is loaded.
void WriteRangeSettings(double start, double end, double interval, int count);
// LIST: the positions as FormatPositionList gives them.
void WritePositionListSetting(const std::vector<double>& positions);
