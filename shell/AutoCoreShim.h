// TEMPORARY: stands in for the wx-free capture core until it is merged.
#pragma once

#include "platform/WinTypes.h"

#include <cmath>
#include <string>
#include <vector>

struct DiagramTriangle {
    POINT pts[3];
};
struct DiagramLayout {
    RECT bar{}, topTick{}, bottomTick{}, zeroLine{};
    bool hasZeroLine = false;
    std::vector<DiagramTriangle> captures;
    DiagramTriangle current{};
};

inline DiagramLayout LayoutDiagram(int L, int T, int /*R*/, int B, double cur, const std::vector<double>& positions) {
    DiagramLayout g;
    const int barTop = T + 5, barBottom = B - 5, H = barBottom - barTop;
    g.bar = RECT{L + 15, barTop, L + 20, barBottom};
    g.topTick = RECT{L, barTop, L + 35, barTop + 1};
    g.bottomTick = RECT{L, barBottom - 1, L + 35, barBottom};
    double mn = 2147483647.0, mx = -2147483648.0;
    for (double v : positions) {
        mn = std::min(mn, v);
        mx = std::max(mx, v);
    }
    if (mn > cur)
        mn = cur;
    else if (cur > mx)
        mx = cur;
    const double span = std::fabs(mx - mn);
    auto yOf = [&](double v) {
        int y = span > 0 ? static_cast<int>(barTop + H * (mn - v + span) / span) : barTop + H / 2;
        return std::min(y, barBottom - 1);
    };
    if (span > 0) {
        const int y0 = static_cast<int>(mx / span * H + barTop);
        if (0 < y0 && y0 + 1 < barBottom) {
            g.hasZeroLine = true;
            g.zeroLine = RECT{L + 2, y0, L + 20, y0 + 1};
        }
    }
    for (double v : positions) {
        const int y = yOf(v);
        g.captures.push_back(DiagramTriangle{{{L + 20, y}, {L + 33, y - 5}, {L + 33, y + 5}}});
    }
    const int yc = yOf(cur);
    g.current = DiagramTriangle{{{L + 14, yc}, {L + 5, yc - 5}, {L + 5, yc + 5}}};
    return g;
}

// Equal-interval range: count (-1 for interval 0) and positions.
inline int ComputeRange(double start, double end, double interval, std::vector<double>& out) {
    out.clear();
    if (interval == 0)
        return -1;
    const double span = std::fabs(start - end);
    const double step = std::fabs(interval);
    int count = static_cast<int>(std::floor(span / step + 1e-9)) + 1;
    if (std::fabs(step * (count - 1) - span) > 1e-9 * std::max(1.0, span))
        ++count;
    if (count > 100000)
        return count;
    const double dir = end >= start ? 1.0 : -1.0;
    for (int i = 0; i < count; ++i) {
        double v = start + dir * step * i;
        if ((dir > 0 && v > end) || (dir < 0 && v < end) || i == count - 1)
            v = end;
        out.push_back(std::trunc(v * 1000 + (v >= 0 ? 1e-6 : -1e-6)) / 1000);
    }
    return count;
}

// Move target in pulses; false when micrometres per pulse is not positive.
inline bool ZMoveTarget(double z, int sign, double umPerPulse, int origin, int* target) {
    if (!(umPerPulse > 0))
        return false;
    *target = static_cast<int>(std::trunc(sign * z / umPerPulse + origin));
    return true;
}

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

struct CapturePositions {
    double start = 0, end = 0, interval = 0;
    int count = 0;
    std::vector<double> positions;
};
inline bool WriteCapturePositionFile(const std::string& path, const CapturePositions& d) {
    std::string bytes(32 + 8 * d.positions.size(), '\0');
    std::memcpy(&bytes[0], &d.start, 8);
    std::memcpy(&bytes[8], &d.end, 8);
    std::memcpy(&bytes[16], &d.interval, 8);
    std::memcpy(&bytes[24], &d.count, 4);
    int n = static_cast<int>(d.positions.size());
    std::memcpy(&bytes[28], &n, 4);
    if (n)
        std::memcpy(&bytes[32], d.positions.data(), 8 * d.positions.size());
    const std::string tmp = path + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    return ok && std::rename(tmp.c_str(), path.c_str()) == 0;
}
inline bool ReadCapturePositionFile(const std::string& path, CapturePositions& d) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::string bytes;
    char buf[4096];
    size_t r;
    while ((r = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes.append(buf, r);
    std::fclose(f);
    if (bytes.size() < 32)
        return false;
    CapturePositions out;
    std::memcpy(&out.start, &bytes[0], 8);
    std::memcpy(&out.end, &bytes[8], 8);
    std::memcpy(&out.interval, &bytes[16], 8);
    std::memcpy(&out.count, &bytes[24], 4);
    int n = 0;
    std::memcpy(&n, &bytes[28], 4);
    if (n < 0 || bytes.size() != 32 + 8 * static_cast<size_t>(n))
        return false;
    out.positions.resize(n);
    if (n)
        std::memcpy(out.positions.data(), &bytes[32], 8 * static_cast<size_t>(n));
    d = out;
    return true;
}
inline bool CanWriteCapturePath(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(path.c_str());
    return true;
}
