// CQtCtrl: the QT-CD1 (controller type 6, one axis A) and QT-CM2 (type 7, axes A and B) stage
// controllers. The type is set before the open and selects the status query. In the one-axis
// use GetPosition reports 0 as the second position.
#pragma once

#include "devices/serial/ColonCommand.h"

class CQtCtrl : public CColonAbCtrl {
public:
    void SetType(int type) { m_nType = type; }
    int GetType() const { return m_nType; }

    // A status line of the one-axis (12 characters) or two-axis (23 characters) query. A line of
    // another length still counts: in the one-axis use its leading number is position A and the
    // letter before CR LF is state A (a line without that number or shorter than 3 characters
    // is refused); in the two-axis use it reports positions 0 and no state.
    static bool ParseStatus(const std::string& line, bool twoAxes, ColonStatus& status);

protected:
    bool TwoAxes() const { return m_nType == 7; }
    // The commands on an open connection.
    bool QueryStatus(ColonStatus& status) override;
    BOOL SendSpeed(int axes, int low, int high, int rate) override;

    int m_nType = 6;
};
