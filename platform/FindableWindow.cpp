#include "platform/FindableWindow.h"

#include "platform/Process.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <list>
#include <mutex>
#include <new>
#include <poll.h>
#include <random>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

thread_local std::string lastError;

bool fail(const std::string& why) {
    lastError = why;
    return false;
}

// A receiver drops a sender that sends nothing for this long in the middle of a record, so that
// one stalled sender cannot keep the window from others for good.
constexpr int kReceiveIdleMs = 10000;
// The whole 8-byte header must arrive within this time of the connection being taken: a sender
// writes it at once, so a peer that connects and sends nothing, or drips it byte by byte, holds its
// connection no longer than this.
constexpr int kHeaderMs = 1000;
// The first part of a record's buffer; it doubles as the bytes fill it.
constexpr size_t kFirstChunkBytes = 64 * 1024;
// Connections served at once. When all are taken, a new sender gets in in place of the connection
// that has received nothing for longest (a record being delivered is never dropped); only when
// every connection is in delivery is the new one refused (closed).
constexpr size_t kMaxConnections = 16;
// Class names and titles longer than this are refused at registration; an info file longer than
// the two together (plus its few header lines) is not read.
constexpr size_t kMaxNameBytes = 4096;
constexpr size_t kMaxInfoBytes = 3 * kMaxNameBytes + 256;

const char kPrefix[] = "win-";
const char kInfoSuffix[] = ".info";
const char kSocketSuffix[] = ".sock";

