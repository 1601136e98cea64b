// What the program's windows leave in the settings file, byte for byte, when the user works
// through them from a known file: the lens selection, the XY calibration, the scale switches and
// the scale settings of the main window and of the result window, the start dialog, the
// automatic panel, the Z calibration, and what the program writes when it ends.
#include "AutoPanelFixture.h"
#include "ShownComposition.h"

#include "devices/camera/gui/LensCalibRegDlg.h"
#include "devices/camera/gui/LensCalibTxtDlg.h"
#include "devices/camera/gui/XYCalibDialog.h"
#include "devices/camera/gui/XYCalibSetDlg.h"
#include "devices/serial/gui/ZCalibrationDialog.h"
#include "shell/frame/TopMenuDialog.h"
#include "ui/PrivateMessages.h"
#include "result/ImageDoc.h"
#include "result/ImageFrame.h"
#include "result/ViewerMenuDialog.h"

#include <regex>

namespace {

using ui::testing::FindById;
using ui::testing::Type;
using ui::testing::WhenModal;

class SettingsFileBytesGui : public AutoPanel {
protected:
    // The folder's settings file with the scratch folder written as <folder>, and the values the
    // window manager and the camera decide written as <at> (the calibration dialog's place),
    // <n> (the main window's outer rectangle) and <grab> (the camera's record).
    std::string File() const {
        std::string text = Read("Vantorel.ini");
        for (size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at))
            text.replace(at, folder.size(), "<folder>");
        text = std::regex_replace(text, std::regex("(SCALELENPOS[XY])=-?[0-9]+"), "$1=<at>");
        text = std::regex_replace(text, std::regex("\n(LEFT|TOP|WIDTH|HEIGHT)=-?[0-9]+"), "\n$1=<n>");
        return std::regex_replace(text, std::regex("REFPARAM=[^\n]*"), "REFPARAM=<grab>");
    }
    CImageDoc* ShowComposition() { return ::ShowComposition(*app); }
};

