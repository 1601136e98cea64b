#include "tools/emulators/ControllerEmulator.h"
#include "tools/emulators/Emulators.h"

// The kernel's termios2 lets the emulator read the rate that the program set, whatever it is.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {
constexpr size_t kTooLongPadding = 300;
const char kGarbage[] = "#?~*%!\r\n";
} // namespace

ControllerEmulator::ControllerEmulator(std::string protocol, EmulatorOptions options)
    : protocol_(std::move(protocol)), options_(std::move(options)), random_(options_.seed) {
    positionFile_ = options_.positionFile;
    if (positionFile_.empty()) {
        if (const char* env = std::getenv("VANTOREL_STAGE_POSITION_FILE"); env && *env)
            positionFile_ = env;
    }
}

ControllerEmulator::~ControllerEmulator() { Shutdown(); }

bool ControllerEmulator::Start() {
    if (running_)
        return true;
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        return false;
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        ::close(master_);
        master_ = -1;
        return false;
    }
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) {
        ::close(master_);
        master_ = -1;
        return false;
    }
    slavePath_ = name;
    // Replies never wait for the program: what the terminal will not take is dropped, as a line
    // drops what nobody listens to, so a client that stops reading never stalls the emulator.
    int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
        ::close(master_);
        master_ = -1;
        return false;
    }
    // Holding the slave side open keeps the master readable while the program has the port
    // closed between its operations. The terminal starts raw so that nothing is echoed back.
    holder_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (holder_ >= 0) {
        termios2 t{};
        if (ioctl(holder_, TCGETS2, &t) == 0) {
            t.c_iflag = 0;
            t.c_oflag = 0;
            t.c_lflag = 0;
            t.c_cflag |= CREAD | CLOCAL;
            t.c_cc[VMIN] = 0;
            t.c_cc[VTIME] = 0;
            ioctl(holder_, TCSETS2, &t);
        }
    }
    running_ = true;
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void ControllerEmulator::Shutdown() {
    if (running_.exchange(false) && thread_.joinable())
        thread_.join();
    if (holder_ >= 0)
        ::close(holder_);
    if (master_ >= 0)
        ::close(master_);
    holder_ = master_ = -1;
}

std::string ControllerEmulator::Received() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

std::vector<std::string> ControllerEmulator::Commands() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
}

std::vector<std::string> ControllerEmulator::Rejected() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return rejected_;
}

void ControllerEmulator::ClearLog() {
    std::lock_guard<std::mutex> lock(mutex_);
    received_.clear();
    commands_.clear();
    rejected_.clear();
}

bool ControllerEmulator::WaitForCommands(size_t count, int ms) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return commandSeen_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return commands_.size() >= count; });
}

void ControllerEmulator::SetFailureMode(FailureMode mode) {
    std::lock_guard<std::mutex> lock(mutex_);
    mode_ = mode;
    for (SimAxis* axis : Axes())
        axis->SetNeverStop(mode == FailureMode::NeverStop);
}

void ControllerEmulator::SetReplyDelay(unsigned ms, std::string onlyPrefix) {
    std::lock_guard<std::mutex> lock(mutex_);
    options_.replyDelayMs = ms;
    delayedPrefix_ = std::move(onlyPrefix);
}

void ControllerEmulator::SetLateReplies(double share, unsigned minMs, unsigned maxMs, unsigned seed) {
    std::lock_guard<std::mutex> lock(mutex_);
    options_.lateShare = share;
    options_.lateMinMs = minMs;
    options_.lateMaxMs = maxMs < minMs ? minMs : maxMs;
    random_.seed(seed);
}

unsigned ControllerEmulator::LateReplies() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lateCount_;
}

void ControllerEmulator::QueueReply(std::string raw) {
    std::lock_guard<std::mutex> lock(mutex_);
    queued_.push_back(std::move(raw));
}

void ControllerEmulator::SetTravelLimits(long low, long high) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (SimAxis* axis : Axes())
        axis->SetLimits(low, high);
}

bool ControllerEmulator::GetLineSettings(LineSettings& s) const {
    termios2 t{};
    if (master_ < 0 || ioctl(master_, TCGETS2, &t) != 0)
        return false;
    s.baud = t.c_ospeed;
    switch (t.c_cflag & CSIZE) {
    case CS5: s.dataBits = 5; break;
    case CS6: s.dataBits = 6; break;
    case CS7: s.dataBits = 7; break;
    default: s.dataBits = 8; break;
    }
    if (!(t.c_cflag & PARENB))
        s.parity = 'N';
    else if (t.c_cflag & CMSPAR)
        s.parity = (t.c_cflag & PARODD) ? 'M' : 'S';
    else
        s.parity = (t.c_cflag & PARODD) ? 'O' : 'E';
    s.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
    s.xonXoff = (t.c_iflag & IXON) && (t.c_iflag & IXOFF);
    s.raw = !(t.c_lflag & (ICANON | ECHO | ISIG)) && !(t.c_oflag & OPOST) && !(t.c_iflag & (ICRNL | INLCR | IGNCR));
    return true;
}

long ControllerEmulator::ProgramPosition() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ProgramPositionLocked();
}

void ControllerEmulator::SetProgramPosition(long position) {
    std::lock_guard<std::mutex> lock(mutex_);
    SetProgramPositionLocked(position);
}

bool ControllerEmulator::AxisMoving() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return MovingLocked();
}

bool ControllerEmulator::LineMatchesRequiredRate() const {
    if (options_.requiredBaud == 0)
        return true;
    LineSettings s;
    return GetLineSettings(s) && s.baud == options_.requiredBaud;
}

