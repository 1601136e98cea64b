// A pseudo terminal of the test's own: the program opens its slave side as a serial port, and the
// test plays the device on the master side. The master is closed when the object goes.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

class ScratchTerminal {
public:
    ScratchTerminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128];
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
            ::ptsname_r(master_, name, sizeof name) != 0)
            return;
        slave_ = name;
    }
    ~ScratchTerminal() {
        if (master_ >= 0)
            ::close(master_);
    }
    ScratchTerminal(const ScratchTerminal&) = delete;
    ScratchTerminal& operator=(const ScratchTerminal&) = delete;

    bool Made() const { return !slave_.empty(); }
    const std::string& SlavePath() const { return slave_; }
    // Sends one byte as the device would.
    bool Send(unsigned char byte) const { return ::write(master_, &byte, 1) == 1; }

private:
    int master_ = -1;
    std::string slave_;
};
