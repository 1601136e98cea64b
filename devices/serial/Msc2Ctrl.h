// CMsc2Ctrl: the two-axis MS-C2 stage controller (controller type 2); axes A and B.
#pragma once

#include "devices/serial/ColonCommand.h"

class CMsc2Ctrl : public CColonAbCtrl {
public:
    // The 23-character status line: position A in 0..8 and its state letter at 9, position B in
    // 11..19 and its state at 20, CR LF at 21.
    static bool ParseStatus(const std::string& line, ColonStatus& status);

protected:
    bool QueryStatus(ColonStatus& status) override;
    BOOL SendSpeed(int axes, int low, int high, int rate) override;
};
