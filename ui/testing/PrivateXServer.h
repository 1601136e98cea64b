// An X server of the test process's own (Xvfb), for the tests that drive the pointer: nothing
// else moves that pointer, grabs it or covers the test's windows. It ends with the process,
// also when the process is killed.
#pragma once

#include <string>
#include <sys/types.h>

namespace ui::testing {

class PrivateXServer {
public:
    PrivateXServer() = default;
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    // Starts Xvfb with one screen of the given geometry ("1600x1200x24") and waits, at most
    // timeoutMs, until it accepts clients. Then DISPLAY names it. False (with the reason in
    // *error) when it could not.
    bool Start(const std::string& screen, int timeoutMs, std::string* error);

private:
    pid_t pid_ = -1;
};

} // namespace ui::testing
