// CPAT_001: a one-axis controller (axis "1") of the colon-command language. No controller type
// selects it; it is kept for stages wired to it directly. Its wait works like the MMC-2's: until
// the busy flag clears, failing at once when the motion came to rest at a limit or on an error.
#pragma once

#include "devices/serial/ColonCommand.h"

class CPAT_001 : public CColonCtrl {
public:
    BOOL GetPosition(int* pos);
    BOOL MoveAbs(int pos);
    BOOL MoveRel(int dist);
    BOOL Jog(int dir);
    // Start and travel speed 100..20000, rate 0..1000; the set is kept only when both the speed
    // and the jog-speed command were sent.
    BOOL SetSpeed(int start, int travel, int rate);
    BOOL Origin();

    // The 18-character status line: position in 0..9 (blanks removed), the flags 'X' (error) at
    // 11, 'L' (limit) at 13 and 'B' (busy) at 15, CR LF at 16.
    static bool ParseStatus(const std::string& line, ColonStatus& status);

protected:
    bool QueryStatus(ColonStatus& status) override;
    bool Busy(const ColonStatus& status) const override { return !status.ready; }
    bool StoppedShort(const ColonStatus& status) const override { return status.fault; }
    const char* StopCommand() const override { return "L:1\r\n"; }

private:
    BOOL SendSpeedSet(int start, int travel, int rate);
    // A motion command goes out after the kept speed set and is started with "G:".
    BOOL SendMotion(const char* command);

    int m_nStart = 500;
    int m_nTravel = 5000;
    int m_nRate = 100;
};
