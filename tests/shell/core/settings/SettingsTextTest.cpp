// The settings the shell writes, as text, in their key orders.
#include "devices/serial/ControllerSettings.h"
#include "ids/VantorelIds.h"
#include "shell/core/capture/CaptureSettings.h"
#include "shell/core/compose/CompositionRun.h"
#include "shell/core/settings/DocumentSettings.h"
#include "ShellCoreTestSupport.h"

namespace {

using SettingsText = ShellSettingsTest;

TEST_F(SettingsText, CompositionStartStoresTheSpeedBeforeWritingParameters) {
    DocumentSettings doc;
    doc.ReadSettings();
    EXPECT_EQ(doc.m_compSpeed, 1);
    doc.m_focusType = 3;
    doc.m_compSize = 11;
    doc.m_compSmoothing = 4;
    doc.m_tan = 7;
    doc.m_sai = 9;
    const CompositionParameters p = PrepareComposition(doc, 2);
    EXPECT_EQ(p.sizeParameter, 11);
    EXPECT_EQ(p.smoothing, 4);
    EXPECT_EQ(Settings(), "[PARAMETER]\n"
                          "COMTYPE=3\nCOMPSIZE=11\nCOMSMOOTHING=4\nCOMAUTOPOS=0\nCOMPSPEED=2\nAREANO=2\n"
                          "INICOMPOS1X=50\nINICOMPOS1Y=25\nINICOMPOS2X=75\nINICOMPOS2Y=50\n"
                          "INICOMPOS3X=50\nINICOMPOS3Y=75\nINICOMPOS4X=25\nINICOMPOS4Y=50\n"
                          "SAI=9\nTAN=7\n");
    DocumentSettings again;
    again.ReadSettings();
    EXPECT_EQ(again.m_compSpeed, 2);
    EXPECT_EQ(again.m_tan, 7);
}

TEST_F(SettingsText, DocumentDefaultsAndThumbnailSizes) {
    WriteIniInt("InitialSettings", "THUMBSIZE", 100);
    WriteIniInt("InitialSettings", "SELTHUMBSIZE", 192);
    DocumentSettings doc;
    doc.ReadSettings();
    EXPECT_EQ(doc.m_thumbSize, 128);
    EXPECT_EQ(doc.m_selThumbSize, 192);
    EXPECT_EQ(doc.m_sort, vtid::cmd::SortByName);
    EXPECT_EQ(doc.m_sortParam, vtid::cmd::SortFocusBoxByHeight);
    EXPECT_EQ(doc.m_focusType, 1);
    EXPECT_EQ(doc.m_subsPos, 1);
    EXPECT_EQ(doc.m_iniCompPos[7], 50);
    doc.m_thumbSize = 64;
    doc.WriteExitSettings();
    EXPECT_EQ(ReadIniInt("InitialSettings", "THUMBSIZE", 0), 64);
    EXPECT_NE(Settings().find("[SCOPE]\nSCOPETYPE=0\nSUBSTYPE=0\nSUBSPOS=1\n"), std::string::npos);
}

TEST_F(SettingsText, CameraParametersRoundTripInRecordOrder) {
    CamParamRecord record;
    for (int i = 0; i < 9; ++i)
        record.SetRefParam(i, i == 4 ? -12345 : i * 100);
    record.SetColorMode(1);
    record.SetFloat(VT_CAMPARAM_EXT6, 2.5f);
    record.SetDouble(VT_CAMPARAM_EXT7, 0.125);
    // Saved twice, as every run of the program does: the text stays the same.
    SaveCameraSettings(record);
    SaveCameraSettings(record);
    EXPECT_EQ(Settings(), "[CAMPARAM]\n"
                          "COLORMODE=1\nSAMPLE=0\nREVERSEINP=0\nREDUCE=0\nINPCANNEL=0\n"
                          "EXT1=-1\nEXT2=-1\nEXT3=-1\nEXT4=-1\nEXT5=-1\nEXT6=2.5\nEXT7=0.125\n"
                          "REFPARAM=        0|      100|      200|      300|   -12345|      500|      600|"
                          "      700|      800|\n"
                          "CAPCOND=-1\nBPP=8\nRANGELOW=0\nRANGEHI=255\nIMAGESIZESEL=0\n");
    CamParamRecord back;
    back.SetFrameWindow(77);
    LoadCameraSettings(back);
    EXPECT_EQ(std::memcmp(back.Data(), record.Data(), CamParamRecord::kSize), 0);

    // strtok-like splitting: empty pieces vanish, missing pieces are 0.
    ParseRefParam("5||7|", back);
    EXPECT_EQ(back.RefParam(0), 5);
    EXPECT_EQ(back.RefParam(1), 7);
    EXPECT_EQ(back.RefParam(2), 0);
    EXPECT_EQ(back.RefParam(8), 0);
}

TEST_F(SettingsText, SpeedAndCommunicationKeysInTheirOrders) {
    SpeedPresets speed;
    speed.mode = 2;
    speed.low[1] = 20;
    WriteSpeedPresets(speed);
    ControllerCommSettings comm;
    comm.controller = 9;
    comm.baud = 8;
    WriteControllerSettings(comm);
    EXPECT_EQ(Settings(),
              "[SPEED]\nMODE=2\nHLOW=1000\nMLOW=20\nLLOW=1000\nHHIGH=8000\nMHIGH=5000\nLHIGH=3000\n"
              "HRATE=100\nMRATE=100\nLRATE=100\n"
              "[COMM]\nCONTROLLER=9\nPORT=0\nLENSPORT=1\nBAUD=8\nDATA=1\nPARITY=0\nSTOP=0\n"
              "XFLOW=0\nSIDE=0\n");
    EXPECT_EQ(ReadSpeedPresets().low[1], 20);
}

} // namespace
