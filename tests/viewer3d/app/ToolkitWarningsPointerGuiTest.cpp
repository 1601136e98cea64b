// The viewer under a window manager prints no toolkit warnings: a plain start, a start on each
// sample file, a start that a hand-over record reaches as soon as the window can be found, files
// handed to the running viewer, and documents opened and closed with the close box of their tab. A widget
// given less room than it needs makes GTK print "Gtk-WARNING" or "Gtk-CRITICAL" on the standard error.
#include "ViewerTestSupport.h"

#include "platform/FindableWindow.h"
#include "tests/support/ScratchFolder.h"
#include "ui/testing/GuiTest.h"
#include "ui/testing/Pointer.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/app/View3dFrm.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <wx/image.h>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

pid_t spawn(const std::vector<std::string>& args, const std::string& folder, const std::string& errFile) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (!folder.empty() && chdir(folder.c_str()) != 0)
            _exit(126);
        if (!errFile.empty() && !freopen(errFile.c_str(), "a", stderr))
            _exit(126);
        if (!freopen("/dev/null", "w", stdout))
            _exit(126);
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

void endProcess(pid_t pid) {
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    int status = 0;
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool waitFor(const std::function<bool()>& done, int seconds) {
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

bool runQuietly(const std::string& command) {
    return std::system((command + " > /dev/null 2>&1").c_str()) == 0;
}

// The window manager of the test's X server: openbox, which sets _NET_SUPPORTING_WM_CHECK on
// the root window once it manages the screen.
class WindowManager {
public:
    bool Start(const std::string& folder) {
        pid_ = spawn({"openbox", "--sm-disable"}, folder, folder + "/openbox.log");
        return pid_ > 0 &&
               waitFor([] { return runQuietly("xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window"); },
                       20);
    }
    ~WindowManager() { endProcess(pid_); }

private:
    pid_t pid_ = -1;
};

std::string readAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The toolkit's warnings and criticals among the lines of a standard error.
std::string toolkitComplaints(const std::string& text) {
    std::string found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.find("Gtk-WARNING") != std::string::npos || line.find("Gtk-CRITICAL") != std::string::npos)
            found += line + "\n";
    return found;
}

// The sample files of the viewer's demonstration, as scripts/run brelvoxa writes them, with a
// JPEG and a TIFF picture of the bitmap sample.
std::vector<std::string> writeSamples(const std::string& dir) {
    const std::string writer = std::string(VT_BINARY_DIR) + "/bench/brelvoxa/brelvoxa_samples";
    fs::create_directories(dir);
    if (!runQuietly(writer + " " + dir + " 320 240"))
        return {};
    wxImage bitmap;
    if (!bitmap.LoadFile(wxString::FromUTF8(dir + "/sample.bmp"), wxBITMAP_TYPE_BMP) ||
        !bitmap.SaveFile(wxString::FromUTF8(dir + "/sample.jpg"), wxBITMAP_TYPE_JPEG) ||
        !bitmap.SaveFile(wxString::FromUTF8(dir + "/sample.tif"), wxBITMAP_TYPE_TIFF))
        return {};
    std::vector<std::string> files;
    for (const char* ext : {"vv3", "tdv", "txt", "bmp", "jpg", "tif"})
        files.push_back(dir + "/sample." + ext);
    return files;
}

// The title of the real program's main window, empty while it has none.
std::string programTitle() {
    TopWindowInfo info;
    return FindTopWindow(brx::kMainWindowClass, nullptr, &info) ? info.title : std::string();
}

class ToolkitWarnings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(wm.Start(dir.Path())) << "openbox did not take the screen (is it installed?)";
        runtime = dir.Path() + "/runtime";
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        samples = writeSamples(dir.Path() + "/samples");
        ASSERT_EQ(samples.size(), 6u);
    }

    ScratchFolder dir{"brx-gtk"};
    WindowManager wm;
    std::string runtime;
    std::vector<std::string> samples;
};

} // namespace

