#include "platform/SerialLine.h"

// termios2 (arbitrary rates) comes from the kernel headers, which clash with <termios.h>: this
// file uses only the kernel's definitions and the raw ioctls.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

struct PortState {
    COMMTIMEOUTS timeouts;
    bool pseudo = false; // a pseudo terminal: what was written has already been delivered
};

std::mutex g_portsMutex;
std::map<CommHandle, PortState>& Ports() {
    static std::map<CommHandle, PortState> ports;
    return ports;
}

bool Known(CommHandle h) {
    std::lock_guard<std::mutex> lock(g_portsMutex);
    return h >= 0 && Ports().count(h) != 0;
}

COMMTIMEOUTS TimeoutsOf(CommHandle h) {
    std::lock_guard<std::mutex> lock(g_portsMutex);
    auto it = Ports().find(h);
    return it == Ports().end() ? COMMTIMEOUTS{} : it->second.timeouts;
}

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

// Standard rate constants of the terminal driver; any other rate goes through BOTHER.
struct RateCode {
    DWORD rate;
    tcflag_t code;
};
constexpr RateCode kRates[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600},
};

bool GetTermios2(CommHandle h, termios2* t) { return ioctl(h, TCGETS2, t) == 0; }

bool IsComName(const char* name, int* number) {
    const char* p = name;
    if (std::strncmp(p, "\\\\.\\", 4) == 0)
        p += 4;
    if ((p[0] != 'C' && p[0] != 'c') || (p[1] != 'O' && p[1] != 'o') || (p[2] != 'M' && p[2] != 'm'))
        return false;
    p += 3;
    if (*p < '1' || *p > '9')
        return false;
    int n = 0;
    while (*p >= '0' && *p <= '9' && n < 1000)
        n = n * 10 + (*p++ - '0');
    if (*p != 0)
        return false;
    *number = n;
    return true;
}

} // namespace

std::string CommDevicePath(const char* name) {
    if (!name)
        return {};
    int n = 0;
    if (!IsComName(name, &n))
        return name;
    std::string var = "VANTOREL_COM" + std::to_string(n);
    if (const char* over = std::getenv(var.c_str()); over && *over)
        return over;
    return "/dev/ttyS" + std::to_string(n - 1);
}

CommHandle OpenComm(const char* name) {
    std::string path = CommDevicePath(name);
    if (path.empty())
        return INVALID_COMM_HANDLE;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return INVALID_COMM_HANDLE;
    termios2 t{};
    if (!isatty(fd) || !GetTermios2(fd, &t)) {
        ::close(fd);
        return INVALID_COMM_HANDLE;
    }
    // Exclusive use: an advisory lock refuses a second opener among processes that lock too,
    // and TIOCEXCL refuses later opens of the terminal by anyone without privileges.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return INVALID_COMM_HANDLE;
    }
    // Raw mode at once: canonical mode would hold bytes back until a newline, echo would send
    // every received byte back to the device.
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                                        IXANY | IUCLC | IMAXBEL);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (ioctl(fd, TCSETS2, &t) != 0) {
        ioctl(fd, TIOCNXCL);
        ::close(fd);
        return INVALID_COMM_HANDLE;
    }
    PortState state;
    struct stat st{};
    if (fstat(fd, &st) == 0 && S_ISCHR(st.st_mode))
        state.pseudo = major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
    std::lock_guard<std::mutex> lock(g_portsMutex);
    Ports()[fd] = state;
    return fd;
}

BOOL CloseComm(CommHandle h) {
    {
        std::lock_guard<std::mutex> lock(g_portsMutex);
        if (h < 0 || Ports().erase(h) == 0)
            return FALSE;
    }
    // Give the terminal back to other openers, then release the lock with the descriptor.
    ioctl(h, TIOCNXCL);
    return ::close(h) == 0 ? TRUE : FALSE;
}

