#include "platform/MessageSink.h"

#include <atomic>

namespace {
std::atomic<CMessageSink*> g_sink{nullptr};
}

std::vector<int> ButtonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {IDOK, IDCANCEL};
    case MB_YESNOCANCEL:
        return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
        return {IDYES, IDNO};
    default:
        return {IDOK};
    }
}

int DefaultButtonOf(UINT type) {
    std::vector<int> buttons = ButtonsOf(type);
    size_t index = 0;
    if ((type & MB_DEFMASK) == MB_DEFBUTTON2)
        index = 1;
    else if ((type & MB_DEFMASK) == MB_DEFBUTTON3)
        index = 2;
    return index < buttons.size() ? buttons[index] : buttons.front();
}

std::string FormatMessageArgs(std::string_view text, const std::vector<std::string>& args) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            size_t n = static_cast<size_t>(text[i + 1] - '1');
            if (n < args.size())
                out += args[n];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

CMessageSink* SetMessageSink(CMessageSink* sink) {
    return g_sink.exchange(sink);
}

CMessageSink* GetMessageSink() {
    return g_sink.load();
}

int ShowMessage(UINT stringId, UINT type, std::vector<std::string> args) {
    if (CMessageSink* sink = g_sink.load())
        return sink->Show(stringId, type, args);
    return DefaultButtonOf(type);
}
