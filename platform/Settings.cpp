#include "platform/Settings.h"

#include "platform/Profile.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <mutex>
#include <vector>

namespace {

std::mutex g_pathLock;
std::string g_settingsFile = "Vantorel.ini";

// Where the number of `text` starts: after leading blanks and one sign, which sets `negative`.
size_t SkipBlanksAndSign(std::string_view text, bool& negative) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    return i;
}

// The leading real number of `text` after blanks, as atof reads it, in the C locale whatever
// the program's locale is.
double ParseLeadingDouble(std::string_view text) {
    bool negative = false;
    size_t i = SkipBlanksAndSign(text, negative);
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        return 0.0; // a second sign is no number
    double v = 0.0;
    auto r = std::from_chars(text.data() + i, text.data() + text.size(), v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: what atof gives, infinity or zero.
        std::string_view digits = text.substr(i, static_cast<size_t>(r.ptr - (text.data() + i)));
        size_t e = digits.find_first_of("eE");
        bool tiny = e != std::string_view::npos && e + 1 < digits.size() && digits[e + 1] == '-';
        v = tiny ? 0.0 : HUGE_VAL;
    } else if (r.ec != std::errc()) {
        v = 0.0;
    }
    return negative ? -v : v;
}

} // namespace

int ParseLeadingInt(std::string_view text) {
    bool negative = false;
    size_t i = SkipBlanksAndSign(text, negative);
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        v = std::min<long long>(v * 10 + (text[i] - '0'), static_cast<long long>(INT_MAX) + 1);
    if (negative)
        v = -v;
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

void SetSettingsFilePath(const std::string& path) {
    std::lock_guard<std::mutex> guard(g_pathLock);
    g_settingsFile = path;
}

std::string GetSettingsFilePath() {
    std::lock_guard<std::mutex> guard(g_pathLock);
    return g_settingsFile;
}

BOOL WriteIniInt(LPCSTR section, LPCSTR key, int value) {
    return WriteIniString(section, key, std::to_string(value).c_str());
}

BOOL WriteIniDouble(LPCSTR section, LPCSTR key, double value) {
    return WriteIniString(section, key, FormatDoubleText(value).c_str());
}

BOOL WriteIniString(LPCSTR section, LPCSTR key, LPCSTR text) {
    return WritePrivateProfileString(section, key, text, GetSettingsFilePath().c_str());
}

DWORD ReadIniString(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR buffer, DWORD size) {
    return GetPrivateProfileString(section, key, def, buffer, size, GetSettingsFilePath().c_str());
}

std::string ReadIniString(LPCSTR section, LPCSTR key, LPCSTR def) {
    std::vector<char> buffer(4096);
    DWORD n = ReadIniString(section, key, def, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::string(buffer.data(), n);
}

int ReadIniInt(LPCSTR section, LPCSTR key, int def) {
    char text[50];
    ReadIniString(section, key, std::to_string(def).c_str(), text, sizeof text);
    return text[0] ? ParseLeadingInt(text) : 0;
}

double ReadIniDouble(LPCSTR section, LPCSTR key, double def) {
    char text[50];
    ReadIniString(section, key, FormatDoubleText(def).c_str(), text, sizeof text);
    return text[0] ? ParseLeadingDouble(text) : 0.0;
}

std::string FormatDoubleText(double value) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    char buf[64];
    if (std::fabs(value) >= 1e15) {
        // Fixed-point would print hundreds of digits that carry nothing.
        auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 14);
        return std::string(buf, r.ptr);
    }
    // The integer part and the decimals share 14 characters (a minus sign counts).
    char whole[32];
    auto w = std::to_chars(whole, whole + sizeof whole, static_cast<long long>(value));
    long n = w.ptr - whole;
    int decimals = n < 15 ? static_cast<int>(14 - n) : 0;
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    std::string text(buf, r.ptr);
    if (text.find('.') != std::string::npos) {
        while (text.size() > 1 && text.back() == '0')
            text.pop_back();
        if (text.size() > 1 && text.back() == '.')
            text.pop_back();
    }
    return text;
}
