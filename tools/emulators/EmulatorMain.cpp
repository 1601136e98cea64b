// A controller emulator on a pseudo terminal, for trying the program without the hardware:
//   vt-emu-<protocol> [--link PATH] [--speed-scale X] [--um-per-pulse X] [--position-file PATH]
//                     [--mode silent|garbage|toolong|neverstop] [--reply-delay-ms N]
//                     [--late-share X --late-ms MIN-MAX [--seed N]]
// Prints the terminal's path (and makes PATH a symbolic link to it), then serves until SIGINT or
// SIGTERM, which always end it (within three seconds whatever the client does). Point the
// program's port at it with VANTOREL_COM<n>=<path>.
#include "tools/emulators/Emulators.h"

#include <csignal>
#include <signal.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#ifndef VT_EMULATOR_PROTOCOL
#define VT_EMULATOR_PROTOCOL "mmc2"
#endif

namespace {
constexpr unsigned kShutdownLimitSeconds = 3;
volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }
} // namespace

int main(int argc, char** argv) {
    EmulatorOptions options;
    std::string link;
    FailureMode mode = FailureMode::None;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s needs a value\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--link") {
            link = value();
        } else if (a == "--speed-scale") {
            options.speedScale = std::atof(value().c_str());
        } else if (a == "--um-per-pulse") {
            options.umPerPulse = std::atof(value().c_str());
        } else if (a == "--position-file") {
            options.positionFile = value();
        } else if (a == "--reply-delay-ms") {
            options.replyDelayMs = static_cast<unsigned>(std::strtoul(value().c_str(), nullptr, 10));
        } else if (a == "--late-share") {
            options.lateShare = std::atof(value().c_str());
        } else if (a == "--late-ms") {
            std::string range = value();
            char* end = nullptr;
            options.lateMinMs = static_cast<unsigned>(std::strtoul(range.c_str(), &end, 10));
            options.lateMaxMs =
                *end == '-' ? static_cast<unsigned>(std::strtoul(end + 1, nullptr, 10)) : options.lateMinMs;
            if (options.lateMaxMs < options.lateMinMs)
                options.lateMaxMs = options.lateMinMs;
        } else if (a == "--seed") {
            options.seed = static_cast<unsigned>(std::strtoul(value().c_str(), nullptr, 10));
        } else if (a == "--mode") {
            std::string m = value();
            if (m == "silent")
                mode = FailureMode::Silent;
            else if (m == "garbage")
                mode = FailureMode::Garbage;
            else if (m == "toolong")
                mode = FailureMode::TooLong;
            else if (m == "neverstop")
                mode = FailureMode::NeverStop;
            else {
                std::fprintf(stderr, "unknown mode %s\n", m.c_str());
                return 2;
            }
        } else {
            std::fprintf(stderr,
                         "usage: %s [--link PATH] [--speed-scale X] [--um-per-pulse X] "
                         "[--position-file PATH] [--mode silent|garbage|toolong|neverstop] "
                         "[--reply-delay-ms N] [--late-share X --late-ms MIN-MAX [--seed N]]\n",
                         argv[0]);
            return 2;
        }
    }
    auto emulator = MakeEmulator(VT_EMULATOR_PROTOCOL, options);
    if (!emulator || !emulator->Start()) {
        std::fprintf(stderr, "no pseudo terminal\n");
        return 1;
    }
    emulator->SetFailureMode(mode);
    if (!link.empty()) {
        ::unlink(link.c_str());
        if (::symlink(emulator->SlavePath().c_str(), link.c_str()) != 0) {
            std::perror("symlink");
            return 1;
        }
    }
    std::printf("%s\n", emulator->SlavePath().c_str());
    std::fflush(stdout);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    while (!g_stop)
        ::usleep(20000);
    if (!link.empty())
        ::unlink(link.c_str());
    // The serving thread ends within one reply's time; should it not, the alarm's default action
    // ends the process all the same.
    ::alarm(kShutdownLimitSeconds);
    emulator->Shutdown();
    return 0;
}
