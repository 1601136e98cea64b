#include "shell/core/compose/CompositionRun.h"
#include "shell/core/settings/DocumentSettings.h"

#include <gtest/gtest.h>

namespace {

SeriesEntry Entry(const std::string& path, double z, int w = 0, int h = 0) {
    SeriesEntry e;
    e.path = path;
    e.number = 1;
    e.z = z;
    e.haveRecord = w > 0;
    e.width = w;
    e.height = h;
    return e;
}

SeriesEntry Placeholder() {
    SeriesEntry e;
    e.path = "Last Position";
    e.number = kPlaceholderNumber;
    return e;
}

bool FakeHeader(const std::string& path, int* w, int* h) {
    if (path != "/series/002.bmp")
        return false;
    *w = 640;
    *h = 480;
    return true;
}

TEST(CompositionRun, FocusTypesAndSpeeds) {
    struct Case {
        int type, size, smoothing;
    } cases[] = {{0, 1, 8}, {1, 8, 6}, {2, 15, 6}, {3, 21, 3}, {7, 8, 6}};
    for (const Case& c : cases) {
        const CompositionParameters p = ParametersForFocusType(c.type, 21, 3);
        EXPECT_EQ(p.sizeParameter, c.size) << c.type;
        EXPECT_EQ(p.smoothing, c.smoothing) << c.type;
    }
    CompositionParameters p;
    ApplyCompositionSpeed(p, 1, 1001);
    EXPECT_EQ(p.coarseGrid, 1);
    EXPECT_EQ(p.reducedWidth, 500);
    ApplyCompositionSpeed(p, 2, 1001);
    EXPECT_EQ(p.reducedWidth, 250);
    ApplyCompositionSpeed(p, 0, 1001);
    EXPECT_EQ(p.coarseGrid, 0);
    EXPECT_EQ(p.reducedWidth, 0);
    ApplyCompositionSpeed(p, -1, 1001);
    EXPECT_EQ(p.coarseGrid, 0);
}

// The composer takes the document's microscope type as the settings file gave it, and the
// band chosen by hand only for band type 1; without a document the ordinary microscope and
// the automatic band. Neither alignment nor the coarse grid is asked for.
TEST(CompositionRun, ComposerSettingsTakeTheDocumentsMicroscope) {
    DocumentSettings doc;
    doc.m_scopeType = 1;
    doc.m_subsType = 1;
    doc.m_subsPos = 2;
    FocusCompSettings s = CompositionSettings(&doc, 640, 480, 3);
    EXPECT_EQ(s.scope, FocusScope::Stereo);
    EXPECT_TRUE(s.band.manual);
    EXPECT_EQ(s.band.position, 2);
    EXPECT_EQ(s.width, 640);
    EXPECT_EQ(s.height, 480);
    EXPECT_EQ(s.sizeParam, 3);
    EXPECT_FALSE(s.alignment.on);
    EXPECT_FALSE(s.coarse.on);
    doc.m_scopeType = 9;
    doc.m_subsType = 2;
    s = CompositionSettings(&doc, 640, 480, 3);
    EXPECT_EQ(static_cast<int>(s.scope), 9);
    EXPECT_FALSE(s.band.manual);
    s = CompositionSettings(nullptr, 64, 48, 8);
    EXPECT_EQ(s.scope, FocusScope::Ordinary);
    EXPECT_FALSE(s.band.manual);
    EXPECT_EQ(s.band.position, 1);
    EXPECT_EQ(s.sizeParam, 8);
}

TEST(CompositionRun, PlaceholderIsLeftOutButTheFirstEntryGivesTheSize) {
    CompositionSeries s;
    ASSERT_TRUE(BuildCompositionSeries(
        {Entry("/series/001.bmp", 10, 1001, 800), Entry("/series/002.bmp", 20), Placeholder()}, s,
        FakeHeader));
    EXPECT_EQ(s.files, (std::vector<std::string>{"/series/001.bmp", "/series/002.bmp"}));
    EXPECT_EQ(s.z, (std::vector<double>{10, 20}));
    EXPECT_EQ(s.width, 1001);
    EXPECT_EQ(s.height, 800);
}

TEST(CompositionRun, SizeFromTheFirstFileWhenItsRecordIsNotLoadedElseRefused) {
    CompositionSeries s;
    ASSERT_TRUE(BuildCompositionSeries(
        {Entry("/series/002.bmp", 5), Entry("/series/003.bmp", 6), Placeholder()}, s, FakeHeader));
    EXPECT_EQ(s.width, 640);
    EXPECT_EQ(s.height, 480);
    // Neither a record nor a readable file: refused.
    EXPECT_FALSE(BuildCompositionSeries(
        {Entry("/series/009.bmp", 5), Entry("/series/002.bmp", 6), Placeholder()}, s, FakeHeader));
    // Only the placeholder: nothing to compose.
    EXPECT_FALSE(BuildCompositionSeries({Placeholder()}, s, FakeHeader));
    EXPECT_FALSE(BuildCompositionSeries({}, s, FakeHeader));
}

} // namespace
