// Findable windows across processes: the receiving program is tools/findwin-peer, started for each
// test with the runtime folder pointed at a scratch folder.
#include "platform/FindableWindow.h"

#include "platform/Process.h"
#include "platform/Sync.h"
#include "tests/platform/ScopedEnv.h"
#include "tests/support/ScopedRuntimeFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

bool waitFor(const std::function<bool()>& pred, int timeoutMs = 10000) {
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (Clock::now() >= end)
            return pred();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// The tag whose four bytes, in memory order, are the first four of text.
DWORD tagOf(const char* text) {
    return static_cast<DWORD>(static_cast<unsigned char>(text[0])) |
           static_cast<DWORD>(static_cast<unsigned char>(text[1])) << 8 |
           static_cast<DWORD>(static_cast<unsigned char>(text[2])) << 16 |
           static_cast<DWORD>(static_cast<unsigned char>(text[3])) << 24;
}

std::string pattern(size_t n, unsigned seed) {
    std::string s(n, '\0');
    unsigned x = seed;
    for (auto& c : s) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

// A findwin-peer process receiving into a folder of its own; killed at the end of the test.
class Peer {
public:
    explicit Peer(std::vector<std::string> args) {
        args.insert(args.begin(), {"--out", out_.Path()});
        std::string exe = std::string(VT_BINARY_DIR) + "/tools/findwin-peer/findwin-peer";
        PROCESS_INFORMATION pi;
        started_ = CreateProcess(exe, args, {}, &pi) == TRUE;
        pid_ = pi.dwProcessId;
    }
    ~Peer() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            WaitForProcess(pid_, 10000);
        }
    }
    bool WaitReady() {
        return started_ && waitFor([&] { return std::filesystem::exists(out_ / "ready"); });
    }
    std::string SocketPath() const { return ScratchFolder::ReadAll(out_ / "ready"); }
    // The record with number n (from 1) as {tag bytes, data}, waiting for it to arrive.
    bool Record(int n, std::string& tag, std::string& data) {
        std::string base = out_ / ("record-" + std::to_string(n));
        if (!waitFor([&] { return std::filesystem::exists(base + ".tag"); }))
            return false;
        tag = ScratchFolder::ReadAll(base + ".tag");
        data = ScratchFolder::ReadAll(base + ".bin");
        return true;
    }
    // Ends the process with sig and collects it; its exit code.
    DWORD End(int sig) {
        ::kill(pid_, sig);
        DWORD code = 0xFFFF;
        EXPECT_EQ(WaitForProcess(pid_, 10000, &code), WAIT_OBJECT_0);
        pid_ = 0;
        return code;
    }
    pid_t Pid() const { return pid_; }

private:
    ScratchFolder out_;
    bool started_ = false;
    pid_t pid_ = 0;
};

class FindableWindowTest : public ::testing::Test {
protected:
    // Names of the window files in the runtime folder.
    std::vector<std::string> WindowFiles() const {
        std::vector<std::string> names;
        for (auto& e : std::filesystem::directory_iterator(dir_ / "vantorel"))
            if (e.path().filename().string().rfind("win-", 0) == 0)
                names.push_back(e.path().filename().string());
        return names;
    }
    static std::vector<std::string> Titles() {
        std::vector<std::string> t;
        for (const auto& w : EnumTopWindows())
            t.push_back(w.title);
        return t;
    }

    ScopedRuntimeFolder runtime_;
    const ScratchFolder& dir_ = runtime_.Folder();
    ScopedEnv display_{"DISPLAY", ":42"};
};

// A blocking connection to the socket, as a peer makes it; -1 when refused.
int connectTo(const std::string& socketPath) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socketPath.c_str());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0)
        return fd;
    ::close(fd);
    return -1;
}

// Writes bytes to the socket as a sender would, with endSending closes its sending side, and
// returns what the receiver wrote back before closing (empty when it refused). closedInTime tells
// whether the receiver closed within five seconds.
std::string rawExchange(const std::string& socketPath, const std::string& bytes, bool endSending,
                        bool& closedInTime) {
    const int fd = connectTo(socketPath);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    if (endSending)
        ::shutdown(fd, SHUT_WR);
    std::string reply;
    closedInTime = false;
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, 5000) > 0) {
        char buf[64];
        ssize_t r = ::recv(fd, buf, sizeof buf, 0);
        if (r <= 0) {
            closedInTime = true;
            break;
        }
        reply.append(buf, static_cast<size_t>(r));
    }
    ::close(fd);
    return reply;
}

