#include "devices/serial/MIICtrl.h"

#include "platform/Time.h"

namespace {
constexpr DWORD kRemotePauseMs = 150;
constexpr DWORD kHomePauseMs = 10000;
constexpr DWORD kSettlePauseMs = 30;
} // namespace

void CMIICtrl::Connect() {
    if (!m_Link.AutoConnect() || m_Link.connected)
        return;
    m_Link.connected = m_Link.OpenPort();
    if (m_Link.connected)
        SetRemote(TRUE);
}

void CMIICtrl::Disconnect() {
    if (!m_Link.AutoConnect())
        return;
    if (m_Link.connected)
        SetRemote(FALSE);
    m_Link.ClosePort();
}

bool CMIICtrl::BeginRound() {
    Connect();
    return m_Link.connected;
}

void CMIICtrl::EndRound() { Disconnect(); }

BOOL CMIICtrl::SetRemote(BOOL on) {
    if (!m_Link.connected)
        return FALSE;
    BOOL ok = m_Link.Send(on ? "RMT:ON\r\n" : "RMT:OFF\r\n");
    Sleep(kRemotePauseMs);
    if (on && m_Link.port.HasHandle())
        ok = SendSpeed(1, m_nLow, m_nHigh, m_nRate) && ok;
    return ok;
}

BOOL CMIICtrl::Open(int port, int baud, int data, int parity, int stop, int flow) {
    m_Link.Store(port, baud, data, parity, stop, flow);
    Connect();
    m_Link.port.SetAutoConnect(0);
    return m_Link.connected;
}

BOOL CMIICtrl::Close(int autoConnect) {
    m_Link.port.SetAutoConnect(autoConnect);
    Disconnect();
    return TRUE;
}

BOOL CMIICtrl::StoreSpeed(int /*axes*/, int low, int high, int rate) {
    m_nLow = low;
    m_nHigh = high;
    m_nRate = rate;
    return TRUE;
}

BOOL CMIICtrl::SetSpeed(int axes, int low, int high, int rate) {
    if (axes < 0 || axes > 2)
        return FALSE;
    StoreSpeed(axes, low, high, rate);
    return CQtCtrl::SetSpeed(axes, low, high, rate);
}

BOOL CMIICtrl::GoHome() {
    m_Link.BeginMotion();
    m_Link.MoveSentAbs(0, 0);
    Connect();
    BOOL ok = m_Link.connected && m_Link.Send("H:A\r\n");
    Sleep(kHomePauseMs);
    Disconnect();
    return ok;
}

BOOL CMIICtrl::WaitStop() {
    int at = 0;
    bool settled = WaitPositionSettled(
                       m_Link.port, kSettlePauseMs,
                       [this](int* pos) {
                           int unused = 0;
                           return GetPosition(pos, &unused);
                       },
                       &at) &&
                   m_Link.EndAgrees(0, at);
    m_Link.WaitEnded(0, settled, at);
    if (settled)
        return TRUE;
    Stop();
    return FALSE;
}
