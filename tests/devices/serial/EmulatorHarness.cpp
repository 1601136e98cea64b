#include "EmulatorHarness.h"

#include <algorithm>
#include <chrono>

TestClock::TestClock() : real_(RealClock()) {
    ClockHooks real = real_;
    ClockHooks hooks;
    hooks.tick = [this, real] {
        DWORD since = scaledSince_.load();
        return since + (real.tick() - since) * scale_.load() + offset_.load();
    };
    hooks.sleep = [this, real](DWORD ms) {
        if (unsigned scale = scale_.load(); scale > 1) {
            real.sleep(ms / scale);
        } else if (ms >= 100) {
            offset_ += ms;
            real.sleep(1);
        } else {
            real.sleep(ms);
        }
    };
    previous_ = InstallClock(hooks);
}

TestClock::~TestClock() {
    alive_ = false;
    for (auto& t : threads_)
        t.join();
    InstallClock(previous_);
}

void TestClock::RunFast(bool on) {
    bool was = fast_.exchange(on);
    if (on && !was) {
        threads_.emplace_back([this] {
            while (alive_ && fast_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                offset_ += 500;
            }
        });
    }
}

void TestClock::RunScaled(unsigned factor) {
    scaledSince_ = real_.tick();
    scale_ = factor;
}

void TestClock::JumpAfter(int realMs, DWORD ms) {
    threads_.emplace_back([this, realMs, ms] {
        std::this_thread::sleep_for(std::chrono::milliseconds(realMs));
        offset_ += ms;
    });
}

void TestClock::JumpWhenCommands(const ControllerEmulator& emulator, size_t count, DWORD ms) {
    threads_.emplace_back([this, &emulator, count, ms] {
        emulator.WaitForCommands(count, 10000);
        offset_ += ms;
    });
}

TestAbortKeys::TestAbortKeys() {
    previous_ = SetAbortKeySource([this](int vk) -> SHORT {
        ++samples_;
        if (vk == VK_ESCAPE)
            return esc_.exchange(false) ? 1 : 0;
        if (vk == VK_RBUTTON)
            return right_.exchange(false) ? 1 : 0;
        return 0;
    });
}

TestAbortKeys::~TestAbortKeys() {
    for (auto& t : threads_)
        t.join();
    SetAbortKeySource(previous_);
}

void TestAbortKeys::Press(int vk) { (vk == VK_ESCAPE ? esc_ : right_) = true; }

void TestAbortKeys::PressAfter(int realMs, int vk) {
    threads_.emplace_back([this, realMs, vk] {
        std::this_thread::sleep_for(std::chrono::milliseconds(realMs));
        Press(vk);
    });
}

EmulatorOptions FastOptions(double speedScale) {
    EmulatorOptions o;
    o.speedScale = speedScale;
    o.positionFile = "";
    return o;
}

std::string Wire(const ControllerEmulator& emulator, size_t expected) {
    emulator.WaitForCommands(expected, 2000);
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    return emulator.Received();
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string all;
    for (const auto& l : lines)
        all += l;
    return all;
}

bool Heard(const ControllerEmulator& emulator, const std::string& line) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (CountOf(emulator, line) == 0) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

size_t CountOf(const ControllerEmulator& emulator, const std::string& line) {
    auto commands = emulator.Commands();
    return static_cast<size_t>(std::count(commands.begin(), commands.end(), line));
}

std::string LastCommand(const ControllerEmulator& emulator, const std::string& expected) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    std::string last;
    do {
        auto commands = emulator.Commands();
        last = commands.empty() ? std::string() : commands.back();
        if (last == expected)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (std::chrono::steady_clock::now() < deadline);
    return last;
}

void Settle(const ControllerEmulator& emulator) {
    size_t before = emulator.Received().size();
    for (int i = 0; i < 100; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        size_t now = emulator.Received().size();
        if (now == before)
            return;
        before = now;
    }
}