std::string header(DWORD tag, DWORD length) {
    std::string h(8, '\0');
    for (int i = 0; i < 4; ++i) {
        h[i] = static_cast<char>(tag >> (8 * i));
        h[4 + i] = static_cast<char>(length >> (8 * i));
    }
    return h;
}

// Whether the receiver closed the connection (or wrote to it) within ms milliseconds.
bool answeredWithin(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, ms) > 0;
}

// The resident memory of this process in KiB.
long residentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

} // namespace

TEST_F(FindableWindowTest, RecordsOfOneByte64KiBAnd32MiBArriveUnchangedInAnotherProcess) {
    Peer peer({"--class", "Palvint", "--title", "Brelvoxa", "--result", "-7"});
    ASSERT_TRUE(peer.WaitReady());

    struct Case {
        size_t size;
        const char* tag;
        bool byClass;
    } cases[] = {{1, "IMG\0", true}, {64 * 1024, "VV3D", false}, {32u * 1024 * 1024, "VV3D", true}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        TopWindowInfo target;
        ASSERT_TRUE(c.byClass ? FindTopWindow("Palvint", nullptr, &target)
                              : FindTopWindow(nullptr, "Brelvoxa", &target));
        EXPECT_EQ(target.processId, peer.Pid());
        EXPECT_EQ(target.socketPath, peer.SocketPath());
        std::string data = pattern(c.size, static_cast<unsigned>(c.size));
        COPYDATASTRUCT record;
        record.dwData = tagOf(c.tag);
        record.cbData = static_cast<DWORD>(data.size());
        record.lpData = data.data();
        LRESULT result = 0;
        ASSERT_TRUE(SendCopyData(target, record, 30000, &result)) << GetFindableWindowError();
        EXPECT_EQ(result, -7);
        std::string tag, got;
        ASSERT_TRUE(peer.Record(++n, tag, got));
        EXPECT_EQ(tag, std::string(c.tag, 4));
        EXPECT_TRUE(got == data) << "record of " << c.size << " bytes changed on the way";
    }
    // An owner that ends normally leaves nothing behind.
    EXPECT_EQ(peer.End(SIGTERM), 0u);
    EXPECT_TRUE(WindowFiles().empty());
}

TEST_F(FindableWindowTest, LookupsByClassAndExactTitleFollowTheActivationOrderOfAllProcesses) {
    FindableWindow a, b, c;
    ASSERT_TRUE(a.Register("Palvint", "A", nullptr)) << GetFindableWindowError();
    ASSERT_TRUE(b.Register("Frame", "Brelvoxa", nullptr));
    ASSERT_TRUE(c.Register("Frame", "Brelvoxa - 名称未設定1", nullptr));
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Brelvoxa - 名称未設定1", "Brelvoxa", "A"}));

    TopWindowInfo w;
    ASSERT_TRUE(FindTopWindow(nullptr, "Brelvoxa", &w)); // exact: the later prefixed title does not match
    EXPECT_EQ(w.socketPath, b.SocketPath());
    ASSERT_TRUE(FindTopWindow("Frame", nullptr, &w)); // the most recently activated of the class
    EXPECT_EQ(w.socketPath, c.SocketPath());
    EXPECT_FALSE(FindTopWindow("Palvint", "Brelvoxa", &w));
    EXPECT_FALSE(FindTopWindow(nullptr, "brelvoxa", &w));

    // A window of another process takes part in the same order.
    Peer peer({"--class", "Palvint", "--title", "P"});
    ASSERT_TRUE(peer.WaitReady());
    EXPECT_EQ(Titles(), (std::vector<std::string>{"P", "Brelvoxa - 名称未設定1", "Brelvoxa", "A"}));
    ASSERT_TRUE(FindTopWindow("Palvint", nullptr, &w));
    EXPECT_EQ(w.processId, peer.Pid());

    ASSERT_TRUE(a.ReportActivation());
    ASSERT_TRUE(b.ReportActivation());
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Brelvoxa", "A", "P", "Brelvoxa - 名称未設定1"}));
    ASSERT_TRUE(FindTopWindow("Palvint", nullptr, &w));
    EXPECT_EQ(w.socketPath, a.SocketPath());

    // A changed title is what lookups see; two equal titles resolve to the more recent window.
    ASSERT_TRUE(c.SetTitle("Brelvoxa"));
    ASSERT_TRUE(FindTopWindow(nullptr, "Brelvoxa", &w));
    EXPECT_EQ(w.socketPath, b.SocketPath());
    ASSERT_TRUE(c.ReportActivation());
    ASSERT_TRUE(FindTopWindow(nullptr, "Brelvoxa", &w));
    EXPECT_EQ(w.socketPath, c.SocketPath());
    EXPECT_FALSE(FindTopWindow(nullptr, "Brelvoxa - 名称未設定1", &w));

    b.Unregister();
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Brelvoxa", "A", "P"}));
    EXPECT_FALSE(std::filesystem::exists(b.SocketPath()));
}

