// The frame step of the continuous composition mode as the live ticker runs it: the test camera's
// grab of a 1280 x 1024 frame, the frame added to the running composition and both panes drawn.
// The program starts in the mode in a working folder of its own; the focus sweeps up and down
// through the camera's position file. Prints the median step and its parts, the composed frames
// per second that gives, the OpenMP wait policy and the load average. Run under xvfb-run -a; the
// policy is PASSIVE unless OMP_WAIT_POLICY names another.
//   vossa_bench [steps (default 60)]
#include "platform/Process.h"
#include "bench/common/WxBench.h"
#include "imaging/gui/GuiHooks.h"
#include "platform/ScriptedMessageSink.h"
#include "platform/Settings.h"
#include "shell/frame/MainFrame.h"
#include "shell/app/OrsandelApp.h"
#include "shell/controls/ScaleStatic.h"
#include "shell/vossa/VossaDialog.h"
#include "shell/vossa/VossaImageView.h"
#include "shell/vossa/VossaLiveView.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace

int main(int argc, char** argv) {
    // The composer's threads sleep between frames instead of spinning, as in the program started
    // by scripts/run: a step comes only every 100 ms, and spinning threads that the system puts
    // aside on a busy machine hold up every parallel pass. The OpenMP runtime reads the policy
    // when it is loaded, so the bench starts itself once more with it set.
    RestartWithPassiveThreadWaits(argv);
    const int steps = argc > 1 ? std::max(5, std::atoi(argv[1])) : 60;
    auto loop = StartWxBench(argc, argv);
    if (!loop)
        return 2;
    InstallImagingGuiServices();
    char tmpl[] = "/tmp/vossa-bench-XXXXXX";
    if (!::mkdtemp(tmpl))
        return 2;
    const std::string folder = tmpl;
    if (::chdir(folder.c_str()) != 0)
        return 2;
    ::mkdir((folder + "/runtime").c_str(), 0700);
    ::setenv("XDG_RUNTIME_DIR", (folder + "/runtime").c_str(), 1);
    ::setenv("VANTOREL_CAMERA_DIR", VT_TESTCAM_DIR, 1);
    const std::string position = folder + "/z.txt";
    ::setenv("VANTOREL_STAGE_POSITION_FILE", position.c_str(), 1);
    WriteText(position, "0");
    WriteText(folder + "/Vantorel.ini", "[InitialSettings]\nNOSTARTDISP=1\nSTARTINGMODE=1014\n"
                                        "[STAGEINPUT]\nINPDEVICE=Vantorel Test Camera\n"
                                        "[CAMPARAM]\nIMAGESIZESEL=3\n");
    CScriptedMessageSink sink(IDOK);
    int rc = 0;
    {
        auto app = std::make_unique<COrsandelApp>();
        if (!app->InitInstance()) {
            std::fprintf(stderr, "the program did not start\n");
            return 2;
        }
        CMainFrame* frame = app->m_pMainFrame;
        app->Ticker().StopTicking(); // the steps are timed one by one below
        CVossaLiveView* live = frame->VossaLiveView();
        CVossaImageView* image = frame->VossaImageView();
        // The first grab renders the specimen's texture tables: not timed.
        live->GrabAndCompose();
        live->GrabAndCompose();
        frame->VossaPanel()->OnStart();
        std::vector<double> total, grab, compose, display;
        for (int i = 0; i < steps; ++i) {
            const int phase = i % 40;
            WriteText(position, std::to_string((phase < 20 ? phase : 40 - phase) * 5.0));
            const auto t0 = std::chrono::steady_clock::now();
            live->GrabAndCompose();
            const auto t1 = std::chrono::steady_clock::now();
            // The paints of both panes: the events the step left, dispatched until none is left.
            live->LivePane()->Update();
            image->PicturePane()->Update();
            for (int n = 0; n < 1000 && loop->Pending(); ++n)
                loop->Dispatch();
            const auto t2 = std::chrono::steady_clock::now();
            const VossaStepTimes& t = live->LastStepTimes();
            const double paint = std::chrono::duration<double, std::milli>(t2 - t1).count();
            total.push_back(std::chrono::duration<double, std::milli>(t2 - t0).count());
            grab.push_back(t.grab);
            compose.push_back(t.compose);
            display.push_back(t.display + paint);
        }
        frame->VossaPanel()->OnEnd();
        double load[3] = {0, 0, 0};
        getloadavg(load, 3);
        const double median = Median(total);
        std::printf("vossa frame step %dx%d, %d steps, %d frames composed\n", live->FrameWidth(),
                    live->FrameHeight(), steps, image->FramesComposed());
        std::printf("median step %.1f ms (grab %.1f, compose %.1f, display %.1f): %.1f composed frames/s\n",
                    median, Median(grab), Median(compose), Median(display),
                    median > 0 ? 1000.0 / median : 0.0);
        const char* spin = std::getenv("GOMP_SPINCOUNT");
        std::printf("OpenMP wait policy %s, spin count %s\n", std::getenv("OMP_WAIT_POLICY"), spin ? spin : "-");
        std::printf("load average %.2f %.2f %.2f\n", load[0], load[1], load[2]);
        if (image->FramesComposed() != steps)
            rc = 1;
        frame->Close();
        for (int i = 0; i < 200 && app->m_pMainFrame; ++i) {
            wxTheApp->ProcessPendingEvents();
            wxTheApp->ProcessIdle();
        }
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    wxEventLoopBase::SetActive(nullptr);
    loop.reset();
    wxEntryCleanup();
    return rc;
}
