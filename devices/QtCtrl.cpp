#include "devices/QtCtrl.h"

BOOL CQtCtrl::Open(int port, int baud, int data, int parity, int stop, int flow) {
    m_Link.Store(port, baud, data, parity, stop, flow);
    m_Link.connected = m_Link.OpenPort();
    return m_Link.connected;
}

BOOL CQtCtrl::Close() {
    if (m_Link.connected)
        m_Link.ClosePort();
    return TRUE;
}

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

BOOL CQtCtrl::SendMoveAbs(int axes, int val1, int val2) { return SendAbMove(m_Link, "AGO:", axes, val1, val2); }
BOOL CQtCtrl::SendMoveRel(int axes, int d1, int d2) { return SendAbMove(m_Link, "MGO:", axes, d1, d2); }
BOOL CQtCtrl::SendJog(int axes, int dir1, int dir2) { return SendAbJog(m_Link, axes, dir1, dir2); }

BOOL CQtCtrl::SendSpeed(int axes, int low, int high, int rate) {
    return SendAbSpeed(m_Link, axes, ClampInt(low, 1, 50000), ClampInt(high, 1, 65000), ClampInt(rate, 1, 8000));
}

BOOL CQtCtrl::SendStop() { return m_Link.Send("L:\r\n"); }

BOOL CQtCtrl::GetPosition(int* p1, int* p2) {
    *p1 = 0;
    *p2 = 0;
    BOOL ok = FALSE;
    if (m_Link.OpenPort()) {
        ColonStatus status;
        if (QueryStatus(status)) {
            *p1 = status.pos1;
            *p2 = TwoAxes() ? status.pos2 : 0;
            ok = TRUE;
        }
    }
    m_Link.ClosePort();
    return ok;
}

BOOL CQtCtrl::MoveAbs(int axes, int val1, int val2) {
    if (axes < 0 || axes > 2)
        return FALSE;
    BOOL ok = m_Link.OpenPort() && SendMoveAbs(axes, val1, val2);
    m_Link.ClosePort();
    return ok;
}

BOOL CQtCtrl::MoveRel(int axes, int d1, int d2) {
    if (axes < 0 || axes > 2)
        return FALSE;
    BOOL ok = m_Link.OpenPort() && SendMoveRel(axes, d1, d2);
    m_Link.ClosePort();
    return ok;
}

BOOL CQtCtrl::Jog(int axes, int dir1, int dir2) {
    bool valid = (axes == 0 && (dir1 == 0 || dir1 == 1) && (dir2 == 0 || dir2 == 1)) ||
                 (axes == 1 && (dir1 == 0 || dir1 == 1)) || (axes == 2 && (dir2 == 0 || dir2 == 1));
    if (!valid)
        return FALSE;
    BOOL ok = m_Link.OpenPort() && SendJog(axes, dir1, dir2);
    m_Link.ClosePort();
    return ok;
}

BOOL CQtCtrl::SetSpeed(int axes, int low, int high, int rate) {
    if (axes < 0 || axes > 2)
        return FALSE;
    BOOL ok = m_Link.OpenPort() && SendSpeed(axes, low, high, rate);
    m_Link.ClosePort();
    return ok;
}

BOOL CQtCtrl::Stop() {
    BOOL ok = m_Link.OpenPort() && SendStop();
    m_Link.ClosePort();
    return ok;
}

BOOL CQtCtrl::WaitStop() {
    return ColonWaitStop(
        m_Link, [this](ColonStatus& s) { return QueryStatus(s); },
        [](const ColonStatus& s) { return s.state1 == 0 || s.state2 == 0; }, [this] { return Stop(); });
}
