// The top menu bar (template 154) above the views: folder up, capture layout ("マルチ"),
// thumbnail layout ("サムネイル"), the scale buttons and the current lens's name.
#pragma once

#include "ui/TemplateWindow.h"

class CMainFrame;

constexpr UINT WM_TOPMENU_RECALC = 0x499;

class CTopMenuDialog : public ui::TemplatePanel {
public:
    CTopMenuDialog(CMainFrame* frame);
    bool OnInitDialog() override;

    // Lays the bar out for the current mode: 0 done, -1 not possible yet.
    int RecalcLayout();
    void ShowLensControls(bool show);
    void SetLensName(const wxString& name);
    bool IsPressed(int id) const;
    void SetPressed(int id, bool pressed);
    int MinimumWidth() const { return m_minimumWidth; }

private:
    CMainFrame* m_frame;
    bool m_initialising = true;
    int m_minimumWidth = 0;
};
