// CMmc2Ctrl: the two-axis MMC-2 stage controller (controller type 1); axes W (both), X, Y.
// The wait for the end of a motion polls until the busy flag clears; a motion that comes to rest
// with the error or limit flag set ends the wait at once as a failure.
#pragma once

#include "devices/serial/ColonCommand.h"

class CMmc2Ctrl : public CColonTwoAxisCtrl {
public:
    // The 27-character status line: positions at 0 and 10, CR LF at 25, and the flags: 'X' at 20
    // a command error, 'L' at 22 a limit, 'B' at 24 busy.
    static bool ParseStatus(const std::string& line, ColonStatus& status);

protected:
    bool QueryStatus(ColonStatus& status) override;
    bool Busy(const ColonStatus& status) const override { return !status.ready; }
    bool StoppedShort(const ColonStatus& status) const override { return status.fault; }
    const char* StopCommand() const override { return "L:W\r\n"; }
    BOOL SendMoveAbs(int axes, int val1, int val2) override;
    BOOL SendMoveRel(int axes, int d1, int d2) override;
    BOOL SendJog(int axes, int dir1, int dir2) override;
    BOOL SendSpeed(int axes, int low, int high, int rate) override;
};