bool endsWith(const std::string& s, const char* suffix) {
    size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

void putLe(BYTE* p, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        p[i] = static_cast<BYTE>(v >> (8 * i));
}

uint64_t getLe(const BYTE* p, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= static_cast<uint64_t>(p[i]) << (8 * i);
    return v;
}

int remainingMs(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

// ---- socket I/O with a deadline --------------------------------------------------------------

enum class IoEnd { Complete, Closed, TimedOut, Woken, Failed };

long long nowTicks() {
    return Clock::now().time_since_epoch().count();
}

// Moves n bytes through the non-blocking socket fd. With idleMs > 0 the deadline moves on after
// every bit of progress (a limit on silence, not on the whole transfer). A readable wakeFd ends the
// transfer at once. done receives the number of bytes moved; activity, when given, the time of the
// last progress.
IoEnd transfer(int fd, bool writing, BYTE* buf, size_t n, int wakeFd, Clock::time_point deadline, int idleMs,
               size_t& done, std::atomic<long long>* activity = nullptr) {
    done = 0;
    while (done < n) {
        ssize_t r = writing ? ::send(fd, buf + done, std::min<size_t>(n - done, 1 << 20), MSG_NOSIGNAL)
                            : ::recv(fd, buf + done, std::min<size_t>(n - done, 1 << 20), 0);
        if (r > 0) {
            done += static_cast<size_t>(r);
            if (activity)
                *activity = nowTicks();
            if (idleMs > 0)
                deadline = Clock::now() + std::chrono::milliseconds(idleMs);
            continue;
        }
        if (r == 0 && !writing)
            return IoEnd::Closed;
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return (errno == EPIPE || errno == ECONNRESET) ? IoEnd::Closed : IoEnd::Failed;
        pollfd p[2] = {{fd, static_cast<short>(writing ? POLLOUT : POLLIN), 0}, {wakeFd, POLLIN, 0}};
        int left = remainingMs(deadline);
        if (left == 0)
            return IoEnd::TimedOut;
        int pr = ::poll(p, wakeFd >= 0 ? 2 : 1, left);
        if (pr < 0 && errno != EINTR)
            return IoEnd::Failed;
        if (pr > 0 && wakeFd >= 0 && p[1].revents)
            return IoEnd::Woken;
        // Readiness, hang-up or error: the next send or recv tells which.
    }
    return IoEnd::Complete;
}

bool makeAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

enum class Liveness { Alive, Gone, Unknown };

// Whether a process listens on the socket. A listener whose queue is full still counts as alive.
Liveness probe(const std::string& path) {
    sockaddr_un addr;
    if (!makeAddress(path, addr))
        return Liveness::Unknown;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return Liveness::Unknown;
    int r;
    do {
        r = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    } while (r != 0 && errno == EINTR);
    int err = r == 0 ? 0 : errno;
    ::close(fd);
    if (r == 0 || err == EAGAIN || err == EINPROGRESS)
        return Liveness::Alive;
    if (err == ECONNREFUSED || err == ENOENT)
        return Liveness::Gone;
    return Liveness::Unknown;
}

// ---- info files ------------------------------------------------------------------------------

const char kInfoMagic[] = "findable-window 2\n";

std::string infoText(const TopWindowInfo& w) {
    std::string s = kInfoMagic;
    s += "pid " + std::to_string(w.processId) + "\n";
    s += "activation " + std::to_string(w.activation) + "\n";
    s += "display " + std::to_string(w.display.size()) + "\n" + w.display + "\n";
    s += "class " + std::to_string(w.className.size()) + "\n" + w.className + "\n";
    s += "title " + std::to_string(w.title.size()) + "\n" + w.title + "\n";
    return s;
}

// Reads "<key> <number>\n" at pos.
bool parseNumberLine(const std::string& s, size_t& pos, const char* key, unsigned long long& value) {
    std::string head = std::string(key) + " ";
    if (s.compare(pos, head.size(), head) != 0)
        return false;
    size_t end = s.find('\n', pos);
    if (end == std::string::npos)
        return false;
    std::string digits = s.substr(pos + head.size(), end - pos - head.size());
    if (digits.empty() || digits.size() > 20 || digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    value = std::strtoull(digits.c_str(), nullptr, 10);
    if (errno != 0)
        return false;
    pos = end + 1;
    return true;
}

// Reads "<key> <length>\n<bytes>\n" at pos.
bool parseTextField(const std::string& s, size_t& pos, const char* key, std::string& text) {
    unsigned long long len = 0;
    if (!parseNumberLine(s, pos, key, len) || len > kMaxNameBytes)
        return false;
    if (len + 1 > s.size() - pos || s[pos + len] != '\n')
        return false;
    text = s.substr(pos, len);
    pos += len + 1;
    return true;
}

bool parseInfo(const std::string& s, TopWindowInfo& w) {
    const size_t magic = std::strlen(kInfoMagic);
    if (s.compare(0, magic, kInfoMagic) != 0)
        return false;
    size_t pos = magic;
    unsigned long long pid = 0;
    if (!parseNumberLine(s, pos, "pid", pid) || !parseNumberLine(s, pos, "activation", w.activation))
        return false;
    if (!parseTextField(s, pos, "display", w.display))
        return false;
    if (!parseTextField(s, pos, "class", w.className) || !parseTextField(s, pos, "title", w.title))
        return false;
    w.processId = static_cast<pid_t>(pid);
    return pos == s.size();
}

bool readSmallFile(const std::string& path, size_t limit, std::string& out) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    out.assign(limit + 1, '\0');
    size_t got = 0;
    while (got < out.size()) {
        ssize_t r = ::read(fd, out.data() + got, out.size() - got);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        got += static_cast<size_t>(r);
    }
    ::close(fd);
    if (got > limit)
        return false;
    out.resize(got);
    return true;
}

// Writes a temporary file beside path and renames it over path.
bool writeFileAtomically(const std::string& path, const std::string& data) {
    std::string tmp = path + ".tmp";
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    size_t done = 0;
    while (done < data.size()) {
        ssize_t r = ::write(fd, data.data() + done, data.size() - done);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        done += static_cast<size_t>(r);
    }
    bool ok = ::close(fd) == 0 && done == data.size();
    if (ok && ::rename(tmp.c_str(), path.c_str()) == 0)
        return true;
    ::unlink(tmp.c_str());
    return false;
}

// The next activation stamp of this user: a counter in the runtime folder, locked while it is
// read and advanced, so that stamps of all processes are strictly increasing.
bool nextActivation(const std::string& folder, unsigned long long& stamp) {
    std::string path = folder + "/activation.seq";
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return fail("cannot open " + path + ": " + std::strerror(errno));
    int r;
    do {
        r = ::flock(fd, LOCK_EX);
    } while (r != 0 && errno == EINTR);
    char buf[32] = {};
    ssize_t n = r == 0 ? ::pread(fd, buf, sizeof buf - 1, 0) : -1;
    unsigned long long value = n > 0 ? std::strtoull(buf, nullptr, 10) : 0;
    stamp = value + 1;
    std::string text = std::to_string(stamp) + "\n";
    bool ok = n >= 0 && ::ftruncate(fd, 0) == 0 &&
              ::pwrite(fd, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size());
    ::close(fd); // releases the lock
    return ok ? true : fail("cannot advance " + path);
}

std::string processNonce() {
    static const std::string nonce = [] {
        std::random_device rd;
        unsigned long long v = (static_cast<unsigned long long>(rd()) << 32) ^ rd();
        char buf[17];
        std::snprintf(buf, sizeof buf, "%016llx", v);
        return std::string(buf);
    }();
    return nonce;
}

std::atomic<unsigned> nextSerial{1};

void removeLeftover(const std::string& base) {
    ::unlink((base + kInfoSuffix).c_str());
    ::unlink((base + kSocketSuffix).c_str());
}

} // namespace

std::string GetFindableWindowError() {
    return lastError;
}

// ---- the owner's side ------------------------------------------------------------------------

struct FindableWindow::State {
    mutable std::mutex mutex;
    std::string folder;
    std::string base; // folder + "/win-<pid>-<nonce>-<n>", without suffix
    TopWindowInfo info;
    Delivery delivery;
    int listenFd = -1;
    int wakeFd = -1;
    std::thread listener;
    // Each connection is served on a thread of its own, so that a peer that connects and then
    // sends nothing (or sends slowly) delays no other; deliveries still come one at a time. The
    // listener closes the descriptor when it collects the ended thread, so that it can drop a
    // connection (shutdown) without ever touching a descriptor reused meanwhile.
    struct Connection {
        int fd = -1;
        std::thread thread;
        std::atomic<bool> done{false};
        std::atomic<long long> lastActivity{0}; // when the last byte came, or the connection was taken
        std::mutex mutex;                       // guards receiving and dropped
        bool receiving = true;                  // false once the whole record is in
        bool dropped = false;                   // made way for a new sender
    };
    std::list<Connection> connections; // the listener's alone
    std::mutex deliveryMutex;
    bool closed = false; // set by Unregister: no info file is written after it

    bool writeInfo() {
        if (closed)
            return fail("the window is not registered");
        if (!writeFileAtomically(base + kInfoSuffix, infoText(info)))
            return fail("cannot write " + base + kInfoSuffix);
        return true;
    }
    void listen();
    void accept();
    bool dropIdlest();
    void serve(Connection& c);
    bool closing() const {
        pollfd w = {wakeFd, POLLIN, 0};
        return ::poll(&w, 1, 0) > 0;
    }
};

void FindableWindow::State::listen() {
    for (;;) {
        pollfd p[2] = {{listenFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        int r = ::poll(p, 2, -1);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 || p[1].revents)
            break;
        accept();
    }
    // The wake descriptor stays readable: every connection still served ends at once.
    for (Connection& c : connections) {
        c.thread.join();
        ::close(c.fd);
    }
    connections.clear();
}

// Drops the receiving connection that has been idle longest; false when every connection is in
// delivery (or on its way out already).
bool FindableWindow::State::dropIdlest() {
    for (;;) {
        Connection* idlest = nullptr;
        for (Connection& c : connections) {
            std::lock_guard<std::mutex> lock(c.mutex);
            // Bytes that wait unread are the peer's activity too: on a busy machine a sender's
            // record may sit in the socket before its thread first runs.
            int waiting = 0;
            if (c.receiving && !c.dropped && ::ioctl(c.fd, FIONREAD, &waiting) == 0 && waiting > 0)
                continue;
            if (c.receiving && !c.dropped && (!idlest || c.lastActivity < idlest->lastActivity))
                idlest = &c;
        }
        if (!idlest)
            return false;
        std::lock_guard<std::mutex> lock(idlest->mutex);
        if (!idlest->receiving || idlest->dropped)
            continue; // its record came in meanwhile: look again
        idlest->dropped = true;
        ::shutdown(idlest->fd, SHUT_RDWR); // its thread sees the end at once
        return true;
    }
}

void FindableWindow::State::accept() {
    connections.remove_if([](Connection& c) {
        if (!c.done)
            return false;
        c.thread.join();
        ::close(c.fd);
        return true;
    });
    int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            // Out of descriptors: wait a little instead of spinning; the sender times out.
            pollfd w = {wakeFd, POLLIN, 0};
            ::poll(&w, 1, 100);
        }
        return;
    }
    size_t served = 0;
    for (Connection& c : connections) {
        std::lock_guard<std::mutex> lock(c.mutex);
        served += c.dropped ? 0 : 1;
    }
    if (served >= kMaxConnections && !dropIdlest()) {
        ::close(fd); // the sender sees the record refused
        return;
    }
    Connection& c = connections.emplace_back();
    c.fd = fd;
    c.lastActivity = nowTicks();
    try {
        c.thread = std::thread([this, &c] {
            serve(c);
            ::shutdown(c.fd, SHUT_RDWR); // the sender sees the end now, not when the fd is collected
            c.done = true;
        });
    } catch (const std::system_error&) {
        ::close(fd);
        connections.pop_back();
    }
}

