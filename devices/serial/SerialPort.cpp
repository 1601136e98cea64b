#include "devices/serial/SerialPort.h"

#include "platform/Time.h"

#include <cstring>
#include <string>

const DWORD kSerialBaudRates[kSerialBaudCodeCount] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                                      19200, 38400, 56000, 57600, 115200, 128000, 256000};

namespace {
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
}

CSerialPort::CSerialPort() = default;

CSerialPort::~CSerialPort() {
    if (HasHandle())
        Close();
}

BOOL CSerialPort::Open(int port, int baud, int stop, int parity, int data, int flow) {
    if (baud < 0 || baud > 14 || stop < 0 || stop > 2 || parity < 0 || parity > 4 || data < 0 || data > 1 ||
        flow < 0 || flow > 1)
        return FALSE;
    m_nPort = port;
    m_nBaud = baud;
    m_nStop = stop;
    m_nParity = parity;
    m_nData = data;
    m_nFlow = flow;

    // A second open on a live handle would lose it: close the old one first.
    if (HasHandle())
        Close();

    int com = (port >= 0 && port <= 8) ? port + 1 : 1;
    std::string name = "\\\\.\\COM" + std::to_string(com);
    CommHandle h = OpenComm(name.c_str());
    if (h == INVALID_COMM_HANDLE)
        return FALSE;
    m_hComm = h;
    PurgeComm(h, kPurgeAll);

    COMMTIMEOUTS t;
    t.ReadIntervalTimeout = COMM_MAXDWORD;
    t.ReadTotalTimeoutMultiplier = 0;
    t.ReadTotalTimeoutConstant = 1000;
    t.WriteTotalTimeoutMultiplier = 0;
    t.WriteTotalTimeoutConstant = 1000;
    SetCommTimeouts(h, &t);

    DCB dcb;
    if (!GetCommState(h, &dcb)) {
        CloseComm(h);
        m_hComm = INVALID_COMM_HANDLE;
        m_bOpen = FALSE;
        return FALSE;
    }
    dcb.BaudRate = kSerialBaudRates[baud];
    dcb.Parity = static_cast<BYTE>(parity);
    dcb.fParity = parity != 0 ? TRUE : FALSE;
    dcb.ByteSize = data == 0 ? 7 : 8;
    dcb.StopBits = static_cast<BYTE>(stop);
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = flow == 1 ? TRUE : FALSE;
    dcb.fInX = flow == 1 ? TRUE : FALSE;
    if (!SetCommState(h, &dcb)) {
        CloseComm(h);
        m_hComm = INVALID_COMM_HANDLE;
        m_bOpen = FALSE;
        return FALSE;
    }
    m_bOpen = TRUE;
    return TRUE;
}

BOOL CSerialPort::Reopen() {
    if (m_nPort == -1)
        return FALSE;
    return Open(m_nPort, m_nBaud, m_nStop, m_nParity, m_nData, m_nFlow);
}

BOOL CSerialPort::Close() {
    if (HasHandle()) {
        // Let the last command leave the line before the queues are cleared.
        DrainComm(m_hComm, 1000);
        PurgeComm(m_hComm, kPurgeAll);
        CloseComm(m_hComm);
    }
    m_hComm = INVALID_COMM_HANDLE;
    return TRUE;
}

int CSerialPort::Write(const char* text) {
    if (!text)
        return -1;
    DWORD written = 0;
    DWORD length = static_cast<DWORD>(std::strlen(text));
    if (HasHandle() && WriteComm(m_hComm, text, length, &written))
        return static_cast<int>(written);
    if (HasHandle())
        PurgeComm(m_hComm, kPurgeAll);
    return -1;
}

int CSerialPort::Read(void* buffer, int count) {
    if (!HasHandle() || !buffer || count <= 0)
        return HasHandle() ? 0 : -1;
    auto* out = static_cast<unsigned char*>(buffer);
    DWORD start = GetTickCount();
    DWORD limit = static_cast<DWORD>(m_nReadTimeout < 0 ? 0 : m_nReadTimeout);
    int total = 0;
    int remaining = count;
    // Elapsed-time test, so the deadline survives the tick counter's wrap.
    while (!IsTimeOver(start, limit)) {
        COMSTAT status;
        DWORD errors = 0;
        if (!ClearCommError(m_hComm, &errors, &status))
            return -1;
        if (status.cbInQue > 0) {
            DWORD got = 0;
            if (!ReadComm(m_hComm, out + total, static_cast<DWORD>(remaining), &got))
                return -1;
            if (got == 0)
                break;
            total += static_cast<int>(got);
            remaining -= static_cast<int>(got);
            if (remaining == 0)
                break;
            continue;
        }
        // A reply that has started and then paused is taken as complete.
        if (total > 0)
            break;
        // Nothing yet: sleep in the kernel until a byte arrives or the time is up, instead of
        // spinning. Short slices keep the deadline on the program's clock.
        DWORD elapsed = GetTickCount() - start;
        DWORD left = elapsed >= limit ? 1 : limit - elapsed + 1;
        // A line that is gone wakes the wait at once and forever: that is a failed read, not
        // one to repeat until the time is up.
        if (!WaitCommInput(m_hComm, left < 20 ? left : 20) && CommLineLost(m_hComm))
            return -1;
    }
    return total;
}

BOOL CSerialPort::IsTimeOver(DWORD start, DWORD ms) {
    return static_cast<DWORD>(GetTickCount() - start) > ms ? TRUE : FALSE;
}

BOOL CSerialPort::PurgeRx() {
    if (HasHandle())
        PurgeComm(m_hComm, PURGE_RXCLEAR);
    return TRUE;
}

DWORD CSerialPort::ClearError(COMSTAT* status) {
    DWORD errors = 0;
    COMSTAT local;
    ClearCommError(m_hComm, &errors, status ? status : &local);
    return errors;
}
