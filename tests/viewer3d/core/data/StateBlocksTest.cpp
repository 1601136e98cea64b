// The fixed-offset state blocks of 3D documents and the parameter file: golden bytes at the
// stored offsets, round trips, and values out of range held on reading.
#include "ReaderTestSupport.h"

#include "platform/File.h"
#include "viewer3d/core/data/MeasureState.h"
#include "viewer3d/core/data/ProcParams.h"
#include "viewer3d/core/data/ViewState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

using namespace v3d;

namespace {
double f64At(const uint8_t* p) {
    return le::getDouble(p);
}
} // namespace

TEST(ViewStateTest, DefaultsSitAtTheirOffsets) {
    const auto b = ViewState().Encode();
    ASSERT_EQ(b.size(), 388u);
    EXPECT_EQ(le::getS16(&b[0]), 8);
    EXPECT_EQ(f64At(&b[2]), 1.0);
    EXPECT_EQ(f64At(&b[10]), 1.0);
    EXPECT_EQ(le::getS32(&b[22]), 1);
    EXPECT_EQ(f64At(&b[30]), 1.0);
    EXPECT_EQ(f64At(&b[42]), 1.0);
    EXPECT_EQ(f64At(&b[78]), 1.0);
    EXPECT_EQ(b[114], 0);
    EXPECT_EQ(le::get32(&b[376]), 0x800000u); // RGB(0, 0, 128)
    EXPECT_EQ(le::getS32(&b[384]), 80);
}

TEST(ViewStateTest, EveryFieldRoundTripsAtItsOffset) {
    ViewState s;
    s.contourCount = 200;
    s.sliceLevel = 2.5;
    s.zAxisLength = 3.5;
    s.zAxisFixed = 1;
    s.scaleLinesShown = 0;
    s.zScaleFixed = 1;
    s.zScalePreset = 0.4;
    s.zScaleFreeOn = 1;
    s.zScaleFree = 7.25;
    s.rotationFixed = 1;
    s.rotationX = -30;
    s.rotationY = 45;
    s.rotationZ = 90;
    s.zoom = 2.5;
    s.sliceArea = 11;
    s.slicePerimeter = 12;
    s.smoothingOn = 1;
    s.smoothingMethod = 1;
    s.smoothingWidth = 3;
    s.SetCommentUtf8("試料A");
    s.displayMode = 2;
    s.backgroundColor = 0x123456;
    s.paletteIndex = 9;
    s.wireframeDivisions = 33;
    const auto b = s.Encode();
    EXPECT_EQ(le::getS16(&b[0]), 200);
    EXPECT_EQ(f64At(&b[54]), -30.0);
    EXPECT_EQ(f64At(&b[70]), 90.0);
    EXPECT_EQ(le::getS32(&b[110]), 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[114])), "\x8e\x8e\x97\xbf"
                                                                   "A"); // CP932
    EXPECT_EQ(le::getS32(&b[372]), 2);
    EXPECT_EQ(le::getS32(&b[380]), 9);
    const ViewState back = ViewState::Decode(b.data());
    EXPECT_EQ(back, s);
    EXPECT_EQ(back.CommentUtf8(), "試料A");
}

TEST(ViewStateTest, SanitizeHoldsFieldsThatWouldIndexOrDivideOutOfRange) {
    ViewState s;
    s.contourCount = 0;
    s.smoothingWidth = 4; // would read past the four weight sets
    s.paletteIndex = 10;
    s.wireframeDivisions = 9;
    s.displayMode = 7;
    s.zoom = std::numeric_limits<double>::quiet_NaN();
    s.zScaleFree = -1;
    std::memset(s.comment.data(), 'x', s.comment.size()); // no terminating zero
    s.comment[255] = '\x82';                              // a lead byte cut at the end
    EXPECT_GT(s.Sanitize(), 0);
    EXPECT_EQ(s.contourCount, 8);
    EXPECT_EQ(s.smoothingWidth, 0);
    EXPECT_EQ(s.paletteIndex, 0);
    EXPECT_EQ(s.wireframeDivisions, 80);
    EXPECT_EQ(s.displayMode, 0);
    EXPECT_EQ(s.zoom, 1.0);
    EXPECT_EQ(s.zScaleFree, 1.0);
    EXPECT_EQ(std::strlen(s.comment.data()), 255u);
    ViewState good;
    EXPECT_EQ(good.Sanitize(), 0);
}

