// The panel of the continuous composition mode (template 266), docked at the left in the bar
// "VossaZDlg": Start (1211), End (1213), Save (1221), Transfer (1226) and Viewer (1227), each an
// icon button with its label. Save, Transfer and Viewer hand the composite to the result window.
#pragma once

#include "ui/TemplateWindow.h"

class VossaHost;

class CVossaDialog : public ui::TemplatePanel {
public:
    // host: the main frame whose views the panel drives (the panel may float in a window of its
    // own).
    explicit CVossaDialog(VossaHost* host = nullptr);
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
    LRESULT OnVossaDone(WPARAM, LPARAM);
    // Start back; Save, Transfer and Viewer only while a composite exists.
    void EnableAfterComposition();
    // The composite in the result window (hidden or shown); false when there is none.
    bool OpenComposite(int showCommand);

    VossaHost* m_pHost = nullptr;
    int m_bRunning = 0;
};
