#include "devices/Pat001.h"

#include <cstdlib>

BOOL CPAT_001::Open(int port, int baud, int data, int parity, int stop, int flow) {
    m_Link.Store(port, baud, data, parity, stop, flow);
    m_Link.connected = m_Link.OpenPort();
    return m_Link.connected;
}

BOOL CPAT_001::Close() {
    if (m_Link.connected)
        m_Link.ClosePort();
    return TRUE;
}

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
    s.ready = line[11] != 'X' && line[13] != 'L' && line[15] != 'B';
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

BOOL CPAT_001::GetPosition(int* pos) {
    *pos = 0;
    BOOL ok = FALSE;
    if (m_Link.OpenPort()) {
        ColonStatus status;
        if (QueryStatus(status)) {
            *pos = status.pos1;
            ok = TRUE;
        }
    }
    m_Link.ClosePort();
    return ok;
}

BOOL CPAT_001::MoveAbs(int pos) {
    BOOL ok = FALSE;
    if (m_Link.OpenPort()) {
        SendSpeedSet(m_nStart, m_nTravel, m_nRate);
        ok = m_Link.SendF("A:1%sP%ld\r\n", pos >= 0 ? "+" : "-", std::labs(static_cast<long>(pos))) &&
             m_Link.Send("G:\r\n");
    }
    m_Link.ClosePort();
    return ok;
}

BOOL CPAT_001::MoveRel(int dist) {
    if (dist == 0)
        return TRUE; // nothing to move
    BOOL ok = FALSE;
    if (m_Link.OpenPort()) {
        SendSpeedSet(m_nStart, m_nTravel, m_nRate);
        ok = m_Link.SendF("M:1%sP%ld\r\n", dist > 0 ? "+" : "-", std::labs(static_cast<long>(dist))) &&
             m_Link.Send("G:\r\n");
    }
    m_Link.ClosePort();
    return ok;
}

BOOL CPAT_001::Jog(int dir) {
    if (dir != 0 && dir != 1)
        return FALSE;
    BOOL ok = FALSE;
    if (m_Link.OpenPort()) {
        SendSpeedSet(m_nStart, m_nTravel, m_nRate);
        ok = m_Link.Send(dir == 0 ? "J:1+\r\n" : "J:1-\r\n") && m_Link.Send("G:\r\n");
    }
    m_Link.ClosePort();
    return ok;
}

BOOL CPAT_001::SetSpeed(int start, int travel, int rate) {
    start = ClampInt(start, 100, 20000);
    travel = ClampInt(travel, 100, 20000);
    rate = ClampInt(rate, 0, 1000);
    BOOL ok = m_Link.OpenPort() && SendSpeedSet(start, travel, rate);
    m_Link.ClosePort();
    if (ok) {
        m_nStart = start;
        m_nTravel = travel;
        m_nRate = rate;
    }
    return ok;
}

BOOL CPAT_001::Origin() {
    BOOL ok = m_Link.OpenPort() && m_Link.Send("R:1\r\n");
    m_Link.ClosePort();
    return ok;
}

BOOL CPAT_001::Stop() {
    BOOL ok = m_Link.OpenPort() && m_Link.Send("L:1\r\n");
    m_Link.ClosePort();
    return ok;
}

BOOL CPAT_001::WaitStop() {
    return ColonWaitStop(
        m_Link, [this](ColonStatus& s) { return QueryStatus(s); }, [](const ColonStatus& s) { return !s.ready; },
        [this] { return Stop(); });
}
