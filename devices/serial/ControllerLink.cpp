#include "devices/serial/ControllerLink.h"

#include "platform/Time.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {
bool BeginsWith(const std::string& line, const std::string& prefix) {
    return line.size() >= prefix.size() && line.compare(0, prefix.size(), prefix) == 0;
}

// The line without its CR and LF characters.
std::string Stripped(const std::string& raw) {
    std::string line;
    for (char c : raw)
        if (c != '\r' && c != '\n')
            line.push_back(c);
    return line;
}
} // namespace

int ReplyAssembler::Next(CSerialPort& port, DWORD start, DWORD limitMs, std::string& line, size_t stopPast) {
    // Each read sleeps until a byte comes or the time is up, never longer than what is left.
    const int saved = port.GetReadTimeout();
    int result = 0;
    while (!port.IsTimeOver(start, limitMs)) {
        DWORD left = limitMs - TicksSince(start) + 1;
        port.SetReadTimeout(static_cast<int>(left < static_cast<DWORD>(saved) ? left : saved));
        char c = 0;
        int n = port.Read(&c, 1);
        if (n < 0) {
            result = -1;
            break;
        }
        if (n == 0)
            continue;
        if (stopPast > 0 && length + crlf >= stopPast) {
            result = -2;
            break;
        }
        if (text.size() < 2 * kReplyLineMax)
            text.push_back(c);
        (c == '\r' || c == '\n' ? crlf : length) += 1;
        if (c == '\n') {
            line = text;
            Clear();
            result = 1;
            break;
        }
    }
    port.SetReadTimeout(saved);
    return result;
}

void ControllerLink::Store(int portIndex, int baud, int data, int parity, int stop, int flow) {
    if (held_) {
        held_ = false;
        port.Close();
    }
    ForgetOwed();
    nPort = portIndex;
    nBaud = baud;
    nData = data;
    nParity = parity;
    nStop = stop;
    nFlow = flow;
}

BOOL ControllerLink::StoreAndTry(int portIndex, int baud, int data, int parity, int stop, int flow) {
    Store(portIndex, baud, data, parity, stop, flow);
    connected = OpenPort();
    return connected;
}

void ControllerLink::CloseIfConnected() {
    if (connected)
        ClosePort();
}

BOOL ControllerLink::OpenPort() {
    if (held_ && port.HasHandle())
        return TRUE;
    held_ = false;
    lines_.Clear();
    return port.Open(nPort, nBaud, nStop, nParity, nData, nFlow);
}

void ControllerLink::ClosePort() {
    connected = FALSE;
    held_ = !owed_.empty() && port.HasHandle();
    if (!held_)
        port.Close();
}

BOOL ControllerLink::Send(const char* text) { return port.Write(text) > 0 ? TRUE : FALSE; }

BOOL ControllerLink::SendF(const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0 || n >= static_cast<int>(sizeof buffer))
        return FALSE;
    return Send(buffer);
}

void ControllerLink::ForgetOwed() {
    owed_.clear();
    lines_.Clear();
}

void ControllerLink::Owe(const std::string& prefix, int count) {
    for (int i = 0; i < count; ++i)
        owed_.push_back(prefix);
    if (count > 0)
        outSinceMove_ = true;
}

bool ControllerLink::Owes(const std::string& prefix) const {
    for (const auto& p : owed_)
        if (p.empty() || prefix.empty() || BeginsWith(p, prefix) || BeginsWith(prefix, p))
            return true;
    return false;
}

int ControllerLink::NextLine(DWORD start, DWORD limitMs, std::string& line) {
    int n = lines_.Next(port, start, limitMs, line);
    if (n == 1) {
        // The first owed reply this line can be is no longer owed; a line no owed reply begins
        // with (noise) changes nothing.
        const std::string text = Stripped(line);
        for (auto it = owed_.begin(); it != owed_.end(); ++it) {
            if (BeginsWith(text, *it)) {
                owed_.erase(it);
                break;
            }
        }
    }
    return n;
}

int ControllerLink::NextPrefixed(DWORD start, DWORD limitMs, const std::string& prefix, std::string& rest) {
    for (;;) {
        std::string raw;
        int n = NextLine(start, limitMs, raw);
        if (n != 1)
            return n;
        std::string line = Stripped(raw);
        if (!BeginsWith(line, prefix))
            continue;
        if (line.size() > kReplyLineMax)
            return -1;
        // Replies come in the order of their queries: what was owed came before this one.
        ForgetOwed();
        rest = line.substr(prefix.size());
        return 1;
    }
}

bool ControllerLink::GetInStep(const std::string& prefix) {
    if (!Owes(prefix))
        return true;
    const DWORD limit = lentMs > kReplyTimeoutMs ? lentMs : kReplyTimeoutMs;
    const DWORD start = GetTickCount();
    for (const auto& [command, word] : tellingQueries) {
        if (Owes(word))
            continue;
        port.PurgeRx();
        lines_.Clear();
        std::string rest;
        if (Send(command.c_str()) && NextPrefixed(start, limit, word, rest) == 1)
            return true;
        Owe(word, 1);
        return false;
    }
    while (!owed_.empty()) {
        std::string line;
        if (NextLine(start, limit, line) != 1)
            return false;
    }
    return true;
}

void ControllerLink::PurgeIfInStep() {
    if (owed_.empty()) {
        port.PurgeRx();
        lines_.Clear();
    }
}

