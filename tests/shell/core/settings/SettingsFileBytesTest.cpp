// What each writer of the settings file leaves in it, byte for byte: from a file that already
// holds some of the writer's keys (replaced where they stand) and not others (appended in the
// writer's order), between a comment and sections of others that stay as they are.
#include "ShellCoreTestSupport.h"

#include "devices/camera/CalibrationSettings.h"
#include "devices/serial/ControllerSettings.h"
#include "devices/serial/ZCalibration.h"
#include "shell/core/capture/AutoFocusSettings.h"
#include "shell/core/capture/CapturePositions.h"
#include "shell/core/capture/CaptureSettings.h"
#include "shell/core/lens/ScaleSettingsWrite.h"
#include "shell/core/settings/DocumentSettings.h"

namespace {

const std::string kHead = "; kept as it is\n[Other]\nKEY=1\n";
const std::string kTail = "[Last]\nKEY=2\n";

class SettingsFileBytes : public ShellSettingsTest {
protected:
    // The starting file: the given sections between the head and the tail.
    void Start(const std::string& sections) {
        Write("LENS.TXT", "ML30-1,Thirty,0.3,3\nML90-2.5,Ninety,0.09,1\n");
        lib.SetLensFilePath(File("LENS.TXT"));
        Write("Vantorel.ini", kHead + sections + kTail);
    }
    // The file is the head, the sections as the writer left them, the tail and the sections the
    // writer added at the end.
    void ExpectFile(const std::string& sections, const std::string& added = "") const {
        EXPECT_EQ(Settings(), kHead + sections + kTail + added);
    }
    // Length 50, 120 dots, step 2.5, bottom right, red; the two apply-to-all boxes.
    static ScaleDialogValues Scale(int all1, int all2) { return {50, 120, 2.5, 3, 0x0000FF, all1, all2}; }

