// The panel of the continuous composition mode (template 266), docked at the left in the bar
// "VossaZDlg": Start (1211), End (1213), Save (1221), Transfer (1226) and Viewer (1227), each an
// icon button with its label. Save, Transfer and Viewer hand the composite to the result window.
#pragma once

#include "ui/TemplateWindow.h"

class CMainFrame;

class CVossaDialog : public ui::TemplatePanel {
public:
    // frame: the main frame whose views and result window the panel drives (the panel may float
    // in a window of its own).
    explicit CVossaDialog(CMainFrame* frame = nullptr);
    bool OnInitDialog() override;

    void OnStart();
    void OnEnd();
    void OnSave();
    void OnTransfer();
    void OnViewer();

    // True while End is enabled: a composition runs.
    bool IsEndEnabled() const;
    int IsRunning() const { return m_bRunning; }
    // The state before any composition: Start enabled, the other four disabled.
    void Reset();

private:
    CMainFrame* Frame() const { return m_pFrame; }
    LRESULT OnVossaDone(WPARAM, LPARAM);
    // Start back; Save, Transfer and Viewer only while a composite exists.
    void EnableAfterComposition();
    // The composite in the result window (hidden or shown); false when there is none.
    bool OpenComposite(int showCommand);

    CMainFrame* m_pFrame = nullptr;
    int m_bRunning = 0;
};