TEST_F(FindableWindowTest, ReceiverThatNeverReadsGivesAFailureWithinTheTimeOut) {
    Peer peer({"--class", "Palvint", "--stall"});
    ASSERT_TRUE(peer.WaitReady());
    int status = 0;
    ASSERT_EQ(::waitpid(peer.Pid(), &status, WUNTRACED), peer.Pid()); // stopped for good
    ASSERT_TRUE(WIFSTOPPED(status));

    TopWindowInfo target;
    ASSERT_TRUE(FindTopWindow("Palvint", nullptr, &target)); // alive, only not reading
    for (size_t size : {size_t(1), size_t(32u * 1024 * 1024)}) {
        SCOPED_TRACE(size);
        std::string data(size, 'x');
        COPYDATASTRUCT record{tagOf("VV3D"), static_cast<DWORD>(size), data.data()};
        auto start = Clock::now();
        EXPECT_FALSE(SendCopyData(target, record, 400));
        long long took = msSince(start);
        EXPECT_GE(took, 390);
        EXPECT_LT(took, 400 + 3000) << "the send did not give up at its time-out";
        EXPECT_NE(GetFindableWindowError().find("did not answer"), std::string::npos);
    }
}

TEST_F(FindableWindowTest, KilledReceiverLeavesAStaleSocketThatTheNextLookupIgnores) {
    Peer older({"--class", "Palvint", "--title", "older"});
    ASSERT_TRUE(older.WaitReady());
    Peer newer({"--class", "Palvint", "--title", "newer"});
    ASSERT_TRUE(newer.WaitReady());
    TopWindowInfo stale;
    ASSERT_TRUE(FindTopWindow("Palvint", nullptr, &stale));
    ASSERT_EQ(stale.title, "newer");

    EXPECT_EQ(newer.End(SIGKILL), 128u + SIGKILL);
    ASSERT_TRUE(std::filesystem::exists(stale.socketPath)); // nobody cleaned up

    TopWindowInfo found;
    ASSERT_TRUE(FindTopWindow("Palvint", nullptr, &found));
    EXPECT_EQ(found.title, "older");
    EXPECT_EQ(Titles(), std::vector<std::string>{"older"});
    EXPECT_FALSE(std::filesystem::exists(stale.socketPath)); // the lookup removed the leftover

    auto start = Clock::now();
    char byte = 1;
    EXPECT_FALSE(SendCopyData(stale, {tagOf("VV3D"), 1, &byte}, 5000));
    EXPECT_LT(msSince(start), 1000) << "a send to a dead window must fail at once";
    LRESULT result = 0;
    EXPECT_TRUE(SendCopyData(found, {tagOf("VV3D"), 1, &byte}, 5000, &result));
    EXPECT_EQ(result, 1);
}

