// The modeless progress window of the composition (and of the height-noise removal): a
// progress bar and a Cancel button that asks the parent window to stop the worker.
#pragma once

#include "ids/VantorelIds.h"
#include "platform/WinTypes.h"
#include "ui/TemplateWindow.h"

#include <wx/gauge.h>

constexpr int IDC_FOCUS_PROGRESS_BAR = vtid::CompositionProgress::Progress;

class CFocusProgDialog : public ui::TemplateDialog {
public:
    explicit CFocusProgDialog(wxWindow* parent);

    // Stored only while the window does not exist; always clears the cancelled flag.
    void SetCancelable(BOOL cancelable);
    void SetTitle(const wxString& title);
    void SetMessage(const wxString& message);
    // Position 0, range 0..upper, step 1 (applied when the window exists).
    void SetRange(int upper);
    // The message Cancel posts to the parent (WM_WORK_CANCEL).
    void SetCancelMessage(UINT message) { m_nCancelMessage = message; }
    // Pumps one message for the dialog, then moves the bar (kept within the range).
    void SetPos(int position);

    BOOL IsCancelled() const { return m_bCancelled; }
    BOOL IsCancelable() const { return m_bCancelable; }
    int GetRangeUpper() const { return m_nUpper; }
    int GetPos() const;
    const wxString& GetMessage() const { return m_strMessage; }

    // Posts the cancel message to the parent; sets the cancelled flag when cancelable. The
    // dialog stays open: the parent ends it when the worker has ended.
    void OnCancel() override;

protected:
    void DoDataExchange(ui::DataExchange& dx) override;

private:
    BOOL m_bCancelled = FALSE;
    BOOL m_bCancelable = TRUE;
    int m_nUpper = 100;
    UINT m_nCancelMessage = 0;
    wxString m_strTitle;
    wxString m_strMessage;
    wxGauge* m_Progress = nullptr;
};