// The main window in manual mode: both scale switches, the scale settings with their boxes, a
// lens of the lens file chosen and calibrated, a slot calibrated through its dialog's OK, and
// the program closed maximised.
TEST_F(SettingsFileBytesGui, MainWindowLensScaleAndExit) {
    Settings(vtid::StartDialog::ManualCapture,
             "[CALIBRATION]\nSCALELEN1=10\nSCALEDOT1=20\nCALIBNO=0\nCLBNAME3=Old\nSCALEALLCHK1=0\n"
             "[CALIBRATION_ML30-1]\nGAP1=4\n[WindowsSettings]\nLEFT=40\nTOP=30\nWIDTH=1100\nHEIGHT=800\n");
    CScriptedMessageSink sink(IDOK);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    f->RouteCommandId(vtid::cmd::ShowScale1);
    f->RouteCommandId(vtid::cmd::ShowScale2);
    f->RouteCommandId(vtid::cmd::ShowScale2);
    WhenModal([](wxDialog* d) {
        Type(FindById(d, vtid::ScaleSettingsDialog::Length), "70");
        Type(FindById(d, vtid::ScaleSettingsDialog::Pixels), "15");
        ui::testing::Click(FindById(d, IDOK));
    });
    f->RouteCommandId(vtid::cmd::ScaleSettings);

    WhenModal([](wxDialog* d) {
        auto* dlg = dynamic_cast<CXYCalibDialog*>(d);
        ASSERT_NE(dlg->TablePage(), nullptr);
        ui::testing::Click(dlg->TablePage()->GetDlgItem(vtid::LensTablePage::Select2));
        ui::testing::Click(dlg->GetDlgItem(IDOK));
    });
    f->RouteCommandId(ID_LENS_SELECT);
    ui::SendMessageTo(f->GetSafeHwnd(), WM_XYCALIB_EDIT, 1, 0);
    CXYCalibSetDlg* calib = f->CalibSetDialog();
    ASSERT_NE(calib, nullptr);
    calib->m_dCalib = 0.35;
    ui::SendMessageTo(f->GetSafeHwnd(), WM_XYCALIB_APPLY, reinterpret_cast<WPARAM>(calib->GetSafeHwnd()), 0);

    ui::SendMessageTo(f->GetSafeHwnd(), WM_XYCALIB_EDIT, 0, 2);
    ASSERT_TRUE(ui::testing::WaitForPaint(calib));
    Type(calib->GetDlgItem(CXYCalibSetDlg::kNameEdit), "Third");
    Type(calib->GetDlgItem(CXYCalibSetDlg::kCalibEdit), "0.125");
    Type(calib->GetDlgItem(CXYCalibSetDlg::kGapEdit), "1.5");
    ui::testing::Click(calib->GetDlgItem(IDOK));
    EXPECT_EQ(File(),
              "[InitialSettings]\nNOSTARTDISP=1\nSTARTINGMODE=1009\nResource=QV_l_jpn.dll\n"
              "[STAGEINPUT]\nINPDEVICE=Vantorel Test Camera\n[CALIBRATION]\nSCALELEN1=70\n"
              "SCALEDOT1=15\nCALIBNO=2\nCLBNAME3=Third\nSCALEALLCHK1=0\nSCALEONOFF1=1\n"
              "SCALEDOTONOFF=0\nSCALEALLCHK2=0\nSCALECOLOR1=0\nSCALEPOS1=0\nSCALECEIL1=1\nCALIB1=1\n"
              "GAP1=0\nCLBNAME1=レンズ1\nCALIB2=1\nGAP2=0\nCLBNAME2=レンズ2\nCALIB3=0.125\nGAP3=1.5\n"
              "CALIB4=1\nGAP4=0\nCLBNAME4=レンズ4\nCALIB5=1\nGAP5=0\nCLBNAME5=レンズ5\nLENSNAME=ML30-1\n"
              "SCALELENPOSX=<at>\nSCALELENPOSY=<at>\n[CALIBRATION_ML30-1]\nGAP1=4\nCLBNAME1=Thirty\n"
              "CALIB1=0.35\n[WindowsSettings]\nLEFT=<n>\nTOP=<n>\nWIDTH=<n>\nHEIGHT=<n>\n");

    f->Maximize(true);
    ASSERT_TRUE(f->IsZoomed());
    CloseProgram();
    EXPECT_EQ(File(),
              "[InitialSettings]\nNOSTARTDISP=1\nSTARTINGMODE=1009\nResource=QV_l_jpn.dll\nSORT=32787\n"
              "THUMBSIZE=128\nSELTHUMBSIZE=128\n[STAGEINPUT]\nINPDEVICE=Vantorel Test Camera\n"
              "[CALIBRATION]\nSCALELEN1=70\nSCALEDOT1=15\nCALIBNO=2\nCLBNAME3=Third\nSCALEALLCHK1=0\n"
              "SCALEONOFF1=1\nSCALEDOTONOFF=0\nSCALEALLCHK2=0\nSCALECOLOR1=0\nSCALEPOS1=0\n"
              "SCALECEIL1=1\nCALIB1=1\nGAP1=0\nCLBNAME1=レンズ1\nCALIB2=1\nGAP2=0\nCLBNAME2=レンズ2\n"
              "CALIB3=0.125\nGAP3=1.5\nCALIB4=1\nGAP4=0\nCLBNAME4=レンズ4\nCALIB5=1\nGAP5=0\n"
              "CLBNAME5=レンズ5\nLENSNAME=ML30-1\nSCALELENPOSX=<at>\nSCALELENPOSY=<at>\n"
              "[CALIBRATION_ML30-1]\nGAP1=4\nCLBNAME1=Thirty\nCALIB1=0.35\n[WindowsSettings]\n"
              "LEFT=<n>\nTOP=<n>\nWIDTH=<n>\nHEIGHT=<n>\nZOOMED=1\n[CAMPARAM]\nCOLORMODE=0\nSAMPLE=0\n"
              "REVERSEINP=0\nREDUCE=0\nINPCANNEL=0\nEXT1=-1\nEXT2=-1\nEXT3=-1\nEXT4=-1\nEXT5=-1\n"
              "EXT6=-1\nEXT7=-1\nREFPARAM=<grab>\nCAPCOND=-1\nBPP=8\nRANGELOW=0\nRANGEHI=255\n"
              "IMAGESIZESEL=0\n[SCOPE]\nSCOPETYPE=0\nSUBSTYPE=0\nSUBSPOS=1\n[ZCALIBRATION]\nORIGIN=0\n");
}