TEST_F(ToolkitWarnings, StartsOpeningsAndHandOversOfTheProgramPrintNone) {
    // The program beside its own settings file, as a user's copy keeps it.
    const std::string exe = dir.Path() + "/Brelvoxa";
    fs::copy_file(std::string(VT_BINARY_DIR) + "/programs/brelvoxa/Brelvoxa", exe);
    const std::string err = dir.Path() + "/stderr.txt";
    auto titled = [](const std::string& path) { return "Brelvoxa - " + fs::path(path).filename().string(); };
    auto waitTitle = [](const std::function<bool(const std::string&)>& pred) {
        return waitFor([&] { return pred(programTitle()); }, 30);
    };
    // What a failed wait reports: the title found and what the programs printed so far.
    auto seen = [&] { return "title \"" + programTitle() + "\", standard error:\n" + readAll(err); };
    // Time for the last layouts before a program is ended (a warning they would print is only
    // missed when this is too short, the test never fails by it).
    auto settle = [] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); };

    // A plain start, and a start on each sample: a program of its own each time, so that the
    // toolkit learns the frame's decoration anew.
    for (size_t i = 0; i <= samples.size(); ++i) {
        const bool plain = i == samples.size();
        SCOPED_TRACE(plain ? std::string("plain start") : samples[i]);
        const pid_t viewer =
            spawn(plain ? std::vector<std::string>{exe} : std::vector<std::string>{exe, samples[i]},
                  dir.Path(), err);
        const std::string wanted = plain ? "Brelvoxa" : titled(samples[i]);
        EXPECT_TRUE(waitTitle([&](const std::string& t) { return t == wanted; })) << seen();
        settle();
        endProcess(viewer);
    }

    // A hand-over start: the main program starts the viewer and sends its record as soon as the
    // viewer's window can be found; then each sample is handed to the running viewer by another
    // start.
    const pid_t viewer = spawn({exe}, dir.Path(), err);
    EXPECT_TRUE(waitTitle([](const std::string& t) { return t == "Brelvoxa"; })) << seen();
    const std::string send = std::string(VT_BINARY_DIR) + "/tools/findwin-peer/findwin-peer --send --class " +
                             brx::kMainWindowClass + " --tag VV3D --data " + dir.Path() +
                             "/samples/sample.rec --timeout 20000";
    EXPECT_TRUE(runQuietly(send));
    EXPECT_TRUE(waitTitle([](const std::string& t) { return t.rfind("Brelvoxa - View3D", 0) == 0; }))
        << seen();
    for (const auto& s : samples) {
        const pid_t second = spawn({exe, s}, dir.Path(), err);
        int status = 0;
        waitpid(second, &status, 0);
        EXPECT_TRUE(waitTitle([&](const std::string& t) { return t == titled(s); })) << seen();
    }
    settle();
    endProcess(viewer);

    const std::string text = readAll(err);
    EXPECT_EQ(toolkitComplaints(text), "") << text;
}

namespace {

// The standard error of this process goes to a file while the object lives (the toolkit writes
// its warnings there, some of them past any log handler).
class StderrToFile {
public:
    explicit StderrToFile(const std::string& path) {
        std::fflush(stderr);
        saved_ = dup(2);
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, 2);
        close(fd);
    }
    ~StderrToFile() {
        std::fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
    }

private:
    int saved_ = -1;
};

} // namespace

TEST_F(ToolkitWarnings, DocumentsOpenedAndClosedWithTheirTabPrintNone) {
    const std::string err = dir.Path() + "/stderr.txt";
    {
        StderrToFile capture(err);
        brxtest::RunningViewer viewer(dir.Path());
        brx::CMainFrame* main = viewer.App().MainFrame();
        // A close box that comes up 1 time in 8 with a negative size shows within these rounds.
        for (int round = 0; round < 4; ++round)
            for (const auto& s : samples) {
                SCOPED_TRACE(s);
                brx::CView3dFrm* frame = brxtest::OpenShown(viewer, s);
                ASSERT_NE(frame, nullptr);
                wxRect box;
                ASSERT_TRUE(
                    ui::testing::PumpUntil([&] { return !(box = frame->TabCloseButtonRect()).IsEmpty(); }));
                const wxPoint at = box.GetPosition() + wxPoint(box.width / 2, box.height / 2);
                bool closed = false;
                for (int attempt = 0; attempt < 3 && !closed; ++attempt)
                    closed = ui::testing::ClickOnScreen(main, at) &&
                             ui::testing::PumpUntil([&] { return viewer.Frames().empty(); }, 3000);
                ASSERT_TRUE(closed);
            }
        viewer.Stop();
    }
    const std::string text = readAll(err);
    std::fputs(text.c_str(), stderr);
    EXPECT_EQ(toolkitComplaints(text), "");
}
