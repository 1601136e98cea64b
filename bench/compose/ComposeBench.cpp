// compose: composes a focus series of image files the way the composition worker does (read
// each file with the worker's reader, add it to a CFocusComp, then the height map and the cut)
// and prints the speed.
//
//   compose [--size P] [--type 0|1|2] [--align 0|1] [--coarse W] [--z FILE] [--threads N]
//           [--decoders D] [--out DIR] FILE...
//
// One line per run: megapixels per second of the whole job (file decoding included) and of the
// composition alone, the peak resident memory and the decoding time summed over the files.
// While one image is composed the next files are decoded on other threads, D at a time
// (--decoders D; default 2 from 6 threads on, else 1); --threads N counts them all (N - D
// compose). --z names a text file
// with one Z value per line (default 0, 1, 2, ...); --out DIR writes DIR/composite.bmp (.tif for
// 16 and 48 bits) and DIR/height.f64
// (little-endian doubles, row-major, top row first) and prints the output size.
#include "imaging/FocusComp.h"
#include "imaging/FocusCompWorker.h"
#include "imaging/ImageFile.h"
#include "imaging/PlaneKernels.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <future>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int Usage() {
    std::fprintf(
        stderr,
        "usage: compose [--size P] [--type 0|1|2] [--align 0|1] [--coarse W] [--z FILE] [--threads N]\n"
        "               [--decoders D] [--out DIR] FILE...\n");
    return 2;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double PeakResidentMB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0; // kilobytes on Linux
}

bool ReadZ(const std::string& path, std::vector<double>& z) {
    std::ifstream in(path);
    if (!in)
        return false;
    double v;
    while (in >> v)
        z.push_back(v);
    return true;
}

struct Loaded {
    HDIB dib = nullptr;
    double seconds = 0.0;
};

Loaded Load(const std::string& path) {
    const auto t0 = Clock::now();
    Loaded l;
    int type = -1;
    if (ReadSeriesImageFile(path, &l.dib, &type) != ImageFileRead::Read)
        l.dib = nullptr;
    l.seconds = Seconds(Clock::now() - t0);
    return l;
}

