#include "tools/emulators/SimAxis.h"

#include <cmath>

void SimAxis::Update() {
    auto now = Clock::now();
    double dt = std::chrono::duration<double>(now - last_).count();
    last_ = now;
    if (!moving_)
        return;
    double step = speed_ * dt;
    if (jogging_ || neverStop_) {
        position_ += direction_ * step;
    } else if (std::fabs(target_ - position_) <= step) {
        position_ = target_;
        moving_ = false;
        direction_ = 0;
    } else {
        position_ += direction_ * step;
    }
    if (limited_ && !neverStop_ && (position_ < low_ || position_ > high_)) {
        position_ = position_ < low_ ? low_ : high_;
        target_ = position_;
        moving_ = false;
        jogging_ = false;
        direction_ = 0;
        atLimit_ = true;
    }
}

void SimAxis::SetLimits(long low, long high) {
    Update();
    limited_ = true;
    low_ = static_cast<double>(low);
    high_ = static_cast<double>(high);
}

bool SimAxis::AtLimit() {
    Update();
    return atLimit_;
}

void SimAxis::SetSpeed(double countsPerSecond) {
    Update();
    speed_ = countsPerSecond < 1 ? 1 : countsPerSecond;
}

void SimAxis::SetPosition(long position) {
    Update();
    position_ = static_cast<double>(position);
    target_ = position_;
    moving_ = false;
    jogging_ = false;
    atLimit_ = false;
}

void SimAxis::MoveTo(long target) {
    Update();
    target_ = static_cast<double>(target);
    jogging_ = false;
    atLimit_ = false;
    if (target_ == position_ && !neverStop_) {
        moving_ = false;
        return;
    }
    direction_ = target_ > position_ ? 1 : -1;
    if (target_ == position_)
        direction_ = 1;
    moving_ = true;
}

void SimAxis::MoveBy(long distance) {
    Update();
    MoveTo(std::lround(position_) + distance);
}

void SimAxis::Jog(int direction) {
    Update();
    direction_ = direction >= 0 ? 1 : -1;
    jogging_ = true;
    atLimit_ = false;
    moving_ = true;
}

void SimAxis::Stop() {
    Update();
    if (neverStop_)
        return;
    moving_ = false;
    jogging_ = false;
    position_ = std::round(position_);
    target_ = position_;
}

void SimAxis::SetNeverStop(bool on) {
    Update();
    neverStop_ = on;
    if (on && !moving_) {
        direction_ = 1;
        moving_ = true;
    }
}

long SimAxis::Position() {
    Update();
    return std::lround(position_);
}

bool SimAxis::Moving() {
    Update();
    return moving_;
}
