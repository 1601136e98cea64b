#include "platform/Encoding.h"

#include <cerrno>
#include <iconv.h>

namespace {
// One conversion with iconv; on an invalid or unconvertible sequence the replacement is written,
// the input moves on by skip(input) bytes and the result is marked not exact.
template <class Skip>
std::string convert(const char* to, const char* from, std::string_view in, std::string_view replacement,
                    Skip skip, bool* ok) {
    if (ok)
        *ok = true;
    std::string out;
    if (in.empty())
        return out;
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        if (ok)
            *ok = false;
        return out;
    }
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char chunk[1024];
    while (srcLeft > 0) {
        char* dst = chunk;
        size_t dstLeft = sizeof chunk;
        size_t r = ::iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(chunk, sizeof chunk - dstLeft);
        if (r != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ (invalid or not representable) or EINVAL (cut at the end).
        if (ok)
            *ok = false;
        out.append(replacement);
        size_t n = skip(std::string_view(src, srcLeft));
        src += n;
        srcLeft -= n;
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* dst = chunk;
    size_t dstLeft = sizeof chunk;
    ::iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    out.append(chunk, sizeof chunk - dstLeft);
    ::iconv_close(cd);
    return out;
}

// Bytes of the UTF-8 character at the start (at least 1).
size_t utf8CharLength(std::string_view s) {
    auto b = static_cast<BYTE>(s[0]);
    size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 1;
    if (n > s.size())
        return s.size();
    for (size_t i = 1; i < n; ++i)
        if ((static_cast<BYTE>(s[i]) & 0xC0) != 0x80)
            return i;
    return n;
}

// Bytes of the CP932 character at the start (at least 1).
size_t cp932CharLength(std::string_view s) {
    return IsCp932LeadByte(static_cast<BYTE>(s[0])) && s.size() >= 2 ? 2 : 1;
}
} // namespace

std::string Utf8ToCp932(std::string_view utf8, bool* ok) {
    return convert("CP932", "UTF-8", utf8, "?", utf8CharLength, ok);
}

std::string Cp932ToUtf8(std::string_view cp932, bool* ok) {
    return convert("UTF-8", "CP932", cp932, "\xEF\xBF\xBD", cp932CharLength, ok);
}

size_t Cp932FitLength(std::string_view cp932, size_t maxBytes) {
    size_t i = 0;
    while (i < cp932.size()) {
        size_t n = IsCp932LeadByte(static_cast<BYTE>(cp932[i])) ? 2 : 1;
        if (i + n > maxBytes || i + n > cp932.size())
            break;
        i += n;
    }
    return i;
}

std::string Cp932Cut(std::string_view cp932, size_t maxBytes) {
    return std::string(cp932.substr(0, Cp932FitLength(cp932, maxBytes)));
}

std::string Utf8ToCp932Cut(std::string_view utf8, size_t maxBytes, bool* ok) {
    return Cp932Cut(Utf8ToCp932(utf8, ok), maxBytes);
}
