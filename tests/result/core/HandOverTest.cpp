// The hand-over to another process through findable windows, against tools/findwin-peer as the
// receiver: the records arrive byte for byte, the title rule picks the right window, a viewer is
// started from its path on demand, and every failure is reported.
#include "result/core/HandOver.h"

#include "platform/Process.h"
#include "result/core/TransferRecords.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

const std::string kPeer = std::string(VT_BINARY_DIR) + "/tools/findwin-peer/findwin-peer";

bool WaitFor(const std::function<bool()>& pred, int ms = 20000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= end)
            return pred();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class Receiver {
public:
    Receiver(const std::vector<std::string>& extra) {
        std::vector<std::string> args = {"--out", out_.Path()};
        args.insert(args.end(), extra.begin(), extra.end());
        PROCESS_INFORMATION pi;
        started_ = CreateProcess(kPeer, args, {}, &pi) == TRUE;
        pid_ = pi.dwProcessId;
    }
    ~Receiver() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL); // also ends a stopped receiver
            WaitForProcess(pid_, 10000);
        }
    }
    bool Ready() {
        return started_ && WaitFor([&] { return std::filesystem::exists(out_ / "ready"); });
    }
    std::string Record(int n) const {
        return ScratchFolder::ReadAll(out_ / ("record-" + std::to_string(n) + ".bin"));
    }
    std::string Tag(int n) const {
        return ScratchFolder::ReadAll(out_ / ("record-" + std::to_string(n) + ".tag"));
    }
    bool Has(int n) const { return std::filesystem::exists(out_ / ("record-" + std::to_string(n) + ".bin")); }

private:
    ScratchFolder out_{"vt-recv"};
    bool started_ = false;
    pid_t pid_ = 0;
};

class HandOverTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR"))
            old_ = old, hadOld_ = true;
        ::setenv("XDG_RUNTIME_DIR", runtime_.Path().c_str(), 1);
    }
    void TearDown() override {
        if (hadOld_)
            ::setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
    }
    // A program named Brelvoxa that runs the receiver with the given arguments.
    std::string Launcher(const std::string& args) {
        const std::string path = bin_.Write("Brelvoxa", "#!/bin/sh\nexec '" + kPeer + "' " + args + "\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }
    std::vector<BYTE> Block(size_t n) {
        std::vector<BYTE> b(n);
        for (size_t i = 0; i < n; ++i)
            b[i] = BYTE(i * 31 + 7);
        return b;
    }
    ScratchFolder runtime_{"vt-run"}, bin_{"vt-bin"};
    std::string old_;
    bool hadOld_ = false;
};

std::string Str(const std::vector<BYTE>& v) {
    return std::string(v.begin(), v.end());
}

} // namespace

TEST(HandOverRulesTest, TitlePrefixAndTitleRule) {
    EXPECT_EQ(ViewerTitlePrefix("/opt/x/Brelvoxa"), "Brelvoxa");
    EXPECT_EQ(ViewerTitlePrefix("/opt/Kanderu/k"), "Kanderu");
    EXPECT_EQ(ViewerTitlePrefix("/opt/brelvoxa"), "");
    std::vector<TopWindowInfo> w(4);
    w[0].title = "Brelvoxa - a.vv3";
    w[1].title = "Brelvoxa";
    w[2].title = "Other";
    w[3].title = "Brelvoxa - a.vv3 [2]";
    EXPECT_EQ(PickViewerTitle(w, "Brelvoxa"), "Brelvoxa - a.vv3 [2]");
    w.pop_back();
    EXPECT_EQ(PickViewerTitle(w, "Brelvoxa"), "Brelvoxa - a.vv3");
}

TEST_F(HandOverTest, RecordsArriveByteIdenticalAndTheTitleRuleChoosesTheFirst) {
    Receiver bare({"--title", "Brelvoxa"});
    ASSERT_TRUE(bare.Ready());
    Receiver named({"--title", "Brelvoxa - result.vv3"}); // activated last: first in the order
    ASSERT_TRUE(named.Ready());
    const std::vector<BYTE> block = Block(16 + 8 * 3 * 2);
    EXPECT_EQ(SendToHeightViewer(block, "/nowhere/Brelvoxa"), 0u);
    ASSERT_TRUE(WaitFor([&] { return named.Has(1); }));
    EXPECT_EQ(named.Tag(1), "VV3D");
    EXPECT_EQ(named.Record(1), Str(block));
    EXPECT_FALSE(bare.Has(1));

    Receiver analysis({"--class", "Palvint", "--title", "x"});
    ASSERT_TRUE(analysis.Ready());
    const std::vector<BYTE> a = Block(92 + 48), b = Block(92 + 1068);
    EXPECT_EQ(SendToAnalysisProgram({a, b}, "/nowhere/analysis"), 0u);
    ASSERT_TRUE(WaitFor([&] { return analysis.Has(2); }));
    EXPECT_EQ(analysis.Tag(1), std::string("IMG\0", 4));
    EXPECT_EQ(analysis.Record(1), Str(a));
    EXPECT_EQ(analysis.Record(2), Str(b));
}

TEST_F(HandOverTest, ViewerIsStartedFromItsPathOnDemand) {
    ScratchFolder out{"vt-started"};
    const std::string path = Launcher("--out '" + out.Path() + "' --title 'Brelvoxa'");
    const std::vector<BYTE> block = Block(40);
    EXPECT_EQ(SendToHeightViewer(block, path), 0u);
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(out / "record-1.bin"); }));
    EXPECT_EQ(ScratchFolder::ReadAll(out / "record-1.bin"), Str(block));
    TopWindowInfo w;
    ASSERT_TRUE(FindTopWindow(nullptr, "Brelvoxa", &w));
    ::kill(w.processId, SIGTERM);
    WaitFor([&] { return !FindTopWindow(nullptr, "Brelvoxa", &w); });
}

TEST_F(HandOverTest, FailuresAreReported) {
    const std::vector<BYTE> block = Block(40);
    // A path that names neither viewer: nothing is started.
    EXPECT_EQ(SendToHeightViewer(block, bin_ / "viewer"), kMsgHeightTransferFailed);
    // A program that never registers a window: 1034 after five look-ups a second apart.
    const std::string path = bin_.Write("Brelvoxa", "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(SendToHeightViewer(block, path), kMsgHeightTransferFailed);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_GE(ms, 5000);
    // A receiver that stalls: the send times out and is reported.
    Receiver stalled({"--title", "Brelvoxa", "--stall"});
    ASSERT_TRUE(stalled.Ready());
    HandOverTiming quick;
    quick.sendTimeoutMs = 300;
    EXPECT_EQ(SendToHeightViewer(block, "/x/Brelvoxa", quick), kMsgHeightTransferFailed);
    // No analysis window after the attempts: 1033.
    quick.attempts = 2;
    quick.attemptMs = 10;
    EXPECT_EQ(SendToAnalysisProgram({block}, bin_ / "missing", quick), kMsgAnalysisTransferFailed);
}
