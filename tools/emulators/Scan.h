// Whole-line matching of a command against a scanf pattern.
#pragma once

#include <cstdio>
#include <string>

// True when `line` matches `format` completely and every conversion was filled.
template <typename... Args>
bool ScanLine(const std::string& line, const char* format, Args*... args) {
    std::string f = std::string(format) + "%n";
    int consumed = -1;
    int filled = std::sscanf(line.c_str(), f.c_str(), args..., &consumed);
    return filled == static_cast<int>(sizeof...(Args)) && consumed == static_cast<int>(line.size());
}

inline std::string Format(const char* format, long a) {
    char b[128];
    std::snprintf(b, sizeof b, format, a);
    return b;
}

// Positions shown in a 9-character field stay within it.
inline long Fit9(long v) { return v > 99999999 ? 99999999 : (v < -9999999 ? -9999999 : v); }
