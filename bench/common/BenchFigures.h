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

// The 1, 5 and 15 minute load averages as "a b c".
inline std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    double a = 0, b = 0, c = 0;
    in >> a >> b >> c;
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %.2f %.2f", a, b, c);
    return text;
}
