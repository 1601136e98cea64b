// The controller emulators, one per protocol, and a factory by protocol name.
//
// Protocol names: "mmc2", "msc2", "qt" (QT-CD1 and QT-CM2), "mii", "pat001", "ct7", "mfs",
// "stm6", "szx".
#pragma once

#include "tools/emulators/ControllerEmulator.h"

#include <memory>

// The emulators of two-axis controllers: two simulated axes whose travel speed is the high
// speed of their last speed set (low, high, rate), and the locked reading of positions and
// speed sets (axis 0 or 1).
class TwoAxisEmulator : public ControllerEmulator {
public:
    long AxisPosition(int axis) const;
    void SetAxisPosition(int axis, long position);
    // The last speed set of an axis (low, high, rate).
    void Speed(int axis, int* low, int* high, int* rate) const;

protected:
    TwoAxisEmulator(std::string protocol, EmulatorOptions options);
    bool MovingLocked() const override { return axes_[0].Moving() || axes_[1].Moving(); }
    std::vector<SimAxis*> Axes() override { return {&axes_[0], &axes_[1]}; }
    void SetSpeedOf(int axis, int low, int high, int rate);

    mutable SimAxis axes_[2];
    int speed_[2][3] = {{1000, 5000, 100}, {1000, 5000, 100}};
};

// MMC-2: axes X and Y; "A:", "M:", "J:", "G:", "D:", "L:W", "Q:" (27-character status).
class Mmc2Emulator : public TwoAxisEmulator {
public:
    explicit Mmc2Emulator(EmulatorOptions options = {});
    ~Mmc2Emulator() override { Shutdown(); }

protected:
    void HandleCommand(const std::string& line) override;
    long ProgramPositionLocked() const override { return axes_[1].Position(); }
    void SetProgramPositionLocked(long position) override { axes_[1].SetPosition(position); }

private:
    void Status();

    // A relative move or jog waits for "G:".
    enum class Pending { None, Move, Jog } pending_[2] = {Pending::None, Pending::None};
    long pendingValue_[2] = {0, 0};
};

// The controllers with axes A and B: MS-C2 ("Q:0"), QT-CD1/QT-CM2 ("Q:A0", "Q:A0B0") and the
// MⅡ controller (QT one-axis set with "RMT:ON"/"RMT:OFF" remote mode and "H:A" home; motion
// outside remote mode is refused).
class AbEmulator : public TwoAxisEmulator {
public:
    enum class Kind { Msc2, Qt, MII };
    explicit AbEmulator(Kind kind, EmulatorOptions options = {});
    ~AbEmulator() override { Shutdown(); }
    bool Remote() const;

protected:
    void HandleCommand(const std::string& line) override;
    long ProgramPositionLocked() const override { return FocusAxis().Position(); }
    void SetProgramPositionLocked(long position) override { FocusAxis().SetPosition(position); }

private:
    bool Motion(const std::string& line);
    SimAxis& FocusAxis() const;

    Kind kind_;
    bool remote_ = false;
    bool twoAxisSeen_ = false;
};

// The emulators of one-axis controllers: one simulated axis whose motion is the emulator's
// motion, its count read and set under the lock, and the program's position as the count or,
// for a drive counting the other way, its negation.
class OneAxisEmulator : public ControllerEmulator {
protected:
    OneAxisEmulator(std::string protocol, EmulatorOptions options, bool negated)
        : ControllerEmulator(std::move(protocol), std::move(options)), negated_(negated) {}
    long Count() const;
    void SetCount(long count);
    long ProgramPositionLocked() const override { return negated_ ? -axis_.Position() : axis_.Position(); }
    void SetProgramPositionLocked(long position) override {
        axis_.SetPosition(negated_ ? -position : position);
    }
    bool MovingLocked() const override { return axis_.Moving(); }
    std::vector<SimAxis*> Axes() override { return {&axis_}; }

    mutable SimAxis axis_;

private:
    bool negated_;
};

