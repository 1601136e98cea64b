#include "tools/emulators/Emulators.h"
#include "tools/emulators/Scan.h"

namespace {
constexpr double kHighSpeed = 20000.0;
constexpr double kLowSpeed = 2000.0;
} // namespace

SzxEmulator::SzxEmulator(EmulatorOptions options) : OneAxisEmulator("szx", std::move(options), false) {
    axis_.SetSpeed(kLowSpeed * SpeedScale());
}

bool SzxEmulator::LoggedIn() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return loggedIn_;
}

void SzxEmulator::HandleCommand(const std::string& line) {
    char variant[5] = {0};
    char direction = 0;
    long distance = 0;
    if (line == "1LOG IN" || line == "1LOG OUT") {
        loggedIn_ = line == "1LOG IN";
        Reply("1LOG +\r\n");
    } else if (!loggedIn_) {
        Reject(line);
        if (line == "1FCPOS?" || line == "1FCSTOP")
            Reply(line.substr(0, line.find('?')) + " !\r\n");
    } else if (line == "1FCPOS?") {
        Reply(Format("1FCPOS %ld\r\n", axis_.Position()));
    } else if (line == "1FCSTOP") {
        axis_.Stop();
        Reply("1FCSTOP +\r\n");
    } else if (ScanLine(line, "%4c %c,%ld", &variant, &direction, &distance) &&
               (std::string(variant) == "1FCH" || std::string(variant) == "1FCL") &&
               (direction == 'F' || direction == 'N') && distance >= 0) {
        lastVariant_ = variant;
        axis_.SetSpeed((lastVariant_ == "1FCH" ? kHighSpeed : kLowSpeed) * SpeedScale());
        axis_.MoveBy(direction == 'F' ? -distance : distance);
    } else {
        Reject(line);
    }
}