BOOL GetCommState(CommHandle h, DCB* dcb) {
    termios2 t{};
    if (!dcb || !Known(h) || !GetTermios2(h, &t))
        return FALSE;
    DCB d;
    d.BaudRate = t.c_ospeed;
    if ((t.c_cflag & CBAUD) != BOTHER) {
        for (const auto& r : kRates)
            if ((t.c_cflag & CBAUD) == r.code)
                d.BaudRate = r.rate;
    }
    switch (t.c_cflag & CSIZE) {
    case CS5: d.ByteSize = 5; break;
    case CS6: d.ByteSize = 6; break;
    case CS7: d.ByteSize = 7; break;
    default: d.ByteSize = 8; break;
    }
    if (!(t.c_cflag & PARENB))
        d.Parity = NOPARITY;
    else if (t.c_cflag & CMSPAR)
        d.Parity = (t.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
    else
        d.Parity = (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
    d.fParity = (t.c_iflag & INPCK) ? TRUE : FALSE;
    d.StopBits = (t.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
    d.fOutxCtsFlow = (t.c_cflag & CRTSCTS) ? TRUE : FALSE;
    d.fRtsControl = d.fOutxCtsFlow ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    d.fOutX = (t.c_iflag & IXON) ? TRUE : FALSE;
    d.fInX = (t.c_iflag & IXOFF) ? TRUE : FALSE;
    d.XonChar = static_cast<char>(t.c_cc[VSTART]);
    d.XoffChar = static_cast<char>(t.c_cc[VSTOP]);
    int lines = 0;
    if (ioctl(h, TIOCMGET, &lines) == 0)
        d.fDtrControl = (lines & TIOCM_DTR) ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    *dcb = d;
    return TRUE;
}

BOOL SetCommState(CommHandle h, const DCB* dcb) {
    if (!dcb || !Known(h))
        return FALSE;
    if (dcb->StopBits == ONE5STOPBITS || dcb->StopBits > TWOSTOPBITS)
        return FALSE;
    if (dcb->ByteSize < 5 || dcb->ByteSize > 8 || dcb->Parity > SPACEPARITY || dcb->BaudRate == 0)
        return FALSE;
    termios2 t{};
    if (!GetTermios2(h, &t))
        return FALSE;

    t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | CIBAUD);
    tcflag_t code = BOTHER;
    for (const auto& r : kRates)
        if (r.rate == dcb->BaudRate)
            code = r.code;
    t.c_cflag |= code;
    t.c_ispeed = dcb->BaudRate;
    t.c_ospeed = dcb->BaudRate;

    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE);
    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= sizes[dcb->ByteSize - 5];

    t.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CMSPAR);
    switch (dcb->Parity) {
    case ODDPARITY: t.c_cflag |= PARENB | PARODD; break;
    case EVENPARITY: t.c_cflag |= PARENB; break;
    case MARKPARITY: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case SPACEPARITY: t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    t.c_iflag &= ~static_cast<tcflag_t>(INPCK | PARMRK | IGNPAR);
    if (dcb->fParity && dcb->Parity != NOPARITY)
        t.c_iflag |= INPCK;

    if (dcb->StopBits == TWOSTOPBITS)
        t.c_cflag |= CSTOPB;
    else
        t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);

    bool hardware = dcb->fOutxCtsFlow || dcb->fRtsControl == RTS_CONTROL_HANDSHAKE;
    if (hardware)
        t.c_cflag |= CRTSCTS;
    else
        t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);

    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    if (dcb->fOutX)
        t.c_iflag |= IXON;
    if (dcb->fInX)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(dcb->XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(dcb->XoffChar);

    // Raw mode stays on whatever the caller's block says.
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC | IMAXBEL);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    if (ioctl(h, TCSETS2, &t) != 0)
        return FALSE;

    // Modem lines: held on or off as asked. Devices without modem lines (pseudo terminals)
    // refuse the call; that is not a configuration error.
    int dtr = TIOCM_DTR;
    int rts = TIOCM_RTS;
    ioctl(h, dcb->fDtrControl == DTR_CONTROL_DISABLE ? TIOCMBIC : TIOCMBIS, &dtr);
    if (!hardware)
        ioctl(h, dcb->fRtsControl == RTS_CONTROL_DISABLE ? TIOCMBIC : TIOCMBIS, &rts);
    return TRUE;
}

BOOL SetCommTimeouts(CommHandle h, const COMMTIMEOUTS* t) {
    std::lock_guard<std::mutex> lock(g_portsMutex);
    auto it = Ports().find(h);
    if (!t || it == Ports().end())
        return FALSE;
    it->second.timeouts = *t;
    return TRUE;
}

BOOL PurgeComm(CommHandle h, DWORD flags) {
    bool pseudo = false;
    {
        std::lock_guard<std::mutex> lock(g_portsMutex);
        auto it = Ports().find(h);
        if (h < 0 || it == Ports().end())
            return FALSE;
        pseudo = it->second.pseudo;
    }
    // On a pseudo terminal every written byte already sits in the peer's input: flushing the
    // output would take back bytes that a real line had long transmitted.
    if (pseudo)
        flags &= ~PURGE_TXCLEAR;
    bool ok = true;
    if ((flags & (PURGE_RXCLEAR | PURGE_TXCLEAR)) == (PURGE_RXCLEAR | PURGE_TXCLEAR))
        ok = ioctl(h, TCFLSH, TCIOFLUSH) == 0;
    else if (flags & PURGE_RXCLEAR)
        ok = ioctl(h, TCFLSH, TCIFLUSH) == 0;
    else if (flags & PURGE_TXCLEAR)
        ok = ioctl(h, TCFLSH, TCOFLUSH) == 0;
    // The abort flags have nothing to abort: no operation is ever left pending.
    return ok ? TRUE : FALSE;
}

