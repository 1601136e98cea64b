// Timings of the result window on a 2048 x 1536 result with heights: open to first paint, the
// automatic smoothing, the redraw of a 1280 x 960 client after each zoom step from 10 to 400 %,
// interpolation with 40 % noise, the .vv3 save and the VV3D send (to tools/findwin-peer), and the
// peak memory of a noise cut. Prints the median of five runs of each. Run under xvfb-run.
//   result_bench [path of findwin-peer]
#include "bench/common/WxBench.h"
#include "imaging/bitmaps/Dib.h"
#include "platform/FindableWindow.h"
#include "platform/Process.h"
#include "platform/ScriptedMessageSink.h"
#include "ui/UiLayer.h"
#include "result/core/HandOver.h"
#include "result/ImageDoc.h"
#include "result/ImageFrame.h"
#include "result/ImageView.h"
#include "result/core/TransferRecords.h"
#include "result/ViewerMenuDialog.h"

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/evtloop.h>
#include <wx/init.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(const std::function<void()>& f) {
    const auto t0 = Clock::now();
    f();
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

long ReadStatusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + std::strlen(key));
    return -1;
}

void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct Result {
    int w = 2048, h = 1536;
    std::vector<std::vector<double>> hv;
    std::vector<std::vector<int>> fv;
    std::vector<const double*> hp;
    std::vector<const int*> fp;
    HDIB image;
    explicit Result(double noise) {
        std::mt19937 rng(5);
        std::uniform_real_distribution<double> u(0, 1);
        image = DibCreate(w, h, 1);
        hv.assign(size_t(h), std::vector<double>(size_t(w)));
        fv.assign(size_t(h), std::vector<int>(size_t(w)));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                hv[size_t(y)][size_t(x)] = 30 * std::sin(x * 0.01) * std::cos(y * 0.013) + u(rng);
                fv[size_t(y)][size_t(x)] = u(rng) < noise ? 5 : 200;
                for (int p = 0; p < 3; ++p)
                    DibSetPixel(image, x, y, p, (x * (p + 1) + y) & 0xFF);
            }
        for (auto& r : hv)
            hp.push_back(r.data());
        for (auto& r : fv)
            fp.push_back(r.data());
    }
    ~Result() { GlobalFree(image); }
};

} // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<wxGUIEventLoop> loop = StartWxBench(argc, argv);
    if (!loop)
        return 2;
    CScriptedMessageSink sink(IDOK);
    const std::string tmp =
        std::filesystem::temp_directory_path() / ("result-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(tmp);
    ::setenv("XDG_RUNTIME_DIR", tmp.c_str(), 1);
    const int runs = 5;

    Result clean(0.0), noisy(0.4);
    std::vector<double> open, smooth, interp, save, send, peak;
    std::vector<std::vector<double>> zoom(40);

    auto* frame = new CImageFrame(nullptr);
    frame->SetClientSize(1280, 960 + frame->GetViewerBar()->GetSize().y);
    frame->Show();
    for (int i = 0; i < 20; ++i)
        wxTheApp->Yield(true);
    CImageView* view = frame->GetImageView();
    CImageDoc* doc = frame->GetImageDoc();
    const wxSize client = view->GetClientSize();
    wxBitmap target(client.x, client.y, 24);

    for (int r = 0; r < runs; ++r) {
        // Open: the result taken (copies, screen conversion, height picture) and its first paint.
        open.push_back(Ms([&] {
            frame->ShowResult(clean.image, clean.hp.data(), clean.fp.data(), 0);
            wxMemoryDC dc(target);
            view->OnDraw(dc);
        }));
        for (int step = -9; step <= 30; ++step) {
            view->ZoomToStep(step);
            zoom[size_t(step + 9)].push_back(Ms([&] {
                wxMemoryDC dc(target);
                view->OnDraw(dc);
            }));
        }
        // The automatic smoothing of a new result (amount 0, smoothing 8).
        doc->m_cutAmount = 0;
        doc->m_cutType = 0;
        doc->m_filterSize = 8;
        smooth.push_back(Ms([&] {
            doc->RunNoiseCut(nullptr);
            doc->OnWorkDone();
        }));
        save.push_back(Ms([&] { doc->SaveVv3(tmp + "/r.vv3"); }));
    }
    // The hand-over, to a receiver stand-in.
    const std::string peer = argc > 1 ? argv[1] : std::string(VT_PEER_PATH);
    PROCESS_INFORMATION pi;
    const std::string recv = tmp + "/recv";
    std::filesystem::create_directories(recv);
    if (CreateProcess(peer, {"--out", recv, "--title", "Brelvoxa"}, {}, &pi)) {
        for (int i = 0; i < 500 && !std::filesystem::exists(recv + "/ready"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        doc->m_viewerPath = "/nowhere/Brelvoxa";
        for (int r = 0; r < runs; ++r)
            send.push_back(Ms([&] {
                std::vector<BYTE> block;
                ResultPixels px;
                px.picture = doc->m_display ? doc->m_display : doc->m_image;
                px.typeCode = doc->m_typeCode;
                px.heights = &doc->m_working;
                px.minimum = doc->m_minimum;
                px.pitch = 1.0;
                BuildHeightTransferBlock(px, block);
                if (SendToHeightViewer(block, doc->m_viewerPath) != 0)
                    std::fprintf(stderr, "send failed\n");
            }));
        ::kill(pi.dwProcessId, SIGKILL);
        WaitForProcess(pi.dwProcessId, 5000);
    }
    // Interpolation with 40 % noise, and the peak memory of the cut.
    frame->ShowResult(noisy.image, noisy.hp.data(), noisy.fp.data(), 0);
    for (int r = 0; r < runs; ++r) {
        doc->m_cutAmount = 10;
        doc->m_cutType = 0;
        doc->m_filterSize = 0;
        ResetPeak();
        const long before = ReadStatusKb("VmRSS:");
        interp.push_back(Ms([&] {
            doc->RunNoiseCut(nullptr);
            doc->OnWorkDone();
        }));
        peak.push_back(double(ReadStatusKb("VmHWM:") - before) / 1024.0);
    }
    frame->m_closingApp = true;
    frame->GetImageDoc()->m_saved = 1;
    frame->Destroy();
    wxTheApp->Yield(true);

    double zoomWorst = 0;
    int zoomWorstStep = 0;
    for (int s = 0; s < 40; ++s)
        if (Median(zoom[size_t(s)]) > zoomWorst) {
            zoomWorst = Median(zoom[size_t(s)]);
            zoomWorstStep = (s + 1) * 10;
        }
    std::ifstream la("/proc/loadavg");
    std::string load;
    std::getline(la, load);
    std::printf("result 2048 x 1536 with heights, medians of %d (load average %s)\n", runs, load.c_str());
    std::printf("open to first paint      %8.1f ms\n", Median(open));
    std::printf("automatic smoothing      %8.1f ms\n", Median(smooth));
    std::printf(
        "redraw 1280x960 per zoom %8.1f ms worst median (at %d %%); 100 %%: %.1f ms, 400 %%: %.1f ms\n",
        zoomWorst, zoomWorstStep, Median(zoom[9]), Median(zoom[39]));
    std::printf("interpolation 40%% noise  %8.1f ms\n", Median(interp));
    std::printf(".vv3 save                %8.1f ms\n", Median(save));
    if (!send.empty())
        std::printf("VV3D send                %8.1f ms\n", Median(send));
    std::printf("noise cut peak memory    %8.1f MiB above the resident size before it\n", Median(peak));
    std::filesystem::remove_all(tmp);
    wxEventLoopBase::SetActive(nullptr);
    wxEntryCleanup();
    return 0;
}
