// The height-noise cut dialog (template 277): the noise amount (slider and edit), the preview of
// the flagged pixels, the fill method, the smoothing (slider and edit) and a preview of the
// outcome. An interpolation preview runs on the document's worker; the dialog's controls stay
// disabled until the worker has reported its end.
#pragma once

#include "ui/TemplateWindow.h"

class CImageDoc;
class CImageView;
class CFocusProgDialog;

class CNoiseCutDialog : public ui::TemplateDialog {
public:
    CNoiseCutDialog(wxWindow* parent, CImageDoc* doc, CImageView* view);
    ~CNoiseCutDialog() override;

    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;
    void OnCancel() override;

    int m_amount = 0;
    int m_method = -1;
    int m_preview = 0;
    int m_smoothing = 0;
    bool IsPreviewRunning() const { return m_running; }
    CFocusProgDialog* GetProgressDialog() const { return m_progress; }

private:
    LRESULT OnHScroll(WPARAM, LPARAM);
    void OnAmountChange();
    void OnSmoothingChange();
    void OnPreviewCheck();
    void OnPreview();
    LRESULT OnWorkDone(WPARAM, LPARAM);
    LRESULT OnWorkProgress(WPARAM, LPARAM);
    LRESULT OnWorkCancel(WPARAM, LPARAM);
    void EnableControls(bool enable);
    void Repaint();

    CImageDoc* m_doc;
    CImageView* m_view;
    CFocusProgDialog* m_progress = nullptr;
    bool m_running = false;
    bool m_syncing = false;
};
