#include "tools/emulators/Emulators.h"
#include "tools/emulators/Scan.h"

Ct7Emulator::Ct7Emulator(EmulatorOptions options) : OneAxisEmulator("ct7", std::move(options), true) { ApplySpeed(); }

void Ct7Emulator::Parameters(int* p04a, int* p04b, int* p07a, int* p07b) const {
    std::lock_guard<std::mutex> lock(mutex_);
    *p04a = p04_[0];
    *p04b = p04_[1];
    *p07a = p07_[0];
    *p07b = p07_[1];
}

void Ct7Emulator::SetNoiseLine(std::string line) {
    std::lock_guard<std::mutex> lock(mutex_);
    noise_ = std::move(line);
}

// Travel runs at the high speed of parameter 04.
void Ct7Emulator::ApplySpeed() { axis_.SetSpeed(p04_[0] * SpeedScale()); }

void Ct7Emulator::Answer(const std::string& text) {
    if (!noise_.empty())
        Reply(noise_);
    Reply(text);
}

void Ct7Emulator::HandleCommand(const std::string& line) {
    int a = 0, b = 0, n = 0;
    char p[3] = {0, 0, 0};
    if (line.empty())
        return; // the empty line that starts a connection
    if (line == "@MOD 1" || line == "@MOD 0") {
        remote_ = line == "@MOD 1";
    } else if (line == "@POS 1 ?") {
        Answer(Format("@POS  1 ABS=%ld\r\n", axis_.Position()));
    } else if (ScanLine(line, "@SYS 1 %2c ?", &p)) {
        std::string number(p, 2);
        if (number == "04")
            Answer(Format("SYS  1 %ld\r\n", p04_[0]));
        else if (number == "05")
            Answer(Format("SYS  1 %ld\r\n", p04_[1]));
        else if (number == "07")
            Answer(Format("SYS  1 %ld\r\n", p07_[0]));
        else
            Reject(line);
    } else if (ScanLine(line, "@SYS 1 04 %d, %d", &a, &b)) {
        p04_[0] = a;
        p04_[1] = b;
        ApplySpeed();
    } else if (ScanLine(line, "@SYS 1 07 %d, %d", &a, &b)) {
        p07_[0] = a;
        p07_[1] = b;
    } else if (!remote_) {
        Reject(line); // motion only in remote mode
    } else if (ScanLine(line, "@PTP 1 8000H %d", &n)) {
        axis_.MoveTo(n);
    } else if (ScanLine(line, "@PTP 1 0 %d", &n)) {
        axis_.MoveBy(n);
    } else if (line == "@JGF 1") {
        axis_.Jog(1);
    } else if (line == "@JGR 1") {
        axis_.Jog(-1);
    } else if (line == "@DCL 1") {
        axis_.Stop();
    } else {
        Reject(line);
    }
}
