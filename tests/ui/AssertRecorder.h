// Records the wx assertions that fail while it lives, instead of failing the test: for tests
// that check that a programming error is reported.
#pragma once

#include <wx/debug.h>
#include <wx/string.h>

#include <string>
#include <vector>

class AssertRecorder {
public:
    AssertRecorder() : previous_(wxSetAssertHandler(&AssertRecorder::record)) { current() = this; }
    ~AssertRecorder() {
        wxSetAssertHandler(previous_);
        current() = nullptr;
    }
    AssertRecorder(const AssertRecorder&) = delete;
    AssertRecorder& operator=(const AssertRecorder&) = delete;

    const std::vector<std::string>& Messages() const { return messages_; }

private:
    static AssertRecorder*& current() {
        static AssertRecorder* recorder = nullptr;
        return recorder;
    }
    static void record(const wxString&, int, const wxString&, const wxString& cond, const wxString& msg) {
        if (current())
            current()->messages_.push_back(std::string((msg.empty() ? cond : msg).utf8_str()));
    }
    wxAssertHandler_t previous_;
    std::vector<std::string> messages_;
};