    LensLibrary lib;
    DocumentSettings doc;
};

TEST_F(SettingsFileBytes, ControllerCommunication) {
    Start("[COMM]\nSIDE=0\nPORT=3\n");
    WriteControllerSettings(ControllerCommSettings{5, 1, 2, 8, 1, 2, 2, 0, 1});
    ExpectFile(
        "[COMM]\nSIDE=1\nPORT=1\nCONTROLLER=5\nLENSPORT=2\nBAUD=8\nDATA=1\nPARITY=2\nSTOP=2\nXFLOW=0\n");
    // The lens-side coupler of the MⅡ controller.
    WriteControllerSettings(ControllerCommSettings{9, 0, 1, 6, 1, 0, 0, 0, 1});
    ExpectFile(
        "[COMM]\nSIDE=0\nPORT=0\nCONTROLLER=9\nLENSPORT=1\nBAUD=6\nDATA=1\nPARITY=0\nSTOP=0\nXFLOW=0\n");
}

TEST_F(SettingsFileBytes, CaptureViewSpeedPresets) {
    Start("[SPEED]\nLRATE=7\nMHIGH=1\nMODE=2\n");
    SpeedPresets p;
    p.mode = 0;
    p.low[2] = 20000;
    p.high[0] = 120000;
    p.rate[1] = 200;
    WriteSpeedPresets(p);
    ExpectFile("[SPEED]\nLRATE=100\nMHIGH=5000\nMODE=0\nHLOW=1000\nMLOW=1000\nLLOW=20000\nHHIGH=120000\n"
               "LHIGH=3000\nHRATE=100\nMRATE=200\n");
}

TEST_F(SettingsFileBytes, ZCalibrationOfTheDialog) {
    Start("[ZCALIBRATION]\n1PULSE=0.5\nORIGIN=4\nPOINT1=9\n");
    EXPECT_TRUE(WriteZCalibrationSettings(ZCalibrationValues{kZCalibTwoPoint, 12.5, 3, -40, 0.2906}));
    ExpectFile("[ZCALIBRATION]\n1PULSE=0.2906\nORIGIN=4\nPOINT1=3\nMODE=0\nMOVEMENT=12.5\nPOINT2=-40\n");
}

TEST_F(SettingsFileBytes, LensOwnCalibrationSection) {
    Start("[CALIBRATION_ML30-1]\nGAP1=9\nSCALEDOT1=5\n");
    CMLens lens;
    lens.SetName("ML30-1");
    lens.SetRegName("三十倍");
    lens.SetCalib(0.35);
    lens.SetGap(2.5);
    EXPECT_TRUE(WriteLensCalibrationSection(lens));
    lens.SetName("ML90-2.5");
    EXPECT_TRUE(WriteLensCalibrationSection(lens));
    ExpectFile("[CALIBRATION_ML30-1]\nGAP1=2.5\nSCALEDOT1=5\nCLBNAME1=三十倍\nCALIB1=0.35\n",
               "[CALIBRATION_ML90-2.5]\nCLBNAME1=三十倍\nCALIB1=0.35\nGAP1=2.5\n");
}

TEST_F(SettingsFileBytes, DocumentCompositionAndExitSettings) {
    Start("[PARAMETER]\nTAN=1\nINICOMPOS2X=10\n[SCOPE]\nSUBSPOS=0\n[InitialSettings]\nSORT=32789\nTHUMBSIZE="
          "64\n");
    doc.ReadSettings();
    doc.m_focusType = 3;
    doc.m_compSpeed = 0;
    doc.m_iniCompPos[2] = 40;
    doc.m_selThumbSize = 192;
    doc.m_scopeType = 2;
    doc.SaveCompositionSettings();
    doc.WriteExitSettings();
    ExpectFile("[PARAMETER]\nTAN=1\nINICOMPOS2X=40\nCOMTYPE=3\nCOMPSIZE=8\nCOMSMOOTHING=6\nCOMAUTOPOS=0\n"
               "COMPSPEED=0\nAREANO=2\nINICOMPOS1X=50\nINICOMPOS1Y=25\nINICOMPOS2Y=50\nINICOMPOS3X=50\n"
               "INICOMPOS3Y=75\nINICOMPOS4X=25\nINICOMPOS4Y=50\nSAI=0\n"
               "[SCOPE]\nSUBSPOS=0\nSCOPETYPE=2\nSUBSTYPE=0\n"
               "[InitialSettings]\nSORT=32789\nTHUMBSIZE=64\nSELTHUMBSIZE=192\n");
}

TEST_F(SettingsFileBytes, LensStateChoosesATableLens) {
    Start("[CALIBRATION]\nCALIBNO=2\nSCALEPOS1=2\n");
    doc.LoadLensSlots(lib);
    EXPECT_TRUE(doc.SelectLensByNumber(30, 1.0, lib));
    EXPECT_TRUE(doc.SelectLensByNumber(30, 1.0, lib)); // the same lens again writes nothing
    EXPECT_FALSE(doc.SelectLensByNumber(31, 1.0, lib));
    ExpectFile("[CALIBRATION]\nCALIBNO=-1\nSCALEPOS1=2\nLENSNAME=ML30-1\n");
}

TEST_F(SettingsFileBytes, ScaleSettingsOfASlot) {
    Start("[CALIBRATION]\nSCALECOLOR3=7\nCALIBNO=2\nSCALEDOT3=1\n");
    doc.LoadLensSlots(lib);
    ApplyScaleSettings(doc, lib, Scale(0, 0));
    ExpectFile("[CALIBRATION]\nSCALECOLOR3=255\nCALIBNO=2\nSCALEDOT3=120\nSCALECOLOR1=255\nSCALEPOS1=3\n"
               "SCALELEN3=50\nSCALECEIL3=2.5\nSCALEPOS3=3\n");
}

TEST_F(SettingsFileBytes, ScaleSettingsOfATableLensApplyToAllLenses) {
    Start("[CALIBRATION]\nLENSNAME=ML90-2.5\nSCALEDOT4=9\nCALIBNO=-1\nSCALELEN2=6\n"
          "[CALIBRATION_ML90-2.5]\nSCALEPOS1=1\nCALIB1=0.1\n");
    doc.LoadLensSlots(lib);
    ApplyScaleSettings(doc, lib, Scale(1, 1));
    ExpectFile(
        "[CALIBRATION]\nLENSNAME=ML90-2.5\nSCALEDOT4=120\nCALIBNO=-1\nSCALELEN2=50\nSCALECOLOR1=255\n"
        "SCALEPOS1=3\nSCALELEN1=50\nSCALELEN3=50\nSCALELEN4=50\nSCALELEN5=50\nSCALEDOT1=120\n"
        "SCALEDOT2=120\nSCALEDOT3=120\nSCALEDOT5=120\n"
        "[CALIBRATION_ML90-2.5]\nSCALEPOS1=3\nCALIB1=0.1\nSCALELEN1=50\nSCALEDOT1=120\nSCALECEIL1=2.5\n"
        "SCALECOLOR1=255\n",
        "[CALIBRATION_ML30-1]\nSCALELEN1=50\nSCALEDOT1=120\n");
}

TEST_F(SettingsFileBytes, AutomaticPanelRangeAndList) {
    Start("[AUTOFOCUS]\nLIST=1|~\nGAP=2\nUPDOWN=5\n");
    WriteRangeSettings(-2.5, 10, 0.25, 51);
    WritePositionListSetting({0, 3, -6.5});
    ExpectFile("[AUTOFOCUS]\nLIST=0|3|-6.5|~\nGAP=0.25\nUPDOWN=5\nSTART=-2.5\nEND=10\nSHEET=51\n");
}

TEST_F(SettingsFileBytes, InputDevice) {
    Start("[STAGEINPUT]\nOTHER=1\n");
    WriteInputDevice("Vantorel Test Camera");
    ExpectFile("[STAGEINPUT]\nOTHER=1\nINPDEVICE=Vantorel Test Camera\n");
}

} // namespace