void FindableWindow::State::serve(Connection& c) {
    const int fd = c.fd;
    BYTE header[8];
    size_t got = 0;
    auto idle = [] { return Clock::now() + std::chrono::milliseconds(kReceiveIdleMs); };
    const auto headerDeadline = Clock::now() + std::chrono::milliseconds(kHeaderMs);
    if (transfer(fd, false, header, sizeof header, wakeFd, headerDeadline, 0, got, &c.lastActivity) !=
        IoEnd::Complete)
        return; // a liveness probe (nothing sent), a header too slow or cut, or the window going away
    COPYDATASTRUCT record;
    record.dwData = static_cast<DWORD>(getLe(header, 4));
    record.cbData = static_cast<DWORD>(getLe(header + 4, 4));
    if (record.cbData > kMaxCopyDataBytes)
        return; // refused before anything is allocated: the sender sees no result
    // The buffer grows with what has arrived (doubling from 64 KiB), so that a peer claiming a
    // large record and sending little holds little memory.
    std::vector<BYTE> data;
    size_t have = 0;
    while (have < record.cbData) {
        try {
            data.resize(std::min<size_t>(record.cbData, std::max<size_t>(kFirstChunkBytes, 2 * have)));
        } catch (const std::bad_alloc&) {
            return;
        }
        if (transfer(fd, false, data.data() + have, data.size() - have, wakeFd, idle(), kReceiveIdleMs, got,
                     &c.lastActivity) != IoEnd::Complete)
            return; // cut short or dropped: a partial record is never delivered
        have = data.size();
    }
    {
        std::lock_guard<std::mutex> lock(c.mutex);
        if (c.dropped)
            return;
        c.receiving = false; // from here on the connection is not dropped for a newcomer
    }
    record.lpData = data.empty() ? nullptr : data.data();
    LRESULT result = 0;
    {
        std::lock_guard<std::mutex> lock(deliveryMutex);
        if (closing())
            return; // the window is going: nothing more is delivered
        try {
            result = delivery ? delivery(record) : 0;
        } catch (...) {
            return;
        }
    }
    BYTE reply[8];
    putLe(reply, static_cast<uint64_t>(result), 8);
    transfer(fd, true, reply, sizeof reply, wakeFd, idle(), kReceiveIdleMs, got);
}

