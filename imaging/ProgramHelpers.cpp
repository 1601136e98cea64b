#include "imaging/ProgramHelpers.h"

#include "platform/MessageSink.h"
#include "platform/Profile.h"

#include <gio/gio.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

namespace {

// "%1\n\nファイルが既に存在します。　上書きしますか？"
constexpr UINT kOverwriteQuestion = 894;

// Longest name component and longest path the Linux file systems take.
constexpr size_t kMaxNameComponent = 255;
constexpr size_t kMaxPath = 4096;

std::mutex g_pathLock;
std::string g_settingsFile = "Vantorel.ini";
std::string g_thumbCacheFolder = "Cache";

// The two paths are set and read under g_pathLock.
void SetPath(std::string& target, const std::string& value) {
    std::lock_guard<std::mutex> guard(g_pathLock);
    target = value;
}

std::string GetPath(const std::string& source) {
    std::lock_guard<std::mutex> guard(g_pathLock);
    return source;
}

std::atomic<PumpOneMessageHook> g_pumpHook{nullptr};
std::atomic<std::thread::id> g_uiThread{};
std::atomic<SetButtonIconHook> g_buttonIconHook{nullptr};

// Set after the user agreed to overwrite an existing numbered file; cleared when a free name is
// found or the user declines.
std::atomic<int> g_overwriteAgreed{0};

// Where the number of `text` starts: after leading blanks and one sign, which sets `negative`.
size_t SkipBlanksAndSign(std::string_view text, bool& negative) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    return i;
}

// The leading decimal integer of `text` after blanks, as atoi reads it, but clamped to the
// range of int instead of overflowing.
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

// Position of the extension's '.' in the name part, or npos when the name has none.
size_t ExtensionDot(const std::string& name) {
    size_t dot = name.rfind('.');
    size_t slash = name.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && slash > dot))
        return std::string::npos;
    return dot;
}

// Start of the run of digits that ends at the extension's '.', not crossing the last '/'.
size_t DigitRunStart(const std::string& name, size_t dot) {
    size_t slash = name.rfind('/');
    size_t floor = slash == std::string::npos ? 0 : slash + 1;
    size_t start = dot;
    while (start > floor && name[start - 1] >= '0' && name[start - 1] <= '9')
        --start;
    return start;
}

std::string ThreeDigits(long long number) {
    char buf[32];
    int n = std::snprintf(buf, sizeof buf, "%03lld", number);
    return std::string(buf, static_cast<size_t>(n));
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
// The MIME database of GIO is loaded once and kept for the life of the process; the leak
// checker would report it at exit.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgio-2.0.so\n";
}
#endif

// ---- settings file --------------------------------------------------------------------------

void SetSettingsFilePath(const std::string& path) {
    SetPath(g_settingsFile, path);
}

