// What the scale settings of a live view write: the slot keys of [CALIBRATION], a table lens's
// own section, the propagation to every lens, and nothing of its own for a lens that left the
// table.
#include "shell/core/lens/ScaleSettingsWrite.h"
#include "ShellCoreTestSupport.h"

namespace {

class ScaleSettingsWrite : public ShellSettingsTest {
protected:
    void Load(const std::string& calibration) {
        Write("LENS.TXT", "ML30-1,Thirty,0.3,3\nML90-2.5,Ninety,0.09,1\n");
        Write("Vantorel.ini", "[CALIBRATION]\n" + calibration);
        lib.SetLensFilePath(File("LENS.TXT"));
        doc.LoadLensSlots(lib);
    }
    static ScaleDialogValues Values(int all1, int all2) {
        ScaleDialogValues v;
        v.length = 50;
        v.dots = 120;
        v.ceiling = 2.5;
        v.position = 3;
        v.colour = 0x0000FF;
        v.allLenses1 = all1;
        v.allLenses2 = all2;
        return v;
    }
    LensLibrary lib;
    DocumentSettings doc;
};

TEST_F(ScaleSettingsWrite, SlotKeysOfTheCurrentSlot) {
    Load("CALIBNO=2\n");
    ASSERT_EQ(doc.m_slotIndex, 2);
    ApplyScaleSettings(doc, lib, Values(0, 0));
    EXPECT_EQ(Settings(), "[CALIBRATION]\nCALIBNO=2\nSCALECOLOR1=255\nSCALEPOS1=3\n"
                          "SCALELEN3=50\nSCALEDOT3=120\nSCALECEIL3=2.5\nSCALEPOS3=3\nSCALECOLOR3=255\n");
    const CMLens& slot = *doc.m_slots[2];
    EXPECT_DOUBLE_EQ(slot.m_scaleLength, 50);
    EXPECT_EQ(slot.m_scaleDots, 120);
    EXPECT_DOUBLE_EQ(slot.m_scaleCeiling, 2.5);
    EXPECT_EQ(slot.m_scalePos, 3);
    EXPECT_EQ(slot.m_scaleColor, 0xFFu);
    EXPECT_DOUBLE_EQ(doc.m_currentLens.m_scaleLength, 50);
    EXPECT_EQ(doc.m_slots[1]->m_scaleDots, 0); // other slots keep theirs
    EXPECT_EQ(lib.m_scaleColor, 255);
    EXPECT_EQ(lib.m_scalePos, 3);

    // What is written is what the next start reads.
    DocumentSettings again;
    LensLibrary lib2;
    lib2.SetLensFilePath(File("LENS.TXT"));
    again.LoadLensSlots(lib2);
    EXPECT_DOUBLE_EQ(again.m_currentLens.m_scaleCeiling, 2.5);
    EXPECT_EQ(again.m_currentLens.m_scaleDots, 120);
}

TEST_F(ScaleSettingsWrite, TableLensGetsItsOwnSection) {
    Load("CALIBNO=-1\nLENSNAME=ML90-2.5\n");
    ASSERT_EQ(doc.m_slotIndex, -1);
    ApplyScaleSettings(doc, lib, Values(0, 0));
    EXPECT_EQ(Settings(), "[CALIBRATION]\nCALIBNO=-1\nLENSNAME=ML90-2.5\nSCALECOLOR1=255\nSCALEPOS1=3\n"
                          "[CALIBRATION_ML90-2.5]\n"
                          "SCALELEN1=50\nSCALEDOT1=120\nSCALECEIL1=2.5\nSCALEPOS1=3\nSCALECOLOR1=255\n");
    EXPECT_EQ(lib.FindLens("ML90-2.5")->m_scaleDots, 120);
    EXPECT_EQ(lib.FindLens("ML30-1")->m_scaleDots, 0);
    EXPECT_EQ(doc.m_slots[0]->m_scaleDots, 0);
}

TEST_F(ScaleSettingsWrite, AllLensesTakeTheLengthThenTheDots) {
    Load("CALIBNO=0\n");
    ApplyScaleSettings(doc, lib, Values(1, 1));
    EXPECT_EQ(Settings(), "[CALIBRATION]\nCALIBNO=0\nSCALECOLOR1=255\nSCALEPOS1=3\n"
                          "SCALELEN1=50\nSCALEDOT1=120\nSCALECEIL1=2.5\n"
                          "SCALELEN2=50\nSCALELEN3=50\nSCALELEN4=50\nSCALELEN5=50\n"
                          "SCALEDOT2=120\nSCALEDOT3=120\nSCALEDOT4=120\nSCALEDOT5=120\n"
                          "[CALIBRATION_ML30-1]\nSCALELEN1=50\nSCALEDOT1=120\n"
                          "[CALIBRATION_ML90-2.5]\nSCALELEN1=50\nSCALEDOT1=120\n");
    for (const auto& slot : doc.m_slots) {
        EXPECT_DOUBLE_EQ(slot->m_scaleLength, 50);
        EXPECT_EQ(slot->m_scaleDots, 120);
    }
    for (const auto& lens : lib.Lenses()) {
        EXPECT_DOUBLE_EQ(lens->m_scaleLength, 50);
        EXPECT_EQ(lens->m_scaleDots, 120);
        EXPECT_DOUBLE_EQ(lens->m_scaleCeiling, 1); // only the two asked for
    }

    // Only the length: no dot key anywhere but the slot's own.
    Load("CALIBNO=4\n");
    ApplyScaleSettings(doc, lib, Values(1, 0));
    EXPECT_EQ(Settings(), "[CALIBRATION]\nCALIBNO=4\nSCALECOLOR1=255\nSCALEPOS1=3\n"
                          "SCALELEN5=50\nSCALEDOT5=120\nSCALECEIL5=2.5\nSCALEPOS5=3\nSCALECOLOR5=255\n"
                          "SCALELEN1=50\nSCALELEN2=50\nSCALELEN3=50\nSCALELEN4=50\n"
                          "[CALIBRATION_ML30-1]\nSCALELEN1=50\n"
                          "[CALIBRATION_ML90-2.5]\nSCALELEN1=50\n");
}

TEST_F(ScaleSettingsWrite, LensNoLongerInTheTableUpdatesTheDocumentOnly) {
    Load("CALIBNO=0\n");
    doc.m_slotIndex = -1;
    doc.m_currentLens.SetName("Gone");
    ASSERT_EQ(CurrentLensRecord(doc, lib), nullptr);
    ApplyScaleSettings(doc, lib, Values(0, 0));
    EXPECT_DOUBLE_EQ(doc.m_currentLens.m_scaleLength, 50);
    EXPECT_EQ(doc.m_currentLens.m_scaleDots, 120);
    EXPECT_EQ(Settings(), "[CALIBRATION]\nCALIBNO=0\nSCALECOLOR1=255\nSCALEPOS1=3\n");
    for (const auto& lens : lib.Lenses())
        EXPECT_DOUBLE_EQ(lens->m_scaleLength, 0);
    for (const auto& slot : doc.m_slots)
        EXPECT_DOUBLE_EQ(slot->m_scaleLength, 0);
}

} // namespace
