#include "devices/serial/OlympusSZXMSCtrl.h"

#include <cstdlib>
#include <string>

namespace {
constexpr long kJogDistance = 1500000;
constexpr DWORD kPollPauseMs = 30;
} // namespace

BOOL COlympusSZXMSCtrl::Exchange(const char* command, const char* prefix, std::string& rest) {
    // Logged in, the position query and the login change nothing, and each reply carries its own
    // word; logged out the drive refuses the position query, and the login would change it.
    if (m_Link.connected)
        m_Link.tellingQueries = {{"1FCPOS?\r\n", "1FCPOS"}, {"1LOG IN\r\n", "1LOG"}};
    else
        m_Link.tellingQueries.clear();
    std::string head(prefix);
    if (size_t blank = head.find(' '); blank != std::string::npos)
        head.resize(blank);
    std::string after;
    if (!m_Link.QueryPrefixed(command, head, after))
        return FALSE;
    std::string line = head + after;
    size_t blank = line.find(' ');
    if (blank == std::string::npos)
        return FALSE;
    rest = line.substr(blank + 1);
    return TRUE;
}

BOOL COlympusSZXMSCtrl::Acknowledged(const char* command, const char* prefix) {
    std::string rest;
    return Exchange(command, prefix, rest) && !rest.empty() && rest[0] == '+';
}

void COlympusSZXMSCtrl::Connect() {
    if (!m_Link.AutoConnect())
        return;
    m_Link.connected = FALSE;
    if (m_Link.OpenPort())
        m_Link.connected = Acknowledged("1LOG IN\r\n", "1LOG");
}

void COlympusSZXMSCtrl::Disconnect() {
    if (!m_Link.AutoConnect())
        return;
    if (m_Link.connected)
        Acknowledged("1LOG OUT\r\n", "1LOG");
    m_Link.ClosePort();
}

BOOL COlympusSZXMSCtrl::Open(int port, int baud, int data, int parity, int stop, int flow) {
    m_Link.Store(port, baud, data, parity, stop, flow);
    Connect();
    m_Link.port.SetAutoConnect(0);
    return m_Link.connected;
}

BOOL COlympusSZXMSCtrl::Close(int autoConnect) {
    m_Link.port.SetAutoConnect(autoConnect);
    Disconnect();
    return TRUE;
}

BOOL COlympusSZXMSCtrl::SetHighSpeed(BOOL high) {
    m_bHighSpeed = high ? TRUE : FALSE;
    return TRUE;
}

BOOL COlympusSZXMSCtrl::ReadPosition(int* pos) {
    *pos = 0;
    std::string rest;
    if (!Exchange("1FCPOS?\r\n", "1FCPOS", rest))
        return FALSE;
    return ParseIntField(rest, 0, rest.size(), pos) ? TRUE : FALSE;
}

BOOL COlympusSZXMSCtrl::SendMove(int dist) {
    return m_Link.SendF("%s %c,%lld\r\n", Head(), dist <= 0 ? 'N' : 'F', std::llabs(static_cast<long long>(dist)));
}

BOOL COlympusSZXMSCtrl::GetPosition(int* pos) {
    *pos = 0;
    Connect();
    BOOL ok = m_Link.connected && ReadPosition(pos);
    Disconnect();
    return ok;
}

BOOL COlympusSZXMSCtrl::MoveRel(int dist) {
    NoteShift(-dist); // 'F' lowers the reading
    Connect();
    BOOL ok = m_Link.connected && SendMove(dist);
    Disconnect();
    return ok;
}

BOOL COlympusSZXMSCtrl::MoveAbs(int target) {
    // Noted first: should the position read before it go unanswered, the wait asks for the target.
    NoteMove(target);
    Connect();
    BOOL ok = FALSE;
    int pos = 0;
    // Without a position there is no distance to go: send nothing.
    if (m_Link.connected && ReadPosition(&pos))
        ok = SendMove(pos - target);
    Disconnect();
    return ok;
}

BOOL COlympusSZXMSCtrl::Jog(int dir) {
    if (dir != 0 && dir != 1)
        return FALSE;
    NoteJog();
    Connect();
    BOOL ok = m_Link.connected && m_Link.SendF("%s %c,%ld\r\n", Head(), dir == 0 ? 'F' : 'N', kJogDistance);
    Disconnect();
    return ok;
}

BOOL COlympusSZXMSCtrl::Stop() {
    Connect();
    BOOL ok = m_Link.connected && Acknowledged("1FCSTOP\r\n", "1FCSTOP");
    Disconnect();
    return ok;
}

BOOL COlympusSZXMSCtrl::WaitStop() { return WaitSettledOrStop(kPollPauseMs); }
