// One simulated axis: moves toward a target (or jogs) at its speed in real time.
#pragma once

#include <chrono>

class SimAxis {
public:
    using Clock = std::chrono::steady_clock;

    // Counts per second (already scaled); values below 1 become 1.
    void SetSpeed(double countsPerSecond);
    double Speed() const { return speed_; }
    void SetPosition(long position);
    void MoveTo(long target);
    void MoveBy(long distance);
    // +1 or -1: moves until stopped.
    void Jog(int direction);
    void Stop();
    // When set the axis never comes to rest and ignores Stop.
    void SetNeverStop(bool on);
    // Travel limits: a motion that reaches one stops there, and the axis reports the limit until
    // its next motion.
    void SetLimits(long low, long high);
    bool AtLimit();

    long Position();
    bool Moving();

private:
    void Update();

    double position_ = 0;
    double target_ = 0;
    double speed_ = 1000;
    int direction_ = 0;
    bool moving_ = false;
    bool jogging_ = false;
    bool neverStop_ = false;
    bool limited_ = false;
    bool atLimit_ = false;
    double low_ = 0;
    double high_ = 0;
    Clock::time_point last_ = Clock::now();
};
