// Serial lines in the shape of the Windows comm calls, on Linux terminals.
//
// A port is named "COM1" to "COM9" (also "\\.\COM1" ...). Each name maps to a device path:
// by default COMn is /dev/ttyS<n-1>; the environment variable VANTOREL_COM<n> (for example
// VANTOREL_COM3=/dev/ttyUSB0) names another device for that port. Any other name is taken as a
// device path as it stands.
//
// An opened port is always in raw mode (no line editing, no echo, no character translation);
// the line settings come from a DCB. Rates without a termios constant (14400, 56000, 128000,
// 256000, ...) are set through termios2 with BOTHER; mark and space parity use CMSPAR. The open
// is exclusive (TIOCEXCL plus an advisory lock), so a second opener is refused.
#pragma once

#include "platform/WinTypes.h"

#include <string>

using CommHandle = int;
constexpr CommHandle INVALID_COMM_HANDLE = -1;

constexpr DWORD COMM_MAXDWORD = 0xFFFFFFFFu;

// Parity values.
constexpr BYTE NOPARITY = 0;
constexpr BYTE ODDPARITY = 1;
constexpr BYTE EVENPARITY = 2;
constexpr BYTE MARKPARITY = 3;
constexpr BYTE SPACEPARITY = 4;

// Stop-bit values.
constexpr BYTE ONESTOPBIT = 0;
constexpr BYTE ONE5STOPBITS = 1;
constexpr BYTE TWOSTOPBITS = 2;

// Modem-line control values.
constexpr DWORD DTR_CONTROL_DISABLE = 0;
constexpr DWORD DTR_CONTROL_ENABLE = 1;
constexpr DWORD DTR_CONTROL_HANDSHAKE = 2;
constexpr DWORD RTS_CONTROL_DISABLE = 0;
constexpr DWORD RTS_CONTROL_ENABLE = 1;
constexpr DWORD RTS_CONTROL_HANDSHAKE = 2;
constexpr DWORD RTS_CONTROL_TOGGLE = 3;

// Purge flags.
constexpr DWORD PURGE_TXABORT = 0x0001;
constexpr DWORD PURGE_RXABORT = 0x0002;
constexpr DWORD PURGE_TXCLEAR = 0x0004;
constexpr DWORD PURGE_RXCLEAR = 0x0008;

// Line error flags reported by ClearCommError.
constexpr DWORD CE_RXOVER = 0x0001;
constexpr DWORD CE_OVERRUN = 0x0002;
constexpr DWORD CE_RXPARITY = 0x0004;
constexpr DWORD CE_FRAME = 0x0008;
constexpr DWORD CE_BREAK = 0x0010;

// Device control block: the line settings of a port.
struct DCB {
    DWORD DCBlength = sizeof(DCB);
    DWORD BaudRate = 9600;
    BOOL fBinary = TRUE;
    BOOL fParity = FALSE;
    BOOL fOutxCtsFlow = FALSE;
    BOOL fOutxDsrFlow = FALSE;
    DWORD fDtrControl = DTR_CONTROL_ENABLE;
    BOOL fDsrSensitivity = FALSE;
    BOOL fTXContinueOnXoff = TRUE;
    BOOL fOutX = FALSE;
    BOOL fInX = FALSE;
    DWORD fRtsControl = RTS_CONTROL_ENABLE;
    BYTE ByteSize = 8;
    BYTE Parity = NOPARITY;
    BYTE StopBits = ONESTOPBIT;
    char XonChar = 0x11;
    char XoffChar = 0x13;
};

struct COMMTIMEOUTS {
    DWORD ReadIntervalTimeout = 0;
    DWORD ReadTotalTimeoutMultiplier = 0;
    DWORD ReadTotalTimeoutConstant = 0;
    DWORD WriteTotalTimeoutMultiplier = 0;
    DWORD WriteTotalTimeoutConstant = 0;
};

struct COMSTAT {
    DWORD cbInQue = 0;
    DWORD cbOutQue = 0;
};

// Device path of a port name ("COM3" -> $VANTOREL_COM3 or /dev/ttyS2).
std::string CommDevicePath(const char* name);

// Opens a port for reading and writing, exclusively, in raw mode. INVALID_COMM_HANDLE on failure
// (absent device, in use, not a terminal).
CommHandle OpenComm(const char* name);
BOOL CloseComm(CommHandle h);

BOOL GetCommState(CommHandle h, DCB* dcb);
// Applies the line settings. Refused (FALSE, nothing changed): 1.5 stop bits, a byte size
// outside 5..8, a parity value above 4, a zero rate. DTR and RTS are set as asked where the
// device has modem lines; a device without them (a pseudo terminal) is not an error.
BOOL SetCommState(CommHandle h, const DCB* dcb);

BOOL SetCommTimeouts(CommHandle h, const COMMTIMEOUTS* t);

// Clears the queues. On a pseudo terminal the transmit queue is left alone: what was written is
// already with the peer, as on a real line it would already have been sent.
BOOL PurgeComm(CommHandle h, DWORD flags);
// Waits up to ms milliseconds until the transmit queue is empty; FALSE when it is not.
BOOL DrainComm(CommHandle h, DWORD ms);
// Fills the queue counts; *errors (when given) receives the pending line errors (none are
// tracked on Linux terminals, so 0).
BOOL ClearCommError(CommHandle h, DWORD* errors, COMSTAT* status);

// Reads with the time-out rules of the port: an interval of COMM_MAXDWORD with a zero
// multiplier returns at once with what is queued; otherwise it waits up to the total time-out
// (constant + multiplier x count) for the bytes, and a nonzero interval ends the read when the
// line pauses that long after the first byte.
BOOL ReadComm(CommHandle h, void* buffer, DWORD count, DWORD* read);
// Writes all bytes within the total write time-out (0 = no limit); *written gets what went out.
BOOL WriteComm(CommHandle h, const void* buffer, DWORD count, DWORD* written);

// Waits up to ms milliseconds for input to be queued; TRUE when bytes are waiting.
BOOL WaitCommInput(CommHandle h, DWORD ms);
// TRUE when the line is gone: the device was hung up or removed (a USB adapter pulled out, the
// far end of a pseudo terminal closed), so every read and write fails from now on.
BOOL CommLineLost(CommHandle h);
