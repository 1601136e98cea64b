// The alignment settings (template 315, "自動位置合わせ設定"): the number of matching areas
// and their places, drawn as red squares in a white frame and dragged there with the mouse.
#pragma once

#include "shell/core/settings/SettingsDialogRules.h"
#include "ui/TemplateWindow.h"

#include <wx/cursor.h>

class CSetAutoPos : public ui::TemplateDialog {
public:
    explicit CSetAutoPos(wxWindow* parent);
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;

    int m_countIndex = 2; // 0, 1, 2 for 2, 3, 4 areas
    MatchPoints m_points{};

    // The frame rectangle in the dialog's client coordinates.
    wxRect FrameRect() const { return m_frame; }
    bool Dragging() const { return m_dragging; }
    // The frame's picture: white, outlined, with a red square around every point in use.
    void DrawFrame(wxDC& dc, const wxSize& size) const;
    // Mouse input in the dialog's client coordinates (the frame's own input arrives here too).
    void MouseMove(const wxPoint& p);
    void MouseDown(const wxPoint& p);
    void MouseUp();

private:
    void OnDefaultPositions();

    wxWindow* m_frameWindow = nullptr;
    wxRect m_frame;
    bool m_dragging = false;
    wxCursor m_dragCursor;
};