FindableWindow::FindableWindow() = default;

FindableWindow::~FindableWindow() {
    Unregister();
}

bool FindableWindow::Register(const std::string& className, const std::string& title, Delivery delivery) {
    if (state_)
        return fail("the window is registered already");
    if (className.size() > kMaxNameBytes || title.size() > kMaxNameBytes)
        return fail("class name or title too long");
    auto s = std::make_unique<State>();
    s->folder = GetRuntimeFolder();
    if (s->folder.empty())
        return fail("no private runtime folder");
    s->base = s->folder + "/" + kPrefix + std::to_string(::getpid()) + "-" + processNonce() + "-" +
              std::to_string(nextSerial++);
    s->info.display = CurrentDisplayName();
    if (s->info.display.size() > kMaxNameBytes)
        return fail("display name too long");
    s->info.className = className;
    s->info.title = title;
    s->info.processId = ::getpid();
    s->info.socketPath = s->base + kSocketSuffix;
    s->delivery = std::move(delivery);

    sockaddr_un addr;
    if (!makeAddress(s->info.socketPath, addr))
        return fail("socket path too long: " + s->info.socketPath);
    s->listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (s->listenFd < 0)
        return fail(std::string("socket: ") + std::strerror(errno));
    auto undo = [&](const std::string& why) {
        ::close(s->listenFd);
        if (s->wakeFd >= 0)
            ::close(s->wakeFd);
        removeLeftover(s->base);
        return fail(why);
    };
    ::unlink(s->info.socketPath.c_str());
    if (::bind(s->listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        return undo("bind " + s->info.socketPath + ": " + std::strerror(errno));
    if (::listen(s->listenFd, 64) != 0)
        return undo(std::string("listen: ") + std::strerror(errno));
    s->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (s->wakeFd < 0)
        return undo(std::string("eventfd: ") + std::strerror(errno));
    // The info file comes last: a window is listed only once its socket takes connections.
    if (!nextActivation(s->folder, s->info.activation))
        return undo(lastError);
    if (!s->writeInfo())
        return undo(lastError);
    try {
        s->listener = std::thread([p = s.get()] { p->listen(); });
    } catch (const std::system_error& e) {
        return undo(std::string("no listener thread: ") + e.what());
    }
    state_ = std::move(s);
    return true;
}

void FindableWindow::Unregister() {
    if (!state_)
        return;
    State& s = *state_;
    // Lookups stop seeing the window first; then the listener ends and the socket goes.
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.closed = true;
        ::unlink((s.base + kInfoSuffix).c_str());
    }
    uint64_t one = 1;
    (void)!::write(s.wakeFd, &one, sizeof one);
    if (s.listener.joinable())
        s.listener.join();
    ::close(s.listenFd);
    ::close(s.wakeFd);
    removeLeftover(s.base);
    state_.reset();
}

bool FindableWindow::IsRegistered() const {
    return state_ != nullptr;
}

bool FindableWindow::SetTitle(const std::string& title) {
    if (!state_)
        return fail("the window is not registered");
    if (title.size() > kMaxNameBytes)
        return fail("title too long");
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->info.title = title;
    return state_->writeInfo();
}

bool FindableWindow::ReportActivation() {
    if (!state_)
        return fail("the window is not registered");
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (!nextActivation(state_->folder, state_->info.activation))
        return false;
    return state_->writeInfo();
}

std::string FindableWindow::SocketPath() const {
    return state_ ? state_->info.socketPath : std::string();
}

// ---- lookups ---------------------------------------------------------------------------------

std::vector<TopWindowInfo> EnumTopWindows() {
    std::vector<TopWindowInfo> out;
    std::string folder = GetRuntimeFolder();
    if (folder.empty())
        return out;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return out;
    std::vector<std::string> infos, sockets;
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name.compare(0, std::strlen(kPrefix), kPrefix) != 0)
            continue;
        if (endsWith(name, kInfoSuffix))
            infos.push_back(name.substr(0, name.size() - std::strlen(kInfoSuffix)));
        else if (endsWith(name, kSocketSuffix))
            sockets.push_back(name.substr(0, name.size() - std::strlen(kSocketSuffix)));
    }
    ::closedir(dir);
    std::sort(infos.begin(), infos.end());

    const std::string display = CurrentDisplayName();
    for (const std::string& name : infos) {
        std::string base = folder + "/" + name;
        TopWindowInfo w;
        std::string text;
        if (!readSmallFile(base + kInfoSuffix, kMaxInfoBytes, text) || !parseInfo(text, w))
            continue; // gone meanwhile, or not ours to judge
        w.socketPath = base + kSocketSuffix;
        Liveness live = probe(w.socketPath);
        if (live == Liveness::Gone)
            removeLeftover(base); // its owner ended without cleaning up
        // A window on another display is left to that display's lookups, but a dead one is
        // cleared whatever its display.
        if (live == Liveness::Alive && w.display == display)
            out.push_back(std::move(w));
    }
    // A socket without an info file whose owner is gone is a leftover of a crash during start.
    for (const std::string& name : sockets) {
        if (std::binary_search(infos.begin(), infos.end(), name))
            continue;
        std::string base = folder + "/" + name;
        if (probe(base + kSocketSuffix) == Liveness::Gone)
            ::unlink((base + kSocketSuffix).c_str());
    }
    std::stable_sort(out.begin(), out.end(), [](const TopWindowInfo& a, const TopWindowInfo& b) {
        return a.activation > b.activation;
    });
    return out;
}

