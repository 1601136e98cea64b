// CXyTblCtrl: the one object through which the program drives its focus drive or stage. It
// holds a driver of every controller family and forwards each operation to the driver of the
// selected controller type with the argument mapping that type needs.
//
// Controller types: 0 none, 1 MMC-2, 2 MS-C2, 3 Motor-Focus System, 4 SZX, 5 STM6, 6 QT-CD1,
// 7 QT-CM2, 8 CT-7, 9 MⅡ. Axes: 0 both, 1 first, 2 second (the focus axis on two-axis
// controllers; one-axis controllers take the second-slot value). Jog direction: 0 plus, 1 minus.
#pragma once

#include "devices/serial/HiroxCT7Ctrl.h"
#include "devices/serial/LeicaMFSCtrl.h"
#include "devices/serial/MIICtrl.h"
#include "devices/serial/Mmc2Ctrl.h"
#include "devices/serial/Msc2Ctrl.h"
#include "devices/serial/OlympusSTMCtrl.h"
#include "devices/serial/OlympusSZXMSCtrl.h"
#include "devices/serial/QtCtrl.h"

constexpr int kControllerTypeCount = 10;

enum ControllerType {
    CTRL_NONE = 0,
    CTRL_MMC2 = 1,
    CTRL_MSC2 = 2,
    CTRL_MFS = 3,
    CTRL_SZX = 4,
    CTRL_STM6 = 5,
    CTRL_QTCD1 = 6,
    CTRL_QTCM2 = 7,
    CTRL_CT7 = 8,
    CTRL_MII = 9,
};

// The six communication settings in the facade's order.
struct CommArgs {
    int port = 0;
    int baud = 6;
    int data = 1;
    int parity = 0;
    int stop = 0;
    int flow = 0;
};

class CXyTblCtrl {
public:
    CXyTblCtrl() = default;
    virtual ~CXyTblCtrl() = default;

    CXyTblCtrl(const CXyTblCtrl&) = delete;
    CXyTblCtrl& operator=(const CXyTblCtrl&) = delete;

    // Selects the controller; the QT driver learns its one- or two-axis use at once (an open
    // tells it again).
    void SetType(int type) {
        m_nType = type;
        if (type == CTRL_QTCD1 || type == CTRL_QTCM2)
            m_Qt.SetType(type);
        if (type == CTRL_MII)
            m_MII.SetType(type);
    }
    int GetType() const { return m_nType; }

    BOOL Open(int port, int baud, int data, int parity, int stop, int flow);
    BOOL Close();
    BOOL GetPosition(int* p1, int* p2);
    BOOL MoveAbs(int axes, int val1, int val2);
    BOOL MoveRel(int axes, int d1, int d2);
    BOOL Jog(int axes, int dir1, int dir2);
    BOOL SetSpeed(int axes, int low, int high, int rate);
    BOOL Stop();
    BOOL WaitStop();

    BOOL SetMIISpeed(int axes, int low, int high, int rate);
    BOOL SetSZXSpeedMode(int mode);
    double GetUmPerPulse();
    BOOL ResetController();
    BOOL GoHome();
    BOOL JogForward() { return Jog(2, -1, 0); }
    BOOL JogReverse() { return Jog(2, -1, 1); }

    // The settings of the last successful open (for the callers that open again with them).
    CommArgs GetCommArgs() const { return m_Comm; }

    // The drivers, for the tests and the settings code that need a driver's own state.
    CMmc2Ctrl& Mmc2() { return m_Mmc2; }
    CMsc2Ctrl& Msc2() { return m_Msc2; }
    CLeicaMFSCtrl& Mfs() { return m_Mfs; }
    COlympusSZXMSCtrl& Szx() { return m_Szx; }
    CQtCtrl& Qt() { return m_Qt; }
    COlympusSTMCtrl& Stm() { return m_Stm; }
    CHiroxCT7Ctrl& Ct7() { return m_Ct7; }
    CMIICtrl& MII() { return m_MII; }
    // The driver of the selected one-axis focus drive (Motor-Focus System, SZX, STM6, CT-7); null
    // for the stage controllers and for none.
    CFocusDrive* FocusDrive();

private:
    int m_nType = 0;
    CMmc2Ctrl m_Mmc2;
    CMsc2Ctrl m_Msc2;
    CLeicaMFSCtrl m_Mfs;
    COlympusSZXMSCtrl m_Szx;
    CQtCtrl m_Qt;
    COlympusSTMCtrl m_Stm;
    CHiroxCT7Ctrl m_Ct7;
    CMIICtrl m_MII;
    CommArgs m_Comm;
};
