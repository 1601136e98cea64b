// Text encodings: the system keeps UTF-8 in memory and in its settings files; text inside the
// binary files and records that other programs read is CP932 (Japanese Windows code page).
#pragma once

#include "platform/WinTypes.h"

#include <string>
#include <string_view>

// UTF-8 to CP932. A character that CP932 cannot hold becomes '?' and clears *ok.
std::string Utf8ToCp932(std::string_view utf8, bool* ok = nullptr);
// CP932 to UTF-8. A byte sequence that is not CP932 becomes U+FFFD and clears *ok.
std::string Cp932ToUtf8(std::string_view cp932, bool* ok = nullptr);

// True for the first byte of a double-byte CP932 character.
constexpr bool IsCp932LeadByte(BYTE b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The length of the longest start of the text that fits in maxBytes without splitting a
// double-byte character (a lead byte without its second byte at the end is left out too).
size_t Cp932FitLength(std::string_view cp932, size_t maxBytes);
// The text cut to at most maxBytes on a character boundary.
std::string Cp932Cut(std::string_view cp932, size_t maxBytes);
// UTF-8 text converted to CP932 and cut to at most maxBytes, for fixed-size text fields.
std::string Utf8ToCp932Cut(std::string_view utf8, size_t maxBytes, bool* ok = nullptr);