bool FindTopWindow(const char* className, const char* title, TopWindowInfo* found) {
    for (TopWindowInfo& w : EnumTopWindows()) {
        if ((className && w.className != className) || (title && w.title != title))
            continue;
        if (found)
            *found = std::move(w);
        return true;
    }
    return fail("no such window");
}

// ---- the sender's side -----------------------------------------------------------------------

bool SendCopyData(const TopWindowInfo& target, const COPYDATASTRUCT& record, DWORD timeoutMs,
                  LRESULT* result) {
    if (record.cbData > kMaxCopyDataBytes)
        return fail("record too large: " + std::to_string(record.cbData) + " bytes");
    if (record.cbData > 0 && !record.lpData)
        return fail("record without data");
    sockaddr_un addr;
    if (!makeAddress(target.socketPath, addr))
        return fail("no socket for the window");
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);

    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return fail(std::string("socket: ") + std::strerror(errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    for (;;) {
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0)
            break;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return fail("cannot reach the window: " + std::string(std::strerror(errno)));
        // The receiver's queue is full: try again until the time-out.
        if (remainingMs(deadline) == 0)
            return fail("the window did not take the connection in time");
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }

    BYTE header[8];
    putLe(header, record.dwData, 4);
    putLe(header + 4, record.cbData, 4);
    size_t done = 0;
    IoEnd end = transfer(fd, true, header, sizeof header, -1, deadline, 0, done);
    if (end == IoEnd::Complete && record.cbData > 0)
        end = transfer(fd, true, static_cast<BYTE*>(const_cast<void*>(record.lpData)), record.cbData, -1,
                       deadline, 0, done);
    BYTE reply[8];
    if (end == IoEnd::Complete)
        end = transfer(fd, false, reply, sizeof reply, -1, deadline, 0, done);
    switch (end) {
    case IoEnd::Complete:
        break;
    case IoEnd::TimedOut:
        return fail("the window did not answer within " + std::to_string(timeoutMs) + " ms");
    case IoEnd::Closed:
        return fail("the window refused the record or ended");
    default:
        return fail(std::string("transfer failed: ") + std::strerror(errno));
    }
    if (result)
        *result = static_cast<LRESULT>(getLe(reply, 8));
    lastError.clear();
    return true;
}
