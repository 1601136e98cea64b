#include "devices/serial/ControllerSettings.h"

#include "platform/Settings.h"
#include "platform/Time.h"

namespace {
const char* const kLowKeys[3] = {"HLOW", "MLOW", "LLOW"};
const char* const kHighKeys[3] = {"HHIGH", "MHIGH", "LHIGH"};
const char* const kRateKeys[3] = {"HRATE", "MRATE", "LRATE"};
} // namespace

ControllerCommSettings ReadControllerSettings() {
    ControllerCommSettings s;
    s.controller = ReadIniInt("COMM", "CONTROLLER", 0);
    s.port = ReadIniInt("COMM", "PORT", 0);
    s.lensPort = ReadIniInt("COMM", "LENSPORT", 1);
    s.baud = ReadIniInt("COMM", "BAUD", 6);
    s.data = ReadIniInt("COMM", "DATA", 1);
    s.parity = ReadIniInt("COMM", "PARITY", 0);
    s.stop = ReadIniInt("COMM", "STOP", 0);
    s.xflow = ReadIniInt("COMM", "XFLOW", 0);
    s.side = ReadIniInt("COMM", "SIDE", 1);
    return s;
}

void WriteControllerSettings(const ControllerCommSettings& s) {
    WriteIniInt("COMM", "CONTROLLER", s.controller);
    WriteIniInt("COMM", "PORT", s.port);
    WriteIniInt("COMM", "LENSPORT", s.lensPort);
    WriteIniInt("COMM", "BAUD", s.baud);
    WriteIniInt("COMM", "DATA", s.data);
    WriteIniInt("COMM", "PARITY", s.parity);
    WriteIniInt("COMM", "STOP", s.stop);
    WriteIniInt("COMM", "XFLOW", s.xflow);
    WriteIniInt("COMM", "SIDE", s.controller == CTRL_MII ? 0 : s.side);
}

SpeedPresets ReadSpeedPresets() {
    SpeedPresets p;
    SpeedPresets d;
    p.mode = ReadIniInt("SPEED", "MODE", d.mode);
    for (int i = 0; i < 3; ++i) {
        p.low[i] = ReadIniInt("SPEED", kLowKeys[i], d.low[i]);
        p.high[i] = ReadIniInt("SPEED", kHighKeys[i], d.high[i]);
        p.rate[i] = ReadIniInt("SPEED", kRateKeys[i], d.rate[i]);
    }
    return p;
}

void WriteSpeedPresets(const SpeedPresets& p) {
    WriteIniInt("SPEED", "MODE", p.mode);
    for (int i = 0; i < 3; ++i)
        WriteIniInt("SPEED", kLowKeys[i], p.low[i]);
    for (int i = 0; i < 3; ++i)
        WriteIniInt("SPEED", kHighKeys[i], p.high[i]);
    for (int i = 0; i < 3; ++i)
        WriteIniInt("SPEED", kRateKeys[i], p.rate[i]);
}

void CommDefaultsForType(int type, int* baud, int* data, int* parity, int* stop, int* flow) {
    *data = 1;
    *flow = 0;
    switch (type) {
    case CTRL_MFS:
        *baud = 6;
        *parity = 0;
        *stop = 2;
        break;
    case CTRL_SZX:
    case CTRL_STM6:
        *baud = 8;
        *parity = 2;
        *stop = 2;
        break;
    case CTRL_CT7:
        *baud = 9;
        *parity = 0;
        *stop = 2;
        break;
    default:
        *baud = 6;
        *parity = 0;
        *stop = 0;
        break;
    }
}

void PresetsForChosenController(int type, SpeedPresets& p) {
    if (type == CTRL_STM6) {
        const int high[3] = {100, 50, 10};
        for (int i = 0; i < 3; ++i) {
            p.high[i] = high[i];
            p.rate[i] = 100;
        }
    } else if (type == CTRL_CT7) {
        const int high[3] = {120000, 75000, 30000};
        for (int i = 0; i < 3; ++i) {
            p.low[i] = 20000;
            p.high[i] = high[i];
            p.rate[i] = 200;
        }
    }
}

BOOL ApplySpeedPreset(CXyTblCtrl& xy, const SpeedPresets& p) {
    if (xy.GetType() == CTRL_SZX)
        return xy.SetSZXSpeedMode(p.mode);
    int m = (p.mode >= 0 && p.mode <= 2) ? p.mode : 1;
    return xy.SetSpeed(2, p.low[m], p.high[m], p.rate[m]);
}

ControllerCheck OpenControllerWithSettings(CXyTblCtrl& xy, const ControllerCommSettings& s, const SpeedPresets& p,
                                           const std::function<void()>& showBox,
                                           const std::function<void()>& closeBox) {
    xy.SetType(s.controller);
    if (s.controller == CTRL_MII) {
        int m = (p.mode >= 0 && p.mode <= 2) ? p.mode : 1;
        xy.SetMIISpeed(2, p.low[m], p.high[m], p.rate[m]);
    }
    if (s.controller == CTRL_NONE)
        return ControllerCheck::None;
    BOOL opened = xy.Open(s.port, s.baud, s.data, s.parity, s.stop, s.xflow);
    xy.Close();
    if (!opened) {
        xy.SetType(CTRL_NONE);
        return ControllerCheck::PortFailed;
    }
    if (showBox)
        showBox();
    int p1 = 0;
    int p2 = 0;
    BOOL answered = xy.GetPosition(&p1, &p2);
    if (!answered) {
        Sleep(200);
        answered = xy.GetPosition(&p1, &p2);
    }
    if (closeBox)
        closeBox();
    if (!answered) {
        xy.SetType(CTRL_NONE);
        return ControllerCheck::WrongController;
    }
    return ControllerCheck::Opened;
}
