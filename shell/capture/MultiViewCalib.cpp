// The capture view's measuring line of the XY calibration: drawn over the live picture while the
// main frame's calibration settings dialog is open, its length kept in the document.
#include "devices/camera/gui/XYCalibSetDlg.h"
#include "shell/capture/LiveCalibLine.h"
#include "shell/capture/MultiView.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/controls/ScaleStatic.h"

void CMultiView::AttachCalibLine() {
    AttachLiveCalibLine(
        m_calibLine, m_pLive, m_pScale,
        {[this] { return Host(); }, [this] { return GetDocument(); }, [this] { return m_nFrameWidth; }});
}

void CMultiView::ResetCalibLine() {
    ResetLiveCalibLine(m_calibLine, m_pScale);
}

int CMultiView::CalibPictureWidth() const {
    return m_pLive && m_pLive->PictureWidth() > 0 ? m_pLive->PictureWidth() : 1;
}
