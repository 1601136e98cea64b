// Base of the controller emulators: serves one pseudo terminal, splits what the program writes
// into command lines, lets the protocol answer them, moves simulated axes, records every byte
// received, and can be told to misbehave (silent, garbage, too long, never stop).
//
// The current position of the focus axis, as the program reads it, times the micrometres per
// pulse, is written to the file that VANTOREL_STAGE_POSITION_FILE names (one decimal number per
// write, replaced atomically).
#pragma once

#include "tools/emulators/SimAxis.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

enum class FailureMode {
    None,      // answers as the controller does
    Silent,    // reads commands, answers nothing
    Garbage,   // answers every query with a line that fits no reply format
    TooLong,   // answers with the right start and then more than 300 characters before CR LF
    NeverStop, // axes never come to rest and ignore the stop command
};

struct EmulatorOptions {
    double speedScale = 1.0;    // multiplies every axis speed (tests run fast)
    double umPerPulse = 0.0;    // for the position file; 0: the controller's own (1.0, STM6 its step)
    std::string positionFile;   // empty: $VANTOREL_STAGE_POSITION_FILE (none when unset)
    unsigned requiredBaud = 0;  // nonzero: a line set to another rate hears garbage
    unsigned replyDelayMs = 0; // every reply goes out this long after its command came in
    // A share (0..1) of the replies goes out late, each by a time drawn from lateMinMs..lateMaxMs
    // with the seed's random sequence; the replies keep their order (one behind a late one waits
    // for it).
    double lateShare = 0.0;
    unsigned lateMinMs = 0;
    unsigned lateMaxMs = 0;
    unsigned seed = 1;
};

// Line settings as the program configured the terminal.
struct LineSettings {
    unsigned baud = 0;
    int dataBits = 8;
    char parity = 'N'; // N, O, E, M, S
    int stopBits = 1;
    bool xonXoff = false;
    bool raw = false; // no canonical mode, no echo, no output processing
};

class ControllerEmulator {
public:
    ControllerEmulator(std::string protocol, EmulatorOptions options);
    virtual ~ControllerEmulator();

    ControllerEmulator(const ControllerEmulator&) = delete;
    ControllerEmulator& operator=(const ControllerEmulator&) = delete;

    // Opens the pseudo terminal and starts serving it; false when no terminal could be had.
    bool Start();
    // Stops serving, within one reply's time on the line at most. Every protocol class calls it in
    // its destructor, before its own state goes.
    void Shutdown();

    const std::string& Protocol() const { return protocol_; }
    const std::string& SlavePath() const { return slavePath_; }

    // Every byte received since the start or the last ClearLog, in order.
    std::string Received() const;
    // The complete command lines received (with their CR LF), in order.
    std::vector<std::string> Commands() const;
    // Commands that the protocol did not recognise or refused in its current state.
    std::vector<std::string> Rejected() const;
    void ClearLog();
    // Waits until `count` command lines have been received in total.
    bool WaitForCommands(size_t count, int ms) const;

    void SetFailureMode(FailureMode mode);
    // Replies to the commands that come from now on go out `ms` after their command (0: at once);
    // with `onlyPrefix`, only the replies that begin with it.
    void SetReplyDelay(unsigned ms, std::string onlyPrefix = std::string());
    // From now on `share` of the replies go out late by minMs..maxMs, in order (see
    // EmulatorOptions); a share of 0 ends it.
    void SetLateReplies(double share, unsigned minMs, unsigned maxMs, unsigned seed);
    // Replies sent late so far by the late share.
    unsigned LateReplies() const;
    // The next reply is replaced by these bytes (one queued text per reply).
    void QueueReply(std::string raw);
    // Gives every axis the travel limits low..high (in the controller's counts).
    void SetTravelLimits(long low, long high);
    bool GetLineSettings(LineSettings& settings) const;

    // The focus axis position as the program reads it, in pulses.
    long ProgramPosition() const;
    // Puts the focus axis at `position` as the program reads it.
    void SetProgramPosition(long position);
    bool AxisMoving() const;

protected:
    // Called on the serving thread with the lock held; `line` without its CR LF.
    virtual void HandleCommand(const std::string& line) = 0;
    // The focus position as the program sees it (lock held).
    virtual long ProgramPositionLocked() const = 0;
    virtual void SetProgramPositionLocked(long position) = 0;
    virtual bool MovingLocked() const = 0;
    // Every axis of the emulator (for the never-stop mode).
    virtual std::vector<SimAxis*> Axes() = 0;
    // Micrometres per pulse of the position file when the options give none (lock held).
    virtual double OwnUmPerPulseLocked() const { return 1.0; }

    // Sends a reply (CR LF included) through the failure mode (lock held).
    void Reply(const std::string& text);
    void Reject(const std::string& line);
    double SpeedScale() const { return options_.speedScale; }

    mutable std::mutex mutex_;

private:
    void Serve();
    // Writes a reply after its time on the line; what the terminal will not take at once is
    // dropped, so the emulator never waits for a client that stopped reading.
    void Transmit(const std::string& bytes);
    // Transmits now, or keeps the bytes for their time when replies are delayed (lock held).
    void Emit(const std::string& bytes);
    // Transmits the delayed replies whose time has come (lock held).
    void TransmitDue();
    void WritePositionFile(bool force);
    bool LineMatchesRequiredRate() const;

    std::string protocol_;
    EmulatorOptions options_;
    std::string positionFile_;
    int master_ = -1;
    int holder_ = -1;
    std::string slavePath_;
    std::thread thread_;
    std::atomic<bool> running_{false};

    std::string received_;
    std::string partial_;
    std::vector<std::string> commands_;
    std::vector<std::string> rejected_;
    std::deque<std::string> queued_;
    std::deque<std::pair<std::chrono::steady_clock::time_point, std::string>> delayed_;
    std::string delayedPrefix_;
    std::mt19937 random_;
    unsigned lateCount_ = 0;
    FailureMode mode_ = FailureMode::None;
    mutable std::condition_variable commandSeen_;
    bool havePositionWritten_ = false;
    double lastWrittenUm_ = 0;
};
