#include "tools/emulators/Emulators.h"
#include "tools/emulators/Scan.h"

Mmc2Emulator::Mmc2Emulator(EmulatorOptions options) : TwoAxisEmulator("mmc2", std::move(options)) {}

void Mmc2Emulator::Status() {
    char b[64];
    bool busy = axes_[0].Moving() || axes_[1].Moving();
    bool limit = axes_[0].AtLimit() || axes_[1].AtLimit();
    std::snprintf(b, sizeof b, "%9ld,%9ld,K,%c,%c\r\n", Fit9(axes_[0].Position()), Fit9(axes_[1].Position()),
                  limit ? 'L' : 'K', busy ? 'B' : 'R');
    Reply(b);
}

void Mmc2Emulator::HandleCommand(const std::string& line) {
    long a = 0, b = 0;
    int l = 0, h = 0, r = 0;
    char s1 = 0, s2 = 0;
    auto sign = [](char c) { return c == '+' ? 1 : (c == '-' ? -1 : 0); };
    if (line == "Q:") {
        Status();
    } else if (ScanLine(line, "A:WP%ldP%ld", &a, &b)) {
        axes_[0].MoveTo(a);
        axes_[1].MoveTo(b);
    } else if (ScanLine(line, "A:XP%ld", &a)) {
        axes_[0].MoveTo(a);
    } else if (ScanLine(line, "A:YP%ld", &b)) {
        axes_[1].MoveTo(b);
    } else if (ScanLine(line, "M:WP%ldP%ld", &a, &b)) {
        pending_[0] = pending_[1] = Pending::Move;
        pendingValue_[0] = a;
        pendingValue_[1] = b;
    } else if (ScanLine(line, "M:XP%ld", &a)) {
        pending_[0] = Pending::Move;
        pendingValue_[0] = a;
    } else if (ScanLine(line, "M:YP%ld", &b)) {
        pending_[1] = Pending::Move;
        pendingValue_[1] = b;
    } else if (ScanLine(line, "J:W%c%c", &s1, &s2) && sign(s1) && sign(s2)) {
        pending_[0] = pending_[1] = Pending::Jog;
        pendingValue_[0] = sign(s1);
        pendingValue_[1] = sign(s2);
    } else if (ScanLine(line, "J:X%c", &s1) && sign(s1)) {
        pending_[0] = Pending::Jog;
        pendingValue_[0] = sign(s1);
    } else if (ScanLine(line, "J:Y%c", &s2) && sign(s2)) {
        pending_[1] = Pending::Jog;
        pendingValue_[1] = sign(s2);
    } else if (line == "G:") {
        for (int i = 0; i < 2; ++i) {
            if (pending_[i] == Pending::Move)
                axes_[i].MoveBy(pendingValue_[i]);
            else if (pending_[i] == Pending::Jog)
                axes_[i].Jog(static_cast<int>(pendingValue_[i]));
            pending_[i] = Pending::None;
        }
    } else if (ScanLine(line, "D:WP%dP%dP%d", &l, &h, &r)) {
        SetSpeedOf(0, l, h, r);
        SetSpeedOf(1, l, h, r);
    } else if (ScanLine(line, "D:XP%dP%dP%d", &l, &h, &r)) {
        SetSpeedOf(0, l, h, r);
    } else if (ScanLine(line, "D:YP%dP%dP%d", &l, &h, &r)) {
        SetSpeedOf(1, l, h, r);
    } else if (line == "L:W") {
        axes_[0].Stop();
        axes_[1].Stop();
    } else {
        Reject(line);
    }
}
