// GoogleTest main for gui tests: wx under the X display, a failing assert handler, time-outs.
#include "ui/UiLayer.h"
#include "ui/testing/GuiTest.h"
#include "ui/testing/PrivateXServer.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/init.h>

#include <gtk/gtk.h>

#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>

namespace {

class TestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

void failingAssertHandler(const wxString& file, int line, const wxString& func, const wxString& cond,
                          const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_str().data(), line) << "wx assertion in " << func.utf8_str().data() << ": "
                                                 << cond.utf8_str().data() << " " << msg.utf8_str().data();
}

// Ends the process when one test runs past the time-out, naming the test.
class TimeoutListener : public ::testing::EmptyTestEventListener {
public:
    explicit TimeoutListener(int seconds) : seconds_(seconds), watchdog_([this] { watch(); }) {}
    ~TimeoutListener() override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        cv_.notify_all();
        watchdog_.join();
    }
    void OnTestStart(const ::testing::TestInfo& info) override {
        Arm(std::string(info.test_suite_name()) + "." + info.name(), seconds_);
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
    }
    void Disarm() {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
    }
    // Also watches the start of wx and the clean-up, where a stuck X connection would hang.
    void Arm(const std::string& what, int seconds) {
        std::lock_guard<std::mutex> lock(mutex_);
        name_ = what;
        limit_ = seconds;
        deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        running_ = true;
        cv_.notify_all();
    }

private:
    void watch() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!quit_) {
            if (running_ && std::chrono::steady_clock::now() >= deadline_) {
                std::fprintf(stderr, "\n*** %s ran longer than %d s: ended\n", name_.c_str(), limit_);
                std::fflush(stderr);
                std::_Exit(3);
            }
            cv_.wait_for(lock, std::chrono::milliseconds(200));
        }
    }
    int seconds_;
    int limit_ = 0;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::string name_;
    std::chrono::steady_clock::time_point deadline_{};
    bool running_ = false;
    bool quit_ = false;
    std::thread watchdog_;
};

// After each test, the windows it Destroy()ed are deleted before the next test (or the end of
// the process) starts, whatever the test itself waited for.
class PendingWindowCleanup : public ::testing::EmptyTestEventListener {
public:
    void OnTestEnd(const ::testing::TestInfo&) override {
        ui::testing::PumpUntil([] {
            for (wxWindow* w : wxTopLevelWindows)
                if (wxTheApp->IsScheduledForDestruction(w))
                    return false;
            return true;
        });
    }
};

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point t) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

// Connects to the X display of DISPLAY, trying until the server accepts or the seconds have
// passed, and says each refusal. The connection is kept until the toolkit has its own: a server
// started without -noreset (xvfb-run's) resets when its last client leaves and refuses the
// clients that come during the reset.
Display* connectToXServer(int seconds) {
    if (!std::getenv("DISPLAY"))
        return nullptr;
    const auto giveUp = Clock::now() + std::chrono::seconds(seconds);
    for (int attempt = 1;; ++attempt) {
        if (Display* d = XOpenDisplay(nullptr))
            return d;
        if (Clock::now() >= giveUp)
            return nullptr;
        std::fprintf(stderr, "the X display refused connection %d; trying again\n", attempt);
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(100 * attempt, 500)));
    }
}

// Shows a small window and waits for its first paint: the X server answers, the theme and the
// fonts are loaded. Returns false when that did not happen in time.
bool showFirstWindow() {
    auto* probe = new wxFrame(nullptr, wxID_ANY, "start", wxPoint(0, 0), wxSize(40, 30));
    probe->Show();
    const bool painted = ui::testing::WaitForPaint(probe, 60000);
    ui::testing::DestroyAndWait(probe);
    return painted;
}

// Says how long the start took (so that a stall shows in every run) and keeps it in the build
// tree's list of start times, one line per test process.
void reportStart(long connectMs, long firstWindowMs) {
    const std::string what = ::testing::GTEST_FLAG(filter);
    std::printf("gui start: X connection %ld ms, first window %ld ms (%s)%s\n", connectMs, firstWindowMs,
                what.c_str(), firstWindowMs > 30000 ? " SLOW START" : "");
    std::fflush(stdout);
    std::ofstream log(std::string(VT_BINARY_DIR) + "/gui-start-times.txt", std::ios::app);
    log << firstWindowMs << ' ' << connectMs << ' ' << what << '\n';
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (ctest's discovery) needs no display.
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    const auto begun = Clock::now();
    // The tests of the real pointer run on a server of their own (vt_tests sets this for them).
    ui::testing::PrivateXServer privateServer;
    if (std::getenv("VT_GUI_PRIVATE_DISPLAY")) {
        std::string why;
        if (!privateServer.Start("1600x1200x24", 60000, &why)) {
            std::fprintf(stderr, "cannot start an X server of this test's own: %s\n", why.c_str());
            return 2;
        }
    }
    int seconds = 60;
    if (const char* t = std::getenv("VT_GUI_TEST_TIMEOUT"))
        seconds = std::max(1, std::atoi(t));
    auto* timeouts = new TimeoutListener(seconds);
    timeouts->Arm("starting wx", 180);

    // A busy X server now and then refuses a connection while many test processes start at
    // once, or while it resets. The toolkit's start cannot be tried again in the same process (a
    // second try fails whatever the server does), so the connection is tried first on its own,
    // again and again for up to 60 seconds, and the toolkit starts while that one is open.
    Display* held = connectToXServer(60);
    if (!held) {
        std::fprintf(stderr, "cannot connect to the X display (is there one? run under xvfb-run -a)\n");
        delete timeouts;
        return 2;
    }
    wxApp::SetInstance(new TestApp);
    const bool started = wxEntryStart(argc, argv);
    XCloseDisplay(held);
    if (!started) {
        std::fprintf(stderr, "cannot start wx on the X display\n");
        delete timeouts;
        return 2;
    }
    const long connectMs = msSince(begun);
    wxTheApp->CallOnInit();
    // Without animations a check box, radio or enabled state is drawn in its final look at once,
    // so the screenshots show the state the test has set.
    if (GtkSettings* gtk = gtk_settings_get_default())
        g_object_set(gtk, "gtk-enable-animations", FALSE, nullptr);
    wxSetAssertHandler(failingAssertHandler);
    std::string error;
    // The window layer's services as the programs install them; message boxes go to the sink
    // each test installs (a scripted answerer), never to a dialog.
    ui::ProgramServices services;
    services.program = "vantorel";
    services.wxMessageBoxes = false;
    if (!ui::InstallProgramServices(services, &error))
        std::fprintf(stderr, "resources: %s\n", error.c_str());

    // An active loop so that pending GTK events can be dispatched between the test steps.
    wxGUIEventLoop loop;
    wxEventLoopBase::SetActive(&loop);

    if (!showFirstWindow())
        std::fprintf(stderr, "the first window was not painted in 60 s\n");
    reportStart(connectMs, msSince(begun));
    timeouts->Disarm();
    ::testing::UnitTest::GetInstance()->listeners().Append(timeouts);
    ::testing::UnitTest::GetInstance()->listeners().Append(new PendingWindowCleanup);
    int rc = RUN_ALL_TESTS();
    ::testing::UnitTest::GetInstance()->listeners().Release(timeouts);
    timeouts->Arm("cleaning up wx", 30);
    wxEventLoopBase::SetActive(nullptr);
    wxEntryCleanup();
    delete timeouts;
    return rc;
}
