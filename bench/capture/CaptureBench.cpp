// capture_bench: what one position of an automatic series costs beyond the motion (grab, save,
// focus image box, running preview), and the composition (819) of the captured series.
//
//   capture_bench [--positions N] [--runs R]
//
// The program runs in a working folder of its own in the automatic mode, with the rendering
// test camera at 1280 x 1024 (its size 3) and an emulated focus drive whose motion is
// made almost free. Each run times the series (913) and, over the same positions, the motion
// alone (move, wait, read back); the difference divided by N is the cost per position. Then the
// series is composed R times through 819 until the result window holds it: megapixels per
// second (N pictures) and the peak resident memory of the program. Medians over the runs, with
// the machine's load average.
#include "../common/BenchFigures.h"
#include "../common/WxBench.h"

#include "imaging/compose/FocusComp.h"
#include "imaging/files/ImageFile.h"
#include "imaging/gui/GuiHooks.h"
#include "platform/ProgramHelpers.h"
#include "platform/ScriptedMessageSink.h"
#include "shell/capture/AutoDialog.h"
#include "shell/frame/MainFrame.h"
#include "shell/capture/MultiView.h"
#include "shell/app/OrsandelApp.h"
#include "shell/controls/ScaleStatic.h"
#include "shell/capture/SelectedBox.h"
#include "shell/core/compose/CompositionRun.h"
#include "tools/emulators/Emulators.h"
#include "result/ImageDoc.h"
#include "result/ImageFrame.h"

#include <wx/textctrl.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

