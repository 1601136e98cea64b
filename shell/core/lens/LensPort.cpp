#include "shell/core/lens/LensPort.h"

#include "devices/serial/XyTblCtrl.h"
#include "platform/ProgramHelpers.h"
#include "platform/WindowMessages.h"

void CLensPort::Open(int portNumber) {
    m_portNumber = portNumber;
    if (m_port.IsOpen())
        m_port.Close();
    m_port.Open(m_portNumber, 6, 0, 0, 1, 0);
}

void CLensPort::Close() {
    if (m_port.IsOpen())
        m_port.Close();
}

int CLensPort::ReadLensState(int* lens, double* zoom) {
    if (!m_port.IsOpen()) {
        Open(m_portNumber); // the next poll reads; the UI thread never waits a second here
        return 0;
    }
    COMSTAT status{};
    m_port.ClearError(&status);
    if (status.cbInQue == 0)
        return 0;
    BYTE buffer[257] = {};
    const int n = m_port.Read(buffer, sizeof buffer);
    if (n > 0) {
        DecodeLensZoomByte(buffer[n - 1], *lens, *zoom);
        return 1;
    }
    if (n == -1)
        Open(m_portNumber);
    return 0;
}

void CLensPort::PollTo(HWND window) {
    int lens = -1;
    double zoom = -1.0;
    if (ReadLensState(&lens, &zoom) == 1 && window)
        SendMessage(window, WM_LENS_STATE, static_cast<WPARAM>(lens), static_cast<LPARAM>(zoom * 10));
}

bool CLensPort::FollowView(int controller, int portNumber, bool active) {
    if (controller != CTRL_MII)
        return false;
    if (!active) {
        Close();
        return false;
    }
    Open(portNumber);
    return true;
}
