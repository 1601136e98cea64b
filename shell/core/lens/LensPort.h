// The lens port of a zoom microscope: a serial line on which the microscope sends one state byte
// (lens number and zoom) whenever they change. The capture view and the Vossa live view poll it
// once a second while they are active.
#pragma once

#include "devices/serial/SerialPort.h"
#include "platform/WinTypes.h"

// The lens state sent to the main window: wParam the lens number, lParam the zoom × 10.
constexpr UINT WM_LENS_STATE = 0x541;

class CLensPort {
public:
    // Opens (or reopens) the port of this number at the microscope's line settings.
    void Open(int portNumber);
    void Close();
    bool IsOpen() const { return m_port.IsOpen(); }
    // One poll: 1 when a state byte was waiting (the last one counts), with the lens number and
    // zoom it gives; 0 otherwise. A closed port is reopened for the next poll without waiting; a
    // failed read reopens it.
    int ReadLensState(int* lens, double* zoom);
    // One poll of the lens timer: a state read is sent to the window as WM_LENS_STATE.
    void PollTo(HWND window);
    // A view's activation with a microscope on the lens port (controller type 9): an active view
    // opens the port, an inactive one closes it. True when the view's lens timer is to run; other
    // controllers leave the port as it is.
    bool FollowView(int controller, int portNumber, bool active);

private:
    CSerialPort m_port;
    int m_portNumber = 1;
};