double CurrentResidentMB() {
    std::ifstream in("/proc/self/statm");
    long pages = 0, resident = 0;
    in >> pages >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

bool PumpUntil(wxGUIEventLoop& loop, const std::function<bool()>& done, int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (Clock::now() > end)
            return false;
        loop.DispatchTimeout(20);
        PumpOneMessage(nullptr); // posted events and the private messages of the workers
        wxTheApp->ProcessIdle();
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    int positions = 20, runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--positions")
            positions = std::max(2, std::atoi(argv[i + 1]));
        else if (a == "--runs")
            runs = std::max(1, std::atoi(argv[i + 1]));
    }
    auto loop = StartWxBench(argc, argv);
    if (!loop)
        return 1;
    InstallImagingGuiServices(); // the pump of the series loop, as the program's start installs it
    char tmpl[] = "/tmp/vt-capture-bench-XXXXXX";
    if (!mkdtemp(tmpl))
        return 1;
    const std::string folder = tmpl;
    if (::chdir(folder.c_str()) != 0)
        return 1;
    ::mkdir((folder + "/runtime").c_str(), 0700);
    ::mkdir((folder + "/series").c_str(), 0755);
    ::setenv("XDG_RUNTIME_DIR", (folder + "/runtime").c_str(), 1);
    ::setenv("VANTOREL_CAMERA_DIR", VT_BINARY_DIR "/tools/testcam/render", 1);
    std::ofstream(folder + "/LENS.TXT") << "ML30-1,Thirty,0.3,3\n";

    EmulatorOptions options;
    options.speedScale = 1000.0; // the motion costs next to nothing
    options.positionFile = folder + "/stage-position.txt";
    std::unique_ptr<ControllerEmulator> emulator = MakeEmulator("mmc2", options);
    if (!emulator || !emulator->Start())
        return 1;
    ::setenv("VANTOREL_COM1", emulator->SlavePath().c_str(), 1);
    ::setenv("VANTOREL_STAGE_POSITION_FILE", options.positionFile.c_str(), 1);
    std::ofstream(folder + "/Vantorel.ini")
        << "[InitialSettings]\nNOSTARTDISP=1\nSTARTINGMODE=1012\nAUTOPATH=" << folder
        << "/series/img000.bmp\nAUTODIR=" << folder
        << "/series\n[STAGEINPUT]\nINPDEVICE=Vantorel Test Camera\n[CAMPARAM]\nIMAGESIZESEL=3\n"
           "[COMM]\nCONTROLLER=1\nPORT=0\nSIDE=0\n[ZCALIBRATION]\n1PULSE=1\n";

    CScriptedMessageSink sink(IDYES); // overwrite the series of the run before
    auto app = std::make_unique<COrsandelApp>();
    if (!app->InitInstance() || !app->m_pMainFrame || !app->m_pMainFrame->AutoDialog()) {
        std::fprintf(stderr, "the program did not start in the automatic mode\n");
        return 1;
    }
    CMainFrame* frame = app->m_pMainFrame;
    CAutoDialog* panel = frame->AutoDialog();
    // As typed: each text change recomputes the range.
    auto type = [panel](int id, const std::string& text) {
        if (auto* edit = dynamic_cast<wxTextCtrl*>(panel->GetDlgItem(id)))
            edit->SetValue(text);
    };
    type(1183, "0");
    type(1184, std::to_string((positions - 1) * 5));
    type(1185, "5");
    if (panel->Count() != positions) {
        std::fprintf(stderr, "range gives %d positions\n", panel->Count());
        return 1;
    }
    const std::vector<double> zs = panel->Positions();

    std::vector<double> perPosition, series, motion;
    for (int r = 0; r < runs; ++r) {
        auto t0 = Clock::now();
        for (double z : zs) {
            panel->MoveToZ(z);
            frame->ReadStageZ();
        }
        auto t1 = Clock::now();
        panel->OnStart();
        auto t2 = Clock::now();
        if (panel->LastSeriesEnd() != CAutoDialog::SeriesEnd::Completed) {
            std::fprintf(stderr, "the series did not complete\n");
            return 1;
        }
        motion.push_back(Ms(t0, t1));
        series.push_back(Ms(t1, t2));
        perPosition.push_back((Ms(t1, t2) - Ms(t0, t1)) / positions);
    }
    const int width = frame->CaptureView()->FrameWidth(), height = frame->CaptureView()->FrameHeight();
    std::printf("capture %dx%d, %d positions, %d runs: series median %.0f ms, motion alone %.0f ms, "
                "beyond the motion %.1f ms per position (median; the module's 300 ms settle included)\n",
                width, height, positions, runs, Median(series), Median(motion), Median(perPosition));

    // The same steps one by one (the panel's order), for where the time goes.
    {
        CMultiView* view = frame->CaptureView();
        frame->RemoveFromFocusBox(true);
        std::vector<double> grabSave, box, preview;
        CFocusComp composer;
        bool set = false;
        for (int i = 0; i < positions; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "/series/step%03d.bmp", i);
            const std::string path = folder + name;
            panel->MoveToZ(zs[static_cast<size_t>(i)]);
            const double z = frame->ReadStageZ();
            const auto t0 = Clock::now();
            view->CaptureAndSave(path);
            const auto t1 = Clock::now();
            frame->SelectedBox()->AddFile(path, z);
            const auto t2 = Clock::now();
            int type = -1;
            HDIB picture = ReadImageFile(path, &type);
            if (picture && !set) {
                // As the panel's preview of a document with the default microscope settings.
                composer.StartSeries(CompositionSettings(nullptr, width, height, 3));
                set = true;
            }
            if (picture && composer.AddImage(picture) && composer.GetComposite())
                view->PreviewPane()->SetImage(composer.GetComposite(), -1, 0, 0, 0);
            view->PreviewPane()->Update();
            if (picture)
                GlobalFree(picture);
            const auto t3 = Clock::now();
            grabSave.push_back(Ms(t0, t1));
            box.push_back(Ms(t1, t2));
            preview.push_back(Ms(t2, t3));
        }
        std::printf("per position, medians: grab and save %.1f ms, focus image box %.1f ms, preview (read "
                    "back, compose, draw) %.1f ms\n",
                    Median(grabSave), Median(box), Median(preview));
        frame->RemoveFromFocusBox(true);
        panel->OnStart(); // the box holds the series again for the composition
    }

    // The composition at the full-resolution speed (0) and at the default medium speed (1).
    const double mp = static_cast<double>(width) * height * positions / 1e6;
    for (int speed : {0, 1}) {
        frame->SetCompositionSpeed(speed);
        std::vector<double> composeMs;
        const double before = CurrentResidentMB();
        for (int r = 0; r < runs; ++r) {
            if (app->m_pResultFrame)
                app->m_pResultFrame->GetImageDoc()->m_saved = 1;
            sink.ClearShown();
            const auto t0 = Clock::now();
            frame->RouteCommandId(819);
            // The run starts at once and ends with the result opened in the result window.
            const bool started = frame->IsComposing();
            const bool ended = started && PumpUntil(
                                              *loop, [&] { return !frame->IsComposing(); }, 300000);
            const auto t1 = Clock::now();
            if (!ended || !sink.ShownIds().empty() || !app->m_pResultFrame ||
                !app->m_pResultFrame->GetImageDoc()->m_image) {
                std::fprintf(stderr, "the composition did not give a result (started %d, ended %d)\n",
                             started ? 1 : 0, ended ? 1 : 0);
                for (UINT id : sink.ShownIds())
                    std::fprintf(stderr, "message %u\n", id);
                return 1;
            }
            composeMs.push_back(Ms(t0, t1));
            CImageDoc* doc = app->m_pResultFrame->GetImageDoc();
            PumpUntil(
                *loop, [&] { return doc->m_busy == 0 && !doc->IsWorkerRunning(); }, 300000);
            doc->m_saved = 1;
        }
        std::printf("composition (819, speed %d) of %d captured %dx%d files: median %.0f ms, %.1f MP/s; "
                    "resident %.0f MB before, peak %.0f MB; load average %s\n",
                    speed, positions, width, height, Median(composeMs), mp / (Median(composeMs) / 1000.0),
                    before, PeakResidentMB(), LoadAverage().c_str());
    }

    if (app->m_pResultFrame)
        app->m_pResultFrame->GetImageDoc()->m_saved = 1;
    frame->Close();
    PumpUntil(
        *loop, [&] { return app->m_pMainFrame == nullptr; }, 30000);
    app.reset();
    emulator.reset();
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}