TEST_F(FindableWindowTest, ReceiverRefusesOversizedAndCutRecordsBeforeDelivering) {
    std::mutex m;
    std::vector<std::string> delivered;
    FindableWindow w;
    ASSERT_TRUE(w.Register("Frame", "R", [&](const COPYDATASTRUCT& r) -> LRESULT {
        std::lock_guard<std::mutex> lock(m);
        delivered.push_back(r.cbData ? std::string(static_cast<const char*>(r.lpData), r.cbData) : "");
        return 0x1122334455667788LL;
    }));
    const DWORD tag = tagOf("VV3D");
    struct Case {
        const char* what;
        std::string bytes;
        bool endSending; // an oversized length is refused at once, without waiting for its bytes
    } refused[] = {
        {"length over the limit", header(tag, kMaxCopyDataBytes + 1) + "abc", false},
        {"length of 4 GiB - 1", header(tag, 0xFFFFFFFFu), false},
        {"length of 1 GiB, beyond the largest record", header(tag, 1024u << 20), false},
        {"fewer bytes than the length says", header(tag, 100) + std::string(10, 'z'), true},
        {"header cut short", header(tag, 3).substr(0, 5), true},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.what);
        bool closed = false;
        EXPECT_EQ(rawExchange(w.SocketPath(), c.bytes, c.endSending, closed), "");
        EXPECT_TRUE(closed) << "the receiver did not close at once";
    }
    // The sender refuses an oversized record itself.
    char byte = 0;
    TopWindowInfo target;
    ASSERT_TRUE(FindTopWindow("Frame", "R", &target));
    EXPECT_FALSE(SendCopyData(target, {tag, kMaxCopyDataBytes + 1, &byte}, 1000));
    {
        std::lock_guard<std::mutex> lock(m);
        EXPECT_TRUE(delivered.empty());
    }

    // The listener still takes a sound record and answers with the 8-byte result.
    bool closed = false;
    std::string reply = rawExchange(w.SocketPath(), header(tag, 3) + "abc", false, closed);
    EXPECT_EQ(reply, std::string("\x88\x77\x66\x55\x44\x33\x22\x11", 8));
    LRESULT result = 0;
    EXPECT_TRUE(SendCopyData(target, {tag, 0, nullptr}, 5000, &result));
    EXPECT_EQ(result, 0x1122334455667788LL);
    std::lock_guard<std::mutex> lock(m);
    EXPECT_EQ(delivered, (std::vector<std::string>{"abc", ""}));
}

TEST_F(FindableWindowTest, ASilentPeerDelaysNoOtherSender) {
    std::atomic<int> delivered{0};
    FindableWindow w;
    ASSERT_TRUE(w.Register("Frame", "S", [&](const COPYDATASTRUCT&) -> LRESULT { return ++delivered; }));
    // Two peers connect; one sends nothing at all, the other half a header.
    std::vector<int> silent;
    for (const std::string& bytes : {std::string(), header(tagOf("VV3D"), 3).substr(0, 4)}) {
        const int fd = connectTo(w.SocketPath());
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
        silent.push_back(fd);
    }
    TopWindowInfo target;
    ASSERT_TRUE(FindTopWindow("Frame", "S", &target));
    for (int i = 1; i <= 3; ++i) {
        LRESULT result = 0;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(SendCopyData(target, {tagOf("VV3D"), 3, "abc"}, 1000, &result))
            << GetFindableWindowError();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_EQ(result, i);
    }
    // The window goes while the silent peers still hold their connections.
    const auto start = std::chrono::steady_clock::now();
    w.Unregister();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    for (int fd : silent)
        ::close(fd);
}

