// How the automatic panel turns the focus axis's pulse position into micrometres and back.
//   p  position in pulses (second value the facade reports), o  origin in pulses,
//   u  micrometres per pulse, s  -1 when the reversed-Z flag or [COMM] SIDE is set, else +1.
//   displayed Z = s·(p − o)·u     raw Z = (p − o)·u     move target = trunc(s·z/u + o)
#pragma once

#include <optional>

// The sign s of the displayed Z.
int ZDisplaySign(bool reversedZ, int side);

double DisplayedZ(int pulses, int origin, double umPerPulse, int sign);
double RawZ(int pulses, int origin, double umPerPulse);

// The pulse position to move to for a displayed Z, truncated toward zero. None when the
// micrometres per pulse is not above 0 (an uncalibrated axis has no target: dividing by it sent
// an arbitrary one) or when the target does not fit a pulse position.
std::optional<int> ZMoveTarget(double displayedZ, double umPerPulse, int origin, int sign);

// The Z of the diagram: the raw Z negated for controller types 3, 4, 5 and 8.
double DiagramCurrentZ(int controllerType, double rawZ);
// A capture position (a displayed Z) in the diagram's coordinate: as it is for types 3, 4, 5 and
// 8, else negated when the reversed-Z flag or SIDE is set.
double DiagramPositionZ(int controllerType, bool reversedZ, int side, double position);
