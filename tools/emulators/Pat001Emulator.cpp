#include "tools/emulators/Emulators.h"
#include "tools/emulators/Scan.h"

#include <cstdlib>

Pat001Emulator::Pat001Emulator(EmulatorOptions options) : OneAxisEmulator("pat001", std::move(options), false) {
    axis_.SetSpeed(travel_ * SpeedScale());
}

void Pat001Emulator::Speed(int* start, int* travel, int* rate, int* jogStart) const {
    std::lock_guard<std::mutex> lock(mutex_);
    *start = start_;
    *travel = travel_;
    *rate = rate_;
    *jogStart = jogStart_;
}

void Pat001Emulator::HandleCommand(const std::string& line) {
    long v = 0;
    int s = 0, f = 0, r = 0;
    char sign = 0;
    char b[64];
    if (line == "Q:") {
        long p = axis_.Position();
        std::snprintf(b, sizeof b, "%c%9ld,K,%c,%c\r\n", p < 0 ? '-' : '+', Fit9(std::labs(p)),
                      axis_.AtLimit() ? 'L' : 'K', axis_.Moving() ? 'B' : 'R');
        Reply(b);
    } else if (ScanLine(line, "A:1%cP%ld", &sign, &v) && (sign == '+' || sign == '-') && v >= 0) {
        axis_.MoveTo(sign == '-' ? -v : v);
    } else if (ScanLine(line, "M:1%cP%ld", &sign, &v) && (sign == '+' || sign == '-') && v >= 0) {
        pending_ = Pending::Move;
        pendingValue_ = sign == '-' ? -v : v;
    } else if (line == "J:1+" || line == "J:1-") {
        pending_ = Pending::Jog;
        pendingValue_ = line[3] == '+' ? 1 : -1;
    } else if (line == "G:") {
        if (pending_ == Pending::Move)
            axis_.MoveBy(pendingValue_);
        else if (pending_ == Pending::Jog)
            axis_.Jog(static_cast<int>(pendingValue_));
        pending_ = Pending::None;
    } else if (ScanLine(line, "D:1S%dF%dR%d", &s, &f, &r)) {
        start_ = s;
        travel_ = f;
        rate_ = r;
        axis_.SetSpeed(travel_ * SpeedScale());
    } else if (ScanLine(line, "S:J%d", &s)) {
        jogStart_ = s;
    } else if (line == "R:1") {
        axis_.MoveTo(0);
    } else if (line == "L:1") {
        axis_.Stop();
    } else {
        Reject(line);
    }
}
