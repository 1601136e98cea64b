// Golden hashes of the composer's results: the composite, the height map and the best-focus map
// of fixed series, recorded from a known-good engine. Any change to the arithmetic of a single
// output sample changes a hash; so does a change that makes results depend on how the work is
// split (each series is composed with several thread counts and band heights).
#include "imaging/compose/FocusComp.h"
#include "imaging/files/ImageFileDecodeInto.h"

#include "tools/seriesmaker/SeriesMaker.h"

#include "ComposeTestSupport.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

using namespace composetest;
using seriesmaker::SeriesMaker;
using seriesmaker::SeriesParams;

namespace {

struct Hasher {
    uint64_t h = 1469598103934665603ull; // FNV-1a, 64 bits
    void Add(const void* data, size_t n) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < n; ++i) {
            h ^= p[i];
            h *= 1099511628211ull;
        }
    }
};

struct Hashes {
    uint64_t composite = 0, heights = 0;
    bool operator==(const Hashes&) const = default;
};

std::string Hex(const Hashes& h) {
    char t[64];
    std::snprintf(t, sizeof t, "0x%016" PRIx64 ", 0x%016" PRIx64, h.composite, h.heights);
    return t;
}

struct Case {
    int p = 8, type = FOCUS_SCOPE_ORDINARY, align = 0, coarseWidth = 0;
};

// Composes the frames with z = 0, 1.5, 3, ... and hashes the composite's pixel rows and, row by
// row, the heights and the best-focus values of the output.
Hashes ComposeAndHash(int frames, const std::function<Dib(int)>& frame, const Case& c) {
    CFocusComp fc;
    std::vector<double> z;
    for (int k = 0; k < frames; ++k) {
        Dib d = frame(k);
        EXPECT_TRUE(d);
        if (!d)
            return {};
        if (k == 0) {
            FocusCompSettings s{.width = Width(d.get()), .height = Height(d.get()), .sizeParam = c.p};
            s.scope = static_cast<FocusScope>(c.type);
            s.alignment = {c.align != 0, 2, kPatternPoints};
            s.coarse = {c.coarseWidth > 0, c.coarseWidth};
            EXPECT_TRUE(fc.StartSeries(s));
        }
        EXPECT_EQ(fc.AddImage(d.get()), 1) << "frame " << k;
        z.push_back(1.5 * k);
    }
    fc.SetZValues(z.data(), frames);
    EXPECT_TRUE(fc.BuildHeightMap());
    EXPECT_TRUE(fc.Compose());
    Hashes r;
    Hasher hc;
    const std::vector<BYTE> rows = Rows(fc.GetComposite());
    hc.Add(rows.data(), rows.size());
    r.composite = hc.h;
    Hasher hh;
    for (int y = 0; y < fc.OutputHeight(); ++y) {
        hh.Add(fc.GetHeightRows()[y], sizeof(double) * fc.OutputWidth());
        hh.Add(fc.GetMaxRows()[y], sizeof(int) * fc.OutputWidth());
    }
    r.heights = hh.h;
    return r;
}

// Hashes of a series composed with one thread, after checking that other thread counts and
// other band heights (odd ones, and for small series bands of a single row) agree.
Hashes HashOverSplits(int frames, const std::function<Dib(int)>& frame, const Case& c, bool singleRows) {
    struct Split {
        int threads, bandRows;
    };
    std::vector<Split> splits = {{1, 0}, {3, 7}};
    splits.push_back(singleRows ? Split{2, 1} : Split{8, 0});
    std::vector<Hashes> got;
    for (const Split& s : splits) {
        planes::SetThreadCount(s.threads);
        CFocusComp::SetBandRowsForTesting(s.bandRows);
        got.push_back(ComposeAndHash(frames, frame, c));
    }
    planes::SetThreadCount(0);
    CFocusComp::SetBandRowsForTesting(0);
    for (size_t k = 1; k < got.size(); ++k)
        EXPECT_EQ(Hex(got[k]), Hex(got[0])) << splits[k].threads << " threads, bands of " << splits[k].bandRows
                                            << " rows against one thread";
    return got[0];
}

