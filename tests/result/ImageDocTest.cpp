// The result document: taking a result, the height picture, saving, and noise removal on its
// worker (cancel, commit, freeing the rows under a running worker).
#include "result/ImageDoc.h"

#include "ListLensTable.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "platform/Process.h"
#include "platform/ScriptedMessageSink.h"
#include "result/core/HeightPicture.h"
#include "tests/support/ScopedAddressSpaceLimit.h"
#include "tests/support/ScratchFifo.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScratchSettingsFile.h"
#include "ui/resources/ResourceRegistry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <chrono>
#include <csignal>
#include <thread>

namespace {

struct Result {
    int w, h;
    std::vector<std::vector<double>> hv;
    std::vector<std::vector<int>> fv;
    std::vector<const double*> hp;
    std::vector<const int*> fp;
    HDIB image;
    Result(int w_, int h_, double noiseShare, unsigned seed = 1) : w(w_), h(h_) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<double> u(0, 1);
        hv.assign(size_t(h), std::vector<double>(size_t(w)));
        fv.assign(size_t(h), std::vector<int>(size_t(w)));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                hv[size_t(y)][size_t(x)] = 10 + 5 * std::sin(x * 0.1) + y * 0.01;
                fv[size_t(y)][size_t(x)] = u(rng) < noiseShare ? 0 : 200;
            }
        for (auto& r : hv)
            hp.push_back(r.data());
        for (auto& r : fv)
            fp.push_back(r.data());
        image = DibCreate(w, h, 1);
    }
    ~Result() { GlobalFree(image); }
};

} // namespace

TEST(ImageDocTest, TakesCopiesAndRefusesHeightsWithoutAnImage) {
    ASSERT_TRUE(ui::LoadProgramResources("vantorel")); // the title comes from the string table
    CScriptedMessageSink sink(IDOK);
    CImageDoc doc;
    Result r(16, 8, 0.0);
    EXPECT_FALSE(doc.SetHeightData(r.hp.data(), r.fp.data()));
    EXPECT_TRUE(doc.m_working.Empty());
    ASSERT_TRUE(doc.SetResultImage(r.image));
    EXPECT_NE(doc.m_image, r.image); // a copy: the caller frees its own
    EXPECT_EQ(doc.m_title, "ﾌｫｰｶｽ合成結果");
    EXPECT_EQ(doc.m_typeCode, 3);
    ASSERT_TRUE(doc.SetHeightData(r.hp.data(), r.fp.data()));
    r.hv[0][0] = 999; // the caller's rows may go
    EXPECT_NE(doc.m_working[0][0], 999);
    ASSERT_NE(doc.m_heightPicture, nullptr);
    doc.m_displayMode = 1;
    EXPECT_EQ(doc.GetDrawImage(), doc.m_heightPicture);

    // Heights that are all exactly zero remove the height data.
    for (auto& row : r.hv)
        std::fill(row.begin(), row.end(), 0.0);
    ASSERT_TRUE(doc.SetHeightData(r.hp.data(), r.fp.data()));
    EXPECT_TRUE(doc.m_working.Empty());
    EXPECT_EQ(doc.m_heightPicture, nullptr);
    EXPECT_EQ(doc.GetDrawImage(), doc.m_image);
    EXPECT_TRUE(sink.ShownIds().empty());
}

// A result the window cannot hold in the memory left is refused with the memory message before
// anything of it is copied; heights that do not fit leave the image without them.
TEST(ImageDocTest, AResultThatDoesNotFitInMemoryIsRefusedWithTheMemoryMessage) {
    ASSERT_TRUE(ui::LoadProgramResources("vantorel"));
    CScriptedMessageSink sink(IDOK);
    CImageDoc doc;
    Result large(2000, 1500, 0.0), medium(1000, 1000, 0.0);
    {
        ScopedAddressSpaceLimit limit(16u << 20);
        ASSERT_TRUE(limit.Active());
        EXPECT_FALSE(doc.SetResultImage(large.image));
    }
    EXPECT_EQ(doc.m_image, nullptr);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::NoMemory});
    {
        ScopedAddressSpaceLimit limit(56u << 20);
        ASSERT_TRUE(limit.Active());
        ASSERT_TRUE(doc.SetResultImage(medium.image));
        EXPECT_FALSE(doc.SetHeightData(medium.hp.data(), medium.fp.data()));
    }
    EXPECT_NE(doc.m_image, nullptr);
    EXPECT_TRUE(doc.m_working.Empty());
    EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{vtid::str::NoMemory, vtid::str::NoMemory}));
    EXPECT_TRUE(doc.SetHeightData(medium.hp.data(), medium.fp.data())); // with the memory back
}

