// Pieces shared by the drivers of the colon-command stage controllers: the status of a query,
// the state letters, the speed clamps and the status-polling wait.
#pragma once

#include "devices/serial/ControllerLink.h"

#include <functional>

// Result of a status query. Axes that were not polled, and unknown state letters, have state -1
// (only state 0 counts as driving).
struct ColonStatus {
    int pos1 = 0;
    int pos2 = 0;
    int state1 = -1;
    int state2 = -1;
    bool ready = false; // MMC-2 and PAT-001: the busy flag is clear (the axes are at rest)
    bool fault = false; // MMC-2 and PAT-001: the error or the limit flag is set
};

// 'D' 0 (driving), 'E' 1, 'H' 2, 'L' 3, 'K' 4, 'C' 5; anything else -1.
int ColonStateOfLetter(char c);

int ClampInt(int value, int low, int high);

// Writes a status query and reads its line (ControllerLink::Query: nothing that came before the
// query, nor a late reply to an earlier one, is taken for its line). False when the query could
// not be written or no complete line came within the reply time; `link.answered` tells whether a
// line came.
bool ColonQuery(ControllerLink& link, const char* query, std::string& line);

// The wait for the end of a motion by status polling, on one connection: samples the abort
// keys once to discard earlier presses, opens the port (a port that cannot be opened fails at
// once), queries while a reply line is unusable or `busy` says the axis moves, and fails on an
// abort key, after 30000 ms, or when two queries in a row bring no line at all (the line is gone,
// or the controller answers later than the reply time); then `stop` is called after the port was
// closed. A query after one without a line first waits for the owed reply (ControllerLink::
// lentMs), within two reply times and what is left of the 30000 ms. A motion that came to rest with
// `stoppedShort` true (a limit, an error, or not at its target after the link was out of step) fails too, at
// once and without `stop`: the axes are already at rest, but not where they were sent. `query`
// fills the status and returns whether the line was usable. `last` gets the last status.
BOOL ColonWaitStop(ControllerLink& link, const std::function<bool(ColonStatus&)>& query,
                   const std::function<bool(const ColonStatus&)>& busy,
                   const std::function<bool(const ColonStatus&)>& stoppedShort,
                   const std::function<BOOL()>& stop, ColonStatus* last = nullptr);

// Commands of the controllers with axes A and B (MS-C2, QT, MⅡ), on an open connection.
// `head` is "AGO:" or "MGO:"; axes 0 both, 1 A, 2 B; any other axes code sends nothing.
BOOL SendAbMove(ControllerLink& link, const char* head, int axes, int val1, int val2);
// "JGO:A+B-" and the one-axis forms; direction codes other than 0 and 1 send nothing.
BOOL SendAbJog(ControllerLink& link, int axes, int dir1, int dir2);
// "D:A" / "D:B" with "%d,%d,%d" (already clamped); axes 0 sends the A command, then the B one.
BOOL SendAbSpeed(ControllerLink& link, int axes, int low, int high, int rate);

// The 23-character two-axis line: position A in 0..8, state A at 9, position B in 11..19, state
// B at 20, CR LF at 21.
bool ParseAbStatus(const std::string& line, ColonStatus& status);

// Base of the colon-command drivers: the stored connection, the facade's open and close, and the
// open-command-close round every command makes on its own connection.
class CColonCtrl {
public:
    virtual ~CColonCtrl() = default;

    BOOL Open(int port, int baud, int data, int parity, int stop, int flow);
    BOOL Close();
    BOOL Stop();
    // ColonWaitStop with the driver's status; after the link was out of step since the motion
    // was sent, the axes must also have come to rest at their targets.
    BOOL WaitStop();

    CSerialPort& Port() { return m_Link.port; }
    const ControllerLink& Link() const { return m_Link; }

protected:
    // Begins a command round, runs `body` when the connection is there and ends the round; TRUE
    // when both the connection and `body` succeeded.
    template <class Body>
    BOOL OnPort(Body&& body) {
        BOOL ok = BeginRound() && body();
        EndRound();
        return ok;
    }
    // A round opens the port and closes it again afterwards.
    virtual bool BeginRound() { return m_Link.OpenPort(); }
    virtual void EndRound() { m_Link.ClosePort(); }
    // One status query on its own connection.
    bool ReadStatus(ColonStatus& status) {
        return OnPort([&] { return QueryStatus(status); });
    }

    // Writes the status query and parses its line, on an open connection.
    virtual bool QueryStatus(ColonStatus& status) = 0;
    // Whether a parsed status says an axis still moves.
    virtual bool Busy(const ColonStatus& status) const = 0;
    // Whether a status at rest says the motion ended before its target (at a limit, on an error).
    virtual bool StoppedShort(const ColonStatus&) const { return false; }
    virtual const char* StopCommand() const = 0;

    ControllerLink m_Link;
};

// The colon-command drivers with two axes and the facade's axes codes: 0 both, 1 the first,
// 2 the second. Each command is checked, then sent on its own connection.
class CColonTwoAxisCtrl : public CColonCtrl {
public:
    BOOL GetPosition(int* p1, int* p2);
    BOOL MoveAbs(int axes, int val1, int val2);
    BOOL MoveRel(int axes, int d1, int d2);
    // Direction 0 is +, 1 is -; the directions of the moved axes must be one of those.
    BOOL Jog(int axes, int dir1, int dir2);
    BOOL SetSpeed(int axes, int low, int high, int rate);

protected:
    // Notes a motion of the axes code `axes` for the wait: `note` for each axis it moves.
    void NoteMotion(int axes, const std::function<void(int axis)>& note);
    // The commands on an open connection, with axes and directions already checked.
    virtual BOOL SendMoveAbs(int axes, int val1, int val2) = 0;
    virtual BOOL SendMoveRel(int axes, int d1, int d2) = 0;
    virtual BOOL SendJog(int axes, int dir1, int dir2) = 0;
    // Clamps the values to the controller's ranges and sends them.
    virtual BOOL SendSpeed(int axes, int low, int high, int rate) = 0;
};

// The two-axis drivers of the A/B command set (MS-C2, QT): "AGO:", "MGO:", "JGO:" moves, "L:"
// stop, and driving while either polled axis reports state 0.
class CColonAbCtrl : public CColonTwoAxisCtrl {
protected:
    bool Busy(const ColonStatus& status) const override { return status.state1 == 0 || status.state2 == 0; }
    const char* StopCommand() const override { return "L:\r\n"; }
    BOOL SendMoveAbs(int axes, int val1, int val2) override { return SendAbMove(m_Link, "AGO:", axes, val1, val2); }
    BOOL SendMoveRel(int axes, int d1, int d2) override { return SendAbMove(m_Link, "MGO:", axes, d1, d2); }
    BOOL SendJog(int axes, int dir1, int dir2) override { return SendAbJog(m_Link, axes, dir1, dir2); }
};