bool ControllerLink::Query(const char* command, std::string& line) {
    line.clear();
    // With time lent by a wait, the owed lines may come before the query goes out; else they
    // must come, in order, before its answer within its reply time.
    if (lentMs > 0)
        GetInStep("");
    PurgeIfInStep();
    if (!Send(command))
        return false;
    const DWORD start = GetTickCount();
    int n = 1;
    while (n == 1 && !owed_.empty()) {
        std::string skipped;
        n = NextLine(start, kReplyTimeoutMs, skipped);
    }
    if (n == 1)
        n = lines_.Next(port, start, kReplyTimeoutMs, line, kReplyLineMax);
    if (n == 1)
        return true;
    line.clear();
    // A line cut off at its limit still ends with its own line feed: that one is owed too.
    Owe("", 1);
    return false;
}

bool ControllerLink::QueryPrefixed(const char* command, const std::string& prefix, std::string& rest,
                                   int lines) {
    rest.clear();
    if (!GetInStep(prefix))
        return false;
    PurgeIfInStep();
    if (!Send(command))
        return false;
    if (NextPrefixed(GetTickCount(), kReplyTimeoutMs, prefix, rest) == 1)
        return true;
    Owe(prefix, lines);
    return false;
}

bool ControllerLink::ReadPrefixed(const std::string& prefix, std::string& rest) {
    rest.clear();
    if (NextPrefixed(GetTickCount(), kReplyTimeoutMs, prefix, rest) == 1)
        return true;
    Owe(prefix, 1);
    return false;
}

void ControllerLink::BeginMotion() {
    outSinceMove_ = !owed_.empty();
    axes_[0].moved = axes_[1].moved = false;
}

void ControllerLink::MoveSentAbs(int axis, int target) {
    AxisMotion& a = axes_[axis & 1];
    a.moved = a.known = true;
    a.target = target;
    a.atKnown = false;
}

void ControllerLink::MoveSentRel(int axis, int delta) {
    AxisMotion& a = axes_[axis & 1];
    const bool known = a.atKnown;
    MoveSentAbs(axis, a.at + delta);
    a.known = known;
}

void ControllerLink::MoveSentJog(int axis) {
    MoveSentAbs(axis, 0);
    axes_[axis & 1].known = false;
}

bool ControllerLink::EndAgrees(int axis, int pos) const {
    const AxisMotion& a = axes_[axis & 1];
    if (!a.moved || !outSinceMove_)
        return true;
    long long diff = static_cast<long long>(pos) - a.target;
    return a.known && diff <= resolution && -diff <= resolution;
}

void ControllerLink::WaitEnded(int axis, bool ok, int pos) {
    AxisMotion& a = axes_[axis & 1];
    a.atKnown = ok;
    a.at = pos;
}

bool ReadReplyLine(CSerialPort& port, std::string& line) {
    line.clear();
    ReplyAssembler lines;
    int n = lines.Next(port, GetTickCount(), kReplyTimeoutMs, line, kReplyLineMax);
    if (n == -2)
        line = lines.text;
    return n == 1;
}

bool ReadPrefixedLine(CSerialPort& port, const std::string& prefix, std::string& rest) {
    rest.clear();
    ReplyAssembler lines;
    const DWORD start = GetTickCount();
    for (;;) {
        std::string raw;
        if (lines.Next(port, start, kReplyTimeoutMs, raw) != 1)
            return false;
        std::string line = Stripped(raw);
        if (line.size() > kReplyLineMax)
            return false;
        if (BeginsWith(line, prefix)) {
            rest = line.substr(prefix.size());
            return true;
        }
    }
}

bool ParseIntField(const std::string& text, size_t from, size_t to, int* value) {
    if (to > text.size())
        to = text.size();
    size_t i = from;
    while (i < to && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < to && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long v = 0;
    size_t digits = 0;
    while (i < to && text[i] >= '0' && text[i] <= '9') {
        v = v * 10 + (text[i++] - '0');
        if (++digits > 10)
            return false;
    }
    if (digits == 0)
        return false;
    if (negative)
        v = -v;
    if (v < -2147483648LL || v > 2147483647LL)
        return false;
    *value = static_cast<int>(v);
    return true;
}

bool FindFirstInt(const std::string& text, size_t from, int* value) {
    for (size_t i = from; i < text.size(); ++i) {
        char c = text[i];
        bool digit = c >= '0' && c <= '9';
        bool sign = (c == '-' || c == '+') && i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9';
        if (digit || sign) {
            size_t end = i + 1;
            while (end < text.size() && text[end] >= '0' && text[end] <= '9')
                ++end;
            return ParseIntField(text, i, end, value);
        }
    }
    return false;
}

bool WaitPositionSettled(CSerialPort& port, DWORD pauseMs, const std::function<BOOL(int*)>& read,
                         int* settled) {
    DWORD start = GetTickCount();
    int last = 0;
    if (!read(&last))
        return false;
    for (;;) {
        if (pauseMs > 0)
            Sleep(pauseMs);
        int now = 0;
        if (!read(&now))
            return false;
        if (now == last) {
            if (settled)
                *settled = now;
            return true;
        }
        last = now;
        if (port.IsTimeOver(start, kWaitStopTimeoutMs))
            return false;
    }
}
