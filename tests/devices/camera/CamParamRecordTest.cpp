#include "devices/camera/CamParamRecord.h"
#include "devices/camera/ProcParameter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<BYTE> Bytes(const CamParamRecord& r) {
    return {r.Data(), r.Data() + CamParamRecord::kSize};
}

// The defaults of the settings keys, written out byte by byte as the module sees them.
TEST(CamParamRecord, DefaultRecordGoldenBytes) {
    std::vector<BYTE> golden(120, 0);
    auto put = [&](int off, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            golden[off + i] = static_cast<BYTE>(v >> (8 * i));
    };
    for (int off = 20; off < 40; off += 4) // EXT1..EXT5
        put(off, 0xFFFFFFFFu);
    put(40, 0xBF800000u);  // EXT6 = -1.0f
    put(44, 0x00000000u);  // EXT7 = -1.0 (low word)
    put(48, 0xBFF00000u);  // EXT7 (high word)
    put(100, 0xFFFFFFFFu); // CAPCOND
    put(104, 8);           // BPP
    put(112, 255);         // RANGEHI
    EXPECT_EQ(Bytes(CamParamRecord()), golden);
}

TEST(CamParamRecord, FieldsLandAtTheirOffsetsLittleEndian) {
    CamParamRecord r;
    r.SetColorMode(0x01020304);
    r.SetReduce(2);
    r.SetRefParam(0, 0x11);
    r.SetGrabKind(-1);
    r.SetRefParam(8, 0x7A);
    r.SetMainWindow(0xA1B2C3D4u);
    r.SetFrameWindow(0x00000042u);
    r.SetInstance(0x0000BEEFu);
    r.SetDouble(VT_CAMPARAM_EXT7, 12.5);
    r.SetFloat(VT_CAMPARAM_EXT6, 3.0f);
    const BYTE* b = r.Data();
    EXPECT_EQ(b[0], 0x04);
    EXPECT_EQ(b[3], 0x01);
    EXPECT_EQ(b[12], 2);
    EXPECT_EQ(b[52], 0x11);
    EXPECT_EQ(le::getS32(b + 80), -1); // REFPARAM entry 7 is the grab kind
    EXPECT_EQ(r.RefParam(7), -1);
    EXPECT_EQ(b[84], 0x7A);
    EXPECT_EQ(b[88], 0xD4);
    EXPECT_EQ(b[91], 0xA1);
    EXPECT_EQ(le::get32(b + 92), 0x42u);
    EXPECT_EQ(le::get32(b + 96), 0xBEEFu);
    EXPECT_EQ(le::get64(b + 44), 0x4029000000000000ull); // 12.5
    EXPECT_EQ(le::get32(b + 40), 0x40400000u);           // 3.0f
    EXPECT_EQ(r.Ext7(), 12.5);
    EXPECT_EQ(r.Ext6(), 3.0f);
}

// The keys cover the record without gaps up to the window slots and after them.
TEST(CamParamRecord, SettingsKeysTileTheRecord) {
    int next = 0;
    for (const CamParamField& f : CamParamRecord::Fields()) {
        if (next == VT_CAMPARAM_MAINWINDOW)
            next += 12; // window, frame window and instance tokens have no key
        EXPECT_EQ(f.offset, next) << f.key;
        int width = f.type == CamParamType::Float64 ? 8 : 4;
        if (f.key == "REFPARAM")
            width = 4 * CamParamRecord::kRefParamCount;
        next = f.offset + width;
    }
    EXPECT_EQ(next, CamParamRecord::kSize);
}

TEST(ProcParameter, DeviceNameIsCutOnACharacterBoundaryAndListsAreReplaced) {
    CProcParameter p;
    std::string longName(254, 'a');
    longName += "名前"; // a three-byte character across the 255-byte limit
    p.SetDeviceName(longName);
    EXPECT_EQ(p.DeviceName(), std::string(254, 'a'));

    EXPECT_EQ(p.ModuleList(), nullptr);
    p.NewModuleList().push_back("/x/a.cam");
    ASSERT_NE(p.ModuleList(), nullptr);
    EXPECT_EQ(p.ModuleList()->size(), 1u);
    p.NewModuleList();
    EXPECT_TRUE(p.ModuleList()->empty());
    p.FreeModuleList();
    EXPECT_EQ(p.ModuleList(), nullptr);
}

} // namespace
