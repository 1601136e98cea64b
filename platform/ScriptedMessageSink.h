// A message sink for tests: answers from a queue the test fills (then a default answer) and
// records every box that was shown. It installs itself for its lifetime and puts the previous
// sink back when it goes.
#pragma once

#include "platform/MessageSink.h"

#include <deque>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

class CScriptedMessageSink : public CMessageSink {
public:
    struct Shown {
        UINT id;
        UINT type;
        std::vector<std::string> args;
    };

    // `defaultAnswer` 0 means "the default button of the box".
    explicit CScriptedMessageSink(int defaultAnswer = 0);
    ~CScriptedMessageSink() override;
    CScriptedMessageSink(const CScriptedMessageSink&) = delete;
    CScriptedMessageSink& operator=(const CScriptedMessageSink&) = delete;

    // Answers for the next boxes, in order.
    void Queue(std::initializer_list<int> answers);
    void SetDefaultAnswer(int answer);
    size_t PendingAnswers() const;

    int Show(UINT id, UINT type, const std::vector<std::string>& args) override;

    std::vector<Shown> ShownMessages() const;
    std::vector<UINT> ShownIds() const;
    size_t CountOf(UINT id) const;
    void ClearShown();

private:
    mutable std::mutex m_lock;
    std::deque<int> m_answers;
    int m_defaultAnswer;
    std::vector<Shown> m_shown;
    CMessageSink* m_previous;
};
