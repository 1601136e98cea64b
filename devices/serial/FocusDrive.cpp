#include "devices/serial/FocusDrive.h"

bool CFocusDrive::PositionSettles(DWORD pauseMs) {
    int at = 0;
    bool settled = WaitPositionSettled(
                       m_Link.port, pauseMs, [this](int* pos) { return GetPosition(pos); }, &at) &&
                   m_Link.EndAgrees(0, at);
    m_Link.WaitEnded(0, settled, at);
    return settled;
}

void CFocusDrive::NoteMove(int target) {
    m_Link.BeginMotion();
    m_Link.MoveSentAbs(0, target);
}

void CFocusDrive::NoteShift(int delta) {
    m_Link.BeginMotion();
    m_Link.MoveSentRel(0, delta);
}

void CFocusDrive::NoteJog() {
    m_Link.BeginMotion();
    m_Link.MoveSentJog(0);
}

BOOL CFocusDrive::WaitSettledOrStop(DWORD pauseMs) {
    if (PositionSettles(pauseMs))
        return TRUE;
    Stop();
    return FALSE;
}
