// A status bar whose panes are given by string ids: pane id 0 (ID_SEPARATOR) is the stretching
// message pane; any other id is a pane as wide as the text of that string, which it shows while
// the id's update-UI handler (routed through the frame like a menu item) enables it. A key
// indicator that no handler knows follows its key (caps, num and scroll lock).
//
//   auto* bar = new ui::StatusBar(frame);
//   bar->SetIndicators({ui::ID_SEPARATOR, ui::ID_INDICATOR_KANA, ui::ID_INDICATOR_CAPS,
//                       ui::ID_INDICATOR_NUM, ui::ID_INDICATOR_SCRL});
//   frame->SetStatusBar(bar);
#pragma once

#include "ids/CommonIds.h"
#include "ui/resources/ResourceRegistry.h"

#include <wx/statusbr.h>

#include <vector>

namespace ui {

constexpr UINT ID_SEPARATOR = 0;
constexpr UINT ID_INDICATOR_EXT = 0xE700; // no pane text of its own
// The key indicators: their string (resources/common/ui.txt) is the pane's text.
constexpr UINT ID_INDICATOR_CAPS = uiid::str::CapsLockIndicator;
constexpr UINT ID_INDICATOR_NUM = uiid::str::NumLockIndicator;
constexpr UINT ID_INDICATOR_SCRL = uiid::str::ScrollLockIndicator;
constexpr UINT ID_INDICATOR_KANA = uiid::str::KanaIndicator;

class StatusBar : public wxStatusBar {
public:
    explicit StatusBar(wxWindow* frame, wxWindowID id = wxID_ANY);

    // False (panes unchanged) when a pane's string is missing.
    bool SetIndicators(const std::vector<UINT>& ids, const ResourceRegistry& reg = Resources());
    UINT GetItemID(int index) const;
    // The pane of an id, -1 when none.
    int CommandToIndex(UINT id) const;

    // Asks the frame's update-UI routing for every indicator pane, then does the usual update.
    void UpdateWindowUI(long flags = wxUPDATE_UI_NONE) override;

private:
    std::vector<UINT> ids_;
    std::vector<wxString> texts_;
};

} // namespace ui
