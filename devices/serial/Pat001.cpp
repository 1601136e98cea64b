#include "devices/serial/Pat001.h"

#include <cstdio>
#include <cstdlib>

bool CPAT_001::ParseStatus(const std::string& line, ColonStatus& status) {
    if (line.size() != 18 || line[16] != '\r' || line[17] != '\n')
        return false;
    std::string digits;
    for (size_t i = 0; i < 10; ++i)
        if (line[i] != ' ')
            digits.push_back(line[i]);
    ColonStatus s;
    if (!ParseIntField(digits, 0, digits.size(), &s.pos1))
        return false;
    s.ready = line[15] != 'B';
    s.fault = line[11] == 'X' || line[13] == 'L';
    status = s;
    return true;
}

bool CPAT_001::QueryStatus(ColonStatus& status) {
    std::string line;
    return ColonQuery(m_Link, "Q:\r\n", line) && ParseStatus(line, status);
}

BOOL CPAT_001::SendSpeedSet(int start, int travel, int rate) {
    return m_Link.SendF("D:1S%dF%dR%d\r\n", start, travel, rate) && m_Link.SendF("S:J%d\r\n", start);
}

BOOL CPAT_001::SendMotion(const char* command) {
    return OnPort([&] {
        SendSpeedSet(m_nStart, m_nTravel, m_nRate);
        return m_Link.Send(command) && m_Link.Send("G:\r\n");
    });
}

BOOL CPAT_001::GetPosition(int* pos) {
    *pos = 0;
    ColonStatus status;
    if (!ReadStatus(status))
        return FALSE;
    *pos = status.pos1;
    return TRUE;
}

namespace {
// "<head><sign>P<magnitude>\r\n"; `plus` picks the sign.
std::string SignedMove(const char* head, bool plus, int value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s%sP%ld\r\n", head, plus ? "+" : "-", std::labs(static_cast<long>(value)));
    return buffer;
}
} // namespace

BOOL CPAT_001::MoveAbs(int pos) {
    m_Link.BeginMotion();
    m_Link.MoveSentAbs(0, pos);
    return SendMotion(SignedMove("A:1", pos >= 0, pos).c_str());
}

BOOL CPAT_001::MoveRel(int dist) {
    if (dist == 0)
        return TRUE; // nothing to move
    m_Link.BeginMotion();
    m_Link.MoveSentRel(0, dist);
    return SendMotion(SignedMove("M:1", dist > 0, dist).c_str());
}

BOOL CPAT_001::Jog(int dir) {
    if (dir != 0 && dir != 1)
        return FALSE;
    m_Link.BeginMotion();
    m_Link.MoveSentJog(0);
    return SendMotion(dir == 0 ? "J:1+\r\n" : "J:1-\r\n");
}

BOOL CPAT_001::SetSpeed(int start, int travel, int rate) {
    start = ClampInt(start, 100, 20000);
    travel = ClampInt(travel, 100, 20000);
    rate = ClampInt(rate, 0, 1000);
    BOOL ok = OnPort([&] { return SendSpeedSet(start, travel, rate); });
    if (ok) {
        m_nStart = start;
        m_nTravel = travel;
        m_nRate = rate;
    }
    return ok;
}

BOOL CPAT_001::Origin() {
    m_Link.BeginMotion();
    m_Link.MoveSentAbs(0, 0);
    return OnPort([this] { return m_Link.Send("R:1\r\n"); });
}
