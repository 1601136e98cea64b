// The real program: a record sent by another process opens a document, and a second start hands
// its file to the running viewer and ends, so one viewer (and one settings file) stays.
#include "ViewerTestSupport.h"

#include "platform/FindableWindow.h"
#include "viewer3d/app/MainFrame.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

pid_t start(const std::string& exe, const std::vector<std::string>& args, const std::string& folder) {
    const pid_t pid = fork();
    if (pid == 0) {
        chdir(folder.c_str());
        std::vector<char*> argv{const_cast<char*>(exe.c_str())};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        setenv("XDG_DATA_HOME", (folder + "/xdg").c_str(), 1);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

// Waits (bounded) until the viewer's main window has a title that satisfies pred.
bool waitForTitle(const std::function<bool(const std::string&)>& pred, std::string* title) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < end) {
        TopWindowInfo info;
        if (FindTopWindow(brx::kMainWindowClass, nullptr, &info) && pred(info.title)) {
            *title = info.title;
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

} // namespace

TEST(BrelvoxaProgramE2e, RecordAndSecondStartReachTheRunningViewer) {
    ScratchFolder dir("brx-e2e");
    // The findable windows of this test's processes alone.
    const std::string runtime = dir.Path() + "/runtime";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    const std::string exe = dir.Path() + "/Brelvoxa";
    fs::copy_file(std::string(VT_BINARY_DIR) + "/programs/brelvoxa/Brelvoxa", exe);
    brxtest::WriteFile(dir.Path() + "/first.vv3", brxtest::HeightSet(16, 12, 1.0, true));
    brxtest::WriteFile(dir.Path() + "/second.vv3", brxtest::HeightSet(16, 12, 1.0, true));
    const pid_t viewer = start(exe, {dir.Path() + "/first.vv3"}, dir.Path());
    std::string title;
    ASSERT_TRUE(waitForTitle([](const std::string& t) { return t == "Brelvoxa - first.vv3"; }, &title))
        << title;

    const pid_t second = start(exe, {dir.Path() + "/second.vv3"}, dir.Path());
    int status = 0;
    ASSERT_EQ(waitpid(second, &status, 0), second);
    EXPECT_TRUE(WIFEXITED(status)); // it handed its path over and ended
    EXPECT_TRUE(waitForTitle([](const std::string& t) { return t == "Brelvoxa - second.vv3"; }, &title))
        << title;

    // A record from another process opens one more document.
    const std::string rec = dir.Path() + "/r.bin";
    brxtest::WriteFile(rec, brxtest::HeightSet(8, 8, 0.5, false));
    const std::string send = std::string(VT_BINARY_DIR) + "/tools/findwin-peer/findwin-peer --send --class " +
                             brx::kMainWindowClass + " --tag VV3D --data " + rec +
                             " --timeout 20000 > /dev/null";
    EXPECT_EQ(std::system(send.c_str()), 0);
    EXPECT_TRUE(
        waitForTitle([](const std::string& t) { return t.rfind("Brelvoxa - View3D", 0) == 0; }, &title))
        << title;
    EXPECT_TRUE(fs::exists(dir.Path() + "/Brelvoxa.ini"));
    EXPECT_TRUE(fs::exists(dir.Path() + "/xdg/mime/packages/brelvoxa.xml"));
    kill(viewer, SIGTERM);
    waitpid(viewer, &status, 0);
}
