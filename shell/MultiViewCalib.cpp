// The capture view's measuring line of the XY calibration: drawn over the live picture while the
// main frame's calibration settings dialog is open, its length kept in the document.
#include "devices/camera/gui/XYCalibSetDlg.h"
#include "shell/MainFrame.h"
#include "shell/MultiView.h"
#include "shell/OrsandelDoc.h"
#include "shell/ScaleStatic.h"

void CMultiView::AttachCalibLine() {
    if (!m_pLive)
        return;
    m_pLive->SetOverlay([this](wxDC& dc, const wxSize& size) {
        if (m_pScale)
            m_pScale->Draw(dc, size);
        m_calibLine.Draw(dc);
    });
    CCalibLine::Hooks hooks;
    hooks.isActive = [this] {
        CMainFrame* f = Frame();
        return f && f->IsCalibSetOpen();
    };
    hooks.pictureWidth = [this] { return m_nFrameWidth; };
    hooks.lengthChanged = [this](double pixels) {
        if (COrsandelDoc* doc = GetDocument())
            doc->m_dCalibLineLength = pixels;
    };
    hooks.finished = [this](const CalibLineGeometry& line) {
        if (CMainFrame* f = Frame())
            if (CXYCalibSetDlg* dlg = f->CalibSetDialog())
                dlg->FocusLineLength();
        if (m_pScale)
            m_pScale->SetLine(line.EndPoint(), line.Start(), true, line.Scale());
    };
    m_calibLine.Attach(m_pLive, std::move(hooks));
}

void CMultiView::ResetCalibLine() {
    m_calibLine.Reset();
    if (m_pScale)
        m_pScale->ResetLine();
}

int CMultiView::CalibPictureWidth() const {
    return m_pLive && m_pLive->PictureWidth() > 0 ? m_pLive->PictureWidth() : 1;
}
