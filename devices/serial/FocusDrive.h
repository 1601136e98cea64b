// CFocusDrive: the one-axis focus drives (Motor-Focus System, SZX, STM6, CT-7) as the facade sees
// them. Each holds its serial connection and answers the same operations; the facade forwards
// the second-slot value of its axes arguments to them.
#pragma once

#include "devices/serial/ControllerLink.h"

class CFocusDrive {
public:
    CFocusDrive() = default;
    virtual ~CFocusDrive() = default;

    CFocusDrive(const CFocusDrive&) = delete;
    CFocusDrive& operator=(const CFocusDrive&) = delete;

    // Stores the six communication settings and connects; drivers that keep a connection hold it
    // until Close(1).
    virtual BOOL Open(int port, int baud, int data, int parity, int stop, int flow) = 0;
    // Puts the auto-connect flag back to `autoConnect` and disconnects (drivers whose connection
    // lasts one command only close a port still open).
    virtual BOOL Close(int autoConnect) = 0;
    virtual BOOL GetPosition(int* pos) = 0;
    virtual BOOL MoveAbs(int pos) = 0;
    virtual BOOL MoveRel(int dist) = 0;
    // Direction 0 is +, 1 is -; any other code sends nothing and fails.
    virtual BOOL Jog(int dir) = 0;
    virtual BOOL Stop() = 0;
    // Waits for the end of a motion; a wait that fails stops the drive.
    virtual BOOL WaitStop() = 0;

    CSerialPort& Port() { return m_Link.port; }
    const ControllerLink& Link() const { return m_Link; }

protected:
    // Polls the position (each read on its own connection) until two readings in a row agree,
    // pausing `pauseMs` between reads: false on a failed read or after 30000 ms, and, when the
    // link was out of step since the motion was sent, when the reading is not at its target.
    bool PositionSettles(DWORD pauseMs);
    // A motion is about to be sent: to `target`, by `delta` in the program's positions, a jog.
    void NoteMove(int target);
    void NoteShift(int delta);
    void NoteJog();
    // The wait of the drives that stop by their stop command: PositionSettles, and Stop when it fails.
    BOOL WaitSettledOrStop(DWORD pauseMs);

    ControllerLink m_Link;
};
