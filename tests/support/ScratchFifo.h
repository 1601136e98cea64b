// A FIFO that a test hands to code which must refuse it at once, and a watch that keeps a test
// from hanging when the code waits on it instead: once the time allowed has passed, the watch
// opens the FIFO at both ends and closes it again, which ends a blocked open (and the read that
// follows), so the test goes on and fails on the time it measured.
#pragma once

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class ScratchFifo {
public:
    explicit ScratchFifo(std::string path) : path_(std::move(path)) {
        ok_ = ::mkfifo(path_.c_str(), 0600) == 0;
    }
    ~ScratchFifo() { ::unlink(path_.c_str()); }
    ScratchFifo(const ScratchFifo&) = delete;
    ScratchFifo& operator=(const ScratchFifo&) = delete;

    bool Made() const { return ok_; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    bool ok_ = false;
};

// Releases whatever waits on the FIFO once `limitMs` have passed, until it is destroyed.
// Elapsed() is the time since the watch began.
class FifoWatch {
public:
    FifoWatch(const std::string& fifo, int limitMs) : start_(std::chrono::steady_clock::now()) {
        thread_ = std::thread([this, fifo, limitMs] {
            const auto limit = start_ + std::chrono::milliseconds(limitMs);
            while (!done_ && std::chrono::steady_clock::now() < limit)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            while (!done_) {
                const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0)
                    ::close(fd);
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    }
    ~FifoWatch() {
        done_ = true;
        thread_.join();
    }
    FifoWatch(const FifoWatch&) = delete;
    FifoWatch& operator=(const FifoWatch&) = delete;

    long long ElapsedMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                     start_)
            .count();
    }

private:
    std::chrono::steady_clock::time_point start_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};