// The result window: both scale switches, the scale settings applied to every lens, a slot
// chosen in the lens selection, a slot and a lens of the lens file calibrated.
TEST_F(SettingsFileBytesGui, ResultWindowLensAndScale) {
    Settings(vtid::StartDialog::ManualCapture,
             "[CALIBRATION]\nSCALEDOT1=20\nCALIBNO=0\nSCALELEN1=10\nSCALEALLCHK1=1\n"
             "[CALIBRATION_ML90-2.5]\nSCALEDOT1=7\n");
    CScriptedMessageSink sink(IDOK);
    ASSERT_TRUE(StartProgram());
    CImageDoc* doc = ShowComposition();
    ASSERT_NE(doc, nullptr);
    doc->m_saved = 1;
    CImageFrame* r = app->m_pResultFrame;
    r->RouteCommandId(vtid::cmd::UmScale);
    r->RouteCommandId(vtid::cmd::DotScale);
    WhenModal([](wxDialog* d) {
        Type(FindById(d, vtid::ScaleSettingsDialog::Length), "30");
        Type(FindById(d, vtid::ScaleSettingsDialog::Pixels), "40");
        ui::testing::Click(FindById(d, IDOK));
    });
    r->RouteCommandId(vtid::cmd::ResultScaleSettings);

    WhenModal([](wxDialog* d) {
        auto* dlg = dynamic_cast<CXYCalibDialog*>(d);
        ASSERT_NE(dlg, nullptr);
        ui::testing::Click(dlg->SlotPage()->GetDlgItem(CLensCalibRegDlg::kRadio[3]));
        ui::testing::Click(d->FindWindow(IDOK));
    });
    r->RouteCommandId(ID_LENS_SELECT);

    ui::SendMessageTo(r->GetSafeHwnd(), WM_XYCALIB_EDIT, 0, 1);
    CXYCalibSetDlg* calib = r->m_pCalibSetDlg;
    ASSERT_NE(calib, nullptr);
    calib->m_dCalib = 0.75;
    calib->m_strRegName = "Two";
    ui::SendMessageTo(r->GetSafeHwnd(), WM_XYCALIB_APPLY, reinterpret_cast<WPARAM>(calib->GetSafeHwnd()), 0);
    ui::SendMessageTo(r->GetSafeHwnd(), WM_XYCALIB_EDIT, 1, 1);
    calib->m_dCalib = 0.0625;
    ui::SendMessageTo(r->GetSafeHwnd(), WM_XYCALIB_APPLY, reinterpret_cast<WPARAM>(calib->GetSafeHwnd()), 0);
    EXPECT_EQ(File(),
              "[InitialSettings]\nNOSTARTDISP=1\nSTARTINGMODE=1009\nResource=QV_l_jpn.dll\n"
              "[STAGEINPUT]\nINPDEVICE=Vantorel Test Camera\n[CALIBRATION]\nSCALEDOT1=40\nCALIBNO=-1\n"
              "SCALELEN1=30\nSCALEALLCHK1=1\nSCALEONOFF1=1\nSCALEDOTONOFF=1\nSCALEALLCHK2=1\n"
              "SCALECOLOR1=8388736\nSCALEPOS1=0\nSCALECEIL1=1\nSCALELEN2=30\nSCALEDOT2=40\n"
              "SCALELEN3=30\nSCALEDOT3=40\nSCALELEN4=30\nSCALEDOT4=40\nSCALELEN5=30\nSCALEDOT5=40\n"
              "LENSNAME=ML90-2.5\nCALIB1=1\nGAP1=0\nCLBNAME1=レンズ1\nCALIB2=0.75\nGAP2=0\nCLBNAME2=Two\n"
              "CALIB3=1\nGAP3=0\nCLBNAME3=レンズ3\nCALIB4=1\nGAP4=0\nCLBNAME4=レンズ4\nCALIB5=1\nGAP5=0\n"
              "CLBNAME5=レンズ5\n[CALIBRATION_ML90-2.5]\nSCALEDOT1=40\nSCALELEN1=30\nCLBNAME1=Ninety\n"
              "CALIB1=0.0625\nGAP1=1\n[CALIBRATION_ML30-1]\nSCALELEN1=30\nSCALEDOT1=40\n");
}

// The start dialog's box and the mode it starts; then the program ends in that mode.
TEST_F(SettingsFileBytesGui, StartDialogAndMode) {
    Write("Vantorel.ini",
          "[InitialSettings]\nSTARTINGMODE=1007\n[STAGEINPUT]\nINPDEVICE=Vantorel Test Camera\n");
    CScriptedMessageSink sink(IDOK);
    WhenModal([](wxDialog* d) {
        ui::testing::Click(FindById(d, vtid::StartDialog::HideNextTime));
        ui::testing::Click(FindById(d, vtid::StartDialog::AutoCapture));
    });
    ASSERT_TRUE(StartProgram());
    EXPECT_EQ(File(), "[InitialSettings]\nSTARTINGMODE=1012\nResource=QV_l_jpn.dll\nNOSTARTDISP=1\n"
                      "[STAGEINPUT]\nINPDEVICE=Vantorel Test Camera\n");
}