void ControllerEmulator::Reply(const std::string& text) {
    if (!queued_.empty()) {
        std::string raw = std::move(queued_.front());
        queued_.pop_front();
        Emit(raw);
        return;
    }
    if (!LineMatchesRequiredRate()) {
        Emit(kGarbage);
        return;
    }
    switch (mode_) {
    case FailureMode::Silent: return;
    case FailureMode::Garbage: Emit(kGarbage); return;
    case FailureMode::TooLong: {
        std::string body = text;
        while (!body.empty() && (body.back() == '\n' || body.back() == '\r'))
            body.pop_back();
        Emit(body + std::string(kTooLongPadding, '7') + "\r\n");
        return;
    }
    default: Emit(text); return;
    }
}

void ControllerEmulator::Reject(const std::string& line) { rejected_.push_back(line); }

void ControllerEmulator::Emit(const std::string& bytes) {
    unsigned ms = bytes.compare(0, delayedPrefix_.size(), delayedPrefix_) == 0 ? options_.replyDelayMs : 0;
    if (options_.lateShare > 0) {
        std::uniform_real_distribution<double> share(0.0, 1.0);
        if (share(random_) < options_.lateShare) {
            std::uniform_int_distribution<unsigned> late(options_.lateMinMs, options_.lateMaxMs);
            ms += late(random_);
            ++lateCount_;
        }
    }
    if (ms == 0 && delayed_.empty()) {
        Transmit(bytes);
        return;
    }
    // In order: a reply never overtakes one sent before it.
    auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    if (!delayed_.empty() && due < delayed_.back().first)
        due = delayed_.back().first;
    delayed_.emplace_back(due, bytes);
}

void ControllerEmulator::TransmitDue() {
    while (!delayed_.empty() && delayed_.front().first <= std::chrono::steady_clock::now()) {
        Transmit(delayed_.front().second);
        delayed_.pop_front();
    }
}

void ControllerEmulator::Transmit(const std::string& bytes) {
    // The reply takes its time on the line: ten bits a character at the configured rate,
    // shortened by the speed scale like every motion.
    LineSettings line;
    if (running_ && GetLineSettings(line) && line.baud > 0) {
        double seconds = bytes.size() * 10.0 / line.baud / (options_.speedScale > 0 ? options_.speedScale : 1.0);
        if (seconds > 0.0001)
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds < 0.5 ? seconds : 0.5));
    }
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            return; // full (EAGAIN) or gone: the rest is dropped
    }
}

void ControllerEmulator::WritePositionFile(bool force) {
    if (positionFile_.empty())
        return;
    double um;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        double factor = options_.umPerPulse > 0 ? options_.umPerPulse : OwnUmPerPulseLocked();
        um = static_cast<double>(ProgramPositionLocked()) * factor;
    }
    if (!force && havePositionWritten_ && um == lastWrittenUm_)
        return;
    std::string temp = positionFile_ + ".tmp" + std::to_string(getpid());
    if (FILE* f = std::fopen(temp.c_str(), "w")) {
        std::fprintf(f, "%.3f\n", um);
        bool ok = std::fclose(f) == 0;
        if (ok && std::rename(temp.c_str(), positionFile_.c_str()) == 0) {
            havePositionWritten_ = true;
            lastWrittenUm_ = um;
        } else {
            std::remove(temp.c_str());
        }
    }
}

void ControllerEmulator::Serve() {
    WritePositionFile(true);
    char buffer[512];
    while (running_) {
        pollfd p{master_, POLLIN, 0};
        int r = ::poll(&p, 1, 5);
        if (r > 0 && (p.revents & POLLIN)) {
            ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0) {
                std::lock_guard<std::mutex> lock(mutex_);
                received_.append(buffer, static_cast<size_t>(n));
                for (ssize_t i = 0; i < n && running_; ++i) {
                    if (partial_.size() > 4096)
                        partial_.clear(); // no controller takes lines that long
                    partial_.push_back(buffer[i]);
                    if (buffer[i] != '\n')
                        continue;
                    commands_.push_back(partial_);
                    std::string line = partial_;
                    partial_.clear();
                    line.pop_back();
                    if (!line.empty() && line.back() == '\r')
                        line.pop_back();
                    HandleCommand(line);
                }
                commandSeen_.notify_all();
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                // No slave side at the moment: wait for the program to open it again.
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        } else if (r > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            TransmitDue();
        }
        WritePositionFile(false);
    }
    WritePositionFile(true);
}

long OneAxisEmulator::Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return axis_.Position();
}

void OneAxisEmulator::SetCount(long count) {
    std::lock_guard<std::mutex> lock(mutex_);
    axis_.SetPosition(count);
}

TwoAxisEmulator::TwoAxisEmulator(std::string protocol, EmulatorOptions options)
    : ControllerEmulator(std::move(protocol), std::move(options)) {
    for (int i = 0; i < 2; ++i)
        SetSpeedOf(i, speed_[i][0], speed_[i][1], speed_[i][2]);
}

long TwoAxisEmulator::AxisPosition(int axis) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return axes_[axis & 1].Position();
}

void TwoAxisEmulator::SetAxisPosition(int axis, long position) {
    std::lock_guard<std::mutex> lock(mutex_);
    axes_[axis & 1].SetPosition(position);
}

void TwoAxisEmulator::Speed(int axis, int* low, int* high, int* rate) const {
    std::lock_guard<std::mutex> lock(mutex_);
    *low = speed_[axis & 1][0];
    *high = speed_[axis & 1][1];
    *rate = speed_[axis & 1][2];
}

void TwoAxisEmulator::SetSpeedOf(int axis, int low, int high, int rate) {
    speed_[axis][0] = low;
    speed_[axis][1] = high;
    speed_[axis][2] = rate;
    axes_[axis].SetSpeed(high * SpeedScale());
}
