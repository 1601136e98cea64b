#include "devices/serial/OlympusSTMCtrl.h"

#include "platform/Time.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
constexpr DWORD kPollPauseMs = 30;
constexpr int kMovingBit = 0x20;
constexpr int kInchBit = 0x01;
constexpr int kFineStepBit = 0x20;
// A reading on the pulse grid can come out a hair short of its whole number of pulses: the
// decimal reading and the division are not exact (0.00015 mm / 0.05 um is 2.9999999999999996).
// Up to a thousandth of a pulse short still counts as that pulse; the reading of an inch drive
// given to nine decimals is within about half of that.
constexpr double kPulseTolerance = 0.001;

bool ParseDouble(const std::string& text, size_t& at, double* value) {
    const char* begin = text.c_str() + at;
    char* end = nullptr;
    double v = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(v))
        return false;
    at += static_cast<size_t>(end - begin);
    *value = v;
    return true;
}
} // namespace

void COlympusSTMCtrl::Connect() {
    if (!m_Link.AutoConnect())
        return;
    m_Link.connected = m_Link.OpenPort();
}

void COlympusSTMCtrl::Disconnect() {
    if (!m_Link.AutoConnect())
        return;
    if (m_Link.connected && m_bRemote)
        SetRemote(FALSE);
    m_bRemote = FALSE;
    m_Link.ClosePort();
}

COlympusSTMCtrl::COlympusSTMCtrl() {
    // Status queries that change nothing; each reply carries its own word.
    m_Link.tellingQueries = {
        {"1 ZSTS?\r\n", "0 ZSTS:"}, {"1 GETSTS?\r\n", "0 GETSTS:"}, {"1 DOUT?\r\n", "0 DOUT:"}};
    // A reading converted to pulses is truncated: it may come out one pulse short.
    m_Link.resolution = 1;
}

BOOL COlympusSTMCtrl::Command(const char* command, const char* prefix, std::string& rest, int lines) {
    return m_Link.QueryPrefixed(command, prefix, rest, lines) && !rest.empty();
}

BOOL COlympusSTMCtrl::Acknowledged(const char* command, const char* prefix, int lines) {
    std::string rest;
    return Command(command, prefix, rest, lines) && rest[0] == '+';
}

BOOL COlympusSTMCtrl::QueryNumber(const char* command, const char* prefix, int* value) {
    std::string rest;
    return Command(command, prefix, rest) && ParseIntField(rest, 0, rest.size(), value);
}

BOOL COlympusSTMCtrl::SetRemote(BOOL on) {
    if (!m_Link.connected)
        return FALSE;
    if (!on && !m_bJog) {
        // Leave remote mode only after the motion has ended; bounded, and a failed query ends
        // the wait.
        DWORD start = GetTickCount();
        int status = 0;
        while (QueryNumber("1 ZSTS?\r\n", "0 ZSTS:", &status) && (status & kMovingBit)) {
            if (m_Link.port.IsTimeOver(start, kWaitStopTimeoutMs))
                break;
            Sleep(kPollPauseMs);
        }
    }
    std::string rest;
    // Two lines answer the mode change: the acknowledgement and the new mode.
    if (!Acknowledged(on ? "1 REMOTE= 4\r\n" : "1 REMOTE= 0\r\n", "0 REMOTE", 2))
        return FALSE;
    if (!m_Link.ReadPrefixed("0 REMOTE=", rest) || rest.empty())
        return FALSE;
    return m_Link.Send("1 REMOTE+\r\n");
}

BOOL COlympusSTMCtrl::EnsureRemote() {
    if (!m_bRemote)
        m_bRemote = SetRemote(TRUE);
    return m_bRemote;
}

BOOL COlympusSTMCtrl::Open(int port, int baud, int data, int parity, int stop, int flow) {
    m_Link.Store(port, baud, data, parity, stop, flow);
    Connect();
    m_Link.port.SetAutoConnect(0);
    return m_Link.connected;
}

BOOL COlympusSTMCtrl::Close(int autoConnect) {
    m_Link.port.SetAutoConnect(autoConnect);
    Disconnect();
    return TRUE;
}

int COlympusSTMCtrl::PulsesOfReading(double z, int status) {
    double factor = (status & kInchBit) ? 25400.0 : 1000.0;
    double step = (status & kFineStepBit) ? 0.025 : 0.05;
    double exact = z * factor / step;
    double pulses = std::trunc(exact + (exact < 0 ? -kPulseTolerance : kPulseTolerance));
    if (!(pulses <= 2147483647.0 && pulses >= -2147483647.0))
        return 0;
    return static_cast<int>(pulses);
}