BOOL ClearCommError(CommHandle h, DWORD* errors, COMSTAT* status) {
    if (!Known(h))
        return FALSE;
    int in = 0;
    int out = 0;
    if (ioctl(h, FIONREAD, &in) != 0)
        return FALSE;
    if (ioctl(h, TIOCOUTQ, &out) != 0)
        out = 0;
    if (errors)
        *errors = 0;
    if (status) {
        status->cbInQue = static_cast<DWORD>(in < 0 ? 0 : in);
        status->cbOutQue = static_cast<DWORD>(out < 0 ? 0 : out);
    }
    return TRUE;
}

BOOL DrainComm(CommHandle h, DWORD ms) {
    if (!Known(h))
        return FALSE;
    auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        int out = 0;
        if (ioctl(h, TIOCOUTQ, &out) != 0 || out <= 0)
            return TRUE;
        if (MsLeft(deadline) == 0)
            return FALSE;
        ::usleep(1000);
    }
}

BOOL WaitCommInput(CommHandle h, DWORD ms) {
    if (!Known(h))
        return FALSE;
    pollfd p{h, POLLIN, 0};
    auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        int r = ::poll(&p, 1, MsLeft(deadline));
        if (r > 0)
            return (p.revents & POLLIN) ? TRUE : FALSE;
        if (r == 0 || errno != EINTR)
            return FALSE;
    }
}

BOOL CommLineLost(CommHandle h) {
    if (!Known(h))
        return TRUE;
    pollfd p{h, 0, 0};
    int r;
    do {
        r = ::poll(&p, 1, 0);
    } while (r < 0 && errno == EINTR);
    return r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) ? TRUE : FALSE;
}

BOOL ReadComm(CommHandle h, void* buffer, DWORD count, DWORD* read) {
    if (read)
        *read = 0;
    if (!Known(h) || (!buffer && count))
        return FALSE;
    COMMTIMEOUTS t = TimeoutsOf(h);
    auto* out = static_cast<unsigned char*>(buffer);
    DWORD got = 0;
    bool immediate = t.ReadIntervalTimeout == COMM_MAXDWORD && t.ReadTotalTimeoutMultiplier == 0;
    uint64_t total = static_cast<uint64_t>(t.ReadTotalTimeoutMultiplier) * count + t.ReadTotalTimeoutConstant;
    bool unbounded = !immediate && total == 0 && t.ReadIntervalTimeout == 0;
    auto deadline = Clock::now() + std::chrono::milliseconds(total);
    while (got < count) {
        ssize_t n = ::read(h, out + got, count - got);
        if (n > 0) {
            got += static_cast<DWORD>(n);
            continue;
        }
        // In raw mode with no minimum count a terminal answers "nothing yet" with 0 bytes.
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            if (read)
                *read = got;
            return FALSE;
        }
        if (immediate)
            break;
        int wait = -1;
        if (!unbounded) {
            wait = total ? MsLeft(deadline) : -1;
            if (got > 0 && t.ReadIntervalTimeout && t.ReadIntervalTimeout != COMM_MAXDWORD) {
                int interval = static_cast<int>(t.ReadIntervalTimeout);
                wait = (wait < 0 || interval < wait) ? interval : wait;
            }
            if (wait == 0)
                break;
        }
        pollfd p{h, POLLIN, 0};
        int r = ::poll(&p, 1, wait);
        if (r == 0)
            break;
        if (r > 0 && !(p.revents & POLLIN))
            break; // hung up
        if (r < 0 && errno != EINTR) {
            if (read)
                *read = got;
            return FALSE;
        }
    }
    if (read)
        *read = got;
    return TRUE;
}

BOOL WriteComm(CommHandle h, const void* buffer, DWORD count, DWORD* written) {
    if (written)
        *written = 0;
    if (!Known(h) || (!buffer && count))
        return FALSE;
    COMMTIMEOUTS t = TimeoutsOf(h);
    uint64_t total = static_cast<uint64_t>(t.WriteTotalTimeoutMultiplier) * count + t.WriteTotalTimeoutConstant;
    auto deadline = Clock::now() + std::chrono::milliseconds(total);
    const auto* in = static_cast<const unsigned char*>(buffer);
    DWORD put = 0;
    bool ok = true;
    while (put < count) {
        ssize_t n = ::write(h, in + put, count - put);
        if (n > 0) {
            put += static_cast<DWORD>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            ok = false;
            break;
        }
        int wait = total ? MsLeft(deadline) : -1;
        if (wait == 0) {
            ok = false;
            break;
        }
        pollfd p{h, POLLOUT, 0};
        if (::poll(&p, 1, wait) == 0) {
            ok = false;
            break;
        }
    }
    if (written)
        *written = put;
    return ok ? TRUE : FALSE;
}
