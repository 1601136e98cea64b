// CHiroxCT7Ctrl: the CT-7 single-axis focus controller (controller type 8). Commands are
// "@<word> 1 ..." lines; motion runs in remote mode with the program's move speeds swapped into
// the controller's speed parameters 04 and 07, and the controller's own set put back afterwards.
// The controller's parameters are its own data: only a move set given by SetSpeed is ever
// written into them, and only the set read from the controller is written back. Before the
// first successful SetSpeed a motion runs at the controller's own speeds.
// The program's position is the negated controller position.
#pragma once

#include "devices/serial/FocusDrive.h"

struct Ct7SpeedSet {
    int low = 0;  // parameter 05
    int high = 0; // parameter 04
    int rate = 0; // parameter 07
};

class CHiroxCT7Ctrl : public CFocusDrive {
public:
    CHiroxCT7Ctrl();
    BOOL Open(int port, int baud, int data, int parity, int stop, int flow) override;
    BOOL Close(int autoConnect) override;
    BOOL GetPosition(int* pos) override;
    BOOL MoveAbs(int pos) override;
    BOOL MoveRel(int dist) override;
    BOOL MoveJog(int dir);
    // Reads the controller's own speed set, then keeps (low, high, rate) as the move set.
    BOOL SetSpeed(int low, int high, int rate);
    // Stops a jog (only a jog: a move runs to its target).
    BOOL MoveSlowStop();
    // Polls the position every 30 ms until it settles, then puts the controller's own speed set
    // back. A wait that fails stops whatever moves (a move or a jog).
    BOOL WaitStop() override;
    BOOL Jog(int dir) override { return MoveJog(dir); }
    BOOL Stop() override { return MoveSlowStop(); }
    bool IsJogging() const { return m_bJog != 0; }
    bool IsSpeedChanged() const { return m_bSpeedChanged != 0; }
    Ct7SpeedSet NormalSpeed() const { return m_Normal; }
    Ct7SpeedSet MoveSpeed() const { return m_Move; }

private:
    void OpenPort();
    void ClosePort();
    BOOL ChangeRemoteMode(BOOL on);
    // Sends `command` and reads the line that begins with `prefix` (ControllerLink::
    // QueryPrefixed); the text after it, which must not be empty.
    BOOL QueryStatus(const char* command, const char* prefix, std::string& out);
    BOOL EnsureRemote();
    BOOL SetAbsolute(int n);
    BOOL SetMove(int n);
    BOOL SetJog(int dir);
    BOOL SetDefine(int a, int b, int c);
    BOOL SetLatch();
    BOOL QueryPosition(int* controllerPos);
    BOOL ReadParameter(const char* number, int* value);
    // On the open connection: writes the move set into parameters 04 and 07 when one was given
    // (the controller then holds it); TRUE when nothing needed writing or it was sent.
    BOOL SwapInMoveSet();
    // On the open connection: puts the controller's own set back when it holds the move set.
    void RestoreNormalSet();
    // On the open connection: latch, put the controller's own speed set back.
    void StopAndRestore();

    BOOL m_bRemote = FALSE;
    BOOL m_bJog = FALSE;
    Ct7SpeedSet m_Normal;
    Ct7SpeedSet m_Move;
    BOOL m_bSpeedChanged = FALSE;
    bool m_bNormalKnown = false;
    bool m_bMoveKnown = false;
};
