#include "platform/Process.h"

#include "platform/ScriptedMessageSink.h"
#include "platform/Sync.h"
#include "tests/platform/ScopedEnv.h"
#include "tests/support/ScopedRuntimeFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// A user id that no test process runs as (the tests run as root, which may hand folders to it).
constexpr uid_t kOtherUser = 54321;

unsigned ModeOf(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0xFFFFu;
}

// Puts the runtime folder's fallbacks into a scratch folder while it lives.
struct FallbackRoot {
    explicit FallbackRoot(const std::string& root) { SetRuntimeFallbackRoot(root); }
    ~FallbackRoot() { SetRuntimeFallbackRoot({}); }
};

// Points the runtime folder at a scratch folder for one test.
class RuntimeFolderTest : public ::testing::Test {
protected:
    ScopedRuntimeFolder runtime_;
    ScopedEnv display_{"DISPLAY", ":42.0"};
    const ScratchFolder& dir_ = runtime_.Folder();
};
} // namespace

TEST(Process, StartsWithArgumentsAndReportsTheExitCode) {
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(CreateProcess("/bin/sh", {"-c", "exit $(($1 + 1))", "sh", "41"}, {}, &pi))
        << GetProcessError();
    EXPECT_GT(pi.dwProcessId, 0);
    DWORD code = 0;
    EXPECT_EQ(WaitForProcess(pi.dwProcessId, 10000, &code), WAIT_OBJECT_0);
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(WaitForProcess(pi.dwProcessId, 0, &code), WAIT_FAILED); // already collected
}

TEST(Process, RunsInTheWorkFolderAndFindsProgramsOnThePath) {
    ScratchFolder dir;
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(CreateProcess("sh", {"-c", "pwd > here.txt"}, dir.Path(), &pi));
    ASSERT_EQ(WaitForProcess(pi.dwProcessId, 10000), WAIT_OBJECT_0);
    char real[4096];
    ASSERT_NE(::realpath(dir.Path().c_str(), real), nullptr);
    EXPECT_EQ(ScratchFolder::ReadAll(dir / "here.txt"), std::string(real) + "\n");
}

TEST(Process, FailureToStartIsReportedAsFailure) {
    EXPECT_FALSE(CreateProcess("/nonexistent/Brelvoxa", {}));
    EXPECT_NE(GetProcessError().find("/nonexistent/Brelvoxa"), std::string::npos);
    EXPECT_FALSE(CreateProcess("no-such-program-anywhere-on-path", {}));
    EXPECT_FALSE(CreateProcess("", {}));
    ScratchFolder dir;
    EXPECT_FALSE(CreateProcess("/bin/true", {}, dir / "missing-folder"));
}

TEST(Process, TimedWaitReportsARunningProcessAndDetachedOnesAreCollected) {
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(CreateProcess("/bin/sleep", {"5"}, {}, &pi));
    EXPECT_EQ(WaitForProcess(pi.dwProcessId, 30), WAIT_TIMEOUT);
    ::kill(pi.dwProcessId, SIGTERM);
    DWORD code = 0;
    EXPECT_EQ(WaitForProcess(pi.dwProcessId, 10000, &code), WAIT_OBJECT_0);
    EXPECT_EQ(code, 128u + SIGTERM);

    ReapDetachedProcesses();
    ASSERT_TRUE(CreateProcess("/bin/true", {}));
    int reaped = 0;
    for (int i = 0; i < 500 && reaped == 0; ++i) {
        ::usleep(10000);
        reaped = ReapDetachedProcesses();
    }
    EXPECT_EQ(reaped, 1);
}

namespace {
// Children of this process, running or ended and not yet collected (zombies).
int Children() {
    int children = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        // pid (name) state ppid ...: the name may hold blanks, the fields after it do not.
        const size_t close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 1));
        char state = 0;
        pid_t parent = 0;
        rest >> state >> parent;
        children += parent == ::getpid();
    }
    return children;
}
} // namespace

