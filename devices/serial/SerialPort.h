// CSerialPort: the program's access to one serial line (COM1 to COM9) with coded line settings.
#pragma once

#include "platform/SerialLine.h"
#include "platform/WinTypes.h"

// Rates of the baud codes 0 to 14.
constexpr int kSerialBaudCodeCount = 15;
extern const DWORD kSerialBaudRates[kSerialBaudCodeCount];

class CSerialPort {
public:
    CSerialPort();
    virtual ~CSerialPort();

    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // port 0-8 = COM1-COM9 (any other index opens COM1); baud code 0-14, stop code 0-2 (1 one,
    // 1.5 refused by the line layer, 2 two), parity code 0-4, data code 0 (7 bits) / 1 (8 bits),
    // flow code 0 none / 1 XON/XOFF. Note the order: stop, parity, data.
    BOOL Open(int port, int baud, int stop, int parity, int data, int flow);
    BOOL Reopen();
    BOOL Close();
    int Write(const char* text);
    int Read(void* buffer, int count);
    BOOL IsTimeOver(DWORD start, DWORD ms);
    BOOL IsOpen() const { return m_bOpen; }
    BOOL PurgeRx();
    DWORD ClearError(COMSTAT* status);
    void SetAutoConnect(int flag) { m_nAutoConnect = flag; }
    int GetAutoConnect() const { return m_nAutoConnect; }

    // True while a device handle is held (between a successful open and the close).
    bool HasHandle() const { return m_hComm != INVALID_COMM_HANDLE; }
    int GetReadTimeout() const { return m_nReadTimeout; }
    void SetReadTimeout(int ms) { m_nReadTimeout = ms; }

private:
    CommHandle m_hComm = INVALID_COMM_HANDLE;
    int m_nPort = -1;
    int m_nBaud = -1;
    int m_nStop = -1;
    int m_nParity = -1;
    int m_nData = -1;
    int m_nFlow = -1;
    BOOL m_bOpen = FALSE;
    int m_nReadTimeout = 1000;
    int m_nAutoConnect = 1;
};
