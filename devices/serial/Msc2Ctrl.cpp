#include "devices/serial/Msc2Ctrl.h"

bool CMsc2Ctrl::ParseStatus(const std::string& line, ColonStatus& status) { return ParseAbStatus(line, status); }

bool CMsc2Ctrl::QueryStatus(ColonStatus& status) {
    std::string line;
    return ColonQuery(m_Link, "Q:0\r\n", line) && ParseStatus(line, status);
}

BOOL CMsc2Ctrl::SendSpeed(int axes, int low, int high, int rate) {
    return SendAbSpeed(m_Link, axes, ClampInt(low, 10, 50000), ClampInt(high, 10, 50000), ClampInt(rate, 1, 1000));
}