// The folder of the photographed series: $VT_BENCH_DATA, else shared/bench-data beside one of
// the source tree's parent folders.
std::filesystem::path BenchData() {
    if (const char* env = std::getenv("VT_BENCH_DATA"))
        return env;
    std::filesystem::path dir = VT_SOURCE_DIR;
    for (int up = 0; up < 4; ++up) {
        const std::filesystem::path cand = dir / "shared" / "bench-data";
        if (std::filesystem::is_directory(cand))
            return cand;
        dir = dir.parent_path();
    }
    return {};
}

} // namespace

TEST(FocusCompGolden, SyntheticSeriesOfTheThreeMicroscopeTypes) {
    struct Named {
        const char* name;
        SeriesParams params;
        Case c;
        Hashes expected;
    };
    auto series = [](int bits, double drift, double scale) {
        SeriesParams s;
        s.width = 331; // odd sizes: the last band of rows and the last block of columns are short
        s.height = 247;
        s.frames = 6;
        s.bitCount = bits;
        s.driftPerFrame = drift;
        s.scalePerFrame = scale;
        s.shiftXPerFrame = scale != 0.0 ? 1.5 : 0.0;
        s.shiftYPerFrame = scale != 0.0 ? -1.0 : 0.0;
        return s;
    };
    const Named cases[] = {
        {"ordinary", series(24, 0, 0), {8, FOCUS_SCOPE_ORDINARY, 0, 0}, {0xe5030dcaefb29fddull, 0x6314424a10f8dda3ull}},
        {"ordinary aligned", series(24, 0, 0.01), {8, FOCUS_SCOPE_ORDINARY, 1, 0}, {0x82b591f18f139a8aull, 0x296313bf2762accbull}},
        {"ordinary coarse", series(24, 0, 0), {8, FOCUS_SCOPE_ORDINARY, 0, 120}, {0x0f19535fc2ddb467ull, 0x8104b1f6db78724aull}},
        {"ordinary 48-bit", series(48, 0, 0), {5, FOCUS_SCOPE_ORDINARY, 0, 0}, {0xe722fc5a1b93803full, 0x20d179f135b95537ull}},
        {"ordinary grey, no smoothing", series(8, 0, 0), {0, FOCUS_SCOPE_ORDINARY, 0, 0}, {0x64db3c5497c8b29dull, 0x190e9ea1ea82529full}},
        {"stereo", series(24, 2.0, 0), {8, FOCUS_SCOPE_STEREO, 0, 0}, {0xdc09351cc69d99d8ull, 0xa7e424b79f8316abull}},
        {"confocal", series(24, 0, 0), {8, FOCUS_SCOPE_CONFOCAL, 0, 0}, {0xd9534a1892093cdfull, 0x634afa6e676c98d1ull}},
        {"confocal 16-bit", series(16, 0, 0), {3, FOCUS_SCOPE_CONFOCAL, 0, 0}, {0xf1ddc7cbc91427f9ull, 0x8346f0907fbd6064ull}},
    };
    for (const Named& n : cases) {
        SCOPED_TRACE(n.name);
        const SeriesMaker maker(n.params);
        std::vector<Dib> frames;
        for (int k = 0; k < n.params.frames; ++k)
            frames.emplace_back(maker.Frame(k));
        const Hashes got = HashOverSplits(
            n.params.frames, [&](int k) { return Dib(DibCopyInto(frames[k].get(), nullptr)); }, n.c, true);
        EXPECT_EQ(Hex(got), Hex(n.expected));
    }
}

TEST(FocusCompGolden, PhotographedCircuitBoardSeries) {
    const std::filesystem::path dir = BenchData() / "pcb";
    if (!std::filesystem::exists(dir / "pcb_007.jpg"))
        GTEST_SKIP() << "no photographed series at " << dir;
    auto frame = [&](int k) {
        char name[32];
        std::snprintf(name, sizeof name, "pcb_%03d.jpg", k + 1);
        HDIB d = nullptr;
        EXPECT_EQ(ReadImageFileInto((dir / name).string(), &d, nullptr), ImageFileRead::Read) << name;
        return Dib(d);
    };
    const Hashes got = HashOverSplits(7, frame, Case{}, false);
    EXPECT_EQ(Hex(got), Hex(Hashes{0x91e87c79841bec00ull, 0x8567de876ffc0e76ull}));
}