// Two sessions of the user on two displays share the runtime folder: each finds only the windows
// on its own display, however its display name is written, and a dead window is cleared from
// either.
TEST_F(FindableWindowTest, LookupsSeeTheWindowsOfTheirOwnDisplayAlone) {
    Peer onFirst({"--class", "BrelvoxaMainFrame", "--title", "Brelvoxa"});
    ASSERT_TRUE(onFirst.WaitReady());
    display_.Set(":52.0");
    Peer onSecond({"--class", "BrelvoxaMainFrame", "--title", "Brelvoxa - a.vv3"});
    ASSERT_TRUE(onSecond.WaitReady());
    FindableWindow own;
    ASSERT_TRUE(own.Register("Frame", "Brelvoxa", nullptr));

    TopWindowInfo w;
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Brelvoxa", "Brelvoxa - a.vv3"}));
    ASSERT_TRUE(FindTopWindow("BrelvoxaMainFrame", nullptr, &w));
    EXPECT_EQ(w.processId, onSecond.Pid());
    EXPECT_EQ(w.display, ":52");
    ASSERT_TRUE(FindTopWindow(nullptr, "Brelvoxa", &w));
    EXPECT_EQ(w.socketPath, own.SocketPath());

    display_.Set("unix:42.0");
    EXPECT_EQ(Titles(), std::vector<std::string>{"Brelvoxa"});
    ASSERT_TRUE(FindTopWindow(nullptr, "Brelvoxa", &w));
    EXPECT_EQ(w.processId, onFirst.Pid());
    EXPECT_FALSE(FindTopWindow("Frame", nullptr, &w));
    EXPECT_FALSE(FindTopWindow(nullptr, "Brelvoxa - a.vv3", &w));

    // The other display's window died: this display's lookup clears its files.
    const std::string stale = onSecond.SocketPath();
    onSecond.End(SIGKILL);
    ASSERT_TRUE(std::filesystem::exists(stale));
    EXPECT_EQ(Titles(), std::vector<std::string>{"Brelvoxa"});
    EXPECT_FALSE(std::filesystem::exists(stale));
}