// The automatic panel with a drive: the Z calibration confirmed, a position list saved (its
// folder kept), the jog step and the automatic composition written when the program ends.
TEST_F(SettingsFileBytesGui, AutomaticPanelAndZCalibration) {
    ASSERT_TRUE(Start("mmc2", 1, 0.5, 0, 0, "[AUTOFOCUS]\nAUTOCOMP=1\nLIST=~\n"));
    CScriptedMessageSink sink(IDOK);
    CMainFrame* f = Frame();
    ASSERT_TRUE(f->RouteCommandId(vtid::cmd::ZCalibrationSettings));
    CZCalibrationDialog* dlg = f->CaptureView()->ZCalibrationDialog();
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(ui::testing::WaitForPaint(dlg));
    ui::testing::Click(FindById(dlg, vtid::ZCalibrationDialog::ByOnePulse));
    Type(FindById(dlg, vtid::ZCalibrationDialog::Distance), "0.25");
    ui::testing::Click(FindById(dlg, IDOK));

    Click(vtid::AutoPanel::AutoCompose);
    Type(Item(vtid::AutoPanel::StartPosition), "10");
    Type(Item(vtid::AutoPanel::EndPosition), "0");
    Type(Item(vtid::AutoPanel::Interval), "5");
    ScriptFileDialogs({folder + "/positions"});
    panel->OnSaveList();
    EXPECT_EQ(File(),
              "[InitialSettings]\nNOSTARTDISP=1\nSTARTINGMODE=1012\nResource=QV_l_jpn.dll\n"
              "TAKEPATH=<folder>\n[STAGEINPUT]\nINPDEVICE=Vantorel Test Camera\n[COMM]\nCONTROLLER=1\n"
              "PORT=0\nSIDE=0\n[ZCALIBRATION]\n1PULSE=0.25\nMODE=1\nMOVEMENT=0.25\nPOINT1=0\nPOINT2=1\n"
              "[AUTOFOCUS]\nAUTOCOMP=1\nLIST=~\n[SPEED]\nMODE=1\nHLOW=1000\nMLOW=1000\nLLOW=1000\n"
              "HHIGH=8000\nMHIGH=5000\nLHIGH=3000\nHRATE=100\nMRATE=100\nLRATE=100\n");
    CloseProgram();
    EXPECT_EQ(File(),
              "[InitialSettings]\nNOSTARTDISP=1\nSTARTINGMODE=1012\nResource=QV_l_jpn.dll\n"
              "TAKEPATH=<folder>\nSORT=32787\nTHUMBSIZE=128\nSELTHUMBSIZE=128\n[STAGEINPUT]\n"
              "INPDEVICE=Vantorel Test Camera\n[COMM]\nCONTROLLER=1\nPORT=0\nSIDE=0\n[ZCALIBRATION]\n"
              "1PULSE=0.25\nMODE=1\nMOVEMENT=0.25\nPOINT1=0\nPOINT2=1\nORIGIN=0\n[AUTOFOCUS]\n"
              "AUTOCOMP=0\nLIST=~\nUPDOWN=1\n[SPEED]\nMODE=1\nHLOW=1000\nMLOW=1000\nLLOW=1000\n"
              "HHIGH=8000\nMHIGH=5000\nLHIGH=3000\nHRATE=100\nMRATE=100\nLRATE=100\n[WindowsSettings]\n"
              "LEFT=<n>\nTOP=<n>\nWIDTH=<n>\nHEIGHT=<n>\nZOOMED=0\n[CAMPARAM]\nCOLORMODE=0\nSAMPLE=0\n"
              "REVERSEINP=0\nREDUCE=0\nINPCANNEL=0\nEXT1=-1\nEXT2=-1\nEXT3=-1\nEXT4=-1\nEXT5=-1\n"
              "EXT6=-1\nEXT7=-1\nREFPARAM=<grab>\nCAPCOND=-1\nBPP=8\nRANGELOW=0\nRANGEHI=255\n"
              "IMAGESIZESEL=0\n[SCOPE]\nSCOPETYPE=0\nSUBSTYPE=0\nSUBSPOS=1\n");
}

} // namespace
