#include "devices/serial/ColonCommand.h"

#include "devices/serial/AbortKeys.h"
#include "platform/Time.h"

namespace {
// What a wait lends an out-of-step link at most: a reply up to three reply times late is waited
// for, a controller that stopped answering still ends the wait within a few reply times.
constexpr DWORD kLentMs = 2 * kReplyTimeoutMs;
} // namespace

int ColonStateOfLetter(char c) {
    switch (c) {
    case 'D': return 0;
    case 'E': return 1;
    case 'H': return 2;
    case 'L': return 3;
    case 'K': return 4;
    case 'C': return 5;
    default: return -1;
    }
}

int ClampInt(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

bool ColonQuery(ControllerLink& link, const char* query, std::string& line) {
    link.answered = link.Query(query, line);
    return link.answered;
}

BOOL ColonWaitStop(ControllerLink& link, const std::function<bool(ColonStatus&)>& query,
                   const std::function<bool(const ColonStatus&)>& busy,
                   const std::function<bool(const ColonStatus&)>& stoppedShort,
                   const std::function<BOOL()>& stop, ColonStatus* last) {
    DWORD start = GetTickCount();
    ReadAbortKeyState(VK_ESCAPE);
    ReadAbortKeyState(VK_RBUTTON);
    bool ok = true;
    bool atRestShort = false;
    ColonStatus status;
    if (!link.OpenPort()) {
        ok = false;
    } else {
        // A line that came but was unusable tells nothing: the axis counts as still moving and
        // is asked again. A query that brought no line leaves its reply owed, and the next one
        // first gets the link back in step, within two reply times more. A second
        // query in a row without a line ends the wait: the line is gone (every later query
        // would fail at once), or the controller answers later than the reply time.
        int unanswered = 0;
        auto ask = [&] {
            status = ColonStatus{};
            DWORD spent = TicksSince(start);
            DWORD left = spent < kWaitStopTimeoutMs ? kWaitStopTimeoutMs - spent : 0;
            link.lentMs = left < kLentMs ? left : kLentMs;
            bool got = query(status);
            link.lentMs = 0;
            unanswered = (got || link.answered) ? 0 : unanswered + 1;
            return got;
        };
        bool got = ask();
        while (!got || busy(status)) {
            if (unanswered >= 2 || ReadAbortKeyState(VK_ESCAPE) != 0 || ReadAbortKeyState(VK_RBUTTON) != 0 ||
                link.port.IsTimeOver(start, kWaitStopTimeoutMs)) {
                ok = false;
                break;
            }
            got = ask();
        }
        atRestShort = ok && stoppedShort(status);
    }
    link.ClosePort();
    if (last)
        *last = status;
    if (atRestShort)
        return FALSE;
    if (!ok) {
        stop();
        return FALSE;
    }
    return TRUE;
}

BOOL SendAbMove(ControllerLink& link, const char* head, int axes, int val1, int val2) {
    switch (axes) {
    case 0: return link.SendF("%sA%ldB%ld\r\n", head, static_cast<long>(val1), static_cast<long>(val2));
    case 1: return link.SendF("%sA%ld\r\n", head, static_cast<long>(val1));
    case 2: return link.SendF("%sB%ld\r\n", head, static_cast<long>(val2));
    default: return FALSE;
    }
}

BOOL SendAbJog(ControllerLink& link, int axes, int dir1, int dir2) {
    auto valid = [](int d) { return d == 0 || d == 1; };
    auto sign = [](int d) { return d == 0 ? '+' : '-'; };
    if (axes == 0 && valid(dir1) && valid(dir2))
        return link.SendF("JGO:A%cB%c\r\n", sign(dir1), sign(dir2));
    if (axes == 1 && valid(dir1))
        return link.SendF("JGO:A%c\r\n", sign(dir1));
    if (axes == 2 && valid(dir2))
        return link.SendF("JGO:B%c\r\n", sign(dir2));
    return FALSE;
}

BOOL SendAbSpeed(ControllerLink& link, int axes, int low, int high, int rate) {
    switch (axes) {
    case 0:
        return link.SendF("D:A%d,%d,%d\r\n", low, high, rate) && link.SendF("D:B%d,%d,%d\r\n", low, high, rate);
    case 1: return link.SendF("D:A%d,%d,%d\r\n", low, high, rate);
    case 2: return link.SendF("D:B%d,%d,%d\r\n", low, high, rate);
    default: return FALSE;
    }
}

bool ParseAbStatus(const std::string& line, ColonStatus& status) {
    if (line.size() != 23 || line[21] != '\r' || line[22] != '\n')
        return false;
    ColonStatus s;
    if (!ParseIntField(line, 0, 9, &s.pos1) || !ParseIntField(line, 11, 20, &s.pos2))
        return false;
    s.state1 = ColonStateOfLetter(line[9]);
    s.state2 = ColonStateOfLetter(line[20]);
    status = s;
    return true;
}

BOOL CColonCtrl::Open(int port, int baud, int data, int parity, int stop, int flow) {
    return m_Link.StoreAndTry(port, baud, data, parity, stop, flow);
}

BOOL CColonCtrl::Close() {
    m_Link.CloseIfConnected();
    return TRUE;
}

BOOL CColonCtrl::Stop() {
    return OnPort([this] { return m_Link.Send(StopCommand()); });
}

BOOL CColonCtrl::WaitStop() {
    ColonStatus last;
    // At rest short of the target: at a limit, on an error, or, after the link was out of step,
    // anywhere else than where the motion was sent.
    auto shortOfTarget = [this](const ColonStatus& s) {
        return StoppedShort(s) || !m_Link.EndAgrees(0, s.pos1) || !m_Link.EndAgrees(1, s.pos2);
    };
    BOOL ok = ColonWaitStop(
        m_Link, [this](ColonStatus& s) { return QueryStatus(s); },
        [this](const ColonStatus& s) { return Busy(s); }, shortOfTarget, [this] { return Stop(); }, &last);
    m_Link.WaitEnded(0, ok, last.pos1);
    m_Link.WaitEnded(1, ok, last.pos2);
    return ok;
}

namespace {
bool ValidAxes(int axes) { return axes >= 0 && axes <= 2; }
bool ValidDir(int dir) { return dir == 0 || dir == 1; }
} // namespace

BOOL CColonTwoAxisCtrl::GetPosition(int* p1, int* p2) {
    *p1 = 0;
    *p2 = 0;
    ColonStatus status;
    if (!ReadStatus(status))
        return FALSE;
    *p1 = status.pos1;
    *p2 = status.pos2;
    return TRUE;
}

void CColonTwoAxisCtrl::NoteMotion(int axes, const std::function<void(int axis)>& note) {
    m_Link.BeginMotion();
    if (axes == 0 || axes == 1)
        note(0);
    if (axes == 0 || axes == 2)
        note(1);
}

BOOL CColonTwoAxisCtrl::MoveAbs(int axes, int val1, int val2) {
    if (!ValidAxes(axes))
        return FALSE;
    NoteMotion(axes, [&](int axis) { m_Link.MoveSentAbs(axis, axis == 0 ? val1 : val2); });
    return OnPort([&] { return SendMoveAbs(axes, val1, val2); });
}

BOOL CColonTwoAxisCtrl::MoveRel(int axes, int d1, int d2) {
    if (!ValidAxes(axes))
        return FALSE;
    NoteMotion(axes, [&](int axis) { m_Link.MoveSentRel(axis, axis == 0 ? d1 : d2); });
    return OnPort([&] { return SendMoveRel(axes, d1, d2); });
}

BOOL CColonTwoAxisCtrl::Jog(int axes, int dir1, int dir2) {
    bool valid = (axes == 0 && ValidDir(dir1) && ValidDir(dir2)) || (axes == 1 && ValidDir(dir1)) ||
                 (axes == 2 && ValidDir(dir2));
    if (!valid)
        return FALSE;
    NoteMotion(axes, [&](int axis) { m_Link.MoveSentJog(axis); });
    return OnPort([&] { return SendJog(axes, dir1, dir2); });
}

BOOL CColonTwoAxisCtrl::SetSpeed(int axes, int low, int high, int rate) {
    return ValidAxes(axes) && OnPort([&] { return SendSpeed(axes, low, high, rate); });
}