// The one-axis controller of the colon language with axis "1".
class Pat001Emulator : public OneAxisEmulator {
public:
    explicit Pat001Emulator(EmulatorOptions options = {});
    ~Pat001Emulator() override { Shutdown(); }
    long AxisPosition() const { return Count(); }
    void SetAxisPosition(long position) { SetCount(position); }
    void Speed(int* start, int* travel, int* rate, int* jogStart) const;

protected:
    void HandleCommand(const std::string& line) override;

private:
    int start_ = 500;
    int travel_ = 5000;
    int rate_ = 100;
    int jogStart_ = 500;
    enum class Pending { None, Move, Jog } pending_ = Pending::None;
    long pendingValue_ = 0;
};

// CT-7: "@MOD", "@POS", "@SYS", "@PTP", "@JGF", "@JGR", "@DCL"; motion only in remote mode;
// system parameters 04 (high, low; its second value is parameter 05) and 07 (two rates).
class Ct7Emulator : public OneAxisEmulator {
public:
    explicit Ct7Emulator(EmulatorOptions options = {});
    ~Ct7Emulator() override { Shutdown(); }
    long ControllerPosition() const { return Count(); }
    void SetControllerPosition(long position) { SetCount(position); }
    // Parameter 04 (first, second) and 07 (first, second).
    void Parameters(int* p04a, int* p04b, int* p07a, int* p07b) const;
    // A line that does not begin with the reply prefix goes out before every reply.
    void SetNoiseLine(std::string line);

protected:
    void HandleCommand(const std::string& line) override;

private:
    void Answer(const std::string& text);
    void ApplySpeed();

    bool remote_ = false;
    int p04_[2] = {50000, 1000};
    int p07_[2] = {100, 100};
    std::string noise_;
};

// Motor-Focus System: "70030".."70032", "70010".."70012"; fixed speed.
class MfsEmulator : public OneAxisEmulator {
public:
    explicit MfsEmulator(EmulatorOptions options = {}, double countsPerSecond = 5000);
    ~MfsEmulator() override { Shutdown(); }
    long ControllerPosition() const { return Count(); }
    void SetControllerPosition(long position) { SetCount(position); }

protected:
    void HandleCommand(const std::string& line) override;
};

// STM6: "1 <word>..." commands answered "0 <word>..."; remote mode; status bits 0x01 (inches)
// and 0x20 (0.025 um steps) of GETSTS; bit 0x20 of ZSTS while moving; output mode of DOUT.
class Stm6Emulator : public OneAxisEmulator {
public:
    explicit Stm6Emulator(EmulatorOptions options = {});
    ~Stm6Emulator() override { Shutdown(); }
    long ControllerCount() const { return Count(); }
    void SetControllerCount(long count) { SetCount(count); }
    void SetStatusBits(int bits);
    void SetOutputMode(int mode);
    bool Remote() const;
    int ResetCount() const;
    void Speed(int* high, int* rate) const;

protected:
    void HandleCommand(const std::string& line) override;
    double OwnUmPerPulseLocked() const override { return StepUm(); }

private:
    double StepUm() const { return (status_ & 0x20) ? 0.025 : 0.05; }

    bool remote_ = false;
    int status_ = 0;
    int outputMode_ = 0;
    int resets_ = 0;
    int high_ = 50;
    int rate_ = 100;
};

// SZX: login, "1FCPOS?", "1FCH"/"1FCL" moves ('F' lowers the reading, 'N' raises it),
// "1FCSTOP".
class SzxEmulator : public OneAxisEmulator {
public:
    explicit SzxEmulator(EmulatorOptions options = {});
    ~SzxEmulator() override { Shutdown(); }
    long Reading() const { return Count(); }
    void SetReading(long reading) { SetCount(reading); }
    bool LoggedIn() const;

protected:
    void HandleCommand(const std::string& line) override;

private:
    bool loggedIn_ = false;
    std::string lastVariant_;
};

// "mmc2", "msc2", "qt", "mii", "pat001", "ct7", "mfs", "stm6", "szx"; null for another name.
std::unique_ptr<ControllerEmulator> MakeEmulator(const std::string& protocol, EmulatorOptions options = {});
