#include "devices/serial/QtCtrl.h"

bool CQtCtrl::ParseStatus(const std::string& line, bool twoAxes, ColonStatus& status) {
    status = ColonStatus{};
    size_t expected = twoAxes ? 23 : 12;
    bool crlf = line.size() >= 2 && line[line.size() - 2] == '\r' && line[line.size() - 1] == '\n';
    if (line.size() == expected && crlf) {
        if (twoAxes)
            return ParseAbStatus(line, status);
        ColonStatus s;
        if (!ParseIntField(line, 0, 9, &s.pos1))
            return false;
        s.state1 = ColonStateOfLetter(line[9]);
        status = s;
        return true;
    }
    if (twoAxes)
        return true; // positions 0, no state
    // One-axis line of another length: the number before the state letter, the letter before
    // CR LF.
    if (!crlf || line.size() < 3)
        return false;
    ColonStatus s;
    if (!ParseIntField(line, 0, line.size() - 3, &s.pos1))
        return false;
    s.state1 = ColonStateOfLetter(line[line.size() - 3]);
    status = s;
    return true;
}

bool CQtCtrl::QueryStatus(ColonStatus& status) {
    std::string line;
    return ColonQuery(m_Link, TwoAxes() ? "Q:A0B0\r\n" : "Q:A0\r\n", line) && ParseStatus(line, TwoAxes(), status);
}

BOOL CQtCtrl::SendSpeed(int axes, int low, int high, int rate) {
    return SendAbSpeed(m_Link, axes, ClampInt(low, 1, 50000), ClampInt(high, 1, 65000), ClampInt(rate, 1, 8000));
}
