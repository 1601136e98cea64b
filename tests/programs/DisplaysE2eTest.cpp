// Two sessions of one user on two X displays share the runtime folder: the real programs keep to
// their own display. A hand-over from the result window reaches (or starts) the 3D viewer on the
// sender's display, a second start of either program meets only the instance on its own display.
#include "HeightFiles.h"

#include "ids/VantorelIds.h"
#include "platform/FindableWindow.h"
#include "platform/Process.h"
#include "tests/platform/ScopedEnv.h"
#include "tests/support/ScratchFolder.h"
#include "ui/testing/PrivateXServer.h"
#include "result/core/HandOver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

bool waitFor(const std::function<bool()>& pred, int seconds = 30) {
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (!pred()) {
        if (Clock::now() >= end)
            return pred();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Starts exe with args on the display, in folder.
pid_t start(const std::string& display, const std::string& exe, const std::vector<std::string>& args,
            const std::string& folder) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(folder.c_str()) != 0)
            ::_exit(126);
        ::setenv("DISPLAY", display.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(exe.c_str())};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(exe.c_str(), argv.data());
        ::_exit(127);
    }
    return pid;
}

// Waits, bounded, for the process to end; its wait status, or -1 while it still runs. A process
// that is not this one's child (a viewer the hand-over started) counts as ended once it is gone.
int waitEnd(pid_t pid, int seconds) {
    int status = -1;
    waitFor(
        [&] {
            const pid_t r = ::waitpid(pid, &status, WNOHANG);
            if (r < 0 && errno == ECHILD && ::kill(pid, 0) != 0)
                status = 0;
            return r == pid || status == 0;
        },
        seconds);
    return status;
}

void stop(pid_t pid) {
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    if (waitEnd(pid, 20) == -1)
        ::kill(pid, SIGKILL);
}

class Displays : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(first_.Start("800x600x24", 30000, &error)) << error;
        a_ = std::getenv("DISPLAY");
        ASSERT_TRUE(second_.Start("800x600x24", 30000, &error)) << error;
        b_ = std::getenv("DISPLAY");
        ASSERT_NE(a_, b_);
        fs::create_directories(runtime_);
        fs::permissions(runtime_, fs::perms::owner_all);
    }
    void TearDown() override {
        for (pid_t pid : started_)
            stop(pid);
    }
    // The titles of the 3D viewer's main windows that a lookup on the display sees.
    std::vector<std::string> ViewerTitles(const std::string& display) {
        display_.Set(display.c_str());
        std::vector<std::string> titles;
        for (const TopWindowInfo& w : EnumTopWindows())
            if (w.className == "BrelvoxaMainFrame")
                titles.push_back(w.title);
        return titles;
    }
    bool ViewerShows(const std::string& display, const std::function<bool(const std::string&)>& title) {
        return waitFor([&] {
            const auto t = ViewerTitles(display);
            return t.size() == 1 && title(t[0]);
        });
    }
    static std::function<bool(const std::string&)> Is(const std::string& title) {
        return [title](const std::string& t) { return t == title; };
    }
    pid_t Started(pid_t pid) {
        started_.push_back(pid);
        return pid;
    }

    ScopedEnv display_{"DISPLAY", nullptr}; // first: the test's own display comes back last
    ui::testing::PrivateXServer first_, second_;
    std::string a_, b_;
    ScratchFolder dir_{"vt-displays"};
    const std::string runtime_ = dir_ / "runtime";
    ScopedEnv runtimeEnv_{"XDG_RUNTIME_DIR", runtime_.c_str()};
    ScopedEnv dataHome_{"XDG_DATA_HOME", (dir_ / "xdg").c_str()};
    std::vector<pid_t> started_;
};

} // namespace

