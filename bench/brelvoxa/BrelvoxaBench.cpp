// brelvoxa_bench [WIDTH HEIGHT]: times loading a data set up to a ready document (read, planes
// processed, scene values and height images made, the contour and slice pictures of a pane of
// the first size made) for the .tdv file, the .vv3 file and the
// hand-over record; each kind runs 5 times in a child process of its own so that its peak
// memory is its own. Prints the median time and the largest peak resident size per kind.
#include "SampleWriter.h"

#include "platform/File.h"
#include "viewer3d/core/data/View3dData.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// One load in this process; its seconds.
double loadOnce(const std::string& kind, const std::string& path, const std::vector<uint8_t>& record) {
    const auto start = std::chrono::steady_clock::now();
    v3d::View3dData doc;
    bool ok = false;
    if (kind == "record") {
        ok = doc.LoadVv3dRecord(record.data(), record.size()) && doc.ProcessPlanes(-1, -1);
    } else {
        CFile file(path, CFile::modeRead);
        int type = -1;
        const int format = kind == "tdv" ? 6 : 1;
        ok = doc.ReadFileOfFormat(&file, format, &type) && doc.ProcessPlanes(format, type);
    }
    // The pictures the contour and slice panes draw first, at their first size.
    const RECT pane{0, 0, 266, 213};
    ok = ok && doc.BuildContourImage(&pane) && doc.BuildBinaryImage(&pane);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return ok ? s : -1.0;
}

} // namespace

int main(int argc, char** argv) {
    const int w = argc > 2 ? std::atoi(argv[1]) : 2048, h = argc > 2 ? std::atoi(argv[2]) : 1536;
    const std::string dir = "/tmp/brelvoxa_bench_" + std::to_string(getpid());
    std::system(("mkdir -p " + dir).c_str());
    if (!brxsample::WriteBytes(dir + "/b.vv3", brxsample::Vv3File(w, h, 0.5)) ||
        !brxsample::WriteTdv(dir + "/b.tdv", w, h, 0.5)) {
        std::fprintf(stderr, "cannot write the data sets\n");
        return 1;
    }
    double load[3] = {};
    getloadavg(load, 3);
    std::printf("data set %d x %d, load average %.2f %.2f %.2f\n", w, h, load[0], load[1], load[2]);
    int status = 0;
    for (const std::string kind : {"tdv", "vv3", "record"}) {
        std::vector<double> times;
        long peakKb = 0;
        for (int run = 0; run < 5; ++run) {
            int pipefd[2];
            if (pipe(pipefd) != 0)
                return 1;
            const pid_t child = fork();
            if (child == 0) {
                close(pipefd[0]);
                const std::vector<uint8_t> record =
                    kind == "record" ? brxsample::Record(w, h, 0.5) : std::vector<uint8_t>();
                const double s = loadOnce(kind, dir + "/b." + kind, record);
                (void)!write(pipefd[1], &s, sizeof s);
                _exit(0);
            }
            close(pipefd[1]);
            double s = -1;
            (void)!read(pipefd[0], &s, sizeof s);
            close(pipefd[0]);
            int st = 0;
            struct rusage usage {};
            wait4(child, &st, 0, &usage);
            peakKb = std::max(peakKb, usage.ru_maxrss);
            if (s < 0)
                status = 1;
            times.push_back(s);
        }
        std::sort(times.begin(), times.end());
        std::printf("%-6s median %.3f s (min %.3f, max %.3f), peak %.1f MB\n", kind.c_str(), times[2],
                    times[0], times[4], peakKb / 1024.0);
    }
    std::system(("rm -rf " + dir).c_str());
    return status;
}
