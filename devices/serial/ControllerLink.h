// The serial connection every controller driver holds, and the reply reading and number parsing
// they share. Replies are read one character at a time within 3000 ms; a line longer than 255
// characters is rejected, whatever the driver.
#pragma once

#include "devices/serial/SerialPort.h"

#include <functional>
#include <string>

constexpr DWORD kReplyTimeoutMs = 3000;
constexpr DWORD kWaitStopTimeoutMs = 30000;
constexpr size_t kReplyLineMax = 255;

// Connected flag, port and the six open arguments in the facade's order.
struct ControllerLink {
    BOOL connected = FALSE;
    CSerialPort port;
    int nPort = 0;
    int nBaud = 6;
    int nData = 1;
    int nParity = 0;
    int nStop = 0;
    int nFlow = 0;
    // Whether the last status query (ColonQuery) brought a complete line, usable or not.
    bool answered = false;
    // A reply that did not come complete within the reply time may still come later, and would
    // then be read as the answer to the next query. `replyOwed` is set when a reply read failed,
    // `owedSince` is the tick of that failure; both outlast the port's close and open.
    bool replyOwed = false;
    DWORD owedSince = 0;

    void Store(int portIndex, int baud, int data, int parity, int stop, int flow);
    // The open and close of the drivers whose connection lasts one command: stores the
    // arguments and tries the port once (the result is the connected flag); closes the port
    // when that try had succeeded.
    BOOL StoreAndTry(int portIndex, int baud, int data, int parity, int stop, int flow);
    void CloseIfConnected();
    // Opens the port with the stored arguments (the port takes stop, parity, data).
    BOOL OpenPort();
    void ClosePort();
    // A command counts as sent when the port wrote more than 0 bytes.
    BOOL Send(const char* text);
    BOOL SendF(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool AutoConnect() { return port.GetAutoConnect() == 1; }

    // Readies the open port for a query: when a reply is owed, waits until one reply time has
    // passed since it was found missing, discarding whatever arrives meanwhile; then discards
    // what is pending. Nothing that came before the query is then read as its answer.
    void ClearForQuery();
    // Sends a query and reads its reply line (ReadReplyLine), after ClearForQuery.
    bool Query(const char* command, std::string& line);
    // ReadPrefixedLine on the port; a failure leaves a reply owed. The query before it is sent
    // after ClearForQuery.
    bool ReadPrefixed(const std::string& prefix, std::string& rest);

private:
    // Notes the outcome of a reply read and returns it: a failed read leaves a reply owed.
    bool NoteReply(bool got);
};

// Reads characters until a line feed has been appended; the line keeps its CR LF. Fails when
// 3000 ms pass from `start`, on a read error, or when the line grows past 255 characters.
bool ReadReplyLine(CSerialPort& port, std::string& line);

// Reads lines (CR and LF not stored) until one begins with `prefix`; other lines are dropped.
// The whole receive is limited to 3000 ms. `rest` gets the text after the prefix. A line longer
// than 255 characters fails the receive.
bool ReadPrefixedLine(CSerialPort& port, const std::string& prefix, std::string& rest);

// The decimal number (blanks, optional sign, digits) in text[from, to); false when the field
// holds no digits or the value does not fit an int. Nothing past `to` is looked at.
bool ParseIntField(const std::string& text, size_t from, size_t to, int* value);
// The first decimal number in text[from, end): a sign is taken when a digit follows it.
bool FindFirstInt(const std::string& text, size_t from, int* value);

// The wait for the end of a motion by position polling: reads the position, then again every
// `pauseMs` (0: at once) until two readings in a row agree (true). A failed read, or 30000 ms
// without two equal readings, ends the wait with false; stopping the motion is the caller's.
bool WaitPositionSettled(CSerialPort& port, DWORD pauseMs, const std::function<BOOL(int*)>& read);
