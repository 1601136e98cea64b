#include "devices/serial/HiroxCT7Ctrl.h"

#include "platform/Time.h"

#include <string>

namespace {
constexpr DWORD kPollPauseMs = 30;
const char kPositionReply[] = "@POS  1 ABS=";
const char kParameterReply[] = "SYS  1 ";
} // namespace

CHiroxCT7Ctrl::CHiroxCT7Ctrl() {
    // Either reply word tells its answer from a late reply of the other query.
    m_Link.tellingQueries = {{"@SYS 1 05 ?\r\n", kParameterReply}, {"@POS 1 ?\r\n", kPositionReply}};
}

void CHiroxCT7Ctrl::OpenPort() {
    if (!m_Link.AutoConnect() || m_Link.connected)
        return;
    m_Link.connected = m_Link.OpenPort();
    if (m_Link.connected)
        m_Link.Send("\r\n");
}

void CHiroxCT7Ctrl::ClosePort() {
    if (!m_Link.AutoConnect())
        return;
    if (m_Link.connected) {
        if (m_bRemote) {
            ChangeRemoteMode(FALSE);
            m_bRemote = FALSE;
        }
        m_Link.ClosePort();
    }
    m_Link.connected = FALSE;
}

BOOL CHiroxCT7Ctrl::ChangeRemoteMode(BOOL on) { return m_Link.Send(on ? "@MOD 1\r\n" : "@MOD 0\r\n"); }

BOOL CHiroxCT7Ctrl::QueryStatus(const char* command, const char* prefix, std::string& out) {
    return m_Link.QueryPrefixed(command, prefix, out) && !out.empty();
}

BOOL CHiroxCT7Ctrl::EnsureRemote() {
    if (!m_bRemote)
        m_bRemote = ChangeRemoteMode(TRUE);
    return m_bRemote;
}

BOOL CHiroxCT7Ctrl::SetAbsolute(int n) {
    EnsureRemote();
    return m_Link.SendF("@PTP 1 8000H %d\r\n", n);
}

BOOL CHiroxCT7Ctrl::SetMove(int n) {
    EnsureRemote();
    return m_Link.SendF("@PTP 1 0 %d\r\n", n);
}

BOOL CHiroxCT7Ctrl::SetJog(int dir) {
    if (dir != 0 && dir != 1)
        return FALSE;
    EnsureRemote();
    return m_Link.Send(dir == 0 ? "@JGF 1\r\n" : "@JGR 1\r\n");
}

BOOL CHiroxCT7Ctrl::SwapInMoveSet() {
    if (!m_bMoveKnown)
        return TRUE; // no move set given: the controller moves at its own speeds
    BOOL sent = SetDefine(m_Move.low, m_Move.high, m_Move.rate);
    m_bSpeedChanged = TRUE;
    return sent;
}

void CHiroxCT7Ctrl::RestoreNormalSet() {
    if (m_bSpeedChanged && m_bNormalKnown)
        SetDefine(m_Normal.low, m_Normal.high, m_Normal.rate);
    m_bSpeedChanged = FALSE;
}

BOOL CHiroxCT7Ctrl::SetDefine(int a, int b, int c) {
    BOOL first = m_Link.SendF("@SYS 1 04 %d, %d\r\n", b, a);
    BOOL second = m_Link.SendF("@SYS 1 07 %d, %d\r\n", c, c);
    return first && second;
}

BOOL CHiroxCT7Ctrl::SetLatch() {
    EnsureRemote();
    return m_Link.Send("@DCL 1\r\n");
}

BOOL CHiroxCT7Ctrl::QueryPosition(int* controllerPos) {
    std::string rest;
    if (!QueryStatus("@POS 1 ?\r\n", kPositionReply, rest))
        return FALSE;
    return FindFirstInt(rest, 0, controllerPos) ? TRUE : FALSE;
}

