#include "devices/serial/XyTblCtrl.h"

CFocusDrive* CXyTblCtrl::FocusDrive() {
    switch (m_nType) {
    case CTRL_MFS: return &m_Mfs;
    case CTRL_SZX: return &m_Szx;
    case CTRL_STM6: return &m_Stm;
    case CTRL_CT7: return &m_Ct7;
    default: return nullptr;
    }
}

BOOL CXyTblCtrl::Open(int port, int baud, int data, int parity, int stop, int flow) {
    BOOL ok = FALSE;
    switch (m_nType) {
    case CTRL_MMC2: ok = m_Mmc2.Open(port, baud, data, parity, stop, flow); break;
    case CTRL_MSC2: ok = m_Msc2.Open(port, baud, data, parity, stop, flow); break;
    case CTRL_QTCD1:
    case CTRL_QTCM2:
        m_Qt.SetType(m_nType);
        ok = m_Qt.Open(port, baud, data, parity, stop, flow);
        break;
    case CTRL_MII:
        m_MII.SetType(CTRL_MII);
        ok = m_MII.Open(port, baud, data, parity, stop, flow);
        break;
    default: {
        CFocusDrive* drive = FocusDrive();
        if (!drive)
            return FALSE;
        ok = drive->Open(port, baud, data, parity, stop, flow);
        break;
    }
    }
    if (ok)
        m_Comm = CommArgs{port, baud, data, parity, stop, flow};
    return ok;
}

BOOL CXyTblCtrl::Close() {
    if (CFocusDrive* drive = FocusDrive())
        return drive->Close(1);
    switch (m_nType) {
    case CTRL_MMC2: return m_Mmc2.Close();
    case CTRL_MSC2: return m_Msc2.Close();
    case CTRL_QTCD1:
    case CTRL_QTCM2: return m_Qt.Close();
    case CTRL_MII: return m_MII.Close(1);
    default: return FALSE;
    }
}

BOOL CXyTblCtrl::GetPosition(int* p1, int* p2) {
    *p1 = 0;
    *p2 = 0;
    if (CFocusDrive* drive = FocusDrive())
        return drive->GetPosition(p2);
    int a = 0;
    int b = 0;
    BOOL ok = FALSE;
    switch (m_nType) {
    case CTRL_MMC2: return m_Mmc2.GetPosition(p1, p2);
    case CTRL_MSC2: return m_Msc2.GetPosition(p1, p2);
    case CTRL_QTCD1:
        ok = m_Qt.GetPosition(&a, &b);
        *p2 = a;
        return ok;
    case CTRL_QTCM2: return m_Qt.GetPosition(p1, p2);
    case CTRL_MII:
        ok = m_MII.GetPosition(&a, &b);
        *p2 = a;
        return ok;
    default: return FALSE;
    }
}

BOOL CXyTblCtrl::MoveAbs(int axes, int val1, int val2) {
    if (CFocusDrive* drive = FocusDrive())
        return drive->MoveAbs(val2);
    switch (m_nType) {
    case CTRL_MMC2: return m_Mmc2.MoveAbs(axes, val1, val2);
    case CTRL_MSC2: return m_Msc2.MoveAbs(axes, val1, val2);
    case CTRL_QTCD1: return m_Qt.MoveAbs(1, val2, 0);
    case CTRL_QTCM2: return m_Qt.MoveAbs(axes, val1, val2);
    case CTRL_MII: return m_MII.MoveAbs(1, val2, 0);
    default: return FALSE;
    }
}

BOOL CXyTblCtrl::MoveRel(int axes, int d1, int d2) {
    if (CFocusDrive* drive = FocusDrive())
        return drive->MoveRel(d2);
    switch (m_nType) {
    case CTRL_MMC2: return m_Mmc2.MoveRel(axes, d1, d2);
    case CTRL_MSC2: return m_Msc2.MoveRel(axes, d1, d2);
    case CTRL_QTCD1: return m_Qt.MoveRel(1, d2, 0);
    case CTRL_QTCM2: return m_Qt.MoveRel(axes, d1, d2);
    case CTRL_MII: return m_MII.MoveRel(1, d2, 0);
    default: return FALSE;
    }
}

BOOL CXyTblCtrl::Jog(int axes, int dir1, int dir2) {
    if (CFocusDrive* drive = FocusDrive())
        return drive->Jog(dir2);
    switch (m_nType) {
    case CTRL_MMC2: return m_Mmc2.Jog(axes, dir1, dir2);
    case CTRL_MSC2: return m_Msc2.Jog(axes, dir1, dir2);
    case CTRL_QTCD1: return m_Qt.Jog(1, dir2, 0);
    case CTRL_QTCM2: return m_Qt.Jog(axes, dir1, dir2);
    case CTRL_MII: return m_MII.Jog(1, dir2, 0);
    default: return FALSE;
    }
}

BOOL CXyTblCtrl::SetSpeed(int axes, int low, int high, int rate) {
    switch (m_nType) {
    case CTRL_MMC2: return m_Mmc2.SetSpeed(axes, low, high, rate);
    case CTRL_MSC2: return m_Msc2.SetSpeed(axes, low, high, rate);
    case CTRL_STM6: return m_Stm.SetSpeed(high, rate);
    case CTRL_CT7: return m_Ct7.SetSpeed(low, high, rate);
    case CTRL_QTCD1: return m_Qt.SetSpeed(1, low, high, rate);
    case CTRL_QTCM2: return m_Qt.SetSpeed(axes, low, high, rate);
    case CTRL_MII: return m_MII.SetSpeed(1, low, high, rate);
    default: return FALSE; // none, Motor-Focus System and SZX have no speed command
    }
}

BOOL CXyTblCtrl::Stop() {
    if (CFocusDrive* drive = FocusDrive())
        return drive->Stop();
    switch (m_nType) {
    case CTRL_MMC2: return m_Mmc2.Stop();
    case CTRL_MSC2: return m_Msc2.Stop();
    case CTRL_QTCD1:
    case CTRL_QTCM2: return m_Qt.Stop();
    case CTRL_MII: return m_MII.Stop();
    default: return FALSE;
    }
}

BOOL CXyTblCtrl::WaitStop() {
    if (CFocusDrive* drive = FocusDrive())
        return drive->WaitStop();
    switch (m_nType) {
    case CTRL_MMC2: return m_Mmc2.WaitStop();
    case CTRL_MSC2: return m_Msc2.WaitStop();
    case CTRL_QTCD1:
    case CTRL_QTCM2: return m_Qt.WaitStop();
    case CTRL_MII: return m_MII.WaitStop();
    default: return TRUE; // nothing moves
    }
}

BOOL CXyTblCtrl::SetMIISpeed(int /*axes*/, int low, int high, int rate) {
    if (m_nType != CTRL_MII)
        return FALSE;
    return m_MII.StoreSpeed(1, low, high, rate);
}

BOOL CXyTblCtrl::SetSZXSpeedMode(int mode) {
    if (m_nType != CTRL_SZX)
        return FALSE;
    m_Szx.SetHighSpeed(mode == 0);
    return TRUE;
}

double CXyTblCtrl::GetUmPerPulse() { return m_nType == CTRL_STM6 ? m_Stm.GetUmPerPulse() : 0.0; }

BOOL CXyTblCtrl::ResetController() { return m_nType == CTRL_STM6 ? m_Stm.Reset() : FALSE; }

BOOL CXyTblCtrl::GoHome() { return m_nType == CTRL_MII ? m_MII.GoHome() : FALSE; }
