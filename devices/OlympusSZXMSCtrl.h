// COlympusSZXMSCtrl: the SZX motorised focus (controller type 4). A connection is a login;
// fine-focus moves go in a high- or low-speed variant. The program's position is the
// controller's reading; absolute moves go as relative ones.
#pragma once

#include "devices/ControllerLink.h"

class COlympusSZXMSCtrl {
public:
    COlympusSZXMSCtrl() = default;
    virtual ~COlympusSZXMSCtrl() = default;

    BOOL Open(int port, int baud, int data, int parity, int stop, int flow);
    BOOL Close(int autoConnect);
    BOOL GetPosition(int* pos);
    BOOL MoveAbs(int pos);
    BOOL MoveRel(int dist);
    BOOL Jog(int dir);
    BOOL Stop();
    BOOL WaitStop();
    BOOL SetHighSpeed(BOOL high);

    CSerialPort& Port() { return m_Link.port; }
    BOOL IsHighSpeed() const { return m_bHighSpeed; }

private:
    void Connect();
    void Disconnect();
    // Reads the line that begins with the part of `prefix` before its first blank; `rest` is the
    // text after the first blank of that line (the read fails when the line has none).
    BOOL Receive(const char* prefix, std::string& rest);
    BOOL Acknowledged(const char* command, const char* prefix);
    BOOL ReadPosition(int* pos);
    BOOL SendMove(int dist);
    const char* Head() const { return m_bHighSpeed ? "1FCH" : "1FCL"; }

    ControllerLink m_Link;
    BOOL m_bHighSpeed = FALSE;
};