std::string GetSettingsFilePath() {
    return GetPath(g_settingsFile);
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

// ---- message pump and button icons -----------------------------------------------------------

PumpOneMessageHook SetPumpOneMessageHook(PumpOneMessageHook hook) {
    g_uiThread.store(hook ? std::this_thread::get_id() : std::thread::id());
    return g_pumpHook.exchange(hook);
}

void PumpOneMessage(HWND hwnd) {
    PumpOneMessageHook hook = g_pumpHook.load();
    if (hook && std::this_thread::get_id() == g_uiThread.load())
        hook(hwnd);
}

SetButtonIconHook SetSetButtonIconHook(SetButtonIconHook hook) {
    return g_buttonIconHook.exchange(hook);
}

void* SetButtonIcon(HWND button, UINT iconId) {
    SetButtonIconHook hook = g_buttonIconHook.load();
    return hook ? hook(button, iconId) : nullptr;
}

// ---- file names -----------------------------------------------------------------------------

std::string GetFileNamePart(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string GetFileTypeName(const std::string& path) {
    std::string name;
    struct stat st {};
    gchar* type = nullptr;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        type = g_strdup("inode/directory");
    } else {
        gboolean uncertain = FALSE;
        type = g_content_type_guess(path.c_str(), nullptr, 0, &uncertain);
    }
    if (type && !g_content_type_is_unknown(type)) {
        if (gchar* description = g_content_type_get_description(type)) {
            name = description;
            g_free(description);
        }
    }
    g_free(type);
    if (!name.empty())
        return name;

    size_t dot = ExtensionDot(path);
    if (dot != std::string::npos) {
        for (size_t i = dot + 1; i < path.size(); ++i) {
            char c = path[i];
            name += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        }
        name += ' ';
    }
    return name + "File";
}

void SetThumbCacheFolder(const std::string& folder) {
    SetPath(g_thumbCacheFolder, folder);
}

std::string GetThumbCacheFolder() {
    return GetPath(g_thumbCacheFolder);
}

std::string MakeThumbCacheName(const std::string& imagePath) {
    std::string flat = imagePath;
    for (char& c : flat) {
        if (c == '/')
            c = '_';
        else if (c == ':')
            c = '~';
    }
    return GetThumbCacheFolder() + "/" + flat + ".tmp";
}

bool IsUsableThumbCacheName(const std::string& cacheName) {
    if (cacheName.empty() || cacheName.size() >= kMaxPath)
        return false;
    size_t start = 0;
    while (start <= cacheName.size()) {
        size_t slash = cacheName.find('/', start);
        size_t end = slash == std::string::npos ? cacheName.size() : slash;
        if (end - start > kMaxNameComponent)
            return false;
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return true;
}

// ---- system texts ---------------------------------------------------------------------------

char* FormatSystemMessage(DWORD code, char* buffer, DWORD size) {
    if (!buffer || size == 0)
        return nullptr;
    char text[512];
    const char* message = strerror_r(static_cast<int>(code), text, sizeof text);
    size_t n = message ? std::strlen(message) : 0;
    if (n < 1 || n >= size)
        return nullptr;
    std::memcpy(buffer, message, n + 1);
    return buffer;
}

// ---- numbered capture names -----------------------------------------------------------------

int GetFileNumber(const std::string& name, std::string& text) {
    size_t dot = ExtensionDot(name);
    if (dot == std::string::npos) {
        text = "000";
        return 0;
    }
    text = name.substr(DigitRunStart(name, dot), dot - DigitRunStart(name, dot));
    return ParseLeadingInt(text);
}

int MakeNumberedFileName(const std::string& name, std::string& out, int increment) {
    size_t dot = ExtensionDot(name);
    if (dot == std::string::npos) {
        out = name + "000";
        return 0;
    }
    size_t start = DigitRunStart(name, dot);
    long long number = ParseLeadingInt(std::string_view(name).substr(start, dot - start));
    number += increment;
    if (number >= 1000)
        number -= 1000;
    number = std::clamp<long long>(number, INT_MIN, INT_MAX);
    std::string result = name.substr(0, start) + ThreeDigits(number) + name.substr(dot);
    out = std::move(result);
    return static_cast<int>(number);
}

int CheckNumberedFileName(const char* name, std::string* out) {
    if (!name) {
        g_overwriteAgreed = 0;
        return 0;
    }
    std::string numbered;
    int number = MakeNumberedFileName(name, numbered, 0);
    if (out)
        *out = numbered;
    struct stat st {};
    if (stat(numbered.c_str(), &st) != 0) {
        g_overwriteAgreed = 0;
        return number;
    }
    if (g_overwriteAgreed)
        return number;
    g_overwriteAgreed = 1;
    if (ShowMessage(kOverwriteQuestion, MB_YESNO | MB_ICONEXCLAMATION, {numbered}) != IDYES) {
        g_overwriteAgreed = 0;
        return -1;
    }
    return number;
}

// ---- lens port ------------------------------------------------------------------------------

void DecodeLensZoomByte(BYTE lensByte, int& lensNumber, double& zoom) {
    static constexpr double kZoom[16] = {0.0, -1.0, 10.0, 9.0, 8.0, 7.0, 6.0, 5.0,
                                         4.0, 3.5,  1.0,  1.5, 2.0, 2.5, 3.0, -1.0};
    zoom = kZoom[lensByte & 0x0F];
    switch (lensByte >> 4) {
    case 1:
        lensNumber = 90;
        break;
    case 2:
        lensNumber = 30;
        break;
    case 4:
        lensNumber = 300;
        break;
    case 5:
        lensNumber = 420;
        break;
    default:
        lensNumber = -1;
        break;
    }
}

// ---- program-wide critical section ----------------------------------------------------------

CCriticalSection& GetProgramCriticalSection() {
    static CCriticalSection lock;
    return lock;
}
