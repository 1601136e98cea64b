// COlympusSZXMSCtrl: the SZX motorised focus (controller type 4). A connection is a login;
// fine-focus moves go in a high- or low-speed variant. The program's position is the
// controller's reading; absolute moves go as relative ones.
#pragma once

#include "devices/serial/FocusDrive.h"

class COlympusSZXMSCtrl : public CFocusDrive {
public:
    BOOL Open(int port, int baud, int data, int parity, int stop, int flow) override;
    BOOL Close(int autoConnect) override;
    BOOL GetPosition(int* pos) override;
    BOOL MoveAbs(int pos) override;
    BOOL MoveRel(int dist) override;
    BOOL Jog(int dir) override;
    BOOL Stop() override;
    BOOL WaitStop() override;
    BOOL SetHighSpeed(BOOL high);
    BOOL IsHighSpeed() const { return m_bHighSpeed; }

private:
    void Connect();
    void Disconnect();
    // Sends `command` and reads the line that begins with the part of `prefix` before its first
    // blank (ControllerLink::QueryPrefixed); `rest` is the text after the first blank of that
    // line (the read fails when the line has none).
    BOOL Exchange(const char* command, const char* prefix, std::string& rest);
    BOOL Acknowledged(const char* command, const char* prefix);
    BOOL ReadPosition(int* pos);
    BOOL SendMove(int dist);
    const char* Head() const { return m_bHighSpeed ? "1FCH" : "1FCL"; }

    BOOL m_bHighSpeed = FALSE;
};