TEST_F(Displays, HandOverAndSecondStartOfTheViewerReachTheViewerOnTheirOwnDisplay) {
    const std::string exe = dir_ / "Brelvoxa";
    fs::copy_file(std::string(VT_BINARY_DIR) + "/programs/brelvoxa/Brelvoxa", exe);
    for (const char* name : {"a.vv3", "a2.vv3", "b2.vv3"})
        programstest::WriteBytes(dir_ / name, programstest::Heights(16, 12, true));
    Started(start(a_, exe, {dir_ / "a.vv3"}, dir_.Path()));
    ASSERT_TRUE(ViewerShows(a_, Is("Brelvoxa - a.vv3")));
    EXPECT_TRUE(ViewerTitles(b_).empty());

    // The result window on the second display finds no viewer there: it starts one on its own
    // display, which takes the record.
    display_.Set(b_.c_str());
    HandOverTiming timing;
    timing.attempts = 30;
    ASSERT_EQ(SendToHeightViewer(programstest::Heights(8, 6, false), exe, timing), 0u);
    ASSERT_TRUE(ViewerShows(b_, Is("Brelvoxa - View3D1")));
    TopWindowInfo startedOnB;
    ASSERT_TRUE(FindTopWindow("BrelvoxaMainFrame", nullptr, &startedOnB));
    Started(startedOnB.processId);
    EXPECT_EQ(ViewerTitles(a_), std::vector<std::string>{"Brelvoxa - a.vv3"});

    // A second start on each display hands its file to that display's viewer and ends.
    for (const auto& [display, file, other, otherTitle] :
         {std::tuple{a_, "a2.vv3", b_, "Brelvoxa - View3D1"},
          std::tuple{b_, "b2.vv3", a_, "Brelvoxa - a2.vv3"}}) {
        SCOPED_TRACE(display);
        const int status = waitEnd(start(display, exe, {dir_ / file}, dir_.Path()), 30);
        EXPECT_TRUE(status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_TRUE(ViewerShows(display, Is(std::string("Brelvoxa - ") + file)));
        EXPECT_EQ(ViewerTitles(other), std::vector<std::string>{otherTitle});
    }

    // A hand-over on the first display reaches the viewer there.
    display_.Set(a_.c_str());
    ASSERT_EQ(SendToHeightViewer(programstest::Heights(8, 6, false), exe, timing), 0u);
    EXPECT_TRUE(ViewerShows(a_, [](const std::string& t) { return t.rfind("Brelvoxa - View3D", 0) == 0; }));
    EXPECT_EQ(ViewerTitles(b_), std::vector<std::string>{"Brelvoxa - b2.vv3"});
}

TEST_F(Displays, VantorelRunsOncePerDisplay) {
    const std::string exe = std::string(VT_BINARY_DIR) + "/programs/vantorel/vantorel";
    // One working folder per session, each starting in the thumbnail mode without the start dialog.
    auto folder = [&](const std::string& name) {
        const std::string f = dir_ / name;
        fs::create_directories(f);
        std::ofstream(f + "/Vantorel.ini")
            << "[InitialSettings]\nNOSTARTDISP=1\nSTARTINGMODE=" << vtid::StartDialog::SelectByThumbnail
            << "\n";
        return f;
    };
    // The instance on a display holds that display's lock, which names its process.
    auto holds = [&](const std::string& display, pid_t pid) {
        return waitFor([&] {
            std::ifstream lock(
                runtime_ + "/vantorel/" +
                SingleInstanceGuard::LockFileName("Vantorel Software", NormalizeDisplayName(display)));
            pid_t holder = 0;
            return bool(lock >> holder) && holder == pid;
        });
    };
    const pid_t onA = Started(start(a_, exe, {}, folder("a")));
    ASSERT_TRUE(holds(a_, onA));
    const pid_t onB = Started(start(b_, exe, {}, folder("b")));
    EXPECT_TRUE(holds(b_, onB)) << "the instance on the other display kept this one from starting";
    EXPECT_EQ(waitEnd(onB, 0), -1);

    // A second start on either display ends at once; the first instances run on.
    for (const std::string& display : {a_, b_}) {
        SCOPED_TRACE(display);
        const int status = waitEnd(start(display, exe, {}, folder("again")), 30);
        EXPECT_NE(status, -1) << "the second start did not end";
    }
    EXPECT_EQ(waitEnd(onA, 0), -1);
    EXPECT_EQ(waitEnd(onB, 0), -1);
}
