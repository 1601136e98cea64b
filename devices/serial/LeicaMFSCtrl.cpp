#include "devices/serial/LeicaMFSCtrl.h"

BOOL CLeicaMFSCtrl::Open(int port, int baud, int data, int parity, int stop, int flow) {
    return m_Link.StoreAndTry(port, baud, data, parity, stop, flow);
}

BOOL CLeicaMFSCtrl::Close(int /*autoConnect*/) {
    m_Link.CloseIfConnected();
    return TRUE;
}

bool CLeicaMFSCtrl::ParsePosition(const std::string& line, int* controllerPos) {
    size_t end = line.size();
    while (end > 0 && (line[end - 1] == '\n' || line[end - 1] == '\r'))
        --end;
    if (end < 7)
        return false;
    return ParseIntField(line, 6, end, controllerPos);
}

BOOL CLeicaMFSCtrl::GetPosition(int* pos) {
    *pos = 0;
    BOOL ok = FALSE;
    if (m_Link.OpenPort()) {
        std::string line;
        int controller = 0;
        if (m_Link.Query("70032\r\n", line) && ParsePosition(line, &controller)) {
            *pos = -controller;
            ok = TRUE;
        }
    }
    m_Link.ClosePort();
    return ok;
}

BOOL CLeicaMFSCtrl::MoveAbs(int pos) {
    NoteMove(pos);
    BOOL ok = m_Link.OpenPort() && m_Link.SendF("70030 %ld\r\n", -static_cast<long>(pos));
    m_Link.ClosePort();
    return ok;
}

BOOL CLeicaMFSCtrl::MoveRel(int dist) {
    NoteShift(-dist); // the controller counts the other way
    BOOL ok = m_Link.OpenPort() && m_Link.SendF("70031 %ld\r\n", static_cast<long>(dist));
    m_Link.ClosePort();
    return ok;
}

BOOL CLeicaMFSCtrl::Jog(int dir) {
    if (dir != 0 && dir != 1)
        return FALSE;
    NoteJog();
    BOOL ok = m_Link.OpenPort() && m_Link.Send(dir == 0 ? "70010\r\n" : "70011\r\n");
    m_Link.ClosePort();
    return ok;
}

BOOL CLeicaMFSCtrl::Stop() {
    BOOL ok = m_Link.OpenPort() && m_Link.Send("70012\r\n");
    m_Link.ClosePort();
    return ok;
}

BOOL CLeicaMFSCtrl::WaitStop() { return WaitSettledOrStop(0); }
