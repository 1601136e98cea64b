#include "devices/serial/AbortKeys.h"

#include <mutex>
#include <utility>

namespace {
std::mutex g_mutex;
AbortKeySource& Source() {
    static AbortKeySource source;
    return source;
}
} // namespace

AbortKeySource SetAbortKeySource(AbortKeySource source) {
    std::lock_guard<std::mutex> lock(g_mutex);
    return std::exchange(Source(), std::move(source));
}

SHORT ReadAbortKeyState(int virtualKey) {
    AbortKeySource source;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        source = Source();
    }
    return source ? source(virtualKey) : 0;
}
