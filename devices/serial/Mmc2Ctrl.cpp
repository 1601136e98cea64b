#include "devices/serial/Mmc2Ctrl.h"

#include <string>

namespace {
const char* DirSign(int dir) { return dir == 0 ? "+" : "-"; }
} // namespace

bool CMmc2Ctrl::ParseStatus(const std::string& line, ColonStatus& status) {
    if (line.size() != 27 || line[25] != '\r' || line[26] != '\n')
        return false;
    if (!ParseIntField(line, 0, 10, &status.pos1) || !ParseIntField(line, 10, 20, &status.pos2))
        return false;
    status.ready = line[24] != 'B';
    status.fault = line[20] == 'X' || line[22] == 'L';
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

BOOL CMmc2Ctrl::SendMoveAbs(int axes, int val1, int val2) {
    if (axes == 0)
        return m_Link.SendF("A:WP%ldP%ld\r\n", static_cast<long>(val1), static_cast<long>(val2));
    if (axes == 1)
        return m_Link.SendF("A:XP%ld\r\n", static_cast<long>(val1));
    return m_Link.SendF("A:YP%ld\r\n", static_cast<long>(val2));
}

BOOL CMmc2Ctrl::SendMoveRel(int axes, int d1, int d2) {
    BOOL ok;
    if (axes == 0)
        ok = m_Link.SendF("M:WP%ldP%ld\r\n", static_cast<long>(d1), static_cast<long>(d2));
    else if (axes == 1)
        ok = m_Link.SendF("M:XP%ld\r\n", static_cast<long>(d1));
    else
        ok = m_Link.SendF("M:YP%ld\r\n", static_cast<long>(d2));
    return ok && m_Link.Send("G:\r\n");
}

BOOL CMmc2Ctrl::SendJog(int axes, int dir1, int dir2) {
    std::string command;
    if (axes == 0)
        command = std::string("J:W") + DirSign(dir1) + DirSign(dir2) + "\r\n";
    else if (axes == 1)
        command = std::string("J:X") + DirSign(dir1) + "\r\n";
    else
        command = std::string("J:Y") + DirSign(dir2) + "\r\n";
    return m_Link.Send(command.c_str()) && m_Link.Send("G:\r\n");
}

BOOL CMmc2Ctrl::SendSpeed(int axes, int low, int high, int rate) {
    static const char* heads[] = {"D:WP", "D:XP", "D:YP"};
    return m_Link.SendF("%s%dP%dP%d\r\n", heads[axes], ClampInt(low, 1, 50000), ClampInt(high, 1, 65000),
                        ClampInt(rate, 1, 8000));
}
