#include "tools/emulators/Emulators.h"
#include "tools/emulators/Scan.h"

namespace {
const char* NameOf(AbEmulator::Kind kind) {
    switch (kind) {
    case AbEmulator::Kind::Msc2: return "msc2";
    case AbEmulator::Kind::Qt: return "qt";
    default: return "mii";
    }
}
} // namespace

AbEmulator::AbEmulator(Kind kind, EmulatorOptions options) : TwoAxisEmulator(NameOf(kind), std::move(options)), kind_(kind) {}

bool AbEmulator::Remote() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return remote_;
}

// The focus axis: B on the two-axis controllers; a one-axis QT or MⅡ has only A. A QT emulator
// serves both the one-axis and the two-axis use, so it follows B once it heard of axis B.
SimAxis& AbEmulator::FocusAxis() const {
    bool focusOnB = kind_ == Kind::Msc2 || (kind_ == Kind::Qt && twoAxisSeen_);
    return focusOnB ? axes_[1] : axes_[0];
}

bool AbEmulator::Motion(const std::string& line) {
    long a = 0, b = 0;
    char s1 = 0, s2 = 0;
    auto sign = [](char c) { return c == '+' ? 1 : (c == '-' ? -1 : 0); };
    if (ScanLine(line, "AGO:A%ldB%ld", &a, &b)) {
        axes_[0].MoveTo(a);
        axes_[1].MoveTo(b);
    } else if (ScanLine(line, "AGO:A%ld", &a)) {
        axes_[0].MoveTo(a);
    } else if (ScanLine(line, "AGO:B%ld", &b)) {
        axes_[1].MoveTo(b);
    } else if (ScanLine(line, "MGO:A%ldB%ld", &a, &b)) {
        axes_[0].MoveBy(a);
        axes_[1].MoveBy(b);
    } else if (ScanLine(line, "MGO:A%ld", &a)) {
        axes_[0].MoveBy(a);
    } else if (ScanLine(line, "MGO:B%ld", &b)) {
        axes_[1].MoveBy(b);
    } else if (ScanLine(line, "JGO:A%cB%c", &s1, &s2) && sign(s1) && sign(s2)) {
        axes_[0].Jog(sign(s1));
        axes_[1].Jog(sign(s2));
    } else if (ScanLine(line, "JGO:A%c", &s1) && sign(s1)) {
        axes_[0].Jog(sign(s1));
    } else if (ScanLine(line, "JGO:B%c", &s2) && sign(s2)) {
        axes_[1].Jog(sign(s2));
    } else if (line == "L:") {
        axes_[0].Stop();
        axes_[1].Stop();
    } else if (kind_ == Kind::MII && line == "H:A") {
        axes_[0].MoveTo(0);
    } else {
        return false;
    }
    return true;
}

void AbEmulator::HandleCommand(const std::string& line) {
    size_t colon = line.find(':');
    if (colon != std::string::npos && line.find('B', colon) != std::string::npos)
        twoAxisSeen_ = true;
    int l = 0, h = 0, r = 0;
    char b[64];
    auto state = [](SimAxis& axis) { return axis.Moving() ? 'D' : 'K'; };
    if (kind_ == Kind::Msc2 && line == "Q:0") {
        std::snprintf(b, sizeof b, "%9ld%c,%9ld%c\r\n", Fit9(axes_[0].Position()), state(axes_[0]),
                      Fit9(axes_[1].Position()), state(axes_[1]));
        Reply(b);
    } else if (kind_ != Kind::Msc2 && line == "Q:A0") {
        std::snprintf(b, sizeof b, "%9ld%c\r\n", Fit9(axes_[0].Position()), state(axes_[0]));
        Reply(b);
    } else if (kind_ == Kind::Qt && line == "Q:A0B0") {
        std::snprintf(b, sizeof b, "%9ld%c,%9ld%c\r\n", Fit9(axes_[0].Position()), state(axes_[0]),
                      Fit9(axes_[1].Position()), state(axes_[1]));
        Reply(b);
    } else if (kind_ == Kind::MII && (line == "RMT:ON" || line == "RMT:OFF")) {
        remote_ = line == "RMT:ON";
    } else if (ScanLine(line, "D:A%d,%d,%d", &l, &h, &r)) {
        SetSpeedOf(0, l, h, r);
    } else if (kind_ != Kind::MII && ScanLine(line, "D:B%d,%d,%d", &l, &h, &r)) {
        SetSpeedOf(1, l, h, r);
    } else if (kind_ == Kind::MII && !remote_) {
        Reject(line); // the MⅡ controller moves only in remote mode
    } else if (!Motion(line)) {
        Reject(line);
    }
}
