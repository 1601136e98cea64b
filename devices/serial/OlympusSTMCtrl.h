// COlympusSTMCtrl: the STM6 focus drive (controller type 5). Every command is answered by a line
// "0 <word>..."; a '+' after the word is success. Motion runs in remote mode. The program's
// position is minus the Z reading converted to pulses; absolute moves go as relative ones.
#pragma once

#include "devices/serial/FocusDrive.h"

class COlympusSTMCtrl : public CFocusDrive {
public:
    COlympusSTMCtrl();
    BOOL Open(int port, int baud, int data, int parity, int stop, int flow) override;
    BOOL Close(int autoConnect) override;
    BOOL GetPosition(int* pos) override;
    BOOL MoveAbs(int pos) override;
    BOOL MoveRel(int dist) override;
    BOOL Jog(int dir) override;
    BOOL Stop() override;
    BOOL WaitStop() override;
    BOOL SetSpeed(int high, int rate);
    double GetUmPerPulse();
    BOOL Reset();
    bool IsJogging() const { return m_bJog != 0; }
    bool IsRemote() const { return m_bRemote != 0; }

    // Pulses of a Z reading: inches when bit 0x01 of the status is set, millimetres otherwise;
    // 0.025 um per pulse when bit 0x20 is set, 0.05 otherwise; truncated toward zero, a reading
    // a thousandth of a pulse or less short of a whole pulse counting as that pulse.
    static int PulsesOfReading(double z, int status);
    // The Z value of a READ reply (the text after "0 READ:"): the third of three values in
    // output mode 0, the only value in the other modes.
    static bool ParseReading(const std::string& text, int mode, double* z);

private:
    void Connect();
    void Disconnect();
    BOOL SetRemote(BOOL on);
    BOOL EnsureRemote();
    // Sends `command` and reads the line that begins with `prefix` (ControllerLink::
    // QueryPrefixed; `lines` replies are owed when it does not come); `rest` is the text after it
    // and must not be empty.
    BOOL Command(const char* command, const char* prefix, std::string& rest, int lines = 1);
    BOOL Acknowledged(const char* command, const char* prefix, int lines = 1);
    BOOL QueryNumber(const char* command, const char* prefix, int* value);
    BOOL ReadPosition(int* pos);
    BOOL SendRelative(int dist);

    BOOL m_bRemote = FALSE;
    BOOL m_bJog = FALSE;
};
