// browser_bench: fills the thumbnail list from a folder of JPEG images the way the program does
// and prints how long the steps take.
//
//   browser_bench [--folder DIR] [--count N] [--width W] [--height H] [--runs R]
//
// The folder (default /tmp/vt-browser-bench) is filled with N (1000) images of W x H
// (2048 x 1536) when it holds fewer. Each run empties the thumbnail cache (a cold pass), then
// fills again from the warm cache. Per pass: the time until the list's 256 cells with their
// captions are laid out and painted, until the first screen of cells shows thumbnails, until
// the pass has ended, and the longest time the window thread spent in one event while the
// pass ran. The medians of R (5) runs are printed, with the peak resident memory, the size of
// the cache folder and the load average.
#include "bench/common/WxBench.h"
#include "browser/core/ThumbCacheNames.h"
#include "browser/ThumbnailListCtrl.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "platform/ScriptedMessageSink.h"
#include "platform/WindowMessages.h"
#include "ui/UiLayer.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/init.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

void MakeImages(const std::string& folder, int count, int w, int h) {
    std::filesystem::create_directories(folder);
    HDIB dib = DibCreate(w, h, DIB_KIND_RGB24);
    for (int i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "/img%04d.jpg", i);
        const std::string path = folder + name;
        if (std::filesystem::exists(path))
            continue;
        void* block = GlobalLock(dib);
        BYTE* bits = DibGetBits(block);
        const size_t stride = DibStride(w, 24);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                BYTE* p = bits + stride * y + 3 * x;
                p[0] = BYTE((x + i * 7) & 255);
                p[1] = BYTE((y + i * 3) & 255);
                p[2] = BYTE(((x ^ y) >> 3) + i);
            }
        GlobalUnlock(dib);
        SaveImageFile(dib, path, 3, 85);
    }
    GlobalFree(dib);
}

uint64_t FolderBytes(const std::string& folder) {
    uint64_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.is_regular_file())
            n += e.file_size();
    return n;
}

struct PassTimes {
    double captions = 0, firstScreen = 0, pass = 0, stall = 0;
};

// Dispatches events until cond holds; the longest single dispatch goes to stall.
template <class Cond> void PumpUntil(Cond cond, double& stall) {
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    while (!cond()) {
        const auto t = Clock::now();
        if (loop->Pending())
            loop->Dispatch();
        wxTheApp->ProcessPendingEvents();
        stall = std::max(stall, Ms(t, Clock::now()));
    }
}

PassTimes RunPass(CThumbnailListCtrl* list, const std::string& folder) {
    PassTimes r;
    const auto t0 = Clock::now();
    ::SendMessage(list->GetSafeHwnd(), WM_LIST_FILL, WPARAM(folder.c_str()), 0);
    list->Update(); // every visible cell with its caption
    r.captions = Ms(t0, Clock::now());
    auto firstScreenDone = [&] {
        const int first = std::max(0, list->GetFirstVisibleItem());
        const int last = std::min(list->GetItemCount(), first + list->CountPerPage());
        for (int i = first; i < last; ++i)
            if (list->GetCellRect(i).GetBottom() < list->GetClientSize().y &&
                !list->GetItem(i)->m_drawnInThumbList)
                return false;
        return true;
    };
    double stall = 0;
    PumpUntil(
        [&] {
            list->Update();
            return firstScreenDone();
        },
        stall);
    r.firstScreen = Ms(t0, Clock::now());
    PumpUntil([&] { return !list->IsBusy(); }, stall);
    r.pass = Ms(t0, Clock::now());
    r.stall = stall;
    return r;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    std::string folder = "/tmp/vt-browser-bench";
    int count = 1000, w = 2048, h = 1536, runs = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--folder")
            folder = argv[i + 1];
        else if (a == "--count")
            count = std::atoi(argv[i + 1]);
        else if (a == "--width")
            w = std::atoi(argv[i + 1]);
        else if (a == "--height")
            h = std::atoi(argv[i + 1]);
        else if (a == "--runs")
            runs = std::atoi(argv[i + 1]);
    }
    MakeImages(folder, count, w, h);
    const std::string cache = folder + ".cache";
    SetThumbCacheFolder(cache);

    const std::unique_ptr<wxGUIEventLoop> loop = StartWxBench(argc, argv);
    if (!loop)
        return 2;
    CScriptedMessageSink sink(IDOK); // message 890: more than 256 files

    CImageDataMap map;
    BrowserContext ctx;
    ctx.imageMap = &map;
    auto* frame = new wxFrame(nullptr, wxID_ANY, "bench", wxDefaultPosition, wxSize(1280, 960));
    auto* list = new CThumbnailListCtrl(frame, 802);
    list->SetContext(&ctx);
    frame->Show();
    double ignored = 0;
    PumpUntil([&] { return frame->IsShownOnScreen(); }, ignored);

    std::vector<double> cold[4], warm[4];
    for (int run = 0; run < runs; ++run) {
        std::filesystem::remove_all(cache);
        std::filesystem::create_directories(cache);
        for (int pass = 0; pass < 2; ++pass) {
            ::SendMessage(list->GetSafeHwnd(), WM_LIST_FILL, WPARAM("/nonexistent-folder"), 0); // records go
            const PassTimes t = RunPass(list, folder);
            auto& into = pass == 0 ? cold : warm;
            into[0].push_back(t.captions);
            into[1].push_back(t.firstScreen);
            into[2].push_back(t.pass);
            into[3].push_back(t.stall);
        }
    }
    struct rusage ru {};
    ::getrusage(RUSAGE_SELF, &ru);
    double load[3] = {0, 0, 0};
    ::getloadavg(load, 3);
    std::printf("files %d of %dx%d, listed %d, runs %d\n", count, w, h, list->GetItemCount(), runs);
    std::printf("empty cache: captions %.0f ms, first screen %.0f ms, pass %.0f ms, longest stall %.1f ms\n",
                Median(cold[0]), Median(cold[1]), Median(cold[2]), Median(cold[3]));
    std::printf("warm cache:  captions %.0f ms, first screen %.0f ms, pass %.0f ms, longest stall %.1f ms\n",
                Median(warm[0]), Median(warm[1]), Median(warm[2]), Median(warm[3]));
    std::printf("peak memory %ld MB, cache %.1f MB, load average %.2f %.2f %.2f\n", ru.ru_maxrss / 1024,
                FolderBytes(cache) / 1048576.0, load[0], load[1], load[2]);
    frame->Destroy();
    wxTheApp->ProcessPendingEvents();
    wxEventLoopBase::SetActive(nullptr);
    wxEntryCleanup();
    return 0;
}
