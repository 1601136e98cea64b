#include "devices/Mmc2Ctrl.h"

#include <string>

namespace {
const char* DirSign(int dir) { return dir == 0 ? "+" : "-"; }
bool ValidDir(int dir) { return dir == 0 || dir == 1; }
} // namespace

BOOL CMmc2Ctrl::Open(int port, int baud, int data, int parity, int stop, int flow) {
    m_Link.Store(port, baud, data, parity, stop, flow);
    m_Link.connected = m_Link.OpenPort();
    return m_Link.connected;
}

BOOL CMmc2Ctrl::Close() {
    if (m_Link.connected)
        m_Link.ClosePort();
    return TRUE;
}

bool CMmc2Ctrl::ParseStatus(const std::string& line, ColonStatus& status) {
    if (line.size() != 27 || line[25] != '\r' || line[26] != '\n')
        return false;
    if (!ParseIntField(line, 0, 10, &status.pos1) || !ParseIntField(line, 10, 20, &status.pos2))
        return false;
    status.ready = line[20] != 'X' && line[22] != 'L' && line[24] != 'B';
    return true;
}

bool CMmc2Ctrl::QueryStatus(ColonStatus& status) {
    std::string line;
    if (!ColonQuery(m_Link, "Q:\r\n", line))
        return false;
    ColonStatus parsed;
    if (!ParseStatus(line, parsed))
        return false;
    status = parsed;
    return true;
}

BOOL CMmc2Ctrl::GetPosition(int* p1, int* p2) {
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

BOOL CMmc2Ctrl::MoveAbs(int axes, int val1, int val2) {
    if (axes < 0 || axes > 2)
        return FALSE;
    BOOL ok = FALSE;
    if (m_Link.OpenPort()) {
        if (axes == 0)
            ok = m_Link.SendF("A:WP%ldP%ld\r\n", static_cast<long>(val1), static_cast<long>(val2));
        else if (axes == 1)
            ok = m_Link.SendF("A:XP%ld\r\n", static_cast<long>(val1));
        else
            ok = m_Link.SendF("A:YP%ld\r\n", static_cast<long>(val2));
    }
    m_Link.ClosePort();
    return ok;
}

BOOL CMmc2Ctrl::MoveRel(int axes, int d1, int d2) {
    if (axes < 0 || axes > 2)
        return FALSE;
    BOOL ok = FALSE;
    if (m_Link.OpenPort()) {
        if (axes == 0)
            ok = m_Link.SendF("M:WP%ldP%ld\r\n", static_cast<long>(d1), static_cast<long>(d2));
        else if (axes == 1)
            ok = m_Link.SendF("M:XP%ld\r\n", static_cast<long>(d1));
        else
            ok = m_Link.SendF("M:YP%ld\r\n", static_cast<long>(d2));
        ok = ok && m_Link.Send("G:\r\n");
    }
    m_Link.ClosePort();
    return ok;
}

BOOL CMmc2Ctrl::Jog(int axes, int dir1, int dir2) {
    std::string command;
    if (axes == 0 && ValidDir(dir1) && ValidDir(dir2))
        command = std::string("J:W") + DirSign(dir1) + DirSign(dir2) + "\r\n";
    else if (axes == 1 && ValidDir(dir1))
        command = std::string("J:X") + DirSign(dir1) + "\r\n";
    else if (axes == 2 && ValidDir(dir2))
        command = std::string("J:Y") + DirSign(dir2) + "\r\n";
    else
        return FALSE;
    BOOL ok = FALSE;
    if (m_Link.OpenPort())
        ok = m_Link.Send(command.c_str()) && m_Link.Send("G:\r\n");
    m_Link.ClosePort();
    return ok;
}

BOOL CMmc2Ctrl::SetSpeed(int axes, int low, int high, int rate) {
    static const char* heads[] = {"D:WP", "D:XP", "D:YP"};
    if (axes < 0 || axes > 2)
        return FALSE;
    low = ClampInt(low, 1, 50000);
    high = ClampInt(high, 1, 65000);
    rate = ClampInt(rate, 1, 8000);
    BOOL ok = FALSE;
    if (m_Link.OpenPort())
        ok = m_Link.SendF("%s%dP%dP%d\r\n", heads[axes], low, high, rate);
    m_Link.ClosePort();
    return ok;
}

BOOL CMmc2Ctrl::Stop() {
    BOOL ok = FALSE;
    if (m_Link.OpenPort())
        ok = m_Link.Send("L:W\r\n");
    m_Link.ClosePort();
    return ok;
}

BOOL CMmc2Ctrl::WaitStop() {
    return ColonWaitStop(
        m_Link, [this](ColonStatus& s) { return QueryStatus(s); }, [](const ColonStatus& s) { return !s.ready; },
        [this] { return Stop(); });
}
