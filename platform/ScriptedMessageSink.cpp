#include "platform/ScriptedMessageSink.h"

CScriptedMessageSink::CScriptedMessageSink(int defaultAnswer)
    : m_defaultAnswer(defaultAnswer), m_previous(SetMessageSink(this)) {}

CScriptedMessageSink::~CScriptedMessageSink() {
    SetMessageSink(m_previous);
}

void CScriptedMessageSink::Queue(std::initializer_list<int> answers) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_answers.insert(m_answers.end(), answers.begin(), answers.end());
}

void CScriptedMessageSink::SetDefaultAnswer(int answer) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_defaultAnswer = answer;
}

size_t CScriptedMessageSink::PendingAnswers() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_answers.size();
}

int CScriptedMessageSink::Show(UINT id, UINT type, const std::vector<std::string>& args) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_shown.push_back({id, type, args});
    if (!m_answers.empty()) {
        int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    return m_defaultAnswer != 0 ? m_defaultAnswer : DefaultButtonOf(type);
}

std::vector<CScriptedMessageSink::Shown> CScriptedMessageSink::ShownMessages() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_shown;
}

std::vector<UINT> CScriptedMessageSink::ShownIds() const {
    std::lock_guard<std::mutex> guard(m_lock);
    std::vector<UINT> ids;
    for (const Shown& s : m_shown)
        ids.push_back(s.id);
    return ids;
}

size_t CScriptedMessageSink::CountOf(UINT id) const {
    std::lock_guard<std::mutex> guard(m_lock);
    size_t n = 0;
    for (const Shown& s : m_shown)
        n += s.id == id ? 1 : 0;
    return n;
}

void CScriptedMessageSink::ClearShown() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_shown.clear();
}