BOOL CHiroxCT7Ctrl::ReadParameter(const char* number, int* value) {
    std::string rest;
    const std::string command = std::string("@SYS 1 ") + number + " ?\r\n";
    if (!QueryStatus(command.c_str(), kParameterReply, rest))
        return FALSE;
    return FindFirstInt(rest, 0, value) ? TRUE : FALSE;
}

BOOL CHiroxCT7Ctrl::Open(int port, int baud, int data, int parity, int stop, int flow) {
    m_Link.Store(port, baud, data, parity, stop, flow);
    OpenPort();
    m_Link.port.SetAutoConnect(0);
    return m_Link.connected;
}

BOOL CHiroxCT7Ctrl::Close(int autoConnect) {
    m_Link.port.SetAutoConnect(autoConnect);
    ClosePort();
    return TRUE;
}

BOOL CHiroxCT7Ctrl::GetPosition(int* pos) {
    *pos = 0;
    OpenPort();
    BOOL ok = FALSE;
    if (m_Link.connected) {
        int controller = 0;
        ok = QueryPosition(&controller);
        if (ok)
            *pos = -controller;
    }
    ClosePort();
    return ok;
}

BOOL CHiroxCT7Ctrl::SetSpeed(int low, int high, int rate) {
    OpenPort();
    BOOL ok = FALSE;
    if (m_Link.connected) {
        // While the controller still holds the move set, reading it back would take the move set
        // for the controller's own one: put the own set back first.
        RestoreNormalSet();
        Ct7SpeedSet normal;
        ok = ReadParameter("05", &normal.low) && ReadParameter("04", &normal.high) &&
             ReadParameter("07", &normal.rate);
        if (ok) {
            m_Normal = normal;
            m_bNormalKnown = true;
        }
    }
    ClosePort();
    if (!ok)
        return FALSE;
    m_Move = Ct7SpeedSet{low, high, rate};
    m_bMoveKnown = true;
    return TRUE;
}

BOOL CHiroxCT7Ctrl::MoveAbs(int pos) {
    OpenPort();
    BOOL ok = FALSE;
    if (m_Link.connected) {
        NoteMove(pos);
        BOOL speed = SwapInMoveSet();
        BOOL move = SetAbsolute(-pos);
        ok = speed && move;
    }
    ClosePort();
    return ok;
}

BOOL CHiroxCT7Ctrl::MoveRel(int dist) {
    OpenPort();
    BOOL ok = FALSE;
    if (m_Link.connected) {
        NoteShift(-dist); // the controller counts the other way
        BOOL speed = SwapInMoveSet();
        BOOL move = SetMove(dist);
        ok = speed && move;
    }
    ClosePort();
    return ok;
}

BOOL CHiroxCT7Ctrl::MoveJog(int dir) {
    if (m_bJog || (dir != 0 && dir != 1))
        return FALSE;
    OpenPort();
    if (m_Link.connected) {
        NoteJog();
        BOOL speed = SwapInMoveSet();
        if (SetJog(dir) && speed) {
            m_bJog = TRUE;
            return TRUE; // the port stays open for the stop
        }
    }
    ClosePort();
    return FALSE;
}

BOOL CHiroxCT7Ctrl::MoveSlowStop() {
    if (!m_bJog)
        return FALSE;
    BOOL latched = SetLatch();
    RestoreNormalSet();
    ClosePort();
    if (!latched)
        return FALSE;
    m_bJog = FALSE;
    return TRUE;
}

void CHiroxCT7Ctrl::StopAndRestore() {
    SetLatch();
    RestoreNormalSet();
    m_bJog = FALSE;
}

BOOL CHiroxCT7Ctrl::WaitStop() {
    bool settled = PositionSettles(kPollPauseMs);
    OpenPort();
    if (m_Link.connected) {
        if (settled)
            RestoreNormalSet();
        else
            StopAndRestore();
    }
    ClosePort();
    return settled ? TRUE : FALSE;
}
