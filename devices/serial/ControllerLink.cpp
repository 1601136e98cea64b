#include "devices/serial/ControllerLink.h"

#include "platform/Time.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

void ControllerLink::Store(int portIndex, int baud, int data, int parity, int stop, int flow) {
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

BOOL ControllerLink::OpenPort() { return port.Open(nPort, nBaud, nStop, nParity, nData, nFlow); }

void ControllerLink::ClosePort() {
    port.Close();
    connected = FALSE;
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

void ControllerLink::ClearForQuery() {
    if (replyOwed) {
        // The controller may still send the missing reply for one reply time: read it away in
        // reads that sleep until bytes come, each no longer than what is left of that time.
        // A port that cannot be read (closed, or the line gone) leaves the reply owed: the query
        // fails on its own, and the next one on an open port waits out what is left.
        const int saved = port.GetReadTimeout();
        char sink[64];
        bool readable = true;
        while (readable && !port.IsTimeOver(owedSince, kReplyTimeoutMs)) {
            DWORD left = kReplyTimeoutMs - TicksSince(owedSince) + 1;
            port.SetReadTimeout(static_cast<int>(left < static_cast<DWORD>(saved) ? left : saved));
            readable = port.Read(sink, sizeof sink) >= 0;
        }
        port.SetReadTimeout(saved);
        replyOwed = !readable;
    }
    port.PurgeRx();
}

bool ControllerLink::NoteReply(bool got) {
    if (!got) {
        replyOwed = true;
        owedSince = GetTickCount();
    }
    return got;
}

bool ControllerLink::Query(const char* command, std::string& line) {
    line.clear();
    ClearForQuery();
    return Send(command) && NoteReply(ReadReplyLine(port, line));
}

bool ControllerLink::ReadPrefixed(const std::string& prefix, std::string& rest) {
    return NoteReply(ReadPrefixedLine(port, prefix, rest));
}

namespace {
// One character of a reply begun at `start`: 1 with `c` set, 0 when none came yet, -1 when the
// reply time is over or the read failed.
int ReadReplyChar(CSerialPort& port, DWORD start, char& c) {
    if (port.IsTimeOver(start, kReplyTimeoutMs))
        return -1;
    c = 0;
    int n = port.Read(&c, 1);
    return n < 0 ? -1 : (n == 0 ? 0 : 1);
}
} // namespace

bool ReadReplyLine(CSerialPort& port, std::string& line) {
    line.clear();
    DWORD start = GetTickCount();
    for (;;) {
        char c = 0;
        int n = ReadReplyChar(port, start, c);
        if (n < 0)
            return false;
        if (n == 0)
            continue;
        if (line.size() >= kReplyLineMax)
            return false;
        line.push_back(c);
        if (c == '\n')
            return true;
    }
}

bool ReadPrefixedLine(CSerialPort& port, const std::string& prefix, std::string& rest) {
    rest.clear();
    std::string line;
    DWORD start = GetTickCount();
    for (;;) {
        char c = 0;
        int n = ReadReplyChar(port, start, c);
        if (n < 0)
            return false;
        if (n == 0 || c == '\r')
            continue;
        if (c != '\n') {
            if (line.size() >= kReplyLineMax)
                return false;
            line.push_back(c);
            continue;
        }
        if (line.compare(0, prefix.size(), prefix) == 0 && line.size() >= prefix.size()) {
            rest = line.substr(prefix.size());
            return true;
        }
        line.clear();
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

bool WaitPositionSettled(CSerialPort& port, DWORD pauseMs, const std::function<BOOL(int*)>& read) {
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
        if (now == last)
            return true;
        last = now;
        if (port.IsTimeOver(start, kWaitStopTimeoutMs))
            return false;
    }
}