TEST(MeasureStateTest, GoldenOffsetsAndPrefixDecoding) {
    MeasureState m;
    m.xPitch = 0.5;
    m.yPitch = 0.25;
    m.graphScaleFreeOn = 1;
    m.graphScaleFree = 4;
    m.linePositionFixed = {1, 0, 1};
    m.linePosition = {10, 20, 30};
    m.measured = {1.5, 2.5, 3.5, 4.5};
    m.lineMode = 0;
    m.lineCount = 5;
    const auto b = m.Encode();
    ASSERT_EQ(b.size(), 100u);
    EXPECT_EQ(f64At(&b[8]), 0.25);
    EXPECT_EQ(le::getS32(&b[24]), 1);
    EXPECT_EQ(f64At(&b[28]), 4.0);
    EXPECT_EQ(le::getS32(&b[44]), 1);
    EXPECT_EQ(le::getS32(&b[56]), 30);
    EXPECT_EQ(f64At(&b[84]), 4.5);
    EXPECT_EQ(le::getS32(&b[92]), 0);
    EXPECT_EQ(le::getS32(&b[96]), 5);
    EXPECT_EQ(MeasureState::Decode(b.data()), m);
    MeasureState prefix;
    prefix.DecodePrefix(b.data(), 92); // older files: the last two fields keep their values
    EXPECT_EQ(prefix.measured[3], 4.5);
    EXPECT_EQ(prefix.lineMode, 1);
    EXPECT_EQ(prefix.lineCount, 1);
}

TEST(ProcParamsTest, GoldenBytesAndViewStateMirror) {
    ProcParams p;
    const auto d = p.Encode();
    ASSERT_EQ(d.size(), 114u);
    EXPECT_EQ(le::get32(&d[0]), 0u); // reserved word written 0
    float threshold;
    const uint32_t t = le::get32(&d[4]);
    std::memcpy(&threshold, &t, 4);
    EXPECT_EQ(threshold, 1000.0f);
    EXPECT_EQ(le::getS16(&d[12]), 8);
    EXPECT_EQ(le::getS32(&d[26]), 1);
    EXPECT_EQ(f64At(&d[82]), 1.0);
    EXPECT_EQ(le::getS32(&d[102]), 1);
    EXPECT_EQ(f64At(&d[106]), 80.0);

    // Bytes 14..89 and 90..101 hold ViewState +10..+85 and +102..+113 in the same order.
    ViewState v;
    v.zAxisLength = 9;
    v.zScaleFreeOn = 1;
    v.rotationY = 12;
    v.zoom = 2.5;
    v.smoothingOn = 1;
    v.smoothingWidth = 2;
    v.contourCount = 99;
    v.sliceArea = 77;
    p.TakeFromFile(v);
    const auto pb = p.Encode();
    const auto vb = v.Encode();
    EXPECT_EQ(std::memcmp(&pb[14], &vb[10], 76), 0);
    EXPECT_EQ(std::memcmp(&pb[90], &vb[102], 12), 0);
    EXPECT_EQ(p.contourCount, 8); // the contour count is not taken from a file
    EXPECT_EQ(ProcParams::Decode(pb.data()), p);
}

TEST(ProcParamsTest, LoadSaveAndShortOrHostileFiles) {
    v3dtest::ScratchDir dir;
    const std::string path = ProcParamsPath(dir.Path(""));
    EXPECT_EQ(path, dir.Path("3DPROC.PAR"));
    ProcParams p;
    EXPECT_EQ(p.Load(path), 0); // missing: defaults stay
    p.zoom = 2.5;
    p.endEffect = 0;
    p.cutoff = 250;
    ASSERT_EQ(p.Save(path), 1);
    EXPECT_EQ(std::filesystem::file_size(path), 114u);
    ProcParams q;
    ASSERT_EQ(q.Load(path), 1);
    EXPECT_EQ(q, p);

    // 113 bytes are ignored entirely.
    auto bytes = p.Encode();
    v3dtest::WriteBytes(path, std::vector<BYTE>(bytes.begin(), bytes.end() - 1));
    ProcParams r;
    EXPECT_EQ(r.Load(path), 0);
    EXPECT_EQ(r, ProcParams());

    // A longer file is taken; values out of range come back to their defaults.
    ProcParams bad;
    bad.smoothingWidth = 9;
    bad.cutoff = 0;
    bad.contourCount = 300;
    bad.zoom = std::numeric_limits<double>::infinity();
    auto bb = bad.Encode();
    std::vector<BYTE> longer(bb.begin(), bb.end());
    longer.push_back(0xAA);
    v3dtest::WriteBytes(path, longer);
    ProcParams s;
    ASSERT_EQ(s.Load(path), 1);
    EXPECT_EQ(s.smoothingWidth, 0);
    EXPECT_EQ(s.cutoff, 80.0);
    EXPECT_EQ(s.contourCount, 8);
    EXPECT_EQ(s.zoom, 1.0);

    // A file that cannot be created leaves the target as it was and says why.
    int failure = 0;
    EXPECT_EQ(p.Save(dir.Path("no/such/folder/3DPROC.PAR"), &failure), 0);
    EXPECT_EQ(failure, 1);
}
