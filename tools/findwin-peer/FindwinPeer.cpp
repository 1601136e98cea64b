// findwin-peer: the other end of the findable-window hand-over, for tests and the demonstration.
//
// Receiving (a stand-in for the program that takes the records):
//   findwin-peer --out DIR [--class NAME] [--title TEXT] [--result N] [--exit-after N] [--stall]
// registers a findable window and writes every record it receives to DIR/record-<n>.bin (the
// bytes) and DIR/record-<n>.tag (the four tag bytes), n counting from 1, each file complete when it
// appears. DIR/ready appears (holding the window's socket path) once the window can be found. The
// sender gets N as the result (default 1). --exit-after ends the program after N records;
// --stall stops the whole process right after DIR/ready is written, so it never reads a record.
// SIGTERM or SIGINT end it cleanly (the window is unregistered).
//
// Sending:
//   findwin-peer --send [--class NAME] [--title TEXT] --tag TAG --data FILE [--timeout MS]
// finds the window (class, exact title or both) and sends the file's bytes with TAG (up to four
// characters, padded with zero bytes) as the record's tag; prints the receiver's result.
// Exit codes: 0 sent, 1 send failed, 2 usage, 3 no such window.
// Both ends keep to the display that $DISPLAY names: a window registered on one display is not
// found from another.
#include "platform/FindableWindow.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: findwin-peer --out DIR [--class NAME] [--title TEXT] [--result N]\n"
                         "                    [--exit-after N] [--stall]\n"
                         "       findwin-peer --send [--class NAME] [--title TEXT] --tag TAG --data FILE"
                         " [--timeout MS]\n");
    return 2;
}

bool WriteFile(const std::string& path, const void* data, size_t size) {
    const std::string tmp = path + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    if (std::fclose(f) != 0 || !ok) {
        std::remove(tmp.c_str());
        return false;
    }
    return std::rename(tmp.c_str(), path.c_str()) == 0;
}

bool ReadFile(const std::string& path, std::vector<unsigned char>& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    long long size = ok ? std::ftell(f) : -1;
    ok = ok && size >= 0 && static_cast<unsigned long long>(size) <= kMaxCopyDataBytes &&
         std::fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        out.resize(static_cast<size_t>(size));
        ok = out.empty() || std::fread(out.data(), 1, out.size(), f) == out.size();
    }
    std::fclose(f);
    return ok;
}

struct Options {
    std::string out, className, title, tag, data;
    bool hasClass = false, hasTitle = false, send = false, stall = false;
    long long result = 1, exitAfter = 0, timeoutMs = 5000;
};

bool ParseNumber(const char* text, long long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, 10);
    return errno == 0 && end != text && *end == '\0';
}

bool Parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        bool hasValue = i + 1 < argc;
        if (a == "--send")
            o.send = true;
        else if (a == "--stall")
            o.stall = true;
        else if (!hasValue)
            return false;
        else if (a == "--out")
            o.out = argv[++i];
        else if (a == "--class")
            o.className = argv[++i], o.hasClass = true;
        else if (a == "--title")
            o.title = argv[++i], o.hasTitle = true;
        else if (a == "--tag")
            o.tag = argv[++i];
        else if (a == "--data")
            o.data = argv[++i];
        else if (a == "--result") {
            if (!ParseNumber(argv[++i], o.result))
                return false;
        } else if (a == "--exit-after") {
            if (!ParseNumber(argv[++i], o.exitAfter) || o.exitAfter < 0)
                return false;
        } else if (a == "--timeout") {
            if (!ParseNumber(argv[++i], o.timeoutMs) || o.timeoutMs < 0 || o.timeoutMs > 0xFFFFFFFFll)
                return false;
        } else
            return false;
    }
    if (o.send)
        return (o.hasClass || o.hasTitle) && !o.data.empty() && o.tag.size() <= 4;
    return !o.out.empty();
}

int Send(const Options& o) {
    std::vector<unsigned char> bytes;
    if (!ReadFile(o.data, bytes)) {
        std::fprintf(stderr, "findwin-peer: cannot read %s\n", o.data.c_str());
        return 1;
    }
    TopWindowInfo target;
    if (!FindTopWindow(o.hasClass ? o.className.c_str() : nullptr, o.hasTitle ? o.title.c_str() : nullptr,
                       &target)) {
        std::fprintf(stderr, "findwin-peer: no such window\n");
        return 3;
    }
    COPYDATASTRUCT record;
    for (size_t i = 0; i < o.tag.size(); ++i)
        record.dwData |= static_cast<DWORD>(static_cast<unsigned char>(o.tag[i])) << (8 * i);
    record.cbData = static_cast<DWORD>(bytes.size());
    record.lpData = bytes.data();
    LRESULT result = 0;
    if (!SendCopyData(target, record, static_cast<DWORD>(o.timeoutMs), &result)) {
        std::fprintf(stderr, "findwin-peer: %s\n", GetFindableWindowError().c_str());
        return 1;
    }
    std::printf("%lld\n", static_cast<long long>(result));
    return 0;
}

int Receive(const Options& o) {
    // The main thread waits for these; the listener thread never sees them.
    sigset_t wanted;
    sigemptyset(&wanted);
    sigaddset(&wanted, SIGTERM);
    sigaddset(&wanted, SIGINT);
    sigaddset(&wanted, SIGUSR1); // sent to itself after the last record of --exit-after
    pthread_sigmask(SIG_BLOCK, &wanted, nullptr);

    std::atomic<long long> count{0};
    std::atomic<bool> writeFailed{false};
    FindableWindow window;
    auto deliver = [&](const COPYDATASTRUCT& record) -> LRESULT {
        long long n = ++count;
        std::string base = o.out + "/record-" + std::to_string(n);
        unsigned char tag[4];
        for (int i = 0; i < 4; ++i)
            tag[i] = static_cast<unsigned char>(record.dwData >> (8 * i));
        // The tag file last: a test that waits for it finds the bytes complete too.
        if (!WriteFile(base + ".bin", record.lpData, record.cbData) || !WriteFile(base + ".tag", tag, 4))
            writeFailed = true;
        if (o.exitAfter > 0 && n == o.exitAfter)
            ::kill(::getpid(), SIGUSR1);
        return static_cast<LRESULT>(o.result);
    };
    if (!window.Register(o.className, o.title, deliver)) {
        std::fprintf(stderr, "findwin-peer: %s\n", GetFindableWindowError().c_str());
        return 1;
    }
    std::string path = window.SocketPath();
    if (!WriteFile(o.out + "/ready", path.data(), path.size())) {
        std::fprintf(stderr, "findwin-peer: cannot write to %s\n", o.out.c_str());
        return 1;
    }
    if (o.stall)
        ::raise(SIGSTOP); // every thread stops: nothing reads the socket any more
    int sig = 0;
    while (sigwait(&wanted, &sig) != 0) {
    }
    window.Unregister();
    return writeFailed ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!Parse(argc, argv, o))
        return Usage();
    return o.send ? Send(o) : Receive(o);
}
