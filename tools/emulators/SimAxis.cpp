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
        return;
    }
    double left = target_ - position_;
    if (std::fabs(left) <= step) {
        position_ = target_;
        moving_ = false;
        direction_ = 0;
    } else {
        position_ += direction_ * step;
    }
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
}

void SimAxis::MoveTo(long target) {
    Update();
    target_ = static_cast<double>(target);
    jogging_ = false;
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
