#include "shell/core/settings/DocumentSettings.h"
#include "shell/core/lens/LensLibrary.h"
#include "ShellCoreTestSupport.h"

namespace {

class LensFile : public ShellSettingsTest {
protected:
    void SetUp() override {
        ShellSettingsTest::SetUp();
        lib.SetLensFilePath(File("LENS.TXT"));
    }
    LensLibrary lib;
};

TEST_F(LensFile, ReadsRecordsInFileOrderWithSectionOverridesUnlessFileValuesOnly) {
    Write("LENS.TXT", "20X,Obj20,0.35,5\r\n 50X ,Obj50,0.14,2\n");
    WriteIniString("CALIBRATION_20X", "CLBNAME1", "Mine");
    WriteIniDouble("CALIBRATION_20X", "CALIB1", 0.4);
    WriteIniDouble("CALIBRATION_20X", "GAP1", 7.5);
    WriteIniDouble("CALIBRATION_20X", "SCALELEN1", 100);
    WriteIniInt("CALIBRATION_20X", "SCALEDOT1", 50);

    ASSERT_EQ(lib.LoadLensFile(false), 1);
    ASSERT_EQ(lib.Lenses().size(), 2u);
    const CMLens& a = *lib.Lenses()[0];
    EXPECT_EQ(a.m_index, 0);
    EXPECT_EQ(a.GetName(), "20X");
    EXPECT_EQ(a.GetRegName(), "Mine");
    EXPECT_DOUBLE_EQ(a.m_calib, 0.4);
    EXPECT_DOUBLE_EQ(a.m_gap, 7.5);
    EXPECT_DOUBLE_EQ(a.m_scaleLength, 100);
    EXPECT_EQ(a.m_scaleDots, 50);
    EXPECT_DOUBLE_EQ(a.m_scaleCeiling, 1.0);
    EXPECT_EQ(a.m_scaleColor, 0x800080u);
    const CMLens& b = *lib.Lenses()[1];
    EXPECT_EQ(b.m_index, 1);
    EXPECT_EQ(b.GetName(), "50X"); // trimmed
    EXPECT_EQ(b.GetRegName(), "Obj50");
    EXPECT_DOUBLE_EQ(b.m_calib, 0.14);

    // File values only: the file's name, calibration and interval stand; the scale still
    // comes from the section.
    ASSERT_EQ(lib.LoadLensFile(true), 1);
    ASSERT_EQ(lib.Lenses().size(), 2u);
    EXPECT_EQ(lib.Lenses()[0]->GetRegName(), "Obj20");
    EXPECT_DOUBLE_EQ(lib.Lenses()[0]->m_calib, 0.35);
    EXPECT_DOUBLE_EQ(lib.Lenses()[0]->m_gap, 5);
    EXPECT_DOUBLE_EQ(lib.Lenses()[0]->m_scaleLength, 100);
}

TEST_F(LensFile, OddLinesAreSkippedCutOrDropped) {
    const std::string longName(300, 'N');
    Write("LENS.TXT", std::string("\n") +         // empty line: no record
                          "no comma here\n" +     // no record
                          longName + ",R,1,2\n" + // name cut at 255 bytes
                          "A,B,0.5,x,y,9\n" +     // extra fields: interval after the last comma
                          "C,D,abc,3\n" +         // not a number: 0
                          "E,F,1,1");             // no line feed: lost
    ASSERT_EQ(lib.LoadLensFile(true), 1);
    ASSERT_EQ(lib.Lenses().size(), 3u);
    EXPECT_EQ(lib.Lenses()[0]->GetName(), std::string(255, 'N'));
    EXPECT_EQ(lib.Lenses()[0]->m_index, 0);
    EXPECT_DOUBLE_EQ(lib.Lenses()[1]->m_calib, 0.5);
    EXPECT_DOUBLE_EQ(lib.Lenses()[1]->m_gap, 9);
    EXPECT_EQ(lib.Lenses()[1]->m_index, 1);
    EXPECT_DOUBLE_EQ(lib.Lenses()[2]->m_calib, 0);
    EXPECT_EQ(lib.FindLens("E"), nullptr);

    // A NUL byte ends the file.
    Write("LENS.TXT", std::string("G,H,1,1\n\0I,J,1,1\n", 17));
    ASSERT_EQ(lib.LoadLensFile(true), 1);
    ASSERT_EQ(lib.Lenses().size(), 1u);
    EXPECT_EQ(lib.Lenses()[0]->GetName(), "G");
}

TEST_F(LensFile, MissingFileKeepsTheTableAndLookupsAreBounded) {
    Write("LENS.TXT", "A,a,1,1\nB,b,2,2\n");
    ASSERT_EQ(lib.LoadLensFile(true), 1);
    lib.SetLensFilePath(File("NONE.TXT"));
    EXPECT_EQ(lib.LoadLensFile(true), 0);
    ASSERT_EQ(lib.Lenses().size(), 2u);

    EXPECT_EQ(lib.FindLens("B"), lib.Lenses()[1].get());
    EXPECT_EQ(lib.FindLens("b"), nullptr); // exact bytes
    EXPECT_EQ(lib.FindLens(nullptr), nullptr);
    EXPECT_EQ(GetLensAt(lib.Lenses(), 1), lib.Lenses()[1].get());
    EXPECT_EQ(GetLensAt(lib.Lenses(), 2), nullptr);
    EXPECT_EQ(GetLensAt(lib.Lenses(), -1), nullptr);
}

TEST_F(LensFile, CurrentLensNameFallsBackToSlotZero) {
    Write("LENS.TXT", "A,a,1,1\n");
    lib.LoadLensFile(true);
    WriteIniString("CALIBRATION", "LENSNAME", "A");
    std::string name = "old";
    int slot = 3;
    EXPECT_EQ(lib.GetCurrentLensName(slot, name, "fb"), "fb");
    EXPECT_EQ(slot, 3);
    EXPECT_EQ(name, "");
    slot = -1;
    EXPECT_EQ(lib.GetCurrentLensName(slot, name, "fb"), "A");
    EXPECT_EQ(name, "A");
    WriteIniString("CALIBRATION", "LENSNAME", "Z");
    EXPECT_EQ(lib.GetCurrentLensName(slot, name, "fb"), "fb");
    EXPECT_EQ(slot, 0);
}

TEST_F(LensFile, LensSlotsPickTheCurrentLens) {
    Write("LENS.TXT", "ML30-1,Thirty,0.3,3\nML90-2.5,NinetyZoom,0.09,1\n");
    WriteIniDouble("CALIBRATION", "CALIB4", 0.25);
    WriteIniString("CALIBRATION", "CLBNAME4", "Slot four");
    WriteIniInt("CALIBRATION", "SCALECOLOR1", 255);
    WriteIniInt("CALIBRATION", "SCALEPOS1", 3);
    DocumentSettings doc;

    WriteIniInt("CALIBRATION", "CALIBNO", 3);
    WriteIniString("CALIBRATION", "LENSNAME", "ML30-1");
    doc.LoadLensSlots(lib);
    ASSERT_EQ(doc.m_slots.size(), 5u);
    EXPECT_EQ(doc.m_slots[0]->m_index, 1);
    EXPECT_EQ(doc.m_slots[0]->GetRegName(), "レンズ1");
    EXPECT_DOUBLE_EQ(doc.m_slots[0]->m_calib, 1.0);
    EXPECT_EQ(doc.m_currentLens.GetRegName(), "Slot four"); // slot 4 regardless of LENSNAME
    EXPECT_DOUBLE_EQ(doc.m_currentLens.m_calib, 0.25);
    EXPECT_EQ(lib.m_scaleColor, 255);
    EXPECT_EQ(lib.m_scalePos, 3);

    WriteIniInt("CALIBRATION", "CALIBNO", -1);
    doc.LoadLensSlots(lib);
    EXPECT_EQ(doc.m_slotIndex, -1);
    EXPECT_EQ(doc.m_currentLens.GetName(), "ML30-1");
    EXPECT_EQ(doc.m_lensName, "ML30-1");

    WriteIniString("CALIBRATION", "LENSNAME", "not in the file");
    doc.LoadLensSlots(lib);
    EXPECT_EQ(doc.m_slotIndex, 0);
    EXPECT_EQ(doc.m_currentLens.GetRegName(), "レンズ1");

    // A lens state picks the ML lens and records it; an unknown one changes nothing.
    EXPECT_TRUE(doc.SelectLensByNumber(30, 1.0, lib));
    EXPECT_EQ(doc.m_currentLens.GetRegName(), "Thirty");
    EXPECT_EQ(doc.m_slotIndex, -1);
    EXPECT_EQ(ReadIniInt("CALIBRATION", "CALIBNO", 0), -1);
    EXPECT_EQ(ReadIniString("CALIBRATION", "LENSNAME", ""), "ML30-1");
    EXPECT_TRUE(doc.SelectLensByNumber(90, 2.5, lib));
    EXPECT_EQ(doc.m_currentLens.GetName(), "ML90-2.5");
    EXPECT_FALSE(doc.SelectLensByNumber(300, 4.0, lib));
    EXPECT_EQ(doc.m_currentLens.GetName(), "ML90-2.5");
    EXPECT_EQ(doc.m_lensNumber, 300);
    EXPECT_DOUBLE_EQ(doc.m_zoom, 4.0);
}

} // namespace
