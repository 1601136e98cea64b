#include "platform/ProgramHelpers.h"

#include "platform/MessageSink.h"
#include "platform/Settings.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <thread>

namespace {

// "%1\n\nファイルが既に存在します。　上書きしますか？"
constexpr UINT kOverwriteQuestion = 894;

std::atomic<PumpOneMessageHook> g_pumpHook{nullptr};
std::atomic<std::thread::id> g_uiThread{};
std::atomic<SetButtonIconHook> g_buttonIconHook{nullptr};

// Set after the user agreed to overwrite an existing numbered file; cleared when a free name is
// found or the user declines.
std::atomic<int> g_overwriteAgreed{0};

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