// Sixteen peers that connect and send nothing and sixteen that drip a header byte every four
// seconds, each connecting again as soon as it is dropped, keep no sender out: every record is
// received within two seconds.
TEST_F(FindableWindowTest, SilentAndDrippingPeersKeepNoSenderOut) {
    std::atomic<int> delivered{0};
    FindableWindow w;
    ASSERT_TRUE(w.Register("Frame", "S", [&](const COPYDATASTRUCT&) -> LRESULT { return ++delivered; }));
    const std::string path = w.SocketPath();
    std::atomic<bool> stop{false};
    std::atomic<int> connects{0};
    auto peer = [&](bool drip) {
        const std::string head = header(tagOf("VV3D"), 3);
        const auto end = Clock::now() + std::chrono::seconds(30); // bounded, whatever happens
        while (!stop && Clock::now() < end) {
            const int fd = connectTo(path);
            if (fd >= 0) {
                ++connects;
                // Holds the connection until the receiver drops it, dripping every four seconds.
                for (size_t sent = 0; !stop;) {
                    if (drip && sent < head.size() && ::send(fd, &head[sent], 1, MSG_NOSIGNAL) == 1)
                        ++sent;
                    pollfd p{fd, POLLIN, 0};
                    if (::poll(&p, 1, 4000) > 0)
                        break; // dropped (or refused): connect again
                }
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    };
    std::vector<std::thread> peers;
    for (int i = 0; i < 32; ++i)
        peers.emplace_back(peer, i >= 16);
    ASSERT_TRUE(waitFor([&] { return connects >= 32; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the peers hold every slot

    TopWindowInfo target;
    ASSERT_TRUE(FindTopWindow("Frame", "S", &target));
    for (int i = 1; i <= 5; ++i) {
        SCOPED_TRACE(i);
        LRESULT result = 0;
        const auto start = Clock::now();
        EXPECT_TRUE(SendCopyData(target, {tagOf("VV3D"), 3, "abc"}, 2000, &result))
            << GetFindableWindowError();
        EXPECT_LT(msSince(start), 2000);
        EXPECT_EQ(result, i);
        // Now and again longer than the header may take.
        std::this_thread::sleep_for(std::chrono::milliseconds(250 * i));
    }
    stop = true;
    for (auto& t : peers)
        t.join();
}

// A peer that drips its header a byte every 300 ms, each byte well within a second of the last, is
// dropped once the header's second is up rather than kept for as long as it drips.
TEST_F(FindableWindowTest, APeerDrippingItsHeaderIsDroppedAtTheHeaderDeadline) {
    FindableWindow w;
    ASSERT_TRUE(w.Register("Frame", "D", nullptr));
    const int fd = connectTo(w.SocketPath());
    ASSERT_GE(fd, 0);
    const std::string bytes = header(tagOf("VV3D"), 1000) + std::string(20, 'x');
    const auto start = Clock::now();
    bool dropped = false;
    for (size_t i = 0; i < bytes.size() && !dropped; ++i)
        dropped = ::send(fd, &bytes[i], 1, MSG_NOSIGNAL) != 1 || answeredWithin(fd, 300);
    const long long took = msSince(start);
    ::close(fd);
    EXPECT_TRUE(dropped) << "a dripping peer kept its connection for " << took << " ms";
    EXPECT_GE(took, 900);
    EXPECT_LT(took, 3000);
}

// Four peers that claim the largest record and send a kilobyte each cost the receiver about what
// they sent, not what they claimed.
TEST_F(FindableWindowTest, PeersThatClaimTheLargestRecordAndSendLittleHoldLittleMemory) {
    FindableWindow w;
    ASSERT_TRUE(w.Register("Frame", "M", nullptr));
    const long before = residentKiB();
    ASSERT_GT(before, 0);
    std::vector<int> peers;
    const std::string bytes = header(tagOf("VV3D"), kMaxCopyDataBytes) + std::string(1024, 'x');
    for (int i = 0; i < 4; ++i) {
        peers.push_back(connectTo(w.SocketPath()));
        ASSERT_GE(peers.back(), 0);
        ASSERT_EQ(::send(peers.back(), bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
    }
    // The claims together are 360 MiB; a receiver that allocated them would pass 128 MiB soon.
    long grown = 0;
    EXPECT_FALSE(waitFor(
        [&] {
            grown = std::max(grown, residentKiB() - before);
            return grown > 128 * 1024;
        },
        2000))
        << "the receiver grew by " << grown / 1024 << " MiB";
    for (int fd : peers) {
        EXPECT_FALSE(answeredWithin(fd, 0)) << "a claim within the limit was refused";
        ::close(fd);
    }
}

// While sixteen silent peers keep taking every free connection again, a record that comes in
// chunks keeps its connection: a newcomer takes the place of the connection that has been idle
// longest, never of the one that is receiving.
TEST_F(FindableWindowTest, ARecordSentInChunksArrivesWhileSilentPeersKeepReconnecting) {
    std::mutex m;
    std::string delivered;
    FindableWindow w;
    ASSERT_TRUE(w.Register("Frame", "C", [&](const COPYDATASTRUCT& r) -> LRESULT {
        std::lock_guard<std::mutex> lock(m);
        delivered.assign(static_cast<const char*>(r.lpData), r.cbData);
        return 5;
    }));
    const std::string path = w.SocketPath();
    std::atomic<bool> stop{false};
    std::atomic<int> connects{0};
    std::vector<std::thread> peers;
    for (int i = 0; i < 16; ++i)
        peers.emplace_back([&] {
            const auto end = Clock::now() + std::chrono::seconds(60); // bounded, whatever happens
            while (!stop && Clock::now() < end) {
                const int fd = connectTo(path);
                if (fd >= 0) {
                    ++connects;
                    while (!stop && !answeredWithin(fd, 20)) {
                    } // until dropped
                    ::close(fd);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
    ASSERT_TRUE(waitFor([&] { return connects >= 16; }));

    // 2 MiB in chunks of 16 KiB, 5 ms apart: about a second of evictions around it.
    const std::string data = pattern(2u << 20, 11);
    const std::string bytes = header(tagOf("VV3D"), DWORD(data.size())) + data;
    const int fd = connectTo(path);
    ASSERT_GE(fd, 0);
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t r =
            ::send(fd, bytes.data() + sent, std::min<size_t>(16384, bytes.size() - sent), MSG_NOSIGNAL);
        if (r <= 0)
            break;
        sent += size_t(r);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::string reply;
    char buf[16];
    while (sent == bytes.size() && reply.size() < 8 && answeredWithin(fd, 10000)) {
        const ssize_t r = ::recv(fd, buf, sizeof buf, 0);
        if (r <= 0)
            break;
        reply.append(buf, size_t(r));
    }
    ::close(fd);
    stop = true;
    for (auto& t : peers)
        t.join();
    EXPECT_EQ(sent, bytes.size()) << "the receiving connection was dropped";
    EXPECT_EQ(reply, std::string("\x05\0\0\0\0\0\0\0", 8));
    std::lock_guard<std::mutex> lock(m);
    EXPECT_TRUE(delivered == data) << "the record did not arrive whole";
}
