// Figures the benchmarks print beside their timings: the process's peak memory and the machine's
// load, so that a median taken on a busy machine says so.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/resource.h>

// The largest resident size the process has had, in MB.
inline double PeakResidentMB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0; // kilobytes on Linux
}

// Time of all processors so far, and the part of it that a hypervisor gave to other machines
// (in clock ticks): the difference over a run says how much of the machine the run really had.
struct ProcessorTimes {
    unsigned long long total = 0, stolen = 0;
};
inline ProcessorTimes ReadProcessorTimes() {
    std::ifstream in("/proc/stat");
    std::string cpu;
    ProcessorTimes t;
    in >> cpu;
    // user nice system idle iowait irq softirq steal (guest time is counted in user already)
    for (int field = 0; field < 8 && in; ++field) {
        unsigned long long v = 0;
        if (!(in >> v))
            break;
        t.total += v;
        if (field == 7)
            t.stolen = v;
    }
    return t;
}
// Per cent of the processors' time taken by other machines between two readings.
inline double StolenPercent(const ProcessorTimes& a, const ProcessorTimes& b) {
    const unsigned long long total = b.total - a.total;
    return total ? 100.0 * static_cast<double>(b.stolen - a.stolen) / static_cast<double>(total) : 0.0;
}

// The 1, 5 and 15 minute load averages as "a b c".
inline std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    double a = 0, b = 0, c = 0;
    in >> a >> b >> c;
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %.2f %.2f", a, b, c);
    return text;
}