bool COlympusSTMCtrl::ParseReading(const std::string& text, int mode, double* z) {
    size_t at = 0;
    double v = 0;
    if (!ParseDouble(text, at, &v))
        return false;
    if (mode == 0) {
        for (int i = 0; i < 2; ++i) {
            if (at >= text.size() || text[at] != ',')
                return false;
            ++at;
            if (!ParseDouble(text, at, &v))
                return false;
        }
    }
    *z = v;
    return true;
}

BOOL COlympusSTMCtrl::ReadPosition(int* pos) {
    *pos = 0;
    int mode = 0;
    if (!QueryNumber("1 DOUT?\r\n", "0 DOUT:", &mode))
        return FALSE;
    if (mode == 1)
        return TRUE;
    std::string rest;
    double z = 0;
    if (!Command("1 READ?\r\n", "0 READ:", rest) || !ParseReading(rest, mode, &z))
        return FALSE;
    int status = 0;
    if (!QueryNumber("1 GETSTS?\r\n", "0 GETSTS:", &status))
        return FALSE;
    *pos = -PulsesOfReading(z, status);
    return TRUE;
}

BOOL COlympusSTMCtrl::GetPosition(int* pos) {
    *pos = 0;
    Connect();
    BOOL ok = m_Link.connected && ReadPosition(pos);
    Disconnect();
    return ok;
}

double COlympusSTMCtrl::GetUmPerPulse() {
    Connect();
    double um = 0.0;
    int status = 0;
    if (m_Link.connected && QueryNumber("1 GETSTS?\r\n", "0 GETSTS:", &status))
        um = (status & kFineStepBit) ? 0.025 : 0.05;
    Disconnect();
    return um;
}

BOOL COlympusSTMCtrl::SendRelative(int dist) {
    EnsureRemote();
    char command[64];
    std::snprintf(command, sizeof command, "1 ZMOVR= %d,0,%lld\r\n", dist > 0 ? 1 : 0,
                  std::llabs(static_cast<long long>(dist)));
    return Acknowledged(command, "0 ZMOVR");
}

BOOL COlympusSTMCtrl::MoveRel(int dist) {
    NoteShift(-dist); // the drive counts the other way
    Connect();
    BOOL ok = m_Link.connected && SendRelative(dist);
    Disconnect();
    return ok;
}

BOOL COlympusSTMCtrl::MoveAbs(int target) {
    // Noted first: should the position read before it go unanswered, the wait asks for the target.
    NoteMove(target);
    Connect();
    BOOL ok = FALSE;
    int pos = 0;
    // Without a position there is no distance to go: send nothing.
    if (m_Link.connected && ReadPosition(&pos))
        ok = SendRelative(pos - target);
    Disconnect();
    return ok;
}

BOOL COlympusSTMCtrl::Jog(int dir) {
    if (dir != 0 && dir != 1)
        return FALSE;
    Connect();
    BOOL ok = FALSE;
    if (m_Link.connected) {
        NoteJog();
        EnsureRemote();
        ok = Acknowledged(dir == 0 ? "1 ZMOVF= 1,0\r\n" : "1 ZMOVF= 0,0\r\n", "0 ZMOVF");
        if (ok)
            m_bJog = TRUE;
    }
    Disconnect();
    return ok;
}

BOOL COlympusSTMCtrl::Stop() {
    Connect();
    BOOL ok = FALSE;
    if (m_Link.connected) {
        EnsureRemote();
        ok = Acknowledged("1 ZSTOP= \r\n", "0 ZSTOP");
        if (ok)
            m_bJog = FALSE;
    }
    Disconnect();
    return ok;
}

BOOL COlympusSTMCtrl::SetSpeed(int high, int rate) {
    Connect();
    char command[64];
    std::snprintf(command, sizeof command, "1 ZSPD= 0,%d,%d\r\n", high, rate);
    BOOL ok = m_Link.connected && Acknowledged(command, "0 ZSPD");
    Disconnect();
    return ok;
}

BOOL COlympusSTMCtrl::Reset() {
    Connect();
    BOOL ok = m_Link.connected && Acknowledged("1 RESET= 2\r\n", "0 RESET");
    Disconnect();
    return ok;
}

BOOL COlympusSTMCtrl::WaitStop() { return WaitSettledOrStop(kPollPauseMs); }
