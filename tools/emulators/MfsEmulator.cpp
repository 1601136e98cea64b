#include "tools/emulators/Emulators.h"
#include "tools/emulators/Scan.h"

MfsEmulator::MfsEmulator(EmulatorOptions options, double countsPerSecond)
    : OneAxisEmulator("mfs", std::move(options), true) {
    axis_.SetSpeed(countsPerSecond * SpeedScale());
}

void MfsEmulator::HandleCommand(const std::string& line) {
    long v = 0;
    if (line == "70032")
        Reply(Format("70032 %ld\r\n", axis_.Position()));
    else if (ScanLine(line, "70030 %ld", &v))
        axis_.MoveTo(v);
    else if (ScanLine(line, "70031 %ld", &v))
        axis_.MoveBy(v);
    else if (line == "70010")
        axis_.Jog(1);
    else if (line == "70011")
        axis_.Jog(-1);
    else if (line == "70012")
        axis_.Stop();
    else
        Reject(line);
}