TEST(Process, ADetachedProcessThatEndsIsCollectedWithoutAnotherCall) {
    ReapDetachedProcesses();
    ASSERT_EQ(Children(), 0);
    ASSERT_TRUE(CreateProcess("/bin/sh", {"-c", "exit 3"}));
    // Nothing else is started or reaped here: once ended, the process must not stay a zombie.
    bool gone = false;
    for (int i = 0; i < 1000 && !gone; ++i) {
        ::usleep(10000);
        gone = Children() == 0;
    }
    EXPECT_TRUE(gone);
    int reaped = 0; // the collecting thread counts it just after
    for (int i = 0; i < 1000 && reaped == 0; ++i) {
        reaped = ReapDetachedProcesses();
        ::usleep(reaped == 0 ? 1000 : 0);
    }
    EXPECT_EQ(reaped, 1);
}

TEST_F(RuntimeFolderTest, RuntimeFolderIsPrivate) {
    std::string folder = GetRuntimeFolder();
    EXPECT_EQ(folder, dir_.Path() + "/vantorel");
    struct stat st;
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ::chmod(folder.c_str(), 0777);
    EXPECT_EQ(GetRuntimeFolder(), folder);
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(RuntimeFolderTest, SecondHolderOfTheNameFindsItAlreadyExists) {
    SingleInstanceGuard first;
    ASSERT_EQ(first.Acquire("Vantorel Software"), SingleInstanceGuard::Acquired);
    EXPECT_TRUE(first.IsHeld());
    EXPECT_EQ(first.LockPath(), dir_.Path() + "/vantorel/Vantorel Software@:42.lock");

    SingleInstanceGuard second;
    EXPECT_EQ(second.Acquire("Vantorel Software"), SingleInstanceGuard::AlreadyExists);
    EXPECT_FALSE(second.IsHeld());
    SingleInstanceGuard other;
    EXPECT_EQ(other.Acquire("Another/Name"), SingleInstanceGuard::Acquired);
    EXPECT_EQ(SingleInstanceGuard::LockFileName("Another/Name"), "Another_Name.lock");
    EXPECT_EQ(SingleInstanceGuard::LockFileName(".."), "_...lock");

    // Another process sees the name taken too.
    pid_t child = ::fork();
    if (child == 0) {
        SingleInstanceGuard g;
        ::_exit(g.Acquire("Vantorel Software") == SingleInstanceGuard::AlreadyExists ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    first.Release();
    EXPECT_EQ(second.Acquire("Vantorel Software"), SingleInstanceGuard::Acquired);
}

// The usual folder taken (a file in its place, another user's folder, a link): every process
// of the user finds the same fallback; only when every name is taken does the guard fail.
TEST_F(RuntimeFolderTest, AnUnusableRuntimeFolderGivesWayToTheSameFallbackForEveryProcess) {
    const ScratchFolder tmp;
    const FallbackRoot root(tmp.Path());
    const uid_t uid = ::getuid();
    const std::string usual = tmp / ("vantorel-" + std::to_string(uid));
    ScratchFolder::WriteAll(dir_ / "vantorel", "not a folder");
    ASSERT_EQ(::mkdir(usual.c_str(), 0700), 0);
    ASSERT_EQ(::chown(usual.c_str(), kOtherUser, kOtherUser), 0); // made first by another user
    ASSERT_EQ(::symlink(dir_.Path().c_str(), (usual + "-1").c_str()), 0);
    ASSERT_EQ(::mkdir((usual + "-2").c_str(), 0755), 0); // ours, readable by others: closed
    std::vector<std::string> tried;
    EXPECT_EQ(GetRuntimeFolder(&tried), usual + "-2");
    EXPECT_EQ(tried, (std::vector<std::string>{dir_ / "vantorel", usual, usual + "-1"}));
    EXPECT_EQ(ModeOf(usual + "-2"), 0700u);
    EXPECT_EQ(ModeOf(usual), 0700u); // another user's folder is left as it is
    struct stat st;
    ASSERT_EQ(::stat(usual.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kOtherUser);

    SingleInstanceGuard first;
    ASSERT_EQ(first.Acquire("Vantorel Software"), SingleInstanceGuard::Acquired);
    EXPECT_EQ(first.LockPath(), usual + "-2/Vantorel Software@:42.lock");
    first.Release();

    // Without XDG_RUNTIME_DIR, or with one that names no folder, the search starts at the usual
    // name.
    ScopedEnv xdg("XDG_RUNTIME_DIR", nullptr);
    EXPECT_EQ(GetRuntimeFolder(), usual + "-2");
    xdg.Set((dir_ / "missing").c_str());
    EXPECT_EQ(GetRuntimeFolder(), usual + "-2");

    // Every name taken by another user: no folder, the guard fails, and the user learns which
    // folders were tried.
    for (int n = 1; n <= kRuntimeFallbacks; ++n) {
        const std::string name = usual + "-" + std::to_string(n);
        ::unlink(name.c_str());
        ::mkdir(name.c_str(), 0700);
        ASSERT_EQ(::chown(name.c_str(), kOtherUser, kOtherUser), 0);
    }
    tried.clear();
    EXPECT_EQ(FindRuntimeFolder(nullptr, tmp.Path(), uid, &tried), "");
    EXPECT_EQ(tried.size(), 1u + kRuntimeFallbacks);
    SingleInstanceGuard g;
    EXPECT_EQ(g.Acquire("Vantorel Software"), SingleInstanceGuard::Failed);
    CScriptedMessageSink sink(IDOK);
    constexpr UINT kCallersMessage = 4711; // the program passes its own message; any id will do here
    EXPECT_FALSE(RuntimeFolderReadyAtStart(kCallersMessage));
    ASSERT_EQ(sink.ShownIds(), std::vector<UINT>{kCallersMessage});
    EXPECT_NE(sink.ShownMessages()[0].args.at(0).find(usual + "-9"), std::string::npos);
}

TEST(Process, DisplayNamesOfOneServerAreOneName) {
    EXPECT_EQ(NormalizeDisplayName(":42"), ":42");
    EXPECT_EQ(NormalizeDisplayName(":42.0"), ":42");
    EXPECT_EQ(NormalizeDisplayName("unix:42.1"), ":42");
    EXPECT_EQ(NormalizeDisplayName("localhost:10.0"), "localhost:10"); // a forwarded session
    EXPECT_NE(NormalizeDisplayName("localhost:10"), NormalizeDisplayName(":10"));
    ScopedEnv x("DISPLAY", nullptr);
    ScopedEnv wayland("WAYLAND_DISPLAY", "wayland-1");
    EXPECT_EQ(CurrentDisplayName(), "wayland:wayland-1");
    wayland.Set(nullptr);
    EXPECT_EQ(CurrentDisplayName(), "");
    x.Set("unix:52.0");
    EXPECT_EQ(CurrentDisplayName(), ":52");
}

// Two sessions of the user on two displays: each has its own instance, and a second start on
// either display finds that display's instance running.
TEST_F(RuntimeFolderTest, TheSingleInstanceIsOnePerDisplay) {
    SingleInstanceGuard first;
    ASSERT_EQ(first.Acquire("Vantorel Software"), SingleInstanceGuard::Acquired);
    display_.Set(":52");
    SingleInstanceGuard onOther;
    EXPECT_EQ(onOther.Acquire("Vantorel Software"), SingleInstanceGuard::Acquired);
    EXPECT_EQ(onOther.LockPath(), dir_.Path() + "/vantorel/Vantorel Software@:52.lock");
    SingleInstanceGuard secondOnOther;
    EXPECT_EQ(secondOnOther.Acquire("Vantorel Software"), SingleInstanceGuard::AlreadyExists);
    display_.Set("unix:42.0"); // the first display, written another way
    SingleInstanceGuard second;
    EXPECT_EQ(second.Acquire("Vantorel Software"), SingleInstanceGuard::AlreadyExists);
}
