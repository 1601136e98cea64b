// CMsc2Ctrl: the two-axis MS-C2 stage controller (controller type 2); axes A and B.
#pragma once

#include "devices/ColonCommand.h"

class CMsc2Ctrl : public CColonTwoAxisCtrl {
public:
    // The 23-character status line: position A in 0..8 and its state letter at 9, position B in
    // 11..19 and its state at 20, CR LF at 21.
    static bool ParseStatus(const std::string& line, ColonStatus& status);

protected:
    bool QueryStatus(ColonStatus& status) override;
    bool Busy(const ColonStatus& status) const override { return ColonAbBusy(status); }
    const char* StopCommand() const override { return "L:\r\n"; }
    BOOL SendMoveAbs(int axes, int val1, int val2) override { return SendAbMove(m_Link, "AGO:", axes, val1, val2); }
    BOOL SendMoveRel(int axes, int d1, int d2) override { return SendAbMove(m_Link, "MGO:", axes, d1, d2); }
    BOOL SendJog(int axes, int dir1, int dir2) override { return SendAbJog(m_Link, axes, dir1, dir2); }
    BOOL SendSpeed(int axes, int low, int high, int rate) override;
};