bool WriteHeights(const std::string& path, double** rows, int w, int h) {
    const std::string tmp = path + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        return false;
    std::vector<unsigned char> row(static_cast<size_t>(w) * 8);
    bool ok = true;
    for (int y = 0; y < h && ok; ++y) {
        for (int x = 0; x < w; ++x)
            le::putDouble(&row[static_cast<size_t>(x) * 8], rows[y][x]);
        ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
    }
    if (std::fclose(f) != 0)
        ok = false;
    if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // Threads that wait for the next parallel step sleep instead of spinning: the decoder and
    // whatever else runs on the machine need those cores. The OpenMP runtime reads the policy
    // when it is loaded, so the program starts itself once more with it set.
    if (!std::getenv("OMP_WAIT_POLICY")) {
        setenv("OMP_WAIT_POLICY", "PASSIVE", 1);
        execv("/proc/self/exe", argv);
    }
    int sizeParam = 8, type = 0, align = 0, coarse = 0, threads = 0, decoders = 0;
    std::string zFile, outDir;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--size" && more)
            sizeParam = std::atoi(argv[++i]);
        else if (a == "--type" && more)
            type = std::atoi(argv[++i]);
        else if (a == "--align" && more)
            align = std::atoi(argv[++i]);
        else if (a == "--coarse" && more)
            coarse = std::atoi(argv[++i]);
        else if (a == "--z" && more)
            zFile = argv[++i];
        else if (a == "--threads" && more)
            threads = std::atoi(argv[++i]);
        else if (a == "--decoders" && more)
            decoders = std::atoi(argv[++i]);
        else if (a == "--out" && more)
            outDir = argv[++i];
        else if (!a.empty() && a[0] == '-')
            return Usage();
        else
            files.push_back(a);
    }
    if (files.empty() || type < 0 || type > 2 || sizeParam < 0 || coarse < 0)
        return Usage();
    std::vector<double> z;
    if (!zFile.empty()) {
        if (!ReadZ(zFile, z) || z.size() < files.size()) {
            std::fprintf(stderr, "compose: %s holds fewer Z values than there are files\n", zFile.c_str());
            return 1;
        }
    } else {
        for (size_t k = 0; k < files.size(); ++k)
            z.push_back(static_cast<double>(k));
    }
    // N threads in all: the decoders of the next files take `decoders` of them, the composition
    // the others. Decoding one file takes about as long as composing it with seven threads, so
    // from six threads on two files are decoded side by side unless --decoders says otherwise.
    const int available = threads > 0 ? threads : static_cast<int>(std::thread::hardware_concurrency());
    if (decoders < 1)
        decoders = available >= 6 && files.size() > 2 ? 2 : 1;
    decoders = std::clamp(decoders, 1, std::max(available - 1, 1));
    const int composeThreads =
        files.size() > 1 && available > 1 ? available - decoders : std::max(available, 1);
    planes::SetThreadCount(composeThreads);

    const auto start = Clock::now();
    Clock::duration composing{};
    // Files decoded ahead, in order: up to `decoders` of them at a time, the first ones started
    // together so that the first image does not wait alone.
    std::deque<std::future<Loaded>> ahead;
    size_t launched = 0;
    auto launch = [&] {
        while (ahead.size() < static_cast<size_t>(decoders) && launched < files.size())
            ahead.push_back(std::async(std::launch::async, Load, files[launched++]));
    };
    auto takeNext = [&] {
        Loaded l = ahead.front().get();
        ahead.pop_front();
        return l;
    };
    // A failed run frees what is still being decoded.
    auto drain = [&] {
        while (!ahead.empty())
            if (HDIB d = takeNext().dib)
                GlobalFree(d);
    };
    launch();
    Loaded current = takeNext();
    double decoding = current.seconds;
    if (!current.dib) {
        std::fprintf(stderr, "compose: cannot read %s\n", files[0].c_str());
        drain();
        return 1;
    }
    int width = 0, height = 0;
    {
        GlobalLockGuard g(current.dib);
        width = DibGetWidth(g.get());
        height = DibGetHeight(g.get());
    }
    CFocusComp fc;
    static const POINT points[4] = {{50, 25}, {75, 50}, {50, 75}, {25, 50}};
    fc.Setup(3, sizeParam, type, 0, 0, width, height, align, 2, points, coarse > 0, coarse);
    if (!fc.AllocMaps()) {
        std::fprintf(stderr, "compose: not enough memory for the maps\n");
        drain();
        return 1;
    }
    fc.ClearMaxMap();
    fc.ClearIndexMap();
    fc.ClearWeightMap();
    for (size_t k = 0; k < files.size(); ++k) {
        launch();
        const auto t0 = Clock::now();
        const int added = fc.AddImage(current.dib);
        composing += Clock::now() - t0;
        GlobalFree(current.dib);
        current = k + 1 < files.size() ? takeNext() : Loaded{};
        decoding += current.seconds;
        if (!added) {
            std::fprintf(stderr, "compose: %s was not added (%s)\n", files[k].c_str(),
                         fc.LastError() == FocusCompError::NoMemory ? "no memory" : "another size or depth");
            if (current.dib)
                GlobalFree(current.dib);
            drain();
            return 1;
        }
        if (k + 1 < files.size() && !current.dib) {
            std::fprintf(stderr, "compose: cannot read %s\n", files[k + 1].c_str());
            drain();
            return 1;
        }
    }
    const auto t0 = Clock::now();
    fc.SetZValues(z.data(), static_cast<int>(z.size()));
    if (!fc.BuildHeightMap() || !fc.Compose()) {
        std::fprintf(stderr, "compose: the height map or the cut failed\n");
        return 1;
    }
    composing += Clock::now() - t0;
    const double whole = Seconds(Clock::now() - start);
    const double mp = static_cast<double>(width) * height * files.size() / 1e6;
    std::printf("frames %zu  %dx%d  threads %d (%d composing)  whole %.1f MP/s  composition %.1f MP/s  peak "
                "%.0f MB  decoding %.0f ms\n",
                files.size(), width, height, available, composeThreads, mp / whole, mp / Seconds(composing),
                PeakResidentMB(), decoding * 1e3);

    if (!outDir.empty()) {
        HDIB comp = fc.GetComposite();
        int bits = 0;
        {
            GlobalLockGuard g(comp);
            bits = DibGetBitCount(g.get());
        }
        const int imageType = bits == 8 ? 0 : bits == 24 ? 3 : bits == 16 ? 6 : 9;
        // Deep composites have no BMP form.
        const char* name = bits == 16 || bits == 48 ? "/composite.tif" : "/composite.bmp";
        if (!SaveImageFile(comp, outDir + name, imageType, 90) ||
            !WriteHeights(outDir + "/height.f64", fc.GetHeightRows(), fc.OutputWidth(), fc.OutputHeight())) {
            std::fprintf(stderr, "compose: cannot write into %s\n", outDir.c_str());
            return 1;
        }
        std::printf("output %d %d\n", fc.OutputWidth(), fc.OutputHeight());
    }
    fc.FreeAll();
    fc.FreeWorkMaps(1);
    return 0;
}
