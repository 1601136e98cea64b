// The serial connection every controller driver holds, and the reply reading and number parsing
// they share. Replies are read one character at a time within 3000 ms; a line longer than 255
// characters is rejected, whatever the driver.
//
// The link keeps count of the replies it is owed: a query whose reply did not come whole within
// the reply time leaves its reply owed, and a controller that answers late still sends it. While
// a reply is owed the link is out of step, and no line is taken as an answer until it is back in
// step (see GetInStep). Lines arrive in the order of their queries.
#pragma once

#include "devices/serial/SerialPort.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

constexpr DWORD kReplyTimeoutMs = 3000;
constexpr DWORD kWaitStopTimeoutMs = 30000;
constexpr size_t kReplyLineMax = 255;

// Collects the characters of reply lines across reads: a read that ends in the middle of a line
// leaves the part read here, and the next read goes on with it.
struct ReplyAssembler {
    std::string text;  // the line so far, CR and LF kept, at most twice the line limit
    size_t length = 0; // characters of the line so far, CR and LF not counted
    size_t crlf = 0;   // CR and LF characters of the line so far
    void Clear() {
        text.clear();
        length = crlf = 0;
    }
    // Reads until a line has ended (1, the line in `line` with its CR LF, the assembler cleared),
    // the time from `start` passes `limitMs` (0) or the port fails (-1). With `stopPast` a line
    // growing past `stopPast` characters (CR LF counted) ends the read at once with -2.
    int Next(CSerialPort& port, DWORD start, DWORD limitMs, std::string& line, size_t stopPast = 0);
};

// The target of the last motion sent on each axis (0 the first, 1 the second), in the
// program's pulses, and the position the last wait ended at.
struct AxisMotion {
    bool moved = false; // the last motion command went to this axis
    bool known = false; // its target is known (an absolute move, or a relative one from a known position)
    int target = 0;
    bool atKnown = false; // the position is known: where the last wait of a motion ended
    int at = 0;
};

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
    // Pulses by which a position may differ from a target and still agree with it.
    int resolution = 0;
    // Time that a wait for the end of a motion lends an out-of-step link (what is left of its own
    // limit): the owed replies may take that long before the next query goes out.
    DWORD lentMs = 0;
    // Queries (command, reply prefix) whose answer can be told from every other reply by its
    // prefix and that change nothing in the controller. Empty for protocols whose replies all look
    // alike.
    std::vector<std::pair<std::string, std::string>> tellingQueries;

    // Stores the arguments. Storing them anew forgets the replies owed on the earlier
    // connection: the user connects again.
    void Store(int portIndex, int baud, int data, int parity, int stop, int flow);
    // The open and close of the drivers whose connection lasts one command: stores the
    // arguments and tries the port once (the result is the connected flag); closes the port
    // when that try had succeeded.
    BOOL StoreAndTry(int portIndex, int baud, int data, int parity, int stop, int flow);
    void CloseIfConnected();
    // Opens the port with the stored arguments (the port takes stop, parity, data). A port held
    // open while replies are owed is used as it is.
    BOOL OpenPort();
    // Closes the port; while replies are owed it stays open (held), so that none of them is
    // lost and their count stays true. The connected flag is cleared either way.
    void ClosePort();
    // A command counts as sent when the port wrote more than 0 bytes.
    BOOL Send(const char* text);
    BOOL SendF(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool AutoConnect() { return port.GetAutoConnect() == 1; }

    bool InStep() const { return owed_.empty(); }
    size_t OwedReplies() const { return owed_.size(); }
    // Sends a query and reads its reply line (CR LF kept, at most 255 characters, within the
    // reply time). In step, what is pending is discarded first. Out of step, the owed lines,
    // which come before the answer, are read and discarded within that time (with `lentMs`, they
    // may take that long before the query is sent). A line that did not come whole is owed.
    bool Query(const char* command, std::string& line);
    // Sends a query and reads the line that begins with `prefix`, other lines dropped; when it
    // does not come, `lines` replies of that word are owed. Out of step, a query whose reply word
    // no owed reply shares needs nothing more: its own line, in order after them all, puts the
    // link back in step. Else the link first gets back in step (GetInStep); when it cannot, the
    // query is not sent.
    bool QueryPrefixed(const char* command, const std::string& prefix, std::string& rest, int lines = 1);
    // Reads the line that begins with `prefix` (a further reply of the last query); a failure
    // leaves it owed.
    bool ReadPrefixed(const std::string& prefix, std::string& rest);

    // The motion bookkeeping of the waits: a motion is about to be sent (BeginMotion), then for
    // each axis it moves, its kind. An absolute move has its target; a relative one (`delta` in
    // the program's sense) has one when the position before it is known; a jog has none.
    void BeginMotion();
    void MoveSentAbs(int axis, int target);
    void MoveSentRel(int axis, int delta);
    void MoveSentJog(int axis);
    // Whether the link was out of step at any time since the last motion was sent.
    bool OutOfStepSinceMove() const { return outSinceMove_; }
    // True when the position `pos` of `axis` may end a wait: the axis did not move, or the link
    // stayed in step since the motion was sent, or `pos` agrees with the known target.
    bool EndAgrees(int axis, int pos) const;
    // The wait of the motion ended (`ok`) at `pos`, or failed (the position is then unknown).
    void WaitEnded(int axis, bool ok, int pos);

private:
    // Gets the link back in step for a query whose reply begins with `prefix` when an owed reply
    // could be mistaken for it: sends a telling query whose word no owed reply shares and
    // discards every line until its answer; without one, reads and discards the owed replies.
    // False when that does not end within the reply time or `lentMs`, whichever is longer.
    bool GetInStep(const std::string& prefix);
    // Discards what is pending, when nothing is owed (what is owed must be read to be counted).
    void PurgeIfInStep();
    // Notes that `count` replies beginning with `prefix` are owed.
    void Owe(const std::string& prefix, int count);
    // Whether an owed reply and a reply beginning with `prefix` could be mistaken for each other.
    bool Owes(const std::string& prefix) const;
    // Reads the next line of the link within `limitMs` from `start`; the owed reply it answers,
    // if any, is no longer owed. 1 a line, 0 time over, -1 the port failed.
    int NextLine(DWORD start, DWORD limitMs, std::string& line);
    // Reads lines until one begins with `prefix` (CR and LF not stored, at most 255 characters);
    // 1 with the text after it in `rest`, 0 time over, -1 the port failed or the line was too long.
    int NextPrefixed(DWORD start, DWORD limitMs, const std::string& prefix, std::string& rest);
    void ForgetOwed();

    std::vector<std::string> owed_; // the prefixes of the owed replies, in order ("" any line)
    ReplyAssembler lines_;
    bool held_ = false;
    bool outSinceMove_ = false;
    AxisMotion axes_[2];
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
// `pauseMs` (0: at once) until two readings in a row agree (true, the reading in `*settled`). A
// failed read, or 30000 ms without two equal readings, ends the wait with false; stopping the
// motion is the caller's.
bool WaitPositionSettled(CSerialPort& port, DWORD pauseMs, const std::function<BOOL(int*)>& read,
                         int* settled = nullptr);
