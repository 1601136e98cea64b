#include "devices/Msc2Ctrl.h"

BOOL CMsc2Ctrl::Open(int port, int baud, int data, int parity, int stop, int flow) {
    m_Link.Store(port, baud, data, parity, stop, flow);
    m_Link.connected = m_Link.OpenPort();
    return m_Link.connected;
}

BOOL CMsc2Ctrl::Close() {
    if (m_Link.connected)
        m_Link.ClosePort();
    return TRUE;
}

bool CMsc2Ctrl::ParseStatus(const std::string& line, ColonStatus& status) { return ParseAbStatus(line, status); }

bool CMsc2Ctrl::QueryStatus(ColonStatus& status) {
    std::string line;
    return ColonQuery(m_Link, "Q:0\r\n", line) && ParseStatus(line, status);
}

BOOL CMsc2Ctrl::GetPosition(int* p1, int* p2) {
    *p1 = 0;
    *p2 = 0;
    BOOL ok = FALSE;
    if (m_Link.OpenPort()) {
        ColonStatus status;
        if (QueryStatus(status)) {
            *p1 = status.pos1;
            *p2 = status.pos2;
            ok = TRUE;
        }
    }
    m_Link.ClosePort();
    return ok;
}

BOOL CMsc2Ctrl::MoveAbs(int axes, int val1, int val2) {
    if (axes < 0 || axes > 2)
        return FALSE;
    BOOL ok = m_Link.OpenPort() && SendAbMove(m_Link, "AGO:", axes, val1, val2);
    m_Link.ClosePort();
    return ok;
}

BOOL CMsc2Ctrl::MoveRel(int axes, int d1, int d2) {
    if (axes < 0 || axes > 2)
        return FALSE;
    BOOL ok = m_Link.OpenPort() && SendAbMove(m_Link, "MGO:", axes, d1, d2);
    m_Link.ClosePort();
    return ok;
}

BOOL CMsc2Ctrl::Jog(int axes, int dir1, int dir2) {
    bool valid = (axes == 0 && (dir1 == 0 || dir1 == 1) && (dir2 == 0 || dir2 == 1)) ||
                 (axes == 1 && (dir1 == 0 || dir1 == 1)) || (axes == 2 && (dir2 == 0 || dir2 == 1));
    if (!valid)
        return FALSE;
    BOOL ok = m_Link.OpenPort() && SendAbJog(m_Link, axes, dir1, dir2);
    m_Link.ClosePort();
    return ok;
}

BOOL CMsc2Ctrl::SetSpeed(int axes, int low, int high, int rate) {
    if (axes < 0 || axes > 2)
        return FALSE;
    low = ClampInt(low, 10, 50000);
    high = ClampInt(high, 10, 50000);
    rate = ClampInt(rate, 1, 1000);
    BOOL ok = m_Link.OpenPort() && SendAbSpeed(m_Link, axes, low, high, rate);
    m_Link.ClosePort();
    return ok;
}

BOOL CMsc2Ctrl::Stop() {
    BOOL ok = m_Link.OpenPort() && m_Link.Send("L:\r\n");
    m_Link.ClosePort();
    return ok;
}

BOOL CMsc2Ctrl::WaitStop() {
    return ColonWaitStop(
        m_Link, [this](ColonStatus& s) { return QueryStatus(s); },
        [](const ColonStatus& s) { return s.state1 == 0 || s.state2 == 0; }, [this] { return Stop(); });
}