TEST(ImageDocTest, SavesAndLoadsAndReportsFailures) {
    CScriptedMessageSink sink(IDOK);
    ScratchFolder dir;
    CImageDoc doc;
    Result r(8, 4, 0.0);
    doc.SetResultImage(r.image);
    doc.SetHeightData(r.hp.data(), r.fp.data());
    doc.m_lens.umPerPixel = 1.5;
    for (const char* name : {"a.bmp", "a.dib", "a.tif", "a.jpg", "a.png"}) {
        ASSERT_TRUE(doc.SaveImage(dir / name)) << name;
        CImageDoc back;
        ASSERT_TRUE(back.OnOpenDocument(dir / name)) << name;
        EXPECT_EQ(back.m_width, 8);
        EXPECT_EQ(back.m_saved, 1);
    }
    // Height mode writes the 8-bit height picture.
    doc.m_displayMode = 1;
    ASSERT_TRUE(doc.SaveImage(dir / "h.bmp"));
    int type = -1;
    HDIB h = ReadImageFile(dir / "h.bmp", &type);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(DibGetBitCount(GlobalLock(h)), 8);
    GlobalUnlock(h);
    GlobalFree(h);
    // A file that cannot be created: its own report, nothing written, the saved flag unset.
    doc.m_saved = 0;
    EXPECT_FALSE(doc.SaveImage(dir / "missing/x.bmp"));
    EXPECT_EQ(doc.m_saved, 0);
    EXPECT_EQ(sink.ShownIds().back(), kMsgInvalidFileName);
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
    ASSERT_TRUE(doc.SaveVv3(dir / "r.vv3"));
    EXPECT_EQ(std::filesystem::file_size(dir / "r.vv3"), Vv3FileBytes(8, 4));
    // An unreadable file: 9201.
    CImageDoc bad;
    EXPECT_FALSE(bad.OnOpenDocument(dir.Write("x.bmp", "not a picture")));
    EXPECT_EQ(sink.ShownIds().back(), kMsgCannotReadData);
    // No heights: 1039 for both the file and the hand-over.
    EXPECT_FALSE(bad.SaveVv3(dir / "n.vv3"));
    EXPECT_EQ(bad.TransferHeightMap(), kMsgNo3dData);
    EXPECT_FALSE(std::filesystem::exists(dir / "n.vv3"));
}

TEST(ImageDocTest, AFifoNamedAsAPictureIsRefusedAtOnce) {
    CScriptedMessageSink sink(IDOK);
    ScratchFolder dir;
    for (const char* name : {"f.bmp", "f.tif", "f.jpg", "f.png", "f.raw"}) {
        SCOPED_TRACE(name);
        ScratchFifo fifo(dir / name);
        ASSERT_TRUE(fifo.Made());
        FifoWatch watch(fifo.Path(), 3000);
        CImageDoc doc;
        EXPECT_FALSE(doc.OnOpenDocument(fifo.Path()));
        EXPECT_LT(watch.ElapsedMs(), 1000);
        EXPECT_EQ(sink.ShownIds().back(), kMsgCannotReadData);
    }
}

