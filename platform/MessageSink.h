// Message boxes by string id. Code anywhere in the program asks a question or reports a
// failure with ShowMessage(id, type, args); one program-wide sink decides how it is shown: the
// window layer installs one that looks the text up in the string table and opens a dialog,
// tests install a scripted answerer. With no sink installed nothing is shown and the default
// button of the box is the answer.
#pragma once

#include "platform/WinTypes.h"

#include <string>
#include <string_view>
#include <vector>

// Buttons (low four bits of the type).
constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_OKCANCEL = 0x0001;
constexpr UINT MB_YESNOCANCEL = 0x0003;
constexpr UINT MB_YESNO = 0x0004;
constexpr UINT MB_TYPEMASK = 0x000F;
// Icons.
constexpr UINT MB_ICONSTOP = 0x0010;
constexpr UINT MB_ICONERROR = MB_ICONSTOP;
constexpr UINT MB_ICONQUESTION = 0x0020;
constexpr UINT MB_ICONEXCLAMATION = 0x0030;
constexpr UINT MB_ICONINFORMATION = 0x0040;
constexpr UINT MB_ICONMASK = 0x00F0;
// Which button is the default one.
constexpr UINT MB_DEFBUTTON1 = 0x0000;
constexpr UINT MB_DEFBUTTON2 = 0x0100;
constexpr UINT MB_DEFBUTTON3 = 0x0200;
constexpr UINT MB_DEFMASK = 0x0F00;

// Answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// The answer of a box of this type when the user just confirms it: the first button, or the
// one that MB_DEFBUTTON2/3 names.
int DefaultButtonOf(UINT type);

// The buttons a box of this type offers, in order.
std::vector<int> ButtonsOf(UINT type);

// Replaces %1 … %9 in `text` by args[0] … args[8] (an argument that was not given becomes
// empty); every other character, '%' included, is kept.
std::string FormatMessageArgs(std::string_view text, const std::vector<std::string>& args);

class CMessageSink {
public:
    virtual ~CMessageSink() = default;
    // Shows message `id` with the buttons and icon of `type` and returns the button chosen
    // (IDOK, IDCANCEL, IDYES, IDNO).
    virtual int Show(UINT id, UINT type, const std::vector<std::string>& args) = 0;
};

// Installs `sink` for the whole program (null removes it) and returns the one it replaces.
CMessageSink* SetMessageSink(CMessageSink* sink);
CMessageSink* GetMessageSink();

// Shows message `stringId` through the installed sink; without one, returns the default button.
int ShowMessage(UINT stringId, UINT type, std::vector<std::string> args = {});

// Installs a sink for the lifetime of the object and puts the previous one back afterwards.
class CMessageSinkScope {
public:
    explicit CMessageSinkScope(CMessageSink* sink) : m_previous(SetMessageSink(sink)) {}
    ~CMessageSinkScope() { SetMessageSink(m_previous); }
    CMessageSinkScope(const CMessageSinkScope&) = delete;
    CMessageSinkScope& operator=(const CMessageSinkScope&) = delete;

private:
    CMessageSink* m_previous;
};
