#include "devices/serial/FocusDrive.h"

bool CFocusDrive::PositionSettles(DWORD pauseMs) {
    return WaitPositionSettled(m_Link.port, pauseMs, [this](int* pos) { return GetPosition(pos); });
}

BOOL CFocusDrive::WaitSettledOrStop(DWORD pauseMs) {
    if (PositionSettles(pauseMs))
        return TRUE;
    Stop();
    return FALSE;
}