TEST(ImageDocTest, WorkerCommitsSmoothedHeightsStartingAtZero) {
    CScriptedMessageSink sink(IDOK);
    CImageDoc doc;
    Result r(64, 32, 0.3);
    doc.SetResultImage(r.image);
    doc.SetHeightData(r.hp.data(), r.fp.data());
    doc.m_cutAmount = 10;
    doc.m_cutType = 0;
    doc.m_filterSize = 8;
    doc.RunNoiseCut(nullptr);
    EXPECT_EQ(doc.m_busy, 1);
    doc.OnWorkDone();
    EXPECT_EQ(doc.m_busy, 0);
    EXPECT_FALSE(doc.m_lastCancelled);
    EXPECT_GT(doc.m_lastNoiseCount, 0);
    EXPECT_NE(doc.m_working[0][0], doc.m_heights[0][0]);
    const HeightRange range = ScanHeightRange(doc.m_working);
    EXPECT_EQ(doc.m_minimum, range.min);
    EXPECT_EQ(doc.m_step, (range.max - range.min) / 255.0);
    // Amount 0 and no smoothing set the working rows back to the composer's heights.
    doc.m_cutAmount = 0;
    doc.m_filterSize = 0;
    doc.RunNoiseCut(nullptr);
    doc.OnWorkDone();
    EXPECT_EQ(doc.m_lastNoiseCount, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(doc.m_working[y][x], doc.m_heights[y][x]);
}

TEST(ImageDocTest, EarlyCancelIsSeenAndFreeingWaitsForTheWorker) {
    CScriptedMessageSink sink(IDOK);
    CImageDoc doc;
    Result r(600, 600, 0.0);
    for (auto& row : r.fv)
        std::fill(row.begin(), row.end(), 0);
    r.fv[0][0] = 200; // one valid pixel: about 150 passes to fill the map
    doc.SetResultImage(r.image);
    doc.SetHeightData(r.hp.data(), r.fp.data());
    const double before = doc.m_working[300][300];
    HDIB picture = doc.m_heightPicture;
    doc.m_cutAmount = 50;
    doc.RunNoiseCut(nullptr);
    doc.CancelNoiseCut();
    doc.OnWorkDone();
    EXPECT_TRUE(doc.m_lastCancelled);
    EXPECT_EQ(doc.m_working[300][300], before) << "a cancelled cut leaves the working rows";
    EXPECT_NE(doc.m_heightPicture, nullptr);
    (void)picture;

    // A new result while a worker runs: the worker is stopped before the rows go.
    doc.RunNoiseCut(nullptr);
    EXPECT_TRUE(doc.IsWorkerRunning());
    Result next(20, 10, 0.0);
    ASSERT_TRUE(doc.SetResultImage(next.image));
    EXPECT_FALSE(doc.IsWorkerRunning());
    EXPECT_EQ(doc.m_busy, 0);
    doc.RunNoiseCut(nullptr); // no heights: nothing starts
    EXPECT_FALSE(doc.IsWorkerRunning());
}

TEST(ImageDocTest, TheReportOfAReplacedRunIsIgnored) {
    CScriptedMessageSink sink(IDOK);
    CImageDoc doc;
    Result r(64, 48, 0.2);
    doc.SetResultImage(r.image);
    doc.SetHeightData(r.hp.data(), r.fp.data());
    doc.m_cutAmount = 10;
    doc.RunNoiseCut(nullptr); // run 1
    doc.RunNoiseCut(nullptr); // stops run 1 and starts run 2
    EXPECT_FALSE(doc.OnWorkDone(1));
    EXPECT_EQ(doc.m_busy, 1);
    EXPECT_TRUE(doc.OnWorkDone(2));
    EXPECT_EQ(doc.m_busy, 0);
    EXPECT_FALSE(doc.m_lastCancelled);
    EXPECT_FALSE(doc.OnWorkDone(2)) << "a second report of the same run";
}

TEST(ImageDocTest, ProgramPathsAndScaleSettings) {
    ASSERT_TRUE(ui::LoadProgramResources("vantorel")); // the slot names come from the string table
    ScratchSettingsFile settings;
    CImageDoc doc;
    doc.LoadProgramPaths();
    EXPECT_NE(doc.m_viewerPath.find("Brelvoxa"), std::string::npos);
    doc.m_analysisPath = "/opt/a";
    doc.m_viewerPath = "/opt/Brelvoxa";
    doc.SaveProgramPaths();
    EXPECT_EQ(ReadIniString("APPPATH", "BRXPATH", ""), "/opt/Brelvoxa");
    EXPECT_EQ(ReadIniString("APPPATH", "PVPPATH", ""), "/opt/a");
    WriteIniInt("CALIBRATION", "CALIBNO", 2);
    WriteIniDouble("CALIBRATION", "CALIB3", 0.25);
    doc.LoadScaleSettings();
    EXPECT_EQ(doc.m_lens.umPerPixel, 0.25);
    EXPECT_EQ(doc.m_lens.registeredName, "レンズ3");
    EXPECT_EQ(doc.m_lens.scaleDots, 200);
    EXPECT_EQ(int(doc.m_lens.scaleColour), 0x800080);
}

// The document's hand-overs to receiver stand-ins in other processes.
TEST(ImageDocTest, HandOversSendTheDocumentsRecords) {
    CScriptedMessageSink sink(IDOK);
    ScratchFolder runtime{"vt-run"}, viewerOut{"vt-v"}, analysisOut{"vt-a"};
    std::string old;
    const bool hadOld = std::getenv("XDG_RUNTIME_DIR") != nullptr;
    if (hadOld)
        old = std::getenv("XDG_RUNTIME_DIR");
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    const std::string peer = std::string(VT_BINARY_DIR) + "/tools/findwin-peer/findwin-peer";
    PROCESS_INFORMATION v, a;
    ASSERT_TRUE(CreateProcess(peer, {"--out", viewerOut.Path(), "--title", "Brelvoxa"}, {}, &v));
    ASSERT_TRUE(
        CreateProcess(peer, {"--out", analysisOut.Path(), "--class", "Palvint", "--title", "P"}, {}, &a));
    auto waitFile = [](const std::string& path) {
        for (int i = 0; i < 2000 && !std::filesystem::exists(path); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return std::filesystem::exists(path);
    };
    ASSERT_TRUE(waitFile(viewerOut / "ready"));
    ASSERT_TRUE(waitFile(analysisOut / "ready"));

    CImageDoc doc;
    Result r(12, 7, 0.0);
    doc.SetResultImage(r.image);
    doc.SetHeightData(r.hp.data(), r.fp.data());
    doc.m_lens.umPerPixel = 0.75;
    doc.m_viewerPath = "/nowhere/Brelvoxa";
    EXPECT_EQ(doc.TransferHeightMap(), 0u);
    ResultPixels px{doc.m_display ? doc.m_display : doc.m_image, doc.m_typeCode, &doc.m_working,
                    doc.m_minimum, 0.75};
    std::vector<BYTE> block;
    ASSERT_TRUE(BuildHeightTransferBlock(px, block));
    ASSERT_TRUE(waitFile(viewerOut / "record-1.bin"));
    EXPECT_EQ(ScratchFolder::ReadAll(viewerOut / "record-1.bin"), std::string(block.begin(), block.end()));

    doc.m_displayMode = 1; // the height picture shown: "HEIGHT"
    EXPECT_EQ(doc.TransferToAnalysis(false), 0u);
    std::vector<BYTE> rec;
    ASSERT_TRUE(BuildImageTransferRecord(0.75, doc.m_step, "HEIGHT", doc.m_heightPicture, rec));
    ASSERT_TRUE(waitFile(analysisOut / "record-1.bin"));
    EXPECT_EQ(ScratchFolder::ReadAll(analysisOut / "record-1.bin"), std::string(rec.begin(), rec.end()));
    EXPECT_EQ(doc.TransferToAnalysis(true), 0u); // image only: "GRAY" even while the heights show
    ASSERT_TRUE(BuildImageTransferRecord(0.75, 1.0, "GRAY", doc.m_image, rec));
    ASSERT_TRUE(waitFile(analysisOut / "record-2.bin"));
    EXPECT_EQ(ScratchFolder::ReadAll(analysisOut / "record-2.bin"), std::string(rec.begin(), rec.end()));
    EXPECT_TRUE(sink.ShownIds().empty());

    ::kill(v.dwProcessId, SIGKILL);
    ::kill(a.dwProcessId, SIGKILL);
    WaitForProcess(v.dwProcessId, 5000);
    WaitForProcess(a.dwProcessId, 5000);
    if (hadOld)
        ::setenv("XDG_RUNTIME_DIR", old.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
}

// The analysis program is looked for (and started) before the document decides what to send:
// with the height picture shown but no heights nothing is sent, yet a missing program is reported.
TEST(ImageDocTest, AnalysisHandOverLooksForTheProgramEvenWithNothingToSend) {
    ScratchSettingsFile settings;
    CScriptedMessageSink sink(IDOK);
    ScratchFolder runtime{"vt-run"}, dir;
    std::string old;
    const bool hadOld = std::getenv("XDG_RUNTIME_DIR") != nullptr;
    if (hadOld)
        old = std::getenv("XDG_RUNTIME_DIR");
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    const std::string program = dir / "analysis.sh";
    {
        std::ofstream script(program);
        script << "#!/bin/sh\ntouch \"" << (dir / "started") << "\"\n";
    }
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);

    CImageDoc doc;
    Result r(12, 7, 0.0);
    doc.SetResultImage(r.image);
    doc.m_displayMode = 1; // the height picture shown, but there are no heights
    doc.m_analysisPath = program;
    doc.m_handOverTiming.attempts = 2;
    doc.m_handOverTiming.attemptMs = 20;
    EXPECT_EQ(doc.TransferToAnalysis(false), kMsgAnalysisTransferFailed);
    EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{kMsgAnalysisTransferFailed}));
    for (int i = 0; i < 2000 && !std::filesystem::exists(dir / "started"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(std::filesystem::exists(dir / "started")) << "the program was started";
    if (hadOld)
        ::setenv("XDG_RUNTIME_DIR", old.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
}

namespace {

// A lens table whose records the test changes as the lens file and its sections would.
class ReloadedTable : public ListLensTable {
public:
    bool Reload() override {
        ++reloads;
        lenses.clear();
        for (const CMLens& l : file) {
            lenses.push_back(std::make_unique<CMLens>());
            lenses.back()->Copy(l);
        }
        return true;
    }
    std::vector<CMLens> file; // what the next reading gives
    int reloads = 0;
};

CMLens Lens(const char* name, const char* regName, double calib, int index) {
    CMLens l;
    l.SetName(name);
    l.SetRegName(regName);
    l.SetCalib(calib);
    l.m_index = index;
    l.m_scaleLength = 50;
    return l;
}

} // namespace

TEST(ImageDocTest, ALensOfTheLensFileIsReadAgainForEachLoad) {
    ScratchSettingsFile settings;
    WriteIniInt("CALIBRATION", "CALIBNO", -1);
    WriteIniString("CALIBRATION", "LENSNAME", "ML90-2.5");
    WriteIniDouble("CALIBRATION", "CALIB1", 1.25);
    WriteIniString("CALIBRATION", "CLBNAME1", "Slot1");
    ReloadedTable table;
    table.file = {Lens("ML30-1", "Thirty", 0.3, 0), Lens("ML90-2.5", "Ninety", 0.09, 1)};
    CImageDoc doc;
    doc.m_lensTable = &table;
    doc.LoadScaleSettings();
    EXPECT_EQ(table.reloads, 1);
    EXPECT_EQ(doc.m_slot, -1);
    EXPECT_EQ(doc.m_lens.name, "ML90-2.5");
    EXPECT_EQ(doc.m_lens.registeredName, "Ninety");
    EXPECT_EQ(doc.m_lens.umPerPixel, 0.09);
    EXPECT_EQ(doc.m_lens.index, 1);
    EXPECT_EQ(doc.m_lens.scaleLength, 50.0);

    table.file[1].SetCalib(0.4058); // calibrated since
    doc.LoadScaleSettings();
    EXPECT_EQ(doc.m_lens.umPerPixel, 0.4058);

    // A name the table does not hold: the first slot.
    WriteIniString("CALIBRATION", "LENSNAME", "gone");
    doc.LoadScaleSettings();
    EXPECT_EQ(doc.m_slot, 0);
    EXPECT_EQ(doc.m_lens.registeredName, "Slot1");
    EXPECT_EQ(doc.m_lens.umPerPixel, 1.25);
    // A slot in use does not read the table.
    WriteIniInt("CALIBRATION", "CALIBNO", 0);
    doc.LoadScaleSettings();
    EXPECT_EQ(table.reloads, 3);
    EXPECT_TRUE(doc.m_lens.name.empty());
}
