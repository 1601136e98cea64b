#include "tools/emulators/Emulators.h"
#include "tools/emulators/Scan.h"

namespace {
// Travel speed of the drive per unit of its high-speed setting.
constexpr double kCountsPerSpeedUnit = 1000.0;
} // namespace

Stm6Emulator::Stm6Emulator(EmulatorOptions options) : OneAxisEmulator("stm6", std::move(options), true) {
    axis_.SetSpeed(high_ * kCountsPerSpeedUnit * SpeedScale());
}

void Stm6Emulator::SetStatusBits(int bits) {
    std::lock_guard<std::mutex> lock(mutex_);
    status_ = bits;
}

void Stm6Emulator::SetOutputMode(int mode) {
    std::lock_guard<std::mutex> lock(mutex_);
    outputMode_ = mode;
}

bool Stm6Emulator::Remote() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return remote_;
}

int Stm6Emulator::ResetCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return resets_;
}

void Stm6Emulator::Speed(int* high, int* rate) const {
    std::lock_guard<std::mutex> lock(mutex_);
    *high = high_;
    *rate = rate_;
}

void Stm6Emulator::HandleCommand(const std::string& line) {
    int a = 0, b = 0, c = 0;
    char text[128];
    // Motion and stop need remote mode; outside it the drive answers with '!'.
    auto motion = [&](const char* word, bool ok) {
        std::snprintf(text, sizeof text, "0 %s%c\r\n", word, ok && remote_ ? '+' : '!');
        Reply(text);
        return ok && remote_;
    };
    if (line == "1 GETSTS?") {
        std::snprintf(text, sizeof text, "0 GETSTS:%d\r\n", status_);
        Reply(text);
    } else if (line == "1 ZSTS?") {
        std::snprintf(text, sizeof text, "0 ZSTS:%d\r\n", axis_.Moving() ? 0x20 : 0);
        Reply(text);
    } else if (line == "1 DOUT?") {
        std::snprintf(text, sizeof text, "0 DOUT:%d\r\n", outputMode_);
        Reply(text);
    } else if (line == "1 READ?") {
        double factor = (status_ & 0x01) ? 25400.0 : 1000.0;
        double z = static_cast<double>(axis_.Position()) * StepUm() / factor;
        if (outputMode_ == 0)
            std::snprintf(text, sizeof text, "0 READ:%.9f,%.9f,%.9f\r\n", 0.0, 0.0, z);
        else
            std::snprintf(text, sizeof text, "0 READ:%.9f\r\n", z);
        Reply(text);
    } else if (ScanLine(line, "1 RESET= %d", &a)) {
        if (a == 2)
            ++resets_;
        std::snprintf(text, sizeof text, "0 RESET%c\r\n", a == 2 ? '+' : '!');
        Reply(text);
    } else if (ScanLine(line, "1 ZMOVR= %d,%d,%d", &a, &b, &c) && (a == 0 || a == 1) && c >= 0) {
        if (motion("ZMOVR", true))
            axis_.MoveBy(a == 1 ? c : -c);
    } else if (line == "1 ZMOVF= 1,0" || line == "1 ZMOVF= 0,0") {
        if (motion("ZMOVF", true))
            axis_.Jog(line[9] == '1' ? 1 : -1);
    } else if (line == "1 ZSTOP= ") {
        if (motion("ZSTOP", true))
            axis_.Stop();
    } else if (ScanLine(line, "1 ZSPD= %d,%d,%d", &a, &b, &c)) {
        high_ = b;
        rate_ = c;
        axis_.SetSpeed((high_ > 0 ? high_ : 1) * kCountsPerSpeedUnit * SpeedScale());
        Reply("0 ZSPD+\r\n");
    } else if (line == "1 REMOTE= 4" || line == "1 REMOTE= 0") {
        remote_ = line.back() == '4';
        Reply("0 REMOTE+\r\n");
        Reply(remote_ ? "0 REMOTE=4\r\n" : "0 REMOTE=0\r\n");
    } else if (line == "1 REMOTE+") {
        // acknowledgement of the mode change: no answer
    } else {
        Reject(line);
    }
}
