// Every driver against an emulated controller whose replies come late: eight moves with their
// waits and reads, for replies all late by 6.5, 9 and 15 s and for 35 % of them late by 3.5 to
// 9 s (in order). Prints per driver: the false successes (a wait or read reported good that the
// emulator contradicts), the moves that fully succeeded, the time each failed call took (mean and
// longest) and the processor time of the driver's thread. Each driver runs in a process of its
// own, on COM1 pointed at its emulator; the drivers of one case run side by side.
//   late_reply_bench [case...]     (cases: 6500 9000 15000 share; default all)
#include "devices/serial/Pat001.h"
#include "devices/serial/XyTblCtrl.h"
#include "platform/Time.h"
#include "tools/emulators/Emulators.h"

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const char* const kProtocols[] = {"",   "mmc2", "msc2", "mfs", "szx",   "stm6",
                                  "qt", "qt",   "ct7",  "mii", "pat001"};
const char* const kNames[] = {"",       "MMC-2",  "MS-C2", "MFS", "SZX",    "STM6",
                              "QT-CD1", "QT-CM2", "CT-7",  "MII", "PAT-001"};

struct Result {
    int falseWaits = 0;
    int falseReads = 0;
    int moves = 0; // move, wait and read all succeeded
    int failures = 0;
    double failSeconds = 0;
    double longestFail = 0;
    double cpuSeconds = 0;
};

double ThreadCpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct Drive {
    std::function<BOOL(int*)> position;
    std::function<BOOL(int)> move;
    std::function<BOOL()> wait;
};

Drive Prepare(int type) {
    if (type == 10) {
        auto ctrl = std::make_shared<CPAT_001>();
        ctrl->Open(0, 12, 1, 0, 0, 0);
        ctrl->Close();
        ctrl->SetSpeed(500, 5000, 100);
        return {[ctrl](int* p) { return ctrl->GetPosition(p); }, [ctrl](int t) { return ctrl->MoveAbs(t); },
                [ctrl] { return ctrl->WaitStop(); }};
    }
    auto xy = std::make_shared<CXyTblCtrl>();
    xy->SetType(type);
    xy->Open(0, 12, 1, 0, 0, 0);
    xy->Close();
    if (type == 5)
        xy->SetSpeed(2, 0, 5, 100);
    else if (type == 4)
        xy->SetSZXSpeedMode(1);
    else if (type != 3)
        xy->SetSpeed(2, 1000, 5000, 100);
    return {[xy](int* p) {
                int unused = 0;
                return xy->GetPosition(&unused, p);
            },
            [xy](int t) { return xy->MoveAbs(2, 0, t); }, [xy] { return xy->WaitStop(); }};
}

// One driver through the eight moves of one case, in this process.
Result Run(int type, const std::string& which) {
    EmulatorOptions o;
    o.speedScale = 0.2;
    auto emu = MakeEmulator(kProtocols[type], o);
    emu->Start();
    setenv("VANTOREL_COM1", emu->SlavePath().c_str(), 1);
    Drive drive = Prepare(type);
    if (which == "share")
        emu->SetLateReplies(0.35, 3500, 9000, 11);
    else
        emu->SetReplyDelay(static_cast<unsigned>(std::atoi(which.c_str())));
    Result r;
    const double cpu = ThreadCpu();
    auto timed = [&](const std::function<BOOL()>& call) {
        const auto start = Clock::now();
        BOOL ok = call();
        if (!ok) {
            double s = std::chrono::duration<double>(Clock::now() - start).count();
            ++r.failures;
            r.failSeconds += s;
            r.longestFail = s > r.longestFail ? s : r.longestFail;
        }
        return ok;
    };
    for (int i = 0; i < 8; ++i) {
        const int target = (i % 2 ? -1 : 1) * (200 + 150 * i);
        BOOL moved = timed([&] { return drive.move(target); });
        BOOL ended = timed([&] { return drive.wait(); });
        const long atEnd = emu->ProgramPosition();
        if (ended && std::labs(atEnd - target) > (type == 5 ? 1 : 0))
            ++r.falseWaits;
        const auto limit = Clock::now() + std::chrono::seconds(20);
        while (emu->AxisMoving() && Clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        int pos = 0;
        BOOL read = timed([&] { return drive.position(&pos); });
        if (read && pos != emu->ProgramPosition())
            ++r.falseReads;
        if (moved && ended && read && atEnd == emu->ProgramPosition())
            ++r.moves;
    }
    r.cpuSeconds = ThreadCpu() - cpu;
    return r;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> cases;
    for (int i = 1; i < argc; ++i)
        cases.push_back(argv[i]);
    if (cases.empty())
        cases = {"6500", "9000", "15000", "share"};
    std::printf("%-8s %-8s %11s %10s %8s %9s %10s %10s %8s\n", "case", "driver", "false waits", "false reads",
                "moves/8", "failures", "mean fail", "max fail", "cpu s");
    for (const auto& which : cases) {
        struct Child {
            int type;
            pid_t pid;
            int fd;
        };
        std::vector<Child> children;
        for (int type = 1; type <= 10; ++type) {
            int fds[2];
            if (pipe(fds) != 0)
                return 1;
            pid_t pid = fork();
            if (pid == 0) {
                close(fds[0]);
                Result r = Run(type, which);
                if (write(fds[1], &r, sizeof r) != static_cast<ssize_t>(sizeof r))
                    _exit(1);
                _exit(0);
            }
            close(fds[1]);
            children.push_back({type, pid, fds[0]});
        }
        for (const auto& c : children) {
            Result r;
            bool got = read(c.fd, &r, sizeof r) == static_cast<ssize_t>(sizeof r);
            close(c.fd);
            waitpid(c.pid, nullptr, 0);
            const char* label = which == "share" ? "35%" : which.c_str();
            if (!got) {
                std::printf("%-8s %-8s (no result)\n", label, kNames[c.type]);
                continue;
            }
            std::printf("%-8s %-8s %11d %10d %8d %9d %9.2fs %9.2fs %8.3f\n", label, kNames[c.type],
                        r.falseWaits, r.falseReads, r.moves, r.failures,
                        r.failures ? r.failSeconds / r.failures : 0.0, r.longestFail, r.cpuSeconds);
            std::fflush(stdout);
        }
    }
    return 0;
}
